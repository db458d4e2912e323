// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
/*
 * Instrument driver of the 32-channel relay card (library qx5170_64).
 *
 * Every operation returns a ViStatus: 0 success, negative error, positive
 * warning. qx5170_error_message and qx5170_revision_query take VI_NULL as the
 * session; their text buffers are 1024 and 64 bytes long.
 */
#pragma once

#include "visa.h"

#define qx5170_ITRIG_NONE 0

/* Switching modes */
#define qx5170_MODE_ASYNCHRONOUS 1
#define qx5170_MODE_SYNC_COMMAND 2
#define qx5170_MODE_SYNC_TRIGGER 3

#define qx5170_RELAY_COUNT 32
#define qx5170_ERROR_MESSAGE_BUFLEN 1024
#define qx5170_REVISION_BUFLEN 64

/* The driver's own completion codes */
#define qx5170_ERROR_INV_RELAY ((ViStatus)0xBFFC0801L)
#define qx5170_ERROR_INV_MODE ((ViStatus)0xBFFC0802L)
#define qx5170_ERROR_INV_TRIGGER ((ViStatus)0xBFFC0803L)
#define qx5170_ERROR_INV_FC_NUMBER ((ViStatus)0xBFFC0804L)
#define qx5170_ERROR_NO_CARD ((ViStatus)0xBFFC0805L)
#define qx5170_ERROR_NO_MOTHERBOARD ((ViStatus)0xBFFC0806L)

#ifdef __cplusplus
extern "C" {
#endif

ViStatus _VI_FUNC qx5170_init(ViRsrc resourceName, ViUInt16 fcNumber, ViBoolean idQuery,
                              ViBoolean reset, ViPSession vi);
ViStatus _VI_FUNC qx5170_switchRelay(ViSession vi, ViInt32 relay, ViBoolean on);
ViStatus _VI_FUNC qx5170_updateRelaysState(ViSession vi);
ViStatus _VI_FUNC qx5170_pulseSynchTrigger(ViSession vi);
ViStatus _VI_FUNC qx5170_setSwitchingMode(ViSession vi, ViInt32 mode, ViInt32 triggerSource);
ViStatus _VI_FUNC qx5170_error_message(ViSession vi, ViStatus statusCode, ViChar message[]);
ViStatus _VI_FUNC qx5170_revision_query(ViSession vi, ViChar driverRev[], ViChar instrRev[]);
ViStatus _VI_FUNC qx5170_close(ViSession vi);

#ifdef __cplusplus
}
#endif
