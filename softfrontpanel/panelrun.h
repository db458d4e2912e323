// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// One run of the panel, once the toolkit runs: what it needs, owned in one
// place and ended in the order that keeps each part's users alive.
#pragma once

#include "cardservice.h"
#include "commandline.h"
#include "fixture.h"
#include "qx5170_fc.h"

#include <QSplashScreen>
#include <QString>

#include <memory>

class qx5170fp_App;

namespace sfp {

class TerminationSignals;

class PanelRun
{
public:
    // `fixture` is the one named on the command line (found: it was), or
    // none; `fixtureFault` says why it cannot be used.
    PanelRun(const qx5170fpCommandLine &commandLine, Fixture fixture, bool fixtureFound,
             QString fixtureFault);
    ~PanelRun();
    PanelRun(const PanelRun &) = delete;
    PanelRun &operator=(const PanelRun &) = delete;

    // Connects, shows the panel and runs it until it is closed; the exit
    // status.
    int exec();

    // Reads the fixture at path, printing its warnings. False, with one
    // line printed and the reason in `fault`, when it cannot be used; a
    // file that is not there is no fixture (`found` stays false), unless
    // the user named it.
    static bool readFixture(const QString &path, bool named, Fixture *fixture, bool *found,
                            QString *fault);

private:
    // Connects to the card while the splash stays on screen, or ends the
    // process when the operator cancels; false for a fixture that cannot be
    // used.
    bool connectCard();
    // The wear counts and the switching log of the card connected.
    void keepRecords();

    const qx5170fpCommandLine &m_commandLine;
    Fixture m_fixture;
    bool m_fixtureFound = false;
    QString m_fixtureFault;
    // Destroyed in reverse order, after the service has stopped serving
    // (the announcement and the remote control go before the window, whose
    // card they drive): the window (which closes the driver session) before
    // the service's wear counts and log, which it writes into to the end;
    // the function card last.
    qx5170_fc m_fc;
    std::unique_ptr<TerminationSignals> m_terminationSignals;
    std::unique_ptr<QSplashScreen> m_splash;
    CardService m_service;
    std::unique_ptr<qx5170fp_App> m_window;
};

} // namespace sfp
