// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
/*
 * VISA library (IVI VISA standard, library visa64): the operations,
 * attributes and status values this program and the stand-in libraries use.
 */
#pragma once

#include "visatype.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Resource manager and sessions */
ViStatus _VI_FUNC viOpenDefaultRM(ViPSession vi);
ViStatus _VI_FUNC viFindRsrc(ViSession sesn, ViConstString expr, ViPFindList vi, ViPUInt32 retCnt,
                             ViChar desc[]);
ViStatus _VI_FUNC viFindNext(ViFindList vi, ViChar desc[]);
ViStatus _VI_FUNC viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout,
                         ViPSession vi);
ViStatus _VI_FUNC viClose(ViObject vi);
ViStatus _VI_FUNC viGetAttribute(ViObject vi, ViAttr attrName, void *attrValue);

/* Basic session I/O */
ViStatus _VI_FUNC viWrite(ViSession vi, ViConstBuf buf, ViUInt32 cnt, ViPUInt32 retCnt);
ViStatus _VI_FUNC viRead(ViSession vi, ViPBuf buf, ViUInt32 cnt, ViPUInt32 retCnt);

#ifdef __cplusplus
}
#endif

/* Buffer length of a descriptor returned by viFindRsrc / viFindNext */
#define VI_FIND_BUFLEN 256

#define VI_NO_LOCK 0
#define VI_TMO_IMMEDIATE 0

/* Attributes */
#define VI_ATTR_RSRC_NAME 0xBFFF0002UL
#define VI_ATTR_RSRC_IMPL_VERSION 0x3FFF0003UL /* ViVersion */
#define VI_ATTR_RSRC_MANF_NAME 0xBFFF0174UL /* ViChar[256] */
#define VI_ATTR_SLOT 0x3FFF00E8UL /* ViInt16 */
#define VI_ATTR_INTF_TYPE 0x3FFF0171UL /* ViUInt16 */
#define VI_ATTR_INTF_NUM 0x3FFF0176UL /* ViUInt16 */
#define VI_ATTR_TCPIP_ADDR 0xBFFF0195UL /* ViChar[256] */
#define VI_ATTR_TCPIP_HOSTNAME 0xBFFF0196UL /* ViChar[256] */
#define VI_ATTR_TCPIP_DEVICE_NAME 0xBFFF0199UL /* ViChar[256] */

/* Interface types */
#define VI_INTF_GPIB 1
#define VI_INTF_VXI 2
#define VI_INTF_GPIB_VXI 3
#define VI_INTF_ASRL 4
#define VI_INTF_PXI 5
#define VI_INTF_TCPIP 6
#define VI_INTF_USB 7

/* Completion and warning codes */
#define VI_SUCCESS 0
#define VI_SUCCESS_MAX_CNT ((ViStatus)0x3FFF0006L)
#define VI_SUCCESS_DEV_NPRESENT ((ViStatus)0x3FFF007DL)
#define VI_WARN_CONFIG_NLOADED ((ViStatus)0x3FFF0077L)
#define VI_WARN_UNKNOWN_STATUS ((ViStatus)0x3FFF0085L)

/* Error codes */
#define VI_ERROR_SYSTEM_ERROR ((ViStatus)0xBFFF0000L)
#define VI_ERROR_INV_OBJECT ((ViStatus)0xBFFF000EL)
#define VI_ERROR_INV_SESSION VI_ERROR_INV_OBJECT
#define VI_ERROR_RSRC_LOCKED ((ViStatus)0xBFFF000FL)
#define VI_ERROR_INV_EXPR ((ViStatus)0xBFFF0010L)
#define VI_ERROR_RSRC_NFOUND ((ViStatus)0xBFFF0011L)
#define VI_ERROR_INV_RSRC_NAME ((ViStatus)0xBFFF0012L)
#define VI_ERROR_INV_ACC_MODE ((ViStatus)0xBFFF0013L)
#define VI_ERROR_TMO ((ViStatus)0xBFFF0015L)
#define VI_ERROR_CLOSING_FAILED ((ViStatus)0xBFFF0016L)
#define VI_ERROR_NSUP_ATTR ((ViStatus)0xBFFF001DL)
#define VI_ERROR_ALLOC ((ViStatus)0xBFFF003CL)
#define VI_ERROR_IO ((ViStatus)0xBFFF003EL)
#define VI_ERROR_NSUP_OPER ((ViStatus)0xBFFF0067L)
#define VI_ERROR_USER_BUF ((ViStatus)0xBFFF0071L)
#define VI_ERROR_RSRC_BUSY ((ViStatus)0xBFFF0072L)
#define VI_ERROR_CONN_LOST ((ViStatus)0xBFFF00A6L)

/*
 * Instrument driver completion codes (VXIplug&play), shared by the drivers
 * and the common library.
 */
#define VI_WARN_NSUP_ID_QUERY ((ViStatus)0x3FFC0101L)
#define VI_WARN_NSUP_RESET ((ViStatus)0x3FFC0102L)
#define VI_WARN_NSUP_SELF_TEST ((ViStatus)0x3FFC0103L)
#define VI_WARN_NSUP_ERROR_QUERY ((ViStatus)0x3FFC0104L)
#define VI_WARN_NSUP_REV_QUERY ((ViStatus)0x3FFC0105L)
#define VI_ERROR_PARAMETER1 ((ViStatus)0xBFFC0001L)
#define VI_ERROR_PARAMETER2 ((ViStatus)0xBFFC0002L)
#define VI_ERROR_PARAMETER3 ((ViStatus)0xBFFC0003L)
#define VI_ERROR_PARAMETER4 ((ViStatus)0xBFFC0004L)
#define VI_ERROR_PARAMETER5 ((ViStatus)0xBFFC0005L)
#define VI_ERROR_PARAMETER6 ((ViStatus)0xBFFC0006L)
#define VI_ERROR_PARAMETER7 ((ViStatus)0xBFFC0007L)
#define VI_ERROR_PARAMETER8 ((ViStatus)0xBFFC0008L)
#define VI_ERROR_FAIL_ID_QUERY ((ViStatus)0xBFFC0011L)
#define VI_ERROR_INV_RESPONSE ((ViStatus)0xBFFC0012L)
