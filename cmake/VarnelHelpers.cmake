# Project-wide build helpers: compiler flags, one static library per subsystem
# folder (sources found by glob, platform folder picked here), and one test
# executable per subsystem registered with ctest.

option(VARNEL_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" ON)

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(VARNEL_PLATFORM_DIR windows)
else()
  set(VARNEL_PLATFORM_DIR posix)
endif()

include(VarnelResources)
include(GoogleTest)

add_library(varnel_options INTERFACE)
target_include_directories(varnel_options INTERFACE ${CMAKE_SOURCE_DIR})
target_compile_options(varnel_options INTERFACE
  -Wall -Wextra -Wpedantic -Wno-missing-field-initializers
  -ffp-contract=off)
if(VARNEL_WARNINGS_AS_ERRORS)
  target_compile_options(varnel_options INTERFACE -Werror)
endif()
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  target_compile_definitions(varnel_options INTERFACE
    __USE_MINGW_ANSI_STDIO=1 UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
    _WIN32_WINNT=0x0A00)
else()
  # The position-independent code of the native build may call and inline
  # its own functions directly, as the Windows build does: the plug-in file
  # exports clap_entry alone, so nothing can interpose them.
  target_compile_options(varnel_options INTERFACE -fno-semantic-interposition)
endif()

# The thread and state checks of the CLAP entry points (clap/ClapThreadCheck.h):
# a call on the wrong thread or in the wrong state is refused and reported once
# as the host's misbehaviour. On in every preset, and so in the shipped plug-in.
option(VARNEL_THREAD_CHECKS "Check the thread and state of every CLAP call" ON)
target_compile_definitions(varnel_options INTERFACE VARNEL_THREAD_CHECKS=$<BOOL:${VARNEL_THREAD_CHECKS}>)

# Sanitizer flags for the checking builds (set by the presets).
set(VARNEL_SANITIZE "" CACHE STRING "Sanitizers: address,undefined or thread")
if(VARNEL_SANITIZE)
  target_compile_options(varnel_options INTERFACE
    -fsanitize=${VARNEL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(varnel_options INTERFACE -fsanitize=${VARNEL_SANITIZE})
endif()

# varnel_library(name [SUBDIRS dir...] [DEPS target...] [PUBLIC_LIBS lib...])
function(varnel_library name)
  cmake_parse_arguments(ARG "" "" "SUBDIRS;DEPS;PUBLIC_LIBS" ${ARGN})
  set(dir ${CMAKE_CURRENT_SOURCE_DIR})
  set(patterns ${dir}/*.cpp ${dir}/${VARNEL_PLATFORM_DIR}/*.cpp)
  foreach(sub IN LISTS ARG_SUBDIRS)
    list(APPEND patterns ${dir}/${sub}/*.cpp ${dir}/${sub}/${VARNEL_PLATFORM_DIR}/*.cpp)
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${patterns})
  if(NOT sources)
    # A subsystem whose first sources are not written yet.
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE varnel_options ${ARG_DEPS} ${ARG_PUBLIC_LIBS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC varnel_options ${ARG_DEPS} ${ARG_PUBLIC_LIBS})
endfunction()

function(varnel_setup_test_framework)
  if(CMAKE_CROSSCOMPILING)
    # GoogleTest is compiled from the source package with the cross compiler.
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    add_library(varnel_gtest INTERFACE)
    target_link_libraries(varnel_gtest INTERFACE gtest gtest_main)
  else()
    find_package(GTest REQUIRED)
    add_library(varnel_gtest INTERFACE)
    target_link_libraries(varnel_gtest INTERFACE GTest::gtest GTest::gtest_main)
  endif()
endfunction()

# varnel_tests(name LIBS target...): tests/*.cpp of the current folder (and
# tests/windows/ or tests/posix/ for platform-only cases) as one
# executable <name>_tests, run by ctest (through the emulator when cross built).
function(varnel_tests name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/tests/${VARNEL_PLATFORM_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name}_tests ${sources})
  target_link_libraries(${name}_tests PRIVATE ${ARG_LIBS} varnel_gtest varnel_options)
  if(CMAKE_CROSSCOMPILING)
    # Under Wine every process start costs about a second: one ctest entry
    # per executable (GoogleTest names the failing cases in the output).
    add_test(NAME ${name} COMMAND ${name}_tests)
    set_tests_properties(${name} PROPERTIES
      ENVIRONMENT "VARNEL_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
      TIMEOUT 600)
  else()
    # Natively every GoogleTest case is its own ctest entry, <name>.<Suite>.<Case>,
    # so a failure names its test.
    gtest_discover_tests(${name}_tests
      TEST_PREFIX "${name}."
      DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "VARNEL_SOURCE_DIR=${CMAKE_SOURCE_DIR}" TIMEOUT 600)
  endif()
endfunction()

# varnel_clap_module(target): makes a MODULE library target a CLAP plug-in
# file: named <output name>.clap, exporting clap_entry only. The source defines
#   extern "C" VARNEL_CLAP_EXPORT const clap_plugin_entry_t clap_entry = {...};
# Natively a version script keeps every other symbol local; on Windows only
# the dllexport-marked entry is exported (no automatic export of everything).
function(varnel_clap_module target)
  set_target_properties(${target} PROPERTIES PREFIX "" SUFFIX ".clap")
  target_link_libraries(${target} PRIVATE varnel_options)
  if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    target_compile_definitions(${target} PRIVATE "VARNEL_CLAP_EXPORT=__declspec(dllexport)")
    target_link_options(${target} PRIVATE -Wl,--exclude-all-symbols)
  else()
    target_compile_definitions(${target} PRIVATE "VARNEL_CLAP_EXPORT=__attribute__((visibility(\"default\")))")
    target_link_options(${target} PRIVATE -Wl,--version-script=${CMAKE_SOURCE_DIR}/cmake/clap-entry.map)
  endif()
endfunction()

# varnel_build_machine_program(<target> NAME <file name> SOURCES <file>...
#     [DEPENDS <file>...] [LIBS <target>...] [HOST_LIBS <-lname>...] [PATH_VAR <variable>])
# A program that runs on the build machine during the build (a generator or a
# packer). Natively an ordinary executable <NAME> linked with LIBS. In a cross
# build it is compiled with the build machine's C++ compiler into <NAME>-host,
# with the project's warnings, the repository root as include root and
# HOST_LIBS; DEPENDS lists the headers it is rebuilt for. PATH_VAR receives the
# program's path (a generator expression natively) for custom commands.
function(varnel_build_machine_program target)
  cmake_parse_arguments(ARG "" "NAME;PATH_VAR" "SOURCES;DEPENDS;LIBS;HOST_LIBS" ${ARGN})
  if(CMAKE_CROSSCOMPILING)
    find_program(VARNEL_HOST_CXX NAMES g++ c++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
    set(program ${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}-host)
    list(TRANSFORM ARG_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/ OUTPUT_VARIABLE sources)
    add_custom_command(
      OUTPUT ${program}
      COMMAND ${VARNEL_HOST_CXX} -std=c++20 -O2 -Wall -Wextra -Wpedantic -Werror -ffp-contract=off
              -I${CMAKE_SOURCE_DIR} -o ${program} ${sources} ${ARG_HOST_LIBS}
      DEPENDS ${sources} ${ARG_DEPENDS}
      COMMENT "Building ${ARG_NAME} for the build machine"
      VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${program})
  else()
    add_executable(${target} ${ARG_SOURCES})
    target_link_libraries(${target} PRIVATE varnel_options ${ARG_LIBS})
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${ARG_NAME})
    set(program $<TARGET_FILE:${target}>)
  endif()
  if(ARG_PATH_VAR)
    set(${ARG_PATH_VAR} ${program} PARENT_SCOPE)
  endif()
endfunction()

# varnel_forbid_links(target LIBS lib...): fails the configuration when the
# target links any of the libraries, directly or through others. Call it
# after every target is defined.
function(varnel_forbid_links target)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  set(seen "")
  set(queue ${target})
  while(queue)
    list(POP_FRONT queue current)
    if(current IN_LIST seen OR NOT TARGET ${current})
      continue()
    endif()
    list(APPEND seen ${current})
    if(current IN_LIST ARG_LIBS)
      message(FATAL_ERROR "${target} links ${current}, which it must not")
    endif()
    get_target_property(type ${current} TYPE)
    set(links "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(direct ${current} LINK_LIBRARIES)
      if(direct)
        list(APPEND links ${direct})
      endif()
    endif()
    get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
    if(interface)
      list(APPEND links ${interface})
    endif()
    list(APPEND queue ${links})
  endwhile()
endfunction()
