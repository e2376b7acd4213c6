# Warnings are errors on our own code only; third-party code keeps its own flags.
function(brindora_project_flags target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(WIN32)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                 _WIN32_WINNT=0x0601 WINVER=0x0601)
  endif()
endfunction()

if(WIN32)
  # The .scr must start on a bare Windows: no MinGW runtime DLL beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(BRINDORA_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
