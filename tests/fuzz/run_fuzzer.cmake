# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# Runs one fuzzer for a bounded time. New inputs go to a working corpus in
# the build folder, so the seeds in the repository stay as they are; a
# finding is written to ARTIFACTS and fails the test.
file(MAKE_DIRECTORY ${WORK} ${ARTIFACTS})
execute_process(
    COMMAND ${FUZZER} -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=2048
            -print_final_stats=1 -artifact_prefix=${ARTIFACTS} ${WORK} ${SEEDS}
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${FUZZER} found a problem (exit ${result}); the input is in ${ARTIFACTS}")
endif()
