# Compiler settings, the Wine test environment and test helpers shared by
# both build trees.

function(zandrel_warnings target)
  # -Wrestrict is off: GCC 12 reports false positives for std::u16string
  # concatenation once inlined (GCC bug 105329).
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wshadow -Wnon-virtual-dtor
                                           -Wno-restrict)
endfunction()

# 32 or 64: the width of the program this tree builds (config/build_target.h).
math(EXPR ZANDREL_PROGRAM_BITS "${CMAKE_SIZEOF_VOID_P} * 8")

if(ZANDREL_WIN32)
  enable_language(RC)
  add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN
                          _WIN32_WINNT=0x0A00 WINVER=0x0A00 _WIN32_IE=0x0A00)
  add_link_options(-static -static-libgcc -static-libstdc++)

  # The one place the two Windows builds differ: the 32-bit program (the one
  # shipped) runs under Debian's wine wrapper, which takes the 32-bit loader,
  # in a 64-bit prefix where it really meets WOW64; the 64-bit program runs
  # under the 64-bit loader called directly, which also works on machines that
  # cannot execute 32-bit Linux programs.
  if(ZANDREL_PROGRAM_BITS EQUAL 64)
    set(ZANDREL_MANIFEST_ARCHITECTURE amd64)
    set(ZANDREL_WINE_LOADER /usr/lib/wine/wine64)
  else()
    set(ZANDREL_MANIFEST_ARCHITECTURE x86)
    set(ZANDREL_WINE_LOADER wine)
  endif()

  # Tests of this tree run under Wine in a prefix inside the build folder. The
  # build itself never starts Wine: the prefix is made by the test session's
  # first step (or the wineprefix target, for running the program by hand), so
  # the tree compiles and links on a machine whose Wine cannot run it.
  set(ZANDREL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(ZANDREL_DISPLAY_FILE ${CMAKE_BINARY_DIR}/xvfb.display)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE)
  # Must be set before the first add_executable: targets copy it when created.
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

  add_custom_target(wineprefix
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/make-wineprefix.sh ${CMAKE_BINARY_DIR}/wine-run.sh
            ${ZANDREL_WINEPREFIX} win10
    COMMENT "Making the Wine prefix (Windows 10) of this tree"
    VERBATIM)

  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

  # One Xvfb display and one persistent wineserver for the whole test run.
  # The session's start makes the prefix when the tree has none yet.
  add_test(NAME wine_session_start
           COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-session.sh ${CMAKE_BINARY_DIR}/wine-run.sh
                   ${ZANDREL_WINEPREFIX} ${ZANDREL_DISPLAY_FILE} start)
  set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine_session TIMEOUT 600)
  add_test(NAME wine_session_stop
           COMMAND ${CMAKE_SOURCE_DIR}/cmake/wine-session.sh ${CMAKE_BINARY_DIR}/wine-run.sh
                   ${ZANDREL_WINEPREFIX} ${ZANDREL_DISPLAY_FILE} stop)
  set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine_session)
else()
  find_package(GTest REQUIRED)
  option(ZANDREL_SANITIZE "Build the host tree with AddressSanitizer and UBSan" OFF)
  option(ZANDREL_FUZZ "Build the fuzz targets (clang, libFuzzer) instead of the tests" OFF)
  if(ZANDREL_FUZZ)
    # Every object is instrumented for coverage; only the fuzz targets link
    # libFuzzer's driver (tools/fuzz/CMakeLists.txt).
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=all -Wno-unknown-warning-option)
    add_link_options(-fsanitize=address,undefined)
  elseif(ZANDREL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

# --- Layers ----------------------------------------------------------------------
# A library sees the headers of its own folder and of the libraries it links,
# nothing else: each folder is reached through an include root of its own
# (build/layers/<folder>/ holding one link, <folder> -> the source folder), so
# an #include "gui/..." in a library that does not link a gui library fails to
# compile. Headers are always included by their path from the source root.
function(zandrel_layer_root folder out_var)
  set(root ${CMAKE_BINARY_DIR}/layers/${folder})
  if(NOT EXISTS ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  set(${out_var} ${root} PARENT_SCOPE)
endfunction()

# zandrel_library(<name> LAYER <folder> [INTERFACE] [SOURCES ...] [DEPENDS ...])
# One library of a layer. DEPENDS names the libraries of the layers below
# that this one uses (and system libraries).
function(zandrel_library name)
  cmake_parse_arguments(ARG "INTERFACE" "LAYER" "SOURCES;DEPENDS" ${ARGN})
  zandrel_layer_root(${ARG_LAYER} root)
  if(ARG_INTERFACE)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${root})
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
  else()
    add_library(${name} STATIC ${ARG_SOURCES})
    zandrel_warnings(${name})
    target_include_directories(${name} PUBLIC ${root})
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  endif()
endfunction()

# zandrel_add_test(<name> SOURCES ... [LIBS ...] [WIN32_ONLY] [TIMEOUT s])
# Builds one GoogleTest executable and registers it as one test. In the
# Windows tree it runs under Wine within the shared session.
function(zandrel_add_test name)
  cmake_parse_arguments(ARG "WIN32_ONLY" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if((ARG_WIN32_ONLY AND NOT ZANDREL_WIN32) OR ZANDREL_FUZZ)
    return()
  endif()
  add_executable(${name} ${ARG_SOURCES})
  zandrel_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} zandrel_test_support GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  if(ZANDREL_WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_session)
  endif()
endfunction()

# zandrel_packaged_headers(<target>)
# Debian's header-only libraries (CLI11, nlohmann-json, stb) for a target. The
# host compiler finds them in /usr/include; the cross compiler must not see
# the rest of /usr/include, so the Windows tree gets a folder holding links to
# just these.
function(zandrel_packaged_headers target)
  if(NOT ZANDREL_WIN32)
    return()
  endif()
  set(dir ${CMAKE_BINARY_DIR}/packaged-headers)
  foreach(name IN ITEMS CLI nlohmann stb)
    if(NOT EXISTS ${dir}/${name})
      file(MAKE_DIRECTORY ${dir})
      file(CREATE_LINK /usr/include/${name} ${dir}/${name} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} SYSTEM PRIVATE ${dir})
endfunction()
