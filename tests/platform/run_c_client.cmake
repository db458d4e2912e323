# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# Runs the C client on the default system with a fresh trace file.
file(REMOVE ${TRACE})
execute_process(COMMAND ${CMAKE_COMMAND} -E env SFP_SIM_CONFIG= SFP_SIM_TRACE=${TRACE} ${CLIENT}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "c_client failed (${result})")
endif()
