# Test programs live in build/tests, apart from the program directory. Each test program is one ctest
# entry, so that the tests needing Calc share one soffice per program.
find_package(GTest REQUIRED)

# korv_add_test(name SOURCES ... LIBS ... [QT_MAIN] [OFFICE] [OWN_DISPLAY] [DESKTOP] [TIMEOUT seconds]): QT_MAIN links a
# main that creates a QCoreApplication before the tests run (needed by QtSql and anything using plugins).
# OFFICE marks a test that drives LibreOffice (label "office"); every other test is labelled "unit" and also
# runs under the sanitizers. OWN_DISPLAY runs it on a virtual display of its own (tests run side by side, and
# one that watches the screen or sends keys must not meet another's windows). DESKTOP makes that display a pilot's
# desktop: 1366×768 with a window manager (openbox) framing the windows. TIMEOUT, a few times the test's usual time, ends a hung test long before
# CI's own limit; without it a unit test has KORV_UNIT_TIMEOUT, an office test KORV_OFFICE_TIMEOUT.
set(KORV_UNIT_TIMEOUT 60)
set(KORV_OFFICE_TIMEOUT 120)

function(korv_add_test name)
    cmake_parse_arguments(T "QT_MAIN;OFFICE;OWN_DISPLAY;DESKTOP" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    if(T_QT_MAIN)
        target_link_libraries(${name} PRIVATE korv_test_qt_main)
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    target_link_libraries(${name} PRIVATE GTest::gtest ${T_LIBS})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    if(T_DESKTOP)
        add_test(NAME ${name}
                 COMMAND sh ${CMAKE_SOURCE_DIR}/tests/support/own_display.sh --desktop $<TARGET_FILE:${name}>)
    elseif(T_OWN_DISPLAY)
        add_test(NAME ${name} COMMAND sh ${CMAKE_SOURCE_DIR}/tests/support/own_display.sh $<TARGET_FILE:${name}>)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    if(T_OFFICE)
        set(label office)
        set(timeout ${KORV_OFFICE_TIMEOUT})
    else()
        set(label unit)
        set(timeout ${KORV_UNIT_TIMEOUT})
        set_property(GLOBAL APPEND PROPERTY KORV_UNIT_TESTS ${name})
    endif()
    if(T_TIMEOUT)
        set(timeout ${T_TIMEOUT})
    endif()
    korv_test_environment(env ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" LABELS ${label} TIMEOUT ${timeout})
endfunction()

# korv_test_environment(out test [VAR=value ...]): the environment every test runs in, and the variables
# given. The program's log goes beside the test programs, not into the user's cache; a logbook of a program
# a test starts without naming a folder lands in a folder of the test's own beside them, never in the user's
# documents and never in another test's (tests run side by side).
function(korv_test_environment out test)
    set(env "KORV_BIN_DIR=${KORV_BIN_DIR}" "KORV_LOG=${CMAKE_BINARY_DIR}/tests/korvelanta-tests.log"
        "KORVELANTA_DIR=${CMAKE_BINARY_DIR}/tests/books/${test}" ${ARGN})
    set(${out} "${env}" PARENT_SCOPE)
endfunction()
