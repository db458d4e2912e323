// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
/*
 * VISA base types (IVI VISA standard), the subset this program uses.
 * Widths are fixed: ViStatus is signed 32-bit, ViSession unsigned 32-bit,
 * ViBoolean and ViUInt16 unsigned 16-bit, ViRsrc an 8-bit character string.
 */
#pragma once

#include <stdint.h>

#if defined(_WIN32)
#define _VI_FUNC __stdcall
#else
#define _VI_FUNC
#endif

typedef uint64_t ViUInt64;
typedef int64_t ViInt64;
typedef uint32_t ViUInt32;
typedef int32_t ViInt32;
typedef uint16_t ViUInt16;
typedef int16_t ViInt16;
typedef uint8_t ViUInt8;
typedef int8_t ViInt8;
typedef char ViChar;
typedef unsigned char ViByte;
typedef ViUInt16 ViBoolean;

typedef ViUInt32 *ViPUInt32;
typedef ViInt32 *ViPInt32;
typedef ViUInt16 *ViPUInt16;
typedef ViInt16 *ViPInt16;
typedef ViChar *ViPChar;
typedef ViByte *ViPByte;
typedef ViBoolean *ViPBoolean;
typedef void *ViAddr;

typedef ViChar *ViString;
typedef const ViChar *ViConstString;
typedef ViString ViRsrc;
typedef ViConstString ViConstRsrc;
typedef ViByte *ViBuf;
typedef const ViByte *ViConstBuf;
typedef ViByte *ViPBuf;

typedef ViInt32 ViStatus;
typedef ViUInt32 ViObject;
typedef ViObject ViSession;
typedef ViSession *ViPSession;
typedef ViObject ViFindList;
typedef ViFindList *ViPFindList;
typedef ViUInt32 ViAttr;
typedef ViUInt32 ViVersion;
typedef ViUInt64 ViAttrState;
typedef ViUInt32 ViAccessMode;

#define VI_NULL 0
#define VI_TRUE 1
#define VI_FALSE 0
