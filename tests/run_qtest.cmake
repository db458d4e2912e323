# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# Runs one Qt Test executable for CTest. It passes only when the executable
# ends with status 0 AND Qt Test printed its totals with nothing failed, and
# no sanitizer reported anything: code under test that ends the process
# early (the panel's cancel paths and "Yes" in an error box end it with
# status 0 on purpose) would otherwise pass without running the rest.
#   cmake -DTEST=<executable> -P run_qtest.cmake
execute_process(COMMAND "${TEST}"
    RESULT_VARIABLE status
    OUTPUT_VARIABLE output ERROR_VARIABLE output
    ECHO_OUTPUT_VARIABLE ECHO_ERROR_VARIABLE)
if(NOT status STREQUAL "0")
    message(FATAL_ERROR "${TEST} ended with status ${status}")
endif()
if(NOT output MATCHES "Totals: [0-9]+ passed, 0 failed")
    message(FATAL_ERROR "${TEST} ended before Qt Test printed its totals: "
                        "a test ended the process early")
endif()
if(output MATCHES "ERROR: [A-Za-z]+Sanitizer|runtime error:")
    message(FATAL_ERROR "${TEST}: a sanitizer reported a fault")
endif()
