// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
/*
 * The maker's common library (library qx2010_64): motherboard access, its
 * revision and the texts of status codes.
 *
 * The structures below give exactly the layout the caller relies on; every
 * byte not named is the library's own. The offsets are checked at compile
 * time at the end of this header.
 */
#pragma once

#include "visa.h"

#include <stddef.h>

#define qx2010_REVISION_BUFLEN 32
#define qx2010_ERROR_MESSAGE_BUFLEN 1024

/* Card positions a motherboard can report */
#define qx2010_MAX_POSITIONS 8

/* Offset on a card of the word that holds the card's two variant characters */
#define qx2010_VARIANT_WORD_OFFSET 252

/* The common library's own completion codes */
#define qx2010_ERROR_NO_MOTHERBOARD ((ViStatus)0xBFFC0901L)
#define qx2010_ERROR_INV_PARAMS ((ViStatus)0xBFFC0902L)
#define qx2010_ERROR_INV_POSITION ((ViStatus)0xBFFC0903L)

#ifdef __cplusplus
extern "C" {
#endif

/* Motherboard information block, read only */
typedef struct mbInfo
{
    ViUInt8 reserved[256];
    ViInt32 positionCount; /* 256: N, the number of card positions */
    /* 260: element 0 the motherboard's raw model code, element p (1..N) the raw
       model code of the card at position p, 0 when the position is empty */
    ViUInt16 modelCodes[qx2010_MAX_POSITIONS + 1];
} mbInfo;

struct mbHandle;
typedef struct mbHandle mbHandle;

/* Interface 1 of a motherboard, as returned by getInterface(handle, 1, 1) */
typedef struct mbInterface1
{
    ViUInt8 reserved[32];
    /* 32: reads a 16-bit word at a byte offset of the card at a position */
    ViStatus (*readCardWord)(mbHandle *handle, ViUInt16 position, ViInt32 offset, ViUInt16 *value);
} mbInterface1;

/* The motherboard object that qx2010_mb_open returns */
struct mbHandle
{
    const mbInfo *info; /* 0 */
    ViUInt8 reserved[56];
    /* 64: interface number index, or a null pointer; the third argument is 1 */
    void *(*getInterface)(mbHandle *handle, ViInt32 index, ViInt32 one);
};

/* Parameter block of qx2010_mb_open and qx2010_mb_close */
typedef struct mbParams
{
    mbHandle *handle; /* 0: written by qx2010_mb_open */
    ViUInt16 options; /* 8: set to 0 by the caller */
    ViUInt16 reserved; /* 10: not written by the caller */
    ViSession defaultRM; /* 12: the default resource manager session */
    ViUInt32 timeout; /* 16: set to 0 by the caller */
    ViUInt16 flags; /* 20: set to 0 by the caller */
} mbParams;

ViStatus _VI_FUNC qx2010_mb_open(ViSession vi, mbParams *params);
ViStatus _VI_FUNC qx2010_mb_close(mbParams *params);
ViStatus _VI_FUNC qx2010_library_revision(ViChar revision[]);
ViStatus _VI_FUNC qx2010_error_message(ViStatus statusCode, ViChar message[]);

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
#define QX2010_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define QX2010_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

QX2010_STATIC_ASSERT(sizeof(void *) == 8, "the layouts below are those of the 64-bit library");
QX2010_STATIC_ASSERT(offsetof(mbParams, handle) == 0, "mbParams: handle at 0");
QX2010_STATIC_ASSERT(offsetof(mbParams, options) == 8, "mbParams: 16-bit word at 8");
QX2010_STATIC_ASSERT(offsetof(mbParams, reserved) == 10, "mbParams: 16-bit word at 10");
QX2010_STATIC_ASSERT(offsetof(mbParams, defaultRM) == 12, "mbParams: resource manager at 12");
QX2010_STATIC_ASSERT(offsetof(mbParams, timeout) == 16, "mbParams: 32-bit word at 16");
QX2010_STATIC_ASSERT(offsetof(mbParams, flags) == 20, "mbParams: 16-bit word at 20");
QX2010_STATIC_ASSERT(offsetof(mbHandle, info) == 0, "mbHandle: information block at 0");
QX2010_STATIC_ASSERT(offsetof(mbHandle, getInterface) == 64, "mbHandle: getInterface at 64");
QX2010_STATIC_ASSERT(offsetof(mbInfo, positionCount) == 256, "mbInfo: N at 256");
QX2010_STATIC_ASSERT(offsetof(mbInfo, modelCodes) == 260, "mbInfo: model codes at 260");
QX2010_STATIC_ASSERT(offsetof(mbInterface1, readCardWord) == 32, "interface 1: readCardWord at 32");
QX2010_STATIC_ASSERT(sizeof(ViSession) == 4 && sizeof(ViStatus) == 4, "VISA 32-bit types");
QX2010_STATIC_ASSERT(sizeof(ViBoolean) == 2 && sizeof(ViUInt16) == 2, "VISA 16-bit types");
