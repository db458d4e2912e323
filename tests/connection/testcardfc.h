// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A function-card object for connection tests: any model code, an open
// whose status and session the test chooses, and a record of every open
// and close; the rest as the stub card has it.
#pragma once

#include "stubfc.h"

#include <QList>
#include <QString>

class TestCardFC final : public StubFC
{
public:
    struct OpenCall
    {
        QByteArray descriptor;
        QList<int> fcNumbers; // the first eight entries of the array
        int idQuery = -1;
        int reset = -1;
    };

    explicit TestCardFC(int code)
        : StubFC(code)
    { }

    QString description() const override { return QStringLiteral("Test card"); }
    QString errorMessage(ViStatus /*status*/) const override { return errorText; }
    ViStatus open(ViRsrc descriptor, const ViInt16 *fcNumbers, ViBoolean idQuery, ViBoolean reset,
                  ViSession *vi) override
    {
        OpenCall call;
        call.descriptor = QByteArray(descriptor);
        for (int i = 0; i < 8; ++i)
            call.fcNumbers.append(fcNumbers[i]);
        call.idQuery = idQuery;
        call.reset = reset;
        opens.append(call);
        if (openStatus >= 0)
            *vi = session;
        return openStatus;
    }
    ViStatus close(ViSession vi) override
    {
        closes.append(vi);
        return 0;
    }

    // What open returns and, unless the status is negative, the session it writes.
    ViStatus openStatus = 0;
    ViSession session = 4711;
    // What errorMessage returns for every status.
    QString errorText;

    QList<OpenCall> opens;
    QList<ViSession> closes;
};
