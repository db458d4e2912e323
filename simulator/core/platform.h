// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The simulated VISA platform: the system, its sessions and its instruments.
#pragma once

#include "simcore.h"
#include "system.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace sfpsim {

class SFPSIM_EXPORT Platform
{
public:
    // The one platform of the process, loaded on first use from
    // SFP_SIM_CONFIG (or the built-in default system).
    static Platform &instance();

    // Replaces the system; every session is gone afterwards.
    void setSystem(System system);

    ViStatus openDefaultRM(ViSession *rm);
    ViStatus findResources(ViSession rm, const char *expression, ViFindList *list, ViUInt32 *count,
                           char *descriptor);
    ViStatus findNext(ViFindList list, char *descriptor);
    ViStatus open(ViSession rm, const char *descriptor, ViSession *session);
    ViStatus close(ViObject object);
    ViStatus getAttribute(ViObject object, ViAttr attribute, void *value);
    ViStatus write(ViSession session, const ViByte *data, ViUInt32 count, ViUInt32 *written);
    ViStatus read(ViSession session, ViByte *data, ViUInt32 count, ViUInt32 *received);

    int resourceOfDescriptor(const char *descriptor);
    int resourceOfSession(ViSession session);

    // Fault rules that apply to a call, counted down as calls use them.
    bool takeFault(const std::string &operation, int resource, bool hasAttribute,
                   ViUInt32 attribute, ViStatus *status);
    void addFault(const FaultRule &rule);
    void clearFaults();

    bool cardState(const std::string &descriptor, int position, Card *card);
    int openSessionCount();
    // The most opens that were reaching their instruments at once since the
    // last reset.
    int peakOpensInProgress();
    void resetPeakOpensInProgress();

private:
    Platform();

    enum class Kind { ResourceManager, FindList, Instrument };
    struct Session
    {
        Kind kind = Kind::ResourceManager;
        ViSession parent = 0;
        int resource = -1;
        std::vector<std::string> found; // find list: descriptors still to report
        size_t next = 0;
        std::string output; // instrument: the answer waiting to be read
    };

    Session *sessionLocked(ViObject object);
    ViSession addSessionLocked(const Session &session);
    int resourceOfDescriptorLocked(const char *descriptor) const;
    void closeLocked(ViObject object);
    void handleCommandLocked(Session &session, const std::string &command);

    std::mutex m_mutex;
    System m_system;
    std::map<ViSession, Session> m_sessions;
    ViSession m_nextHandle = 1;
    std::vector<FaultRule> m_injected;
    int m_opening = 0;
    int m_peakOpening = 0;
};

} // namespace sfpsim
