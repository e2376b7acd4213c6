# SQLite, made from Debian's source package and linked statically. The source
# is fetched by scripts/bootstrap.sh with `apt-get source`; nothing of it is
# kept in this repository. The single-file amalgamation (sqlite3.c) is made
# on the build machine with SQLite's own configure and tclsh, then compiled
# with this build's toolchain like any other source.
#
# Defines the static library target sqlite3_amalgamation (and its include folder).

set(BRINDORA_SOURCE_CACHE /var/cache/brindora/src CACHE PATH "Where scripts/bootstrap.sh unpacks source packages")
if(NOT BRINDORA_SQLITE_SOURCE)
  file(GLOB candidates LIST_DIRECTORIES true ${BRINDORA_SOURCE_CACHE}/sqlite3-*)
  list(SORT candidates COMPARE NATURAL ORDER DESCENDING)
  foreach(candidate IN LISTS candidates)
    if(EXISTS ${candidate}/tool/mksqlite3c.tcl)
      set(BRINDORA_SQLITE_SOURCE ${candidate})
      break()
    endif()
  endforeach()
endif()
set(BRINDORA_SQLITE_SOURCE "${BRINDORA_SQLITE_SOURCE}" CACHE PATH "Unpacked Debian source of SQLite")
if(NOT EXISTS "${BRINDORA_SQLITE_SOURCE}/configure")
  message(FATAL_ERROR "SQLite's Debian source is not in ${BRINDORA_SOURCE_CACHE}: run scripts/bootstrap.sh as root")
endif()

# The bootstrap makes the amalgamation once beside the source; a cache made
# by an older bootstrap has none, and this build tree makes its own.
set(sqlite_premade ${BRINDORA_SQLITE_SOURCE}-amalgamation)
if(EXISTS ${sqlite_premade}/sqlite3.c AND EXISTS ${sqlite_premade}/sqlite3.h)
  set(sqlite_binary ${sqlite_premade})
else()
  find_program(BRINDORA_TCLSH NAMES tclsh tclsh8.6 REQUIRED)
  find_program(BRINDORA_MAKE NAMES make gmake REQUIRED)
  # The generators (lemon, mkkeywordhash) run on the build machine, so they are
  # built with its compiler, never the cross compiler.
  find_program(BRINDORA_HOST_CC NAMES cc gcc REQUIRED)

  set(sqlite_binary ${CMAKE_BINARY_DIR}/_deps/sqlite)
  file(MAKE_DIRECTORY ${sqlite_binary})
  add_custom_command(
    OUTPUT ${sqlite_binary}/sqlite3.c ${sqlite_binary}/sqlite3.h
    COMMAND ${CMAKE_COMMAND} -E env CC=${BRINDORA_HOST_CC} --unset=CFLAGS --unset=LDFLAGS
            sh ${BRINDORA_SQLITE_SOURCE}/configure --disable-tcl --disable-readline --disable-load-extension
            TCLSH_CMD=${BRINDORA_TCLSH} > configure.log 2>&1
    COMMAND ${BRINDORA_MAKE} sqlite3.c > make.log 2>&1
    WORKING_DIRECTORY ${sqlite_binary}
    COMMENT "Making SQLite's amalgamation from its source package"
    VERBATIM)
endif()

add_library(sqlite3_amalgamation STATIC ${sqlite_binary}/sqlite3.c)
target_include_directories(sqlite3_amalgamation SYSTEM PUBLIC ${sqlite_binary})
target_compile_definitions(sqlite3_amalgamation
  PRIVATE
    # Serialized: each thread has its own connection, and two savers may share a file.
    SQLITE_THREADSAFE=1
    SQLITE_OMIT_LOAD_EXTENSION=1
    SQLITE_OMIT_DEPRECATED=1
    SQLITE_OMIT_SHARED_CACHE=1
    SQLITE_DQS=0
    SQLITE_DEFAULT_MEMSTATUS=0
    SQLITE_DEFAULT_WAL_SYNCHRONOUS=1
    SQLITE_LIKE_DOESNT_MATCH_BLOBS=1
    SQLITE_WIN32_MALLOC=1)
# Its own code, not ours to warn about or step through: debug information
# for one file of this size doubles its compile time.
target_compile_options(sqlite3_amalgamation PRIVATE -w -O2 -g0)
brindora_third_party_cache(sqlite3_amalgamation)
