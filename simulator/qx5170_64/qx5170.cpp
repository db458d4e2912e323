// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Driver stand-in of the relay card. Like a real instrument driver it keeps
// no card state of its own: it talks to the motherboard over a VISA session,
// and the session it hands out is that VISA session.
#include "qx5170.h"

#include "instrumentio.h"
#include "simcore.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

using sfpsim::Args;
using sfpsim::runCall;

namespace {

constexpr ViUInt16 relayCardCode = 0x5170;
constexpr const char *driverRevision = "1.4.0";

struct DriverSession
{
    ViSession resourceManager = VI_NULL;
    ViUInt16 fcNumber = 0;
};

std::mutex sessionsMutex;

// Built on first use and never destroyed: a call from a thread that still
// runs while the process exits finds the table instead of its remains.
std::map<ViSession, DriverSession> &sessions()
{
    static auto *table = new std::map<ViSession, DriverSession>;
    return *table;
}

bool lookUp(ViSession vi, DriverSession *session)
{
    std::lock_guard<std::mutex> lock(sessionsMutex);
    const auto it = sessions().find(vi);
    if (it == sessions().end())
        return false;
    *session = it->second;
    return true;
}

// A card command answers "OK" or "ERR <reason>".
ViStatus cardCommand(ViSession vi, const std::string &command)
{
    DriverSession session;
    if (!lookUp(vi, &session))
        return VI_ERROR_INV_OBJECT;
    std::string answer;
    const ViStatus status = sfpsim::queryInstrument(
        vi, "FC" + std::to_string(session.fcNumber) + ":" + command, &answer);
    if (status < 0)
        return status == VI_ERROR_TMO ? qx5170_ERROR_NO_MOTHERBOARD : status;
    if (answer == "OK")
        return VI_SUCCESS;
    if (answer == "ERR NOCARD" || answer == "ERR POSITION")
        return qx5170_ERROR_NO_CARD;
    return VI_ERROR_INV_RESPONSE;
}

ViStatus init(ViRsrc resourceName, ViUInt16 fcNumber, ViBoolean idQuery, ViBoolean reset,
              ViPSession vi)
{
    if (!vi)
        return VI_ERROR_PARAMETER5;
    *vi = VI_NULL;
    if (!resourceName)
        return VI_ERROR_PARAMETER1;
    if (fcNumber < 1 || fcNumber > 8)
        return qx5170_ERROR_INV_FC_NUMBER;

    ViSession rm = VI_NULL;
    ViStatus status = viOpenDefaultRM(&rm);
    if (status < 0)
        return status;
    ViSession instrument = VI_NULL;
    status = viOpen(rm, resourceName, VI_NO_LOCK, 0, &instrument);
    if (status < 0) {
        viClose(rm);
        return status;
    }

    const std::string card = "FC" + std::to_string(fcNumber) + ":";
    std::string answer;
    if (idQuery) {
        status = sfpsim::queryInstrument(instrument, card + "ID?", &answer);
        if (status == VI_ERROR_TMO)
            status = qx5170_ERROR_NO_MOTHERBOARD;
        else if (status >= 0 && (answer == "0" || answer.rfind("ERR", 0) == 0))
            status = qx5170_ERROR_NO_CARD;
        else if (status >= 0 && std::strtol(answer.c_str(), nullptr, 10) != relayCardCode)
            status = VI_ERROR_FAIL_ID_QUERY;
        if (status < 0) {
            viClose(rm);
            return status;
        }
    }
    {
        std::lock_guard<std::mutex> lock(sessionsMutex);
        sessions()[instrument] = DriverSession {rm, fcNumber};
    }
    if (reset) {
        status = cardCommand(instrument, "RST");
        if (status < 0) {
            std::lock_guard<std::mutex> lock(sessionsMutex);
            sessions().erase(instrument);
            viClose(rm);
            return status;
        }
    }
    *vi = instrument;
    return VI_SUCCESS;
}

ViStatus closeSession(ViSession vi)
{
    DriverSession session;
    {
        std::lock_guard<std::mutex> lock(sessionsMutex);
        const auto it = sessions().find(vi);
        if (it == sessions().end())
            return VI_ERROR_INV_OBJECT;
        session = it->second;
        sessions().erase(it);
    }
    const ViStatus status = viClose(vi);
    viClose(session.resourceManager);
    return status;
}

int resourceOf(ViSession vi)
{
    return sfpsim::resourceOfSession(vi);
}

} // namespace

