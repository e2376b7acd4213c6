# Test registration shared by the three configurations. Test names carry the
# configuration (native., x86., x64.) so that one ctest run over all three build
# trees (./saver test) lists each test once.

set(BRINDORA_HARNESS_DIR ${CMAKE_BINARY_DIR}/harness)
set(BRINDORA_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(BRINDORA_WINE_FIXTURE ${BRINDORA_CONFIG}.wine)

# GoogleTest: the host's library natively; built from Debian's shipped source for MinGW.
function(brindora_import_gtest)
  if(WIN32)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
    brindora_third_party_cache(gtest gtest_main gmock gmock_main)
    brindora_add_test_headers(gtest)
    # Every tier-2 test program's entry, compiled once.
    add_library(brindora_win32_test_main OBJECT ${CMAKE_SOURCE_DIR}/tests/win32/win32_test_main.cpp)
    target_link_libraries(brindora_win32_test_main PRIVATE brindora_win gtest)
    target_include_directories(brindora_win32_test_main PRIVATE ${CMAKE_SOURCE_DIR})
    brindora_test_flags(brindora_win32_test_main)
  else()
    find_package(GTest REQUIRED)
    brindora_add_test_headers(GTest::gtest)
  endif()
endfunction()

# The Wine session (Xvfb, PulseAudio, wineserver) is one ctest fixture per
# configuration: started before the first Wine test, stopped after the last,
# also when tests fail.
function(brindora_add_wine_fixture)
  set(session ${CMAKE_SOURCE_DIR}/tests/harness/session.sh)
  add_test(NAME ${BRINDORA_CONFIG}.wine-session-start
           COMMAND ${session} start ${BRINDORA_HARNESS_DIR} ${BRINDORA_WINE_PREFIX})
  add_test(NAME ${BRINDORA_CONFIG}.wine-session-stop COMMAND ${session} stop ${BRINDORA_HARNESS_DIR})
  set_tests_properties(${BRINDORA_CONFIG}.wine-session-start PROPERTIES
    FIXTURES_SETUP ${BRINDORA_WINE_FIXTURE} RESOURCE_LOCK ${BRINDORA_WINE_FIXTURE} LABELS "win32;gui" TIMEOUT 300)
  set_tests_properties(${BRINDORA_CONFIG}.wine-session-stop PROPERTIES
    FIXTURES_CLEANUP ${BRINDORA_WINE_FIXTURE} RESOURCE_LOCK ${BRINDORA_WINE_FIXTURE} LABELS "win32;gui")
endfunction()

# Properties every test run under Wine needs: the session, and one test at a
# time per prefix (tests of one prefix share its wineserver). The Wine
# launcher exits 77 when the host cannot run the program's architecture.
function(brindora_wine_test_properties name label)
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED ${BRINDORA_WINE_FIXTURE}
    RESOURCE_LOCK ${BRINDORA_WINE_FIXTURE}
    ENVIRONMENT "BRINDORA_HARNESS=${BRINDORA_HARNESS_DIR}"
    SKIP_RETURN_CODE 77
    LABELS ${label}
    TIMEOUT 600)
  # End-to-end tests time what users see: never two at once, whatever the
  # configuration, so that one never slows another down.
  if(label STREQUAL "gui")
    set_property(TEST ${name} APPEND PROPERTY RESOURCE_LOCK brindora.e2e)
  endif()
endfunction()

# Tier 1: native GoogleTest executable.
#   brindora_pure_test(name SOURCES a_test.cpp ... LIBS brindora_x_pure ...)
function(brindora_pure_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBS")
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  brindora_test_flags(${name})
  add_test(NAME ${BRINDORA_CONFIG}.${name} COMMAND ${name})
  set_tests_properties(${BRINDORA_CONFIG}.${name} PROPERTIES LABELS pure TIMEOUT 120)
endfunction()

# Tier 2: MinGW GoogleTest executable run under Wine (CMAKE_CROSSCOMPILING_EMULATOR),
# linked with the whole product but its entry point.
function(brindora_win32_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE brindora_win gtest gmock)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE brindora_win32_test_main)
  brindora_test_flags(${name})
  add_test(NAME ${BRINDORA_CONFIG}.${name} COMMAND ${name})
  brindora_wine_test_properties(${BRINDORA_CONFIG}.${name} win32)
endfunction()

# Tier 3: an end-to-end pytest file run against the real BrindoraPro.scr.
function(brindora_e2e_test file)
  get_filename_component(stem ${file} NAME_WE)
  set(name ${BRINDORA_CONFIG}.e2e.${stem})
  add_test(NAME ${name}
           COMMAND /usr/bin/python3 -m pytest -q -p no:cacheprovider ${CMAKE_CURRENT_SOURCE_DIR}/${file}
           WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
  brindora_wine_test_properties(${name} gui)
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
    "BRINDORA_SCR=$<TARGET_FILE:BrindoraPro>"
    "BRINDORA_OUT=${CMAKE_BINARY_DIR}/e2e-out")
endfunction()
