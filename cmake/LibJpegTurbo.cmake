# libjpeg-turbo, built from Debian's source package with this build's own
# MinGW toolchain (NASM for its SIMD code) and linked statically. The source
# is fetched by scripts/bootstrap.sh with `apt-get source`; nothing of it is
# kept in this repository. Only the static library is built: no tools, no
# tests, no TurboJPEG API.
#
# Defines the imported target libjpeg_turbo (library and include folders).

include(ExternalProject)

set(BRINDORA_SOURCE_CACHE /var/cache/brindora/src CACHE PATH "Where scripts/bootstrap.sh unpacks source packages")
if(NOT BRINDORA_LIBJPEG_TURBO_SOURCE)
  file(GLOB candidates LIST_DIRECTORIES true ${BRINDORA_SOURCE_CACHE}/libjpeg-turbo-*)
  list(SORT candidates COMPARE NATURAL ORDER DESCENDING)
  foreach(candidate IN LISTS candidates)
    if(EXISTS ${candidate}/CMakeLists.txt)
      set(BRINDORA_LIBJPEG_TURBO_SOURCE ${candidate})
      break()
    endif()
  endforeach()
endif()
set(BRINDORA_LIBJPEG_TURBO_SOURCE "${BRINDORA_LIBJPEG_TURBO_SOURCE}" CACHE PATH "Unpacked Debian source of libjpeg-turbo")
if(NOT EXISTS "${BRINDORA_LIBJPEG_TURBO_SOURCE}/CMakeLists.txt")
  message(FATAL_ERROR "libjpeg-turbo's Debian source is not in ${BRINDORA_SOURCE_CACHE}: run scripts/bootstrap.sh as root")
endif()

find_program(BRINDORA_NASM nasm REQUIRED)

set(jpeg_binary ${CMAKE_BINARY_DIR}/_deps/libjpeg-turbo)
set(jpeg_library ${jpeg_binary}/libjpeg.a)

ExternalProject_Add(libjpeg_turbo_build
  SOURCE_DIR ${BRINDORA_LIBJPEG_TURBO_SOURCE}
  BINARY_DIR ${jpeg_binary}
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_C_COMPILER_LAUNCHER=${BRINDORA_THIRD_PARTY_LAUNCHER}
    # Never installed; its Windows default (c:/...) only trips its own configure.
    -DCMAKE_INSTALL_PREFIX=${jpeg_binary}/unused-install
    -DCMAKE_ASM_NASM_COMPILER=${BRINDORA_NASM}
    -DENABLE_SHARED=OFF
    -DENABLE_STATIC=ON
    -DWITH_TURBOJPEG=OFF
    -DWITH_JAVA=OFF
    -DWITH_SIMD=ON
    -DREQUIRE_SIMD=ON
    -DWITH_12BIT=OFF
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${jpeg_binary} --target jpeg-static
  INSTALL_COMMAND ""
  TEST_COMMAND ""
  BUILD_BYPRODUCTS ${jpeg_library}
  USES_TERMINAL_BUILD OFF)

# An imported target's include folders must exist when CMake generates.
file(MAKE_DIRECTORY ${jpeg_binary})
add_library(libjpeg_turbo STATIC IMPORTED GLOBAL)
set_target_properties(libjpeg_turbo PROPERTIES
  IMPORTED_LOCATION ${jpeg_library}
  INTERFACE_INCLUDE_DIRECTORIES "${BRINDORA_LIBJPEG_TURBO_SOURCE};${jpeg_binary}"
  # Its headers are not ours to warn about.
  INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${BRINDORA_LIBJPEG_TURBO_SOURCE};${jpeg_binary}")
add_dependencies(libjpeg_turbo libjpeg_turbo_build)
