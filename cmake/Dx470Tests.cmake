# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 DX470 calibrator project
# How a test of this project is added, for the main build and the core-only one.
# Labels: "fast" is the working loop (ctest --preset fast), "threads" what the
# ThreadSanitizer build runs; the others say what a test covers.
set(DX470_BUILD_LABELS fast threads)

# dx470_add_test(<target> SOURCES <file>... [LIBS <lib>...] LABELS <label>...
#                [GTEST <prefix>] [NAME <test>] [TIMEOUT <seconds>])
# One test program: GoogleTest programs are split into their cases, named
# <prefix>.<case>; Qt Test programs run whole as <test>, on the offscreen
# platform. Each label also gets a build target, tests-<label>, for builds
# that make only the tests they run.
function(dx470_add_test target)
    cmake_parse_arguments(T "" "GTEST;NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    add_executable(${target} ${T_SOURCES})
    target_link_libraries(${target} PRIVATE ${T_LIBS})
    if(T_GTEST)
        target_link_libraries(${target} PRIVATE GTest::gtest_main)
        gtest_discover_tests(${target} TEST_PREFIX "${T_GTEST}." DISCOVERY_TIMEOUT 30 NO_PRETTY_VALUES
            TEST_LIST ${target}_TESTS PROPERTIES TIMEOUT ${T_TIMEOUT})
        # Discovery passes its properties on one by one, which splits a list
        # of labels; these are set on the discovered tests afterwards.
        set(labels_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_labels.cmake)
        file(WRITE ${labels_file}
            "set_tests_properties(\${${target}_TESTS} PROPERTIES LABELS \"${T_LABELS}\")\n")
        set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_file})
    else()
        set_target_properties(${target} PROPERTIES AUTOMOC ON)
        target_link_libraries(${target} PRIVATE Qt6::Test)
        add_test(NAME ${T_NAME} COMMAND ${target})
        # A window keeps its settings and writes its session logs in a
        # folder of the build, never in the user's home.
        set(home ${CMAKE_BINARY_DIR}/test-home/${T_NAME})
        file(WRITE ${home}/user-dirs.dirs "XDG_DOCUMENTS_DIR=\"${home}/Documents\"\n")
        set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT}
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${home}")
    endif()
    foreach(label ${T_LABELS})
        set_property(GLOBAL APPEND PROPERTY DX470_TESTS_${label} ${target})
    endforeach()
endfunction()

# One build target per label, tests-<label>, that makes exactly those tests.
function(dx470_add_label_targets)
    foreach(label ${DX470_BUILD_LABELS})
        get_property(targets GLOBAL PROPERTY DX470_TESTS_${label})
        add_custom_target(tests-${label} DEPENDS ${targets})
    endforeach()
endfunction()
