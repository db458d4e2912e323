// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "simcore.h"

#include "qx2010.h"
#include "qx5170.h"
#include "visa.h"

#include <cstring>

namespace sfpsim {

namespace {

struct StatusText
{
    ViStatus status;
    const char *owner; // null: a standard VISA or instrument driver code
    const char *text;
};

const StatusText statusTexts[] = {
    {VI_SUCCESS, nullptr, "Operation completed successfully."},
    {VI_SUCCESS_MAX_CNT, nullptr, "The number of bytes read is equal to the input count."},
    {VI_SUCCESS_DEV_NPRESENT, nullptr,
     "Session opened successfully, but the device at the specified address is not responding."},
    {VI_WARN_CONFIG_NLOADED, nullptr,
     "The specified configuration either does not exist or could "
     "not be loaded; using VISA-specified defaults."},
    {VI_WARN_UNKNOWN_STATUS, nullptr,
     "The status code passed to the operation could not be "
     "interpreted."},
    {static_cast<ViStatus>(0x3FFF0082L), nullptr,
     "The specified object reference is uninitialized."},
    {VI_ERROR_SYSTEM_ERROR, nullptr, "Unknown system error (miscellaneous error)."},
    {VI_ERROR_INV_OBJECT, nullptr, "The given session or object reference is invalid."},
    {VI_ERROR_RSRC_LOCKED, nullptr,
     "Specified type of lock cannot be obtained, or specified operation cannot be performed, "
     "because the resource is locked."},
    {VI_ERROR_INV_EXPR, nullptr, "Invalid expression specified for search."},
    {VI_ERROR_RSRC_NFOUND, nullptr,
     "Insufficient location information or the requested device or resource is not present in "
     "the system."},
    {VI_ERROR_INV_RSRC_NAME, nullptr, "Invalid resource reference specified. Parsing error."},
    {VI_ERROR_INV_ACC_MODE, nullptr, "Invalid access mode."},
    {VI_ERROR_TMO, nullptr, "Timeout expired before operation completed."},
    {VI_ERROR_CLOSING_FAILED, nullptr,
     "The VISA driver failed to properly close the session or "
     "object reference."},
    {VI_ERROR_NSUP_ATTR, nullptr,
     "The specified attribute is not defined or supported by the "
     "referenced session, event, or find list."},
    {VI_ERROR_ALLOC, nullptr,
     "Insufficient system resources to perform necessary memory "
     "allocation."},
    {VI_ERROR_IO, nullptr, "Could not perform operation because of I/O error."},
    {VI_ERROR_NSUP_OPER, nullptr,
     "The given session or object reference does not support this "
     "operation."},
    {VI_ERROR_USER_BUF, nullptr,
     "A specified user buffer is not valid or cannot be accessed for "
     "the required size."},
    {VI_ERROR_RSRC_BUSY, nullptr, "The resource is valid, but VISA cannot currently access it."},
    {VI_ERROR_CONN_LOST, nullptr, "The connection for the given session has been lost."},
    {VI_WARN_NSUP_ID_QUERY, nullptr, "Identification query not supported."},
    {VI_WARN_NSUP_RESET, nullptr, "Reset not supported."},
    {VI_WARN_NSUP_SELF_TEST, nullptr, "Self-test not supported."},
    {VI_WARN_NSUP_ERROR_QUERY, nullptr, "Error query not supported."},
    {VI_WARN_NSUP_REV_QUERY, nullptr, "Revision query not supported."},
    {VI_ERROR_PARAMETER1, nullptr, "Parameter 1 out of range."},
    {VI_ERROR_PARAMETER2, nullptr, "Parameter 2 out of range."},
    {VI_ERROR_PARAMETER3, nullptr, "Parameter 3 out of range."},
    {VI_ERROR_PARAMETER4, nullptr, "Parameter 4 out of range."},
    {VI_ERROR_PARAMETER5, nullptr, "Parameter 5 out of range."},
    {VI_ERROR_PARAMETER6, nullptr, "Parameter 6 out of range."},
    {VI_ERROR_PARAMETER7, nullptr, "Parameter 7 out of range."},
    {VI_ERROR_PARAMETER8, nullptr, "Parameter 8 out of range."},
    {VI_ERROR_FAIL_ID_QUERY, nullptr, "Instrument identification query failed."},
    {VI_ERROR_INV_RESPONSE, nullptr, "Errors interpreting instrument response."},

    {qx5170_ERROR_INV_RELAY, "qx5170", "Relay number out of range: the card has relays 1 to 32."},
    {qx5170_ERROR_INV_MODE, "qx5170",
     "Switching mode out of range: use 1 (Asynchronous), 2 (Sync. Command) or 3 (Sync. Trigger)."},
    {qx5170_ERROR_INV_TRIGGER, "qx5170", "Trigger source not supported: use qx5170_ITRIG_NONE."},
    {qx5170_ERROR_INV_FC_NUMBER, "qx5170",
     "Function card number out of range: a motherboard has positions 1 to 8."},
    {qx5170_ERROR_NO_CARD, "qx5170", "No relay card answers at the addressed position."},
    {qx5170_ERROR_NO_MOTHERBOARD, "qx5170", "No motherboard answers behind the resource."},

    {qx2010_ERROR_NO_MOTHERBOARD, "qx2010", "No motherboard answers behind the resource."},
    {qx2010_ERROR_INV_PARAMS, "qx2010", "Invalid motherboard parameter block."},
    {qx2010_ERROR_INV_POSITION, "qx2010", "No card at the addressed motherboard position."},
};

} // namespace

const char *statusText(ViStatus status, const char *ownPrefix)
{
    for (const StatusText &entry : statusTexts) {
        if (entry.status != status)
            continue;
        if (!entry.owner || (ownPrefix && std::strcmp(entry.owner, ownPrefix) == 0))
            return entry.text;
    }
    return nullptr;
}

} // namespace sfpsim
