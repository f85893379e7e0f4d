# GoogleTest for both builds and the helper that declares one test program.
# Natively the distribution's libgtest-dev; for mingw the googletest sources, built here.
if(WIN32)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    set(QV_GTEST_MAIN gtest_main)
    set(QV_GTEST gtest)
else()
    find_package(GTest REQUIRED)
    set(QV_GTEST_MAIN GTest::gtest_main)
    set(QV_GTEST GTest::gtest)
endif()

# The programs the ThreadSanitizer build makes and runs (tests labelled "tsan"), every test
# program (label "program", which the AddressSanitizer build makes and runs), and the libFuzzer
# programs (tests labelled "fuzz").
if(NOT TARGET qv_tsan_tests)
    add_custom_target(qv_tsan_tests)
    add_custom_target(qv_test_programs)
    add_custom_target(qv_fuzzers)
endif()
set(QV_FUZZ_SECONDS 20 CACHE STRING "Seconds the preset file fuzz test runs")
set(QV_FUZZ_SHORT_SECONDS 10 CACHE STRING "Seconds each other fuzz test runs")

# qv_add_test(NAME SOURCES src... [LIBS lib...] [LABELS label...] [NO_MAIN])
# Builds one GoogleTest program and registers it with CTest. Cross-built programs run under
# Wine through the build's emulator setting. The label "tsan" adds the program to the
# ThreadSanitizer run.
function(qv_add_test name)
    cmake_parse_arguments(ARG "NO_MAIN" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    if(ARG_NO_MAIN)
        target_link_libraries(${name} PRIVATE ${QV_GTEST} ${ARG_LIBS} qv_options)
    else()
        target_link_libraries(${name} PRIVATE ${QV_GTEST_MAIN} ${ARG_LIBS} qv_options)
    endif()
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    set(labels program ${ARG_LABELS})
    set_tests_properties(${name} PROPERTIES WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
        LABELS "${labels}")
    add_dependencies(qv_test_programs ${name})
    if("tsan" IN_LIST ARG_LABELS)
        add_dependencies(qv_tsan_tests ${name})
    endif()
endfunction()

# qv_add_fuzzer(NAME SOURCES src... [LIBS lib...] SEEDS folder... [SECONDS s] [ARGS arg...])
# A libFuzzer program, made only by clang natively (the native-fuzz preset), and its test
# NAME-run, labelled "fuzz": the program runs from the seed folders for a bounded time (10 s
# unless SECONDS says), keeping what it finds in a scratch corpus in the build tree so that the
# committed seeds stay as they are. A finding fails the test and is kept as crash-* there.
function(qv_add_fuzzer name)
    if(WIN32 OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        return()
    endif()
    cmake_parse_arguments(ARG "" "SECONDS" "SOURCES;LIBS;SEEDS;ARGS" ${ARGN})
    if(NOT ARG_SECONDS)
        set(ARG_SECONDS ${QV_FUZZ_SHORT_SECONDS})
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} qv_options)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(qv_fuzzers ${name})
    set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
    file(MAKE_DIRECTORY ${corpus})
    add_test(NAME ${name}-run
        COMMAND ${name} -max_total_time=${ARG_SECONDS} -rss_limit_mb=2048 -print_final_stats=1
            ${ARG_ARGS} ${corpus} ${ARG_SEEDS})
    set_tests_properties(${name}-run PROPERTIES LABELS fuzz TIMEOUT 600
        WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} ENVIRONMENT TMPDIR=/dev/shm)
endfunction()
