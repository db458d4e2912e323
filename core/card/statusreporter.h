// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Where the card session's driver statuses go: the operator's message boxes
// in the panel, a client's error queue in the remote control. The session
// itself never shows anything nor ends the process.
#pragma once

#include "visatype.h"

#include <QString>

namespace sfp {

class StatusReporter
{
public:
    StatusReporter() = default;
    virtual ~StatusReporter();
    StatusReporter(const StatusReporter &) = delete;
    StatusReporter &operator=(const StatusReporter &) = delete;
    StatusReporter(StatusReporter &&) = delete;
    StatusReporter &operator=(StatusReporter &&) = delete;

    // A non-zero status of a driver call: negative an error, positive a
    // warning. `text` is the whole report, "<call> failed due to [<driver
    // text>]" or "Warning: [<driver text>]", as the operator sees it;
    // `brief` says it in a script's words, what was asked and the driver's
    // text: "channel 3: <driver text>". Returns when the status has been
    // dealt with; the session then goes on with its next step.
    virtual void reportStatus(ViStatus status, const QString &text, const QString &brief) = 0;
};

} // namespace sfp
