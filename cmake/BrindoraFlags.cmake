# Warnings are errors on our own code only; third-party code keeps its own flags.
function(brindora_common_flags target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(WIN32)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                 _WIN32_WINNT=0x0601 WINVER=0x0601)
  endif()
endfunction()

function(brindora_project_flags target)
  brindora_common_flags(${target})
  # Parsing the Windows, GDI+ and Direct3D headers is most of a file's
  # compile time under MinGW: every Windows target shares one precompiled
  # copy. Pure targets stay without them, as they build natively too.
  if(WIN32 AND NOT target MATCHES "_pure$")
    target_precompile_headers(${target} REUSE_FROM brindora_windows_headers)
    # GCC 12 loses the system-header mark of precompiled headers, and its
    # bounds false alarms inside MinGW's wmemcpy (a std::wstring made
    # from L"") then fails test code; the product keeps the warning.
    get_target_property(folder ${target} SOURCE_DIR)
    if(folder MATCHES "^${CMAKE_SOURCE_DIR}/tests/")
      target_compile_options(${target} PRIVATE -Wno-array-bounds -Wno-stringop-overread -Wno-stringop-overflow)
    endif()
  endif()
endfunction()

if(WIN32)
  # The .scr must start on a bare Windows: no MinGW runtime DLL beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)

  add_library(brindora_windows_headers STATIC ${CMAKE_CURRENT_LIST_DIR}/windows_headers.cpp)
  brindora_common_flags(brindora_windows_headers)
  target_precompile_headers(brindora_windows_headers PRIVATE
    <windows.h> <objidl.h> <gdiplus.h> <d3d9.h> <mmsystem.h>
    <algorithm> <cstdint> <functional> <memory> <optional> <string> <string_view> <vector>)
endif()

if(BRINDORA_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()
