// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The card served without a window: connected as the command line says,
// served by the card's service as the window's run serves it, told about
// in one line per event, and ended by SIGTERM or SIGINT with everything
// written, withdrawn and closed.
#pragma once

#include "cardservice.h"
#include "commandline.h"
#include "fixture.h"
#include "qx5170_fc.h"
#include "statusreporter.h"
#include "visatype.h"

#include <QString>

#include <memory>

namespace sfp {

class CardSession;

class HeadlessRun final : public StatusReporter
{
public:
    explicit HeadlessRun(const qx5170fpCommandLine &commandLine);
    ~HeadlessRun() override;
    HeadlessRun(const HeadlessRun &) = delete;
    HeadlessRun &operator=(const HeadlessRun &) = delete;

    // Runs until SIGTERM or SIGINT; the exit status.
    int exec();

    // A driver call of the card's own that failed: nobody is asked (the
    // session's driverStatus says it).
    void reportStatus(ViStatus status, const QString &text, const QString &brief) override;

private:
    // The card's descriptor and number from the scan, when exactly one
    // card answers; else false, the cards found said.
    bool findTheCard(QString *descriptor, int *fcNumber);
    // Opens the card with the ID query and the reset, or takes demo mode;
    // the exit status when it cannot be, else 0.
    int connectCard();
    // The fixture named, else the card's own; false when it cannot be used.
    bool readFixture(bool atStart);
    void end();

    const qx5170fpCommandLine &m_commandLine;
    QString m_fixturePath;
    Fixture m_fixtureRead; // until the card's session takes it
    bool m_fixtureFound = false;
    // Destroyed in reverse order: the session (after the service stopped
    // serving it and the driver session is closed) before the service,
    // whose log and wear counts it writes into.
    qx5170_fc m_fc;
    CardService m_service;
    ViSession m_vi = 0;
    bool m_demo = false;
    bool m_opened = false;
    QString m_cardId;
    QString m_descriptor;
    int m_fcNumber = 0;
    std::unique_ptr<CardSession> m_card;
};

} // namespace sfp
