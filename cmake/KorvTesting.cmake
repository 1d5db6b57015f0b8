# Test programs live in build/tests, apart from the program directory. Each test program is one ctest
# entry, so that the tests needing Calc share one soffice per program.
find_package(GTest REQUIRED)

function(korv_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main ${T_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "KORV_BIN_DIR=${KORV_BIN_DIR}")
endfunction()
