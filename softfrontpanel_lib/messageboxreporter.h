// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The operator's side of a card session's driver statuses: the error box,
// which offers to exit, and the warning box.
#pragma once

#include "statusreporter.h"

namespace sfp {

class MessageBoxReporter final : public StatusReporter
{
public:
    MessageBoxReporter() = default;
    ~MessageBoxReporter() override;
    MessageBoxReporter(const MessageBoxReporter &) = delete;
    MessageBoxReporter &operator=(const MessageBoxReporter &) = delete;
    MessageBoxReporter(MessageBoxReporter &&) = delete;
    MessageBoxReporter &operator=(MessageBoxReporter &&) = delete;

    // Returns when the operator has answered; "Yes" in the error box ends
    // the process at once with status 0.
    // Shows `text`; the operator reads the whole report.
    void reportStatus(ViStatus status, const QString &text, const QString &brief) override;
};

} // namespace sfp
