// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Common library stand-in: motherboard objects built from what the
// motherboard reports over a VISA session, the library's revision and the
// texts of status codes.
#include "qx2010.h"

#include "instrumentio.h"
#include "simcore.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

using sfpsim::Args;
using sfpsim::runCall;

namespace {

constexpr const char *libraryRevision = "2.7.3";

// The handle the caller sees is the first member, so that the layout it
// relies on (information block at 0, getInterface at 64) is exactly the
// public one and the rest stays private.
struct Motherboard
{
    mbHandle handle;
    mbInfo info;
    mbInterface1 interface0; // only its existence matters to callers
    mbInterface1 interface1;
    ViSession session;
};

static_assert(offsetof(Motherboard, handle) == 0, "the handle starts the object");

// Reads "code,N,c1,...,cN" into the information block.
bool parseInventory(const std::string &answer, mbInfo *info)
{
    const char *cursor = answer.c_str();
    long values[2 + qx2010_MAX_POSITIONS] = {};
    int count = 0;
    while (*cursor) {
        if (count == 2 + qx2010_MAX_POSITIONS)
            return false;
        char *end = nullptr;
        errno = 0;
        values[count] = std::strtol(cursor, &end, 10);
        if (end == cursor || errno == ERANGE || values[count] < 0 || values[count] > 0xFFFF)
            return false;
        ++count;
        cursor = end;
        if (*cursor == ',')
            ++cursor;
        else if (*cursor)
            return false;
    }
    if (count < 2 || values[1] > qx2010_MAX_POSITIONS || count != 2 + values[1])
        return false;
    info->positionCount = static_cast<ViInt32>(values[1]);
    info->modelCodes[0] = static_cast<ViUInt16>(values[0]);
    for (int p = 1; p <= info->positionCount; ++p)
        info->modelCodes[p] = static_cast<ViUInt16>(values[p + 1]);
    return true;
}

ViStatus readCardWordImpl(mbHandle *handle, ViUInt16 position, ViInt32 offset, ViUInt16 *value)
{
    return runCall("readCardWord", -1, Args() << position << offset, [=] {
        if (!handle || !value)
            return qx2010_ERROR_INV_PARAMS;
        const auto *board = reinterpret_cast<const Motherboard *>(handle);
        std::string answer;
        const ViStatus status = sfpsim::queryInstrument(
            board->session, "MB:WORD? " + std::to_string(position) + "," + std::to_string(offset),
            &answer);
        if (status < 0)
            return status;
        char *end = nullptr;
        const long word = std::strtol(answer.c_str(), &end, 10);
        if (answer.empty() || *end != '\0' || word < 0 || word > 0xFFFF)
            return qx2010_ERROR_INV_POSITION;
        *value = static_cast<ViUInt16>(word);
        return VI_SUCCESS;
    });
}

void *getInterfaceImpl(mbHandle *handle, ViInt32 index, ViInt32 one)
{
    if (!handle || one != 1)
        return nullptr;
    auto *board = reinterpret_cast<Motherboard *>(handle);
    switch (index) {
    case 0:
        return &board->interface0;
    case 1:
        return &board->interface1;
    default:
        return nullptr;
    }
}

ViStatus openMotherboard(ViSession vi, mbParams *params)
{
    if (!params)
        return qx2010_ERROR_INV_PARAMS;
    params->handle = nullptr;
    if (params->options != 0 || params->timeout != 0 || params->flags != 0)
        return qx2010_ERROR_INV_PARAMS;

    std::string answer;
    const ViStatus status = sfpsim::queryInstrument(vi, "MB:INFO?", &answer);
    if (status == VI_ERROR_INV_OBJECT)
        return status;
    if (status < 0)
        return qx2010_ERROR_NO_MOTHERBOARD;

    auto *board = new (std::nothrow) Motherboard();
    if (!board)
        return VI_ERROR_ALLOC;
    if (!parseInventory(answer, &board->info)) {
        delete board;
        return qx2010_ERROR_NO_MOTHERBOARD;
    }
    std::memset(board->handle.reserved, 0, sizeof board->handle.reserved);
    board->handle.info = &board->info;
    board->handle.getInterface = &getInterfaceImpl;
    board->interface1.readCardWord = &readCardWordImpl;
    board->session = vi;
    params->handle = &board->handle;
    return VI_SUCCESS;
}

} // namespace

extern "C" {

ViStatus _VI_FUNC qx2010_mb_open(ViSession vi, mbParams *params)
{
    Args args;
    args << vi;
    if (params)
        args << params->options << params->defaultRM << params->timeout << params->flags;
    else
        args << static_cast<const char *>(nullptr);
    return runCall("qx2010_mb_open", sfpsim::resourceOfSession(vi), args,
                   [=] { return openMotherboard(vi, params); });
}

ViStatus _VI_FUNC qx2010_mb_close(mbParams *params)
{
    const ViSession vi
        = params && params->handle ? reinterpret_cast<Motherboard *>(params->handle)->session : 0;
    return runCall("qx2010_mb_close", sfpsim::resourceOfSession(vi), Args() << vi, [=] {
        if (!params || !params->handle)
            return qx2010_ERROR_INV_PARAMS;
        delete reinterpret_cast<Motherboard *>(params->handle);
        params->handle = nullptr;
        return VI_SUCCESS;
    });
}

ViStatus _VI_FUNC qx2010_library_revision(ViChar revision[])
{
    return runCall("qx2010_library_revision", -1, Args(), [=] {
        if (!revision)
            return qx2010_ERROR_INV_PARAMS;
        std::snprintf(revision, qx2010_REVISION_BUFLEN, "%s", libraryRevision);
        return VI_SUCCESS;
    });
}

ViStatus _VI_FUNC qx2010_error_message(ViStatus statusCode, ViChar message[])
{
    return runCall("qx2010_error_message", -1, Args() << statusCode, [=] {
        if (!message)
            return qx2010_ERROR_INV_PARAMS;
        const char *text = sfpsim::statusText(statusCode, "qx2010");
        if (text) {
            std::snprintf(message, qx2010_ERROR_MESSAGE_BUFLEN, "%s", text);
            return VI_SUCCESS;
        }
        std::snprintf(message, qx2010_ERROR_MESSAGE_BUFLEN, "Unknown status code 0x%08X.",
                      static_cast<unsigned>(statusCode));
        return VI_WARN_UNKNOWN_STATUS;
    });
}

} // extern "C"
