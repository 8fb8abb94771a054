# Project-wide compile settings for our own targets (not for GoogleTest).
function(kvx_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wnon-virtual-dtor -Werror)
  if(WIN32)
    # ANSI Win32 API throughout; Windows 7 is the oldest target.
    target_compile_definitions(${target} PRIVATE STRICT NOMINMAX WIN32_LEAN_AND_MEAN
                               _WIN32_WINNT=0x0601 WINVER=0x0601
                               __USE_MINGW_ANSI_STDIO=1)
  endif()
endfunction()

# Places a client binary (KVX.exe, the DLLs, helper programs) in the runnable folder.
# The debug information moves to build/<kind>/debug/<file>.debug (named in the binary, for
# a debugger): Wine reads every section of a PE file into memory, so left in place it
# would add megabytes to the working set of every client.
function(kvx_dist target)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${KVX_DIST_DIR}
    PREFIX "")
  set(debug ${CMAKE_BINARY_DIR}/debug/$<TARGET_FILE_NAME:${target}>.debug)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/debug
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${debug}
    COMMAND ${CMAKE_STRIP} --strip-debug $<TARGET_FILE:${target}>
    COMMAND ${CMAKE_OBJCOPY} --add-gnu-debuglink=${debug} $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()

# GoogleTest from Debian's sources, compiled with whatever compiler this build uses.
macro(kvx_use_gtest)
  if(NOT TARGET gtest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  endif()
  include(GoogleTest)
endmacro()

# kvx_add_tests(): this folder's tests/ in the builds that run tests (the Windows ones only in
# the 64-bit build, which Wine runs).
function(kvx_add_tests)
  if(BUILD_TESTING AND (NOT WIN32 OR CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64"))
    add_subdirectory(tests)
  endif()
endfunction()

# kvx_test_exe(<name> SOURCES ... [LIBS ...] [DESKTOP <desktop> [<gtest filter>]]
#              [LABEL <label>]): one GoogleTest program whose tests CTest discovers when they
# run (under Wine for the Windows builds).
# Windows tests share their desktop (focus, pointer, the single-instance mutex), so each runs
# alone on it: on the main desktop, or on the one DESKTOP names (for the tests matching the
# filter, or all), which scripts/test.sh sets up beside it and scripts/wine-run puts the test
# on; one test of each desktop runs at a time. LABEL for tests that the suite runs again in
# another setting (such as another display).
function(kvx_test_exe name)
  cmake_parse_arguments(ARG "" "LABEL" "SOURCES;LIBS;DESKTOP" ${ARGN})
  kvx_use_gtest()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest_main)
  kvx_defaults(${name})
  set(props TIMEOUT 120)
  if(ARG_LABEL)
    list(APPEND props LABELS ${ARG_LABEL})
  endif()
  set(discover DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 TEST_PREFIX "${name}.")
  if(NOT WIN32)
    gtest_discover_tests(${name} ${discover} PROPERTIES ${props})
    return()
  endif()
  # The in-house DLLs a test links must sit beside it for Windows to find them.
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E $<IF:$<BOOL:$<TARGET_RUNTIME_DLLS:${name}>>,copy_if_different,true>
            $<TARGET_RUNTIME_DLLS:${name}> $<TARGET_FILE_DIR:${name}>
    COMMAND_EXPAND_LISTS)
  if(ARG_DESKTOP)
    list(POP_FRONT ARG_DESKTOP desktop filter)
    if(filter)
      gtest_discover_tests(${name} ${discover} TEST_FILTER "-${filter}" PROPERTIES ${props} RESOURCE_LOCK desktop-main)
    else()
      set(filter "*")
    endif()
    gtest_discover_tests(${name} ${discover} TEST_FILTER "${filter}"
                         PROPERTIES ${props} RESOURCE_LOCK desktop-${desktop} ENVIRONMENT KVX_DESKTOP=${desktop})
  else()
    gtest_discover_tests(${name} ${discover} PROPERTIES ${props} RESOURCE_LOCK desktop-main)
  endif()
endfunction()

# kvx_fuzz_target(<name> SOURCES ... [LIBS ...] [SEEDS <folder>...] [OPTIONS ...]): one libFuzzer
# program (native build, clang) under the sanitizers, run for 2 seconds as a test from the
# seeds; what it finds goes to corpus/<name> in the build tree, a crash's input beside it
# (scripts/fuzz.sh runs it for longer).
function(kvx_fuzz_target name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;SEEDS;OPTIONS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  kvx_defaults(${name})
  kvx_sanitize(${name})
  set(work ${CMAKE_CURRENT_BINARY_DIR}/corpus/${name})
  file(MAKE_DIRECTORY ${work})
  add_test(NAME ${name}
           COMMAND ${name} -max_total_time=2 -timeout=10 -rss_limit_mb=2048 ${ARG_OPTIONS}
                   -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/${name}- ${work} ${ARG_SEEDS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 120)
endfunction()