extern "C" {

ViStatus _VI_FUNC qx5170_init(ViRsrc resourceName, ViUInt16 fcNumber, ViBoolean idQuery,
                              ViBoolean reset, ViPSession vi)
{
    return runCall("qx5170_init", sfpsim::resourceOfDescriptor(resourceName),
                   Args() << resourceName << fcNumber << idQuery << reset,
                   [=] { return init(resourceName, fcNumber, idQuery, reset, vi); });
}

ViStatus _VI_FUNC qx5170_switchRelay(ViSession vi, ViInt32 relay, ViBoolean on)
{
    return runCall("qx5170_switchRelay", resourceOf(vi), Args() << vi << relay << on, [=] {
        if (relay < 1 || relay > qx5170_RELAY_COUNT)
            return qx5170_ERROR_INV_RELAY;
        return cardCommand(vi, "REL " + std::to_string(relay) + "," + (on ? "1" : "0"));
    });
}

ViStatus _VI_FUNC qx5170_updateRelaysState(ViSession vi)
{
    return runCall("qx5170_updateRelaysState", resourceOf(vi), Args() << vi,
                   [=] { return cardCommand(vi, "UPD"); });
}

ViStatus _VI_FUNC qx5170_pulseSynchTrigger(ViSession vi)
{
    return runCall("qx5170_pulseSynchTrigger", resourceOf(vi), Args() << vi,
                   [=] { return cardCommand(vi, "TRIG"); });
}

ViStatus _VI_FUNC qx5170_setSwitchingMode(ViSession vi, ViInt32 mode, ViInt32 triggerSource)
{
    return runCall("qx5170_setSwitchingMode", resourceOf(vi), Args() << vi << mode << triggerSource,
                   [=] {
                       if (mode < qx5170_MODE_ASYNCHRONOUS || mode > qx5170_MODE_SYNC_TRIGGER)
                           return qx5170_ERROR_INV_MODE;
                       if (triggerSource != qx5170_ITRIG_NONE)
                           return qx5170_ERROR_INV_TRIGGER;
                       return cardCommand(vi, "MODE " + std::to_string(mode));
                   });
}

ViStatus _VI_FUNC qx5170_error_message(ViSession vi, ViStatus statusCode, ViChar message[])
{
    return runCall("qx5170_error_message", resourceOf(vi), Args() << vi << statusCode, [=] {
        if (!message)
            return VI_ERROR_PARAMETER3;
        const char *text = sfpsim::statusText(statusCode, "qx5170");
        if (!text) {
            // Leave the caller's buffer alone: an unknown code has no text here.
            return VI_WARN_UNKNOWN_STATUS;
        }
        std::snprintf(message, qx5170_ERROR_MESSAGE_BUFLEN, "%s", text);
        return VI_SUCCESS;
    });
}

ViStatus _VI_FUNC qx5170_revision_query(ViSession vi, ViChar driverRev[], ViChar instrRev[])
{
    return runCall("qx5170_revision_query", resourceOf(vi), Args() << vi, [=] {
        if (!driverRev)
            return VI_ERROR_PARAMETER2;
        std::snprintf(driverRev, qx5170_REVISION_BUFLEN, "%s", driverRevision);
        if (!instrRev)
            return VI_SUCCESS;
        instrRev[0] = '\0';
        DriverSession session;
        if (vi == VI_NULL || !lookUp(vi, &session))
            return VI_WARN_NSUP_REV_QUERY; // no card to ask
        std::string answer;
        const ViStatus status = sfpsim::queryInstrument(
            vi, "FC" + std::to_string(session.fcNumber) + ":REV?", &answer);
        if (status < 0 || answer.rfind("ERR", 0) == 0)
            return VI_WARN_NSUP_REV_QUERY;
        std::snprintf(instrRev, qx5170_REVISION_BUFLEN, "%s", answer.c_str());
        return VI_SUCCESS;
    });
}

ViStatus _VI_FUNC qx5170_close(ViSession vi)
{
    return runCall("qx5170_close", resourceOf(vi), Args() << vi, [=] { return closeSession(vi); });
}

} // extern "C"
