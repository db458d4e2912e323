// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "messageboxreporter.h"

#include "sfpmessages.h"

namespace sfp {

MessageBoxReporter::~MessageBoxReporter() = default;

void MessageBoxReporter::reportStatus(ViStatus status, const QString &text,
                                      const QString & /*brief*/)
{
    if (status < 0)
        sfpErrorMessage(text);
    else if (status > 0)
        sfpWarningMessage(text);
}

} // namespace sfp
