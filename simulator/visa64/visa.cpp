// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// VISA stand-in: the resource manager and sessions of the simulated platform.
#include "visa.h"

#include "platform.h"
#include "simcore.h"

using sfpsim::Args;
using sfpsim::Platform;
using sfpsim::runCall;

namespace {

int sessionResource(ViObject vi)
{
    return sfpsim::resourceOfSession(vi);
}

} // namespace

extern "C" {

ViStatus _VI_FUNC viOpenDefaultRM(ViPSession vi)
{
    return runCall("viOpenDefaultRM", -1, Args(),
                   [=] { return Platform::instance().openDefaultRM(vi); });
}

ViStatus _VI_FUNC viFindRsrc(ViSession sesn, ViConstString expr, ViPFindList vi, ViPUInt32 retCnt,
                             ViChar desc[])
{
    return runCall("viFindRsrc", -1, Args() << sesn << expr, [=] {
        return Platform::instance().findResources(sesn, expr, vi, retCnt, desc);
    });
}

ViStatus _VI_FUNC viFindNext(ViFindList vi, ViChar desc[])
{
    return runCall("viFindNext", -1, Args() << vi,
                   [=] { return Platform::instance().findNext(vi, desc); });
}

ViStatus _VI_FUNC viOpen(ViSession sesn, ViConstRsrc name, ViAccessMode mode, ViUInt32 timeout,
                         ViPSession vi)
{
    return runCall("viOpen", sfpsim::resourceOfDescriptor(name),
                   Args() << sesn << name << mode << timeout,
                   [=] { return Platform::instance().open(sesn, name, vi); });
}

ViStatus _VI_FUNC viClose(ViObject vi)
{
    return runCall("viClose", sessionResource(vi), Args() << vi,
                   [=] { return Platform::instance().close(vi); });
}

ViStatus _VI_FUNC viGetAttribute(ViObject vi, ViAttr attrName, void *attrValue)
{
    return sfpsim::runAttributeCall(
        "viGetAttribute", sessionResource(vi), attrName,
        Args().addUnsigned(vi).addUnsigned(attrName),
        [=] { return Platform::instance().getAttribute(vi, attrName, attrValue); });
}

ViStatus _VI_FUNC viWrite(ViSession vi, ViConstBuf buf, ViUInt32 cnt, ViPUInt32 retCnt)
{
    return runCall("viWrite", sessionResource(vi), Args().addUnsigned(vi).addBytes(buf, cnt) << cnt,
                   [=] { return Platform::instance().write(vi, buf, cnt, retCnt); });
}

ViStatus _VI_FUNC viRead(ViSession vi, ViPBuf buf, ViUInt32 cnt, ViPUInt32 retCnt)
{
    return runCall("viRead", sessionResource(vi), Args().addUnsigned(vi) << cnt,
                   [=] { return Platform::instance().read(vi, buf, cnt, retCnt); });
}

} // extern "C"
