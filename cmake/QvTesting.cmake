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

# The programs the ThreadSanitizer build makes and runs (tests labelled "tsan").
if(NOT TARGET qv_tsan_tests)
    add_custom_target(qv_tsan_tests)
endif()

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
    set_tests_properties(${name} PROPERTIES WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
        if("tsan" IN_LIST ARG_LABELS)
            add_dependencies(qv_tsan_tests ${name})
        endif()
    endif()
endfunction()
