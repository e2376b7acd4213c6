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
    get_target_property(folder ${target} SOURCE_DIR)
    if(folder MATCHES "^${CMAKE_SOURCE_DIR}/tests/")
      brindora_test_warnings(${target})
    endif()
  endif()
endfunction()

# GCC 12 loses the system-header mark of precompiled headers, and its
# bounds false alarms inside MinGW's wmemcpy (a std::wstring made from L"")
# then fail test code; the product keeps the warning.
function(brindora_test_warnings target)
  if(WIN32)
    target_compile_options(${target} PRIVATE -Wno-array-bounds -Wno-stringop-overread -Wno-stringop-overflow)
  endif()
endfunction()

# Test programs: GoogleTest's headers are most of a test file's parse, and
# full optimisation of its macros most of the rest, so every test shares one
# precompiled copy built at -Og. The product code they link keeps its flags.
function(brindora_test_flags target)
  brindora_common_flags(${target})
  brindora_test_warnings(${target})
  target_compile_options(${target} PRIVATE -Og)
  target_precompile_headers(${target} REUSE_FROM brindora_test_headers)
endfunction()

# Called once GoogleTest is imported: the target carrying the tests' headers.
function(brindora_add_test_headers gtest_target)
  add_library(brindora_test_headers STATIC ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/windows_headers.cpp)
  target_link_libraries(brindora_test_headers PRIVATE ${gtest_target})
  brindora_common_flags(brindora_test_headers)
  brindora_test_warnings(brindora_test_headers)
  target_compile_options(brindora_test_headers PRIVATE -Og)
  set(windows_headers)
  if(WIN32)
    set(windows_headers ${BRINDORA_WINDOWS_HEADERS})
  endif()
  target_precompile_headers(brindora_test_headers PRIVATE ${windows_headers} <gtest/gtest.h> ${BRINDORA_STD_HEADERS})
endfunction()

# What the precompiled copies hold: the Windows, GDI+ and Direct3D headers,
# and the standard headers most of our files include.
set(BRINDORA_WINDOWS_HEADERS <windows.h> <objidl.h> <gdiplus.h> <d3d9.h> <mmsystem.h>)
set(BRINDORA_STD_HEADERS <algorithm> <cstdint> <functional> <memory> <optional> <string> <string_view> <vector>)

if(WIN32)
  # The .scr must start on a bare Windows: no MinGW runtime DLL beside it.
  add_link_options(-static -static-libgcc -static-libstdc++)

  add_library(brindora_windows_headers STATIC ${CMAKE_CURRENT_LIST_DIR}/windows_headers.cpp)
  brindora_common_flags(brindora_windows_headers)
  target_precompile_headers(brindora_windows_headers PRIVATE ${BRINDORA_WINDOWS_HEADERS} ${BRINDORA_STD_HEADERS})
endif()

if(BRINDORA_SANITIZE AND NOT WIN32)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# Third-party code (SQLite, libjpeg-turbo, GoogleTest for MinGW) is the same
# in every clone and takes a good part of a fresh build: when ccache is there
# its objects are compiled once per machine. Our own code is always compiled.
find_program(BRINDORA_CCACHE ccache)
set(BRINDORA_THIRD_PARTY_LAUNCHER "")
if(BRINDORA_CCACHE)
  # Paths inside the clone are made relative and the working folder is left
  # out, so that every clone of the project shares the objects.
  set(BRINDORA_THIRD_PARTY_LAUNCHER ${CMAKE_BINARY_DIR}/third-party-ccache)
  file(WRITE ${BRINDORA_THIRD_PARTY_LAUNCHER}
       "#!/bin/sh\nCCACHE_BASEDIR='${CMAKE_SOURCE_DIR}' CCACHE_NOHASHDIR=1 exec '${BRINDORA_CCACHE}' \"$@\"\n")
  file(CHMOD ${BRINDORA_THIRD_PARTY_LAUNCHER} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
       GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()

function(brindora_third_party_cache)
  if(BRINDORA_THIRD_PARTY_LAUNCHER)
    set_target_properties(${ARGN} PROPERTIES C_COMPILER_LAUNCHER ${BRINDORA_THIRD_PARTY_LAUNCHER}
                                             CXX_COMPILER_LAUNCHER ${BRINDORA_THIRD_PARTY_LAUNCHER})
  endif()
endfunction()

# A folder of this machine's cache for what `script` makes, named by the
# script's contents, so every clone and build tree shares one copy of it and
# a changed script makes it again.
function(brindora_machine_cache out name script)
  file(SHA256 ${script} version)
  string(SUBSTRING ${version} 0 12 version)
  if(DEFINED ENV{XDG_CACHE_HOME})
    set(folder $ENV{XDG_CACHE_HOME}/brindora/${name}-${version})
  else()
    set(folder $ENV{HOME}/.cache/brindora/${name}-${version})
  endif()
  file(MAKE_DIRECTORY ${folder})
  set(${out} ${folder} PARENT_SCOPE)
endfunction()
