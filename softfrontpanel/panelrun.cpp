// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "panelrun.h"

#include "cardheader.h"
#include "cardsession.h"
#include "endpoint.h"
#include "networkannouncer.h"
#include "qx2010fp_app.h"
#include "qx2010fp_splashlabel.h"
#include "qx5170fp_app.h"
#include "remotecontrol.h"
#include "savedstates.h"
#include "terminationsignals.h"
#include "userfolders.h"

#include <QApplication>
#include <QMessageBox>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace sfp {

namespace {

// The port VXI-11 clients ask the port mapper on.
constexpr quint16 portMapperPort = 111;

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
    box.setInformativeText(QStringLiteral("The panel ends. Mend or remove the file, then start "
                                          "the panel again."));
    box.exec();
}

// Says on standard error why the fixture cannot be used; the box's text.
QString sayFixtureFault(const QString &path, const QString &why)
{
    qx5170fpSay(QStringLiteral("the fixture %1 cannot be used: %2").arg(path, why));
    return QStringLiteral("The fixture %1 cannot be used: %2").arg(path, why);
}

} // namespace

bool PanelRun::readFixture(const QString &path, bool named, Fixture *fixture, bool *found,
                           QString *fault)
{
    bool absent = false;
    const fixture::Reading reading = fixture::read(path, &absent);
    if (absent && !named)
        return true;
    const QString error = absent ? QStringLiteral("there is no such file") : reading.error;
    if (!error.isEmpty()) {
        *fault = sayFixtureFault(path, error);
        return false;
    }
    for (const QString &warning : reading.warnings)
        qx5170fpSay(QStringLiteral("the fixture %1: %2").arg(path, warning));
    *fixture = reading.fixture;
    *found = true;
    return true;
}

PanelRun::PanelRun(const qx5170fpCommandLine &commandLine, Fixture fixture, bool fixtureFound,
                   QString fixtureFault)
    : m_commandLine(commandLine)
    , m_fixture(std::move(fixture))
    , m_fixtureFound(fixtureFound)
    , m_fixtureFault(std::move(fixtureFault))
{ }

PanelRun::~PanelRun() = default;

int PanelRun::exec()
{
    if (!m_fixtureFault.isEmpty()) {
        showFixtureFault(m_fixtureFault, nullptr);
        return qx5170fpFixtureExitStatus;
    }
    if (m_commandLine.listen && !listen())
        return qx5170fpFailureExitStatus;
    // Ended by a signal, the panel still withdraws what it announced.
    if (m_remote)
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
    if (m_remote)
        serveRemote();
    // However the event loop ended, the panel ends with status 0.
    QApplication::exec();
    return 0;
}

bool PanelRun::listen()
{
    // Its identity and the folder of its saved states are the card's: set
    // once the panel knows which card it drives.
    m_remote = std::make_unique<RemoteControl>(QByteArray(), QString());
    ClientTimeouts timeouts;
    timeouts.idle = std::chrono::seconds(m_commandLine.idleTimeoutSeconds);
    m_remote->setClientTimeouts(timeouts);
    const QHostAddress &address = m_commandLine.listenAddress;
    if (!m_remote->listen(address, m_commandLine.listenPort)) {
        qx5170fpSay(
            QStringLiteral("the remote control cannot listen on %1: %2")
                .arg(endpointText(address, m_commandLine.listenPort), m_remote->errorString()));
        return false;
    }
    if (!address.isLoopback())
        qx5170fpSay(qx5170fpListenWarning(address, m_commandLine.listenPort));
    // VXI-11 is a second way in; the socket serves without it.
    if (!m_remote->listenVxi11())
        qx5170fpSay(QStringLiteral("the VXI-11 channels cannot listen: %1")
                        .arg(m_remote->vxi11ErrorString()));
    return true;
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
            showFixtureFault(sayFixtureFault(path, reading.error), splash);
            // Nothing is open yet that the process's end would not release.
            std::fflush(nullptr);
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
    // Relays wear out on a card, not in demo mode.
    if (!window->card()->isDemo()) {
        const QString why
            = m_wear.open(RelayWear::fileName(RelayWear::defaultFolder(), window->cardId()));
        if (why.isEmpty()) {
            window->card()->setWear(&m_wear);
        } else {
            qx5170fpSay(QStringLiteral("relay cycles are not counted: ") + why);
            window->showNotice(QStringLiteral("Relay cycles are not counted: ") + why);
        }
        QObject::connect(&m_wear, &RelayWear::writeFailed, &m_wear, [](const QString &text) {
            qx5170fpSay(QStringLiteral("relay cycles are not kept: ") + text);
        });
        // Said in the window too while there is one; a write at the end,
        // after the window, has only standard error.
        QObject::connect(&m_wear, &RelayWear::writeFailed, window, [window](const QString &text) {
            window->showNotice(QStringLiteral("Relay cycles are not kept: ") + text);
        });
    }
    // Every change of the card, whoever makes it, in the card's own log.
    if (!m_commandLine.noLog) {
        m_log.setPath(SwitchingLog::fileName(RelayWear::defaultFolder(), window->cardId()));
        QObject::connect(&m_log, &SwitchingLog::writeFailed, &m_log, [](const QString &text) {
            qx5170fpSay(QStringLiteral("the switching log is not kept: ") + text);
        });
        window->setSwitchingLog(&m_log);
    }
}

void PanelRun::serveRemote()
{
    m_window->followRemote(m_remote.get());
    // A client learns which card answers, and a state saved for one card
    // is never brought back on another.
    const QString id = m_window->cardId();
    m_remote->setIdentity(RemoteControl::identity(id, m_fc.driverRevision()));
    m_remote->setStateFolder(userFolders::cardFolder(savedStates::defaultFolder(), id));
    m_remote->start(m_window->card());
    // The announcement names VXI-11 only once the port mapper does: it
    // follows the registration, which may take a while.
    if (m_remote->vxi11Port() == 0) {
        announce(false);
        return;
    }
    QObject::connect(m_remote.get(), &RemoteControl::vxi11Registered, m_remote.get(),
                     [this](const QString &why) {
                         if (!why.isEmpty())
                             qx5170fpSay(QStringLiteral("VXI-11 clients do not find the panel "
                                                        "through the port mapper: %1; the core "
                                                        "channel listens on port %2")
                                             .arg(why)
                                             .arg(m_remote->vxi11Port()));
                         announce(why.isEmpty());
                     });
    m_remote->registerVxi11();
}

void PanelRun::announce(bool vxi11)
{
    // Found on the network as LAN instruments are; a panel that only the
    // loopback reaches has nobody to tell.
    if (m_commandLine.listenAddress.isLoopback())
        return;
    const QString id = m_window->cardId();
    m_announcer = std::make_unique<NetworkAnnouncer>();
    QList<NetworkAnnouncer::Service> services {{"_scpi-raw._tcp", m_remote->port()}};
    // VXI-11 clients ask the port mapper, on its own port.
    if (vxi11)
        services += {{"_vxi-11._tcp", portMapperPort}, {"_lxi._tcp", portMapperPort}};
    const QString why = m_announcer->announce(
        NetworkAnnouncer::instrumentName(id), m_remote->address(), services,
        {"Manufacturer=Orbelan", "Model=5170", "SerialNumber=" + id.toUtf8(),
         "FirmwareVersion=" + m_fc.driverRevision().toUtf8()},
        [](const QString &text) { qx5170fpSay(text); });
    if (!why.isEmpty())
        qx5170fpSay(QStringLiteral("the panel is not announced on the network: ") + why);
}

} // namespace sfp
