# Runs `pastiq parse --transposed INPUT` and compares its standard output with EXPECTED.
execute_process(COMMAND ${PASTIQ} parse --transposed ${INPUT}
                OUTPUT_VARIABLE actual ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "pastiq parse exited with ${status}: ${errors}")
endif()
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
    message(FATAL_ERROR "pastiq parse printed\n${actual}\ninstead of\n${expected}")
endif()
