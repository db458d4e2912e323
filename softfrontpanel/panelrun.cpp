// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "panelrun.h"

#include "cardheader.h"
#include "cardsession.h"
#include "coveragecounts.h"
#include "qx2010fp_app.h"
#include "qx2010fp_splashlabel.h"
#include "qx5170fp_app.h"
#include "remotecontrol.h"
#include "terminationsignals.h"
#include "translation.h"
#include "webface.h"

#include <QApplication>
#include <QMessageBox>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace sfp {

namespace {

// A fixture that cannot be used ends the program. An operator who started
// the panel from a menu has no terminal to read the line on: where the
// screen is seen, a box says it too, above the splash, which stays on top
// of everything else.
void showFixtureFault(const QString &fault, QSplashScreen *splash)
{
    if (!qx5170fpShowsBoxes(QGuiApplication::platformName()))
        return;
    if (splash != nullptr)
        splash->hide();
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Orbelan 5170 SFP"), fault,
                    QMessageBox::Ok);
    box.setInformativeText(translate("PanelRun",
                                     "The panel ends. Mend or remove the file, then "
                                     "start the panel again."));
    box.exec();
}

// The box's text for a fixture that cannot be used.
QString fixtureFaultText(const QString &path, const QString &why)
{
    //: %1 is the fixture's file, %2 says why
    return translate("PanelRun", "The fixture %1 cannot be used: %2").arg(path, why);
}

// What the card's service says, the operator reads on standard error.
void say(CardService::Priority /*priority*/, const QString &text)
{
    qx5170fpSay(text);
}

} // namespace

bool PanelRun::readFixture(const QString &path, bool named, Fixture *fixture, bool *found,
                           QString *fault)
{
    QString localFault;
    if (CardService::readFixture(path, named, say, fixture, found, fault, &localFault))
        return true;
    *fault = fixtureFaultText(path, localFault);
    return false;
}

PanelRun::PanelRun(const qx5170fpCommandLine &commandLine, Fixture fixture, bool fixtureFound,
                   QString fixtureFault)
    : m_commandLine(commandLine)
    , m_fixture(std::move(fixture))
    , m_fixtureFound(fixtureFound)
    , m_fixtureFault(std::move(fixtureFault))
    , m_service(say)
{ }

PanelRun::~PanelRun()
{
    m_service.stopServing();
}

int PanelRun::exec()
{
    if (!m_fixtureFault.isEmpty()) {
        showFixtureFault(m_fixtureFault, nullptr);
        return qx5170fpFixtureExitStatus;
    }
    m_service.setAccess(m_commandLine.access);
    // The web face's files are checked before anything listens.
    if (m_commandLine.http
        && !m_service.readWebFiles(m_commandLine.passwordFile, m_commandLine.httpCertificate,
                                   m_commandLine.httpKey))
        return qx5170fpUsageExitStatus;
    if (m_commandLine.listen
        && !m_service.listen(m_commandLine.listenAddress, m_commandLine.listenPort,
                             m_commandLine.idleTimeoutSeconds))
        return qx5170fpFailureExitStatus;
    if (m_commandLine.http
        && !m_service.listenWeb(m_commandLine.httpAddress, m_commandLine.httpPort))
        return qx5170fpFailureExitStatus;
    // Ended by a signal, the panel still withdraws what it announced.
    if (m_service.remote() || m_service.web())
        m_terminationSignals = std::make_unique<TerminationSignals>();

    QString title = m_fc.description();
    title.replace(QStringLiteral(" FC"), QStringLiteral(" Function Card"));
    // The composed picture is a temporary: once the splash screen holds its
    // copy, closing the splash frees the picture.
    m_splash = std::make_unique<QSplashScreen>(
        QPixmap(qx2010fp_splashLabel(1.0f, 20, m_fc.modelCode, true, m_fc.legalNotice(), title)));
    m_splash->show();
    if (!connectCard())
        return qx5170fpFixtureExitStatus;
    keepRecords();
    m_window->adjustSize();
    centerOnDesktop(m_window.get());
    m_window->show();
    m_splash->finish(m_window.get());
    m_splash.reset();
    if (RemoteControl *remote = m_service.remote())
        m_window->followRemote(remote);
    if (WebFace *web = m_service.web())
        web->setOperatorAsked([] { return QApplication::activeModalWidget() != nullptr; });
    if (m_service.remote() || m_service.web())
        m_service.serve(m_window->card(), m_window->cardId(), m_fc.driverRevision());
    // A signal taken while the card was connected ended only the loops
    // that ran then: the main one had not begun, and would never end.
    if (m_terminationSignals && m_terminationSignals->caught() != 0)
        return 0;
    // However the event loop ended, the panel ends with status 0.
    QApplication::exec();
    return 0;
}

bool PanelRun::connectCard()
{
    // The card's own fixture, where the address names the card as VISA
    // does, is looked at before the open resets the card: a file that
    // cannot be used ends the program while the card is still as it was.
    const bool fixtureNamed = !m_commandLine.fixture.isEmpty();
    if (!fixtureNamed) {
        m_fc.setBeforeOpen([splash = m_splash.get()](const QString &descriptor, int fcNumber) {
            const QString path
                = fixture::fileName(fixture::defaultFolder(), cardId(descriptor, fcNumber));
            bool absent = false;
            const fixture::Reading reading = fixture::read(path, &absent);
            if (absent || reading.error.isEmpty())
                return;
            say(CardService::Priority::Error,
                QStringLiteral("the fixture %1 cannot be used: %2").arg(path, reading.error));
            showFixtureFault(fixtureFaultText(path, reading.localError), splash);
            // Nothing is open yet that the process's end would not release.
            std::fflush(nullptr);
            sfp::writeCoverageCounts();
            std::_Exit(qx5170fpFixtureExitStatus);
        });
    }
    m_window = std::make_unique<qx5170fp_App>(&m_fc, m_commandLine.start);
    m_fc.setBeforeOpen({});
    CardSession *card = m_window->card();
    if (m_commandLine.breakBeforeMake)
        card->setClickOrder(SwitchOrder::BreakBeforeMake);
    // Otherwise the card's own fixture, once the panel knows which card it
    // drives; labels the operator or a script gives go there too.
    const QString path = fixtureNamed
        ? m_commandLine.fixture
        : fixture::fileName(fixture::defaultFolder(), m_window->cardId());
    if (!fixtureNamed && !readFixture(path, false, &m_fixture, &m_fixtureFound, &m_fixtureFault)) {
        showFixtureFault(m_fixtureFault, m_splash.get());
        return false;
    }
    card->setFixture(m_fixture, path, m_fixtureFound);
    return true;
}

void PanelRun::keepRecords()
{
    qx5170fp_App *window = m_window.get();
    const QString notCounted
        = m_service.keepRecords(window->card(), window->cardId(), !m_commandLine.noLog);
    if (!notCounted.isEmpty())
        //: %1 says why
        window->showNotice(
            translate("PanelRun", "Relay cycles are not counted: %1").arg(notCounted));
    // Said in the window too while there is one; a write at the end, after
    // the window, has only standard error.
    QObject::connect(
        &m_service.wear(), &RelayWear::writeFailed, window, [window](const QString &text) {
            //: %1 says why
            window->showNotice(translate("PanelRun", "Relay cycles are not kept: %1").arg(text));
        });
    if (!m_commandLine.noLog)
        window->setSwitchingLog(&m_service.log());
}

} // namespace sfp
