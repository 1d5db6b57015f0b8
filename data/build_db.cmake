# Feeds the SQL sources to sqlite3 in order; fails the build on the first SQL error.
foreach(src IN LISTS SOURCES)
    execute_process(COMMAND ${SQLITE3} -bail ${OUT} INPUT_FILE ${src} RESULT_VARIABLE rc ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "sqlite3 failed on ${src}: ${err}")
    endif()
endforeach()
