# libxlsxwriter, the workbooks' writer: Debian ships it for Linux only, so
# every build compiles Debian's source package (fetched and checked by
# scripts/bootstrap.sh) for its own target with its own compilers, as a
# static library linked against zlib's static library from the target's
# sysroot (libz-mingw-w64-dev on Windows, zlib1g-dev natively). A program
# links glyvant_xlsxwriter and includes "xlsxwriter.h"; the library is built
# the first time one needs it.
include(ExternalProject)

set(xlsxwriter_root ${CMAKE_CURRENT_LIST_DIR}/../build/debian-source)
cmake_path(NORMAL_PATH xlsxwriter_root)
set(xlsxwriter_source ${xlsxwriter_root}/libxlsxwriter)
if(NOT EXISTS ${xlsxwriter_source}/CMakeLists.txt OR NOT EXISTS ${xlsxwriter_root}/libxlsxwriter.version)
  message(FATAL_ERROR "No libxlsxwriter source in ${xlsxwriter_source}: run scripts/bootstrap.sh, "
                      "which fetches Debian's source package there.")
endif()
file(READ ${xlsxwriter_root}/libxlsxwriter.version xlsxwriter_version)
string(STRIP "${xlsxwriter_version}" xlsxwriter_version)
# A source fetched anew configures this build anew.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${xlsxwriter_root}/libxlsxwriter.version)

# zlib's static library: a DLL's import library beside it must not be taken.
find_library(GLYVANT_ZLIB NAMES libz.a REQUIRED)
find_path(GLYVANT_ZLIB_INCLUDE zlib.h REQUIRED)

# The options every object of this build is compiled with (here: the number
# texts of MinGW's own printf family, SSE2 doubles on 32-bit Windows), read
# from this folder as they stand when this file is included, before the
# sanitizers: the library is compiled with its own warnings, never ours, so
# -Werror does not reach it. Its error messages name its files by
# __FILE__: the path is cut to the package's, so the same sources give the
# same program wherever they are checked out.
get_directory_property(xlsxwriter_options COMPILE_OPTIONS)
get_directory_property(xlsxwriter_definitions COMPILE_DEFINITIONS)
list(TRANSFORM xlsxwriter_definitions PREPEND -D)
list(APPEND xlsxwriter_options ${xlsxwriter_definitions} -fmacro-prefix-map=${xlsxwriter_source}=libxlsxwriter)
list(JOIN xlsxwriter_options " " xlsxwriter_c_flags)

set(xlsxwriter_install ${CMAKE_BINARY_DIR}/xlsxwriter/install)
set(xlsxwriter_library ${xlsxwriter_install}/lib/${CMAKE_STATIC_LIBRARY_PREFIX}xlsxwriter${CMAKE_STATIC_LIBRARY_SUFFIX})
set(xlsxwriter_toolchain "")
if(CMAKE_TOOLCHAIN_FILE)
  set(xlsxwriter_toolchain -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE})
endif()
ExternalProject_Add(glyvant_xlsxwriter_build
  SOURCE_DIR ${xlsxwriter_source}
  BINARY_DIR ${CMAKE_BINARY_DIR}/xlsxwriter/build
  INSTALL_DIR ${xlsxwriter_install}
  PREFIX ${CMAKE_BINARY_DIR}/xlsxwriter
  CMAKE_ARGS
    ${xlsxwriter_toolchain}
    -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER}
    -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_C_FLAGS=${xlsxwriter_c_flags}
    -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
    -DCMAKE_INSTALL_LIBDIR=lib
    -DCMAKE_INSTALL_INCLUDEDIR=include
    -DBUILD_SHARED_LIBS=OFF
    -DBUILD_TESTS=OFF
    -DBUILD_EXAMPLES=OFF
    -DUSE_SYSTEM_MINIZIP=OFF
    # Its own temporary files (tmpfileplus) in the folder the program names:
    # the C library's tmpfile() writes to the drive's root on Windows.
    -DUSE_STANDARD_TMPFILE=OFF
    -DZLIB_LIBRARY=${GLYVANT_ZLIB}
    -DZLIB_INCLUDE_DIR=${GLYVANT_ZLIB_INCLUDE}
  BUILD_BYPRODUCTS ${xlsxwriter_library}
  EXCLUDE_FROM_ALL TRUE
  LOG_CONFIGURE TRUE LOG_BUILD TRUE LOG_INSTALL TRUE LOG_OUTPUT_ON_FAILURE TRUE)

# A source fetched anew builds anew.
ExternalProject_Add_StepDependencies(glyvant_xlsxwriter_build configure ${xlsxwriter_root}/libxlsxwriter.version)

# The headers exist once the library is built; the imported target names
# the folder already, as CMake requires.
file(MAKE_DIRECTORY ${xlsxwriter_install}/include)
add_library(glyvant_xlsxwriter STATIC IMPORTED GLOBAL)
set_target_properties(glyvant_xlsxwriter PROPERTIES
  IMPORTED_LOCATION ${xlsxwriter_library}
  INTERFACE_INCLUDE_DIRECTORIES ${xlsxwriter_install}/include
  INTERFACE_LINK_LIBRARIES ${GLYVANT_ZLIB})
add_dependencies(glyvant_xlsxwriter glyvant_xlsxwriter_build)
message(STATUS "libxlsxwriter ${xlsxwriter_version} from ${xlsxwriter_source}")
