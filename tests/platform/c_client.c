// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
/*
 * A plain C client of the three platform libraries, written only against the
 * headers in external/: it scans the system, examines every resource's
 * motherboard, opens the first relay card found, switches it in every mode,
 * closes it, and checks in the trace file that every call was seen.
 */
#include "qx2010.h"
#include "qx5170.h"
#include "visa.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int failures = 0;

#define CHECK(cond) \
    do { \
        if (!(cond)) { \
            fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            ++failures; \
        } \
    } while (0)

static int findRelayCard(ViSession rm, const char *descriptor, ViUInt16 *position)
{
    ViSession vi = VI_NULL;
    if (viOpen(rm, descriptor, VI_NO_LOCK, 0, &vi) < 0)
        return 0;
    mbParams params;
    memset(&params, 0, sizeof params);
    params.defaultRM = rm;
    int found = 0;
    if (qx2010_mb_open(vi, &params) >= 0) {
        const mbInfo *info = params.handle->info;
        for (ViInt32 p = 1; p <= info->positionCount && !found; ++p) {
            if (info->modelCodes[p] == 0x5170) {
                *position = (ViUInt16)p;
                found = 1;
            }
        }
        qx2010_mb_close(&params);
    }
    viClose(vi);
    return found;
}

static int traceHas(const char *path, const char *line)
{
    FILE *file = fopen(path, "r");
    if (!file)
        return 0;
    char buffer[1024];
    int found = 0;
    while (!found && fgets(buffer, sizeof buffer, file)) {
        buffer[strcspn(buffer, "\n")] = '\0';
        found = strcmp(buffer, line) == 0;
    }
    fclose(file);
    return found;
}

int main(void)
{
    const char *tracePath = getenv("SFP_SIM_TRACE");
    if (!tracePath || !*tracePath) {
        fprintf(stderr, "c_client: set SFP_SIM_TRACE\n");
        return 2;
    }

    ViSession rm = VI_NULL;
    CHECK(viOpenDefaultRM(&rm) == VI_SUCCESS);
    ViFindList list = VI_NULL;
    ViUInt32 count = 0;
    char descriptor[VI_FIND_BUFLEN];
    CHECK(viFindRsrc(rm, "?*INSTR", &list, &count, descriptor) == VI_SUCCESS);
    CHECK(count == 5);

    char cardDescriptor[VI_FIND_BUFLEN] = "";
    ViUInt16 position = 0;
    for (ViUInt32 i = 0; i < count; ++i) {
        if (i > 0)
            CHECK(viFindNext(list, descriptor) == VI_SUCCESS);
        if (!cardDescriptor[0] && findRelayCard(rm, descriptor, &position))
            strcpy(cardDescriptor, descriptor);
    }
    CHECK(viFindNext(list, descriptor) == VI_ERROR_RSRC_NFOUND);
    viClose(list);
    viClose(rm);
    CHECK(strcmp(cardDescriptor, "VXI0::1::INSTR") == 0);
    CHECK(position == 2);

    ViSession vi = VI_NULL;
    CHECK(qx5170_init(cardDescriptor, position, VI_TRUE, VI_TRUE, &vi) == VI_SUCCESS);
    for (ViInt32 mode = qx5170_MODE_ASYNCHRONOUS; mode <= qx5170_MODE_SYNC_TRIGGER; ++mode) {
        CHECK(qx5170_setSwitchingMode(vi, mode, qx5170_ITRIG_NONE) == VI_SUCCESS);
        CHECK(qx5170_switchRelay(vi, mode, VI_TRUE) == VI_SUCCESS);
        if (mode == qx5170_MODE_SYNC_COMMAND)
            CHECK(qx5170_updateRelaysState(vi) == VI_SUCCESS);
        if (mode == qx5170_MODE_SYNC_TRIGGER)
            CHECK(qx5170_pulseSynchTrigger(vi) == VI_SUCCESS);
    }
    char revision[64] = "";
    CHECK(qx5170_revision_query(VI_NULL, revision, NULL) == VI_SUCCESS && revision[0]);
    CHECK(qx5170_close(vi) == VI_SUCCESS);

    /* Lines with %u carry the driver session's handle. */
    static const char *const expected[] = {
        "viFindRsrc(1, \"?*INSTR\") = 0",
        "qx2010_mb_open(3, 0, 1, 0, 0) = 0",
        "qx5170_init(\"VXI0::1::INSTR\", 2, 1, 1) = 0",
        "card VXI0::1::INSTR FC2 mode 1",
        "qx5170_switchRelay(%u, 1, 1) = 0",
        "card VXI0::1::INSTR FC2 relay 1 on",
        "card VXI0::1::INSTR FC2 mode 2",
        "qx5170_updateRelaysState(%u) = 0",
        "card VXI0::1::INSTR FC2 relay 2 on",
        "qx5170_setSwitchingMode(%u, 3, 0) = 0",
        "qx5170_pulseSynchTrigger(%u) = 0",
        "card VXI0::1::INSTR FC2 relay 3 on",
        "qx5170_close(%u) = 0",
    };
    for (size_t i = 0; i < sizeof expected / sizeof expected[0]; ++i) {
        char line[256];
        snprintf(line, sizeof line, expected[i], (unsigned)vi);
        if (!traceHas(tracePath, line)) {
            fprintf(stderr, "c_client: trace line missing: %s\n", line);
            ++failures;
        }
    }
    if (failures == 0)
        printf(
            "c_client: scan, open, switching in all three modes and close all seen in the trace\n");
    return failures == 0 ? 0 : 1;
}
