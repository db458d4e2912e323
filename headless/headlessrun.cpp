// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "headlessrun.h"

#include "cardheader.h"
#include "cardsession.h"
#include "endpoint.h"
#include "journal.h"
#include "libraryrevision.h"
#include "platformlibraries.h"
#include "relaywear.h"
#include "remotecontrol.h"
#include "resourcescan.h"
#include "servicemanager.h"
#include "terminationsignals.h"
#include "webface.h"

#include <QCoreApplication>
#include <QStringList>

#include <array>
#include <csignal>

namespace sfp {

namespace {

using Priority = CardService::Priority;

// What the card does on nobody's command is logged under this name.
const char ownName[] = "headless";

QString signalName(int number)
{
    switch (number) {
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGINT:
        return QStringLiteral("SIGINT");
    default:
        return QStringLiteral("signal %1").arg(number);
    }
}

} // namespace

HeadlessRun::HeadlessRun(const qx5170fpCommandLine &commandLine)
    : m_commandLine(commandLine)
    , m_service(journal::say)
{ }

HeadlessRun::~HeadlessRun()
{
    end();
}

void HeadlessRun::reportStatus(ViStatus /*status*/, const QString & /*text*/,
                               const QString & /*brief*/)
{
    // Nobody to ask: the session's driverStatus has said it already.
}

bool HeadlessRun::findTheCard(QString *descriptor, int *fcNumber)
{
    QStringList found;
    ResourceScan scan(&m_fc);
    if (scan.start()) {
        for (const resourceInfo_t &resource : scan.results()) {
            for (const qint32 number : resource.fcNumbers) {
                if (number == 0)
                    continue;
                *descriptor = resource.resourceName;
                *fcNumber = int(number);
                found.append(QStringLiteral("%1 FC %2").arg(resource.resourceName).arg(number));
            }
        }
    }
    if (found.size() == 1)
        return true;
    journal::say(Priority::Error,
                 found.isEmpty()
                     ? QStringLiteral("--scan found no 5170 Function Card")
                     : QStringLiteral("--scan found %1 5170 Function Cards (%2): choose one with "
                                      "--address and --fc")
                           .arg(found.size())
                           .arg(found.join(QStringLiteral(", "))));
    return false;
}

int HeadlessRun::connectCard()
{
    const sfpStartChoice &start = m_commandLine.start;
    if (start.kind == sfpStartChoice::Demo) {
        m_demo = true;
        m_cardId = QStringLiteral("DEMO");
        return 0;
    }
    if (start.kind == sfpStartChoice::AutoFind) {
        if (!findTheCard(&m_descriptor, &m_fcNumber))
            return qx5170fpFailureExitStatus;
    } else {
        m_descriptor = start.descriptor;
        m_fcNumber = start.fcNumber;
    }
    // The card's own fixture is looked at before the open resets the card:
    // a file that cannot be used ends the server while the card is still as
    // it was.
    if (m_commandLine.fixture.isEmpty()) {
        m_fixturePath
            = fixture::fileName(fixture::defaultFolder(), cardId(m_descriptor, m_fcNumber));
        if (!readFixture(true))
            return qx5170fpFixtureExitStatus;
    }
    QByteArray descriptor = m_descriptor.toLatin1();
    std::array<ViInt16, 8> fcNumbers {};
    fcNumbers[0] = ViInt16(m_fcNumber);
    const ViStatus status = m_fc.open(descriptor.data(), fcNumbers.data(), VI_TRUE, VI_TRUE, &m_vi);
    if (status != VI_SUCCESS) {
        // A warning leaves a session open that nobody would use.
        if (status > VI_SUCCESS && m_vi != 0)
            m_fc.close(m_vi);
        m_vi = 0;
        QString why = m_fc.errorMessage(status);
        if (why.isEmpty())
            why = commonLibraryMessage(status);
        journal::say(Priority::Error,
                     QStringLiteral("the card %1 FC %2 cannot be opened: %3")
                         .arg(m_descriptor)
                         .arg(m_fcNumber)
                         .arg(why));
        return qx5170fpFailureExitStatus;
    }
    m_opened = true;
    const CardHeader header = readCardHeader(m_vi, m_fcNumber, m_descriptor);
    m_cardId = cardId(header.resourceName, m_fcNumber);
    return 0;
}

bool HeadlessRun::readFixture(bool atStart)
{
    Fixture fixture;
    bool found = false;
    QString fault;
    const bool named = !m_commandLine.fixture.isEmpty();
    // At a reload the file's fault and what follows from it are one line.
    const CardService::Say say
        = atStart ? CardService::Say(journal::say) : [](Priority priority, const QString &text) {
              if (priority != Priority::Error)
                  journal::say(priority, text);
          };
    if (!CardService::readFixture(m_fixturePath, named, say, &fixture, &found, &fault)) {
        if (!atStart)
            journal::say(Priority::Error,
                         QStringLiteral("the fixture %1 cannot be used: %2; the one in use stays")
                             .arg(m_fixturePath, fault));
        return false;
    }
    if (!atStart) {
        m_card->setFixture(fixture, m_fixturePath, found);
        journal::say(Priority::Notice,
                     found
                         ? QStringLiteral("the fixture %1 is read again").arg(m_fixturePath)
                         : QStringLiteral("the fixture %1 is gone: no fixture").arg(m_fixturePath));
    } else {
        m_fixtureRead = fixture;
        m_fixtureFound = found;
    }
    return true;
}

int HeadlessRun::exec()
{
    const platform::Loaded &libraries = platform::loaded();
    journal::say(Priority::Info,
                 QStringLiteral("starting %1 %2 on the %3")
                     .arg(m_fc.description(), m_fc.version(),
                          libraries.simulated
                              ? QStringLiteral("simulated platform: no hardware is switched")
                              : QStringLiteral("vendor libraries (%1)").arg(libraries.origin)));
    // Asked for from the start: a signal during the connection ends the
    // server as soon as the card is connected.
    TerminationSignals endSignals(nullptr, TerminationSignals::HangUp::Taken);
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
    if (!m_commandLine.fixture.isEmpty()) {
        m_fixturePath = m_commandLine.fixture;
        if (!readFixture(true))
            return qx5170fpFixtureExitStatus;
    }
    if (const int status = connectCard(); status != 0)
        return status;
    m_card = std::make_unique<CardSession>(m_vi, m_demo, this);
    m_card->setOwnName(QString::fromLatin1(ownName));
    // A driver failure is worth a line whoever asked for the call; a
    // client hears of it in its error queue too.
    QObject::connect(m_card.get(), &CardSession::driverStatus, m_card.get(),
                     [](int status, const QString &brief) {
                         journal::say(status < 0 ? Priority::Error : Priority::Warning,
                                      QStringLiteral("the card's driver: ") + brief);
                     });
    if (m_commandLine.breakBeforeMake)
        m_card->setClickOrder(SwitchOrder::BreakBeforeMake);
    // The card's own file once its id is known, as the window reads it
    // (again, where the card's name for itself differs from the address).
    if (m_commandLine.fixture.isEmpty()) {
        const QString path = fixture::fileName(fixture::defaultFolder(), m_cardId);
        if (path != m_fixturePath) {
            m_fixturePath = path;
            if (!readFixture(true))
                return qx5170fpFixtureExitStatus;
        }
    }
    m_card->setFixture(m_fixtureRead, m_fixturePath, m_fixtureFound);
    m_service.keepRecords(m_card.get(), m_cardId, !m_commandLine.noLog);
    m_service.serve(m_card.get(), m_cardId, m_fc.driverRevision());
    QStringList ways;
    if (const RemoteControl *remote = m_service.remote()) {
        ways += QStringLiteral("SCPI on %1").arg(endpointText(remote->address(), remote->port()));
        if (remote->vxi11Port() != 0)
            ways += QStringLiteral("VXI-11 core channel on port %1").arg(remote->vxi11Port());
    }
    if (const WebFace *web = m_service.web())
        ways += QStringLiteral("web on %1").arg(endpointText(web->address(), web->port()));
    const QString joined = ways.join(QStringLiteral(", "));
    const QString serving = m_demo
        ? QStringLiteral("serving demo mode (no card): %1").arg(joined)
        : QStringLiteral("serving the card %1: %2").arg(m_cardId, joined);
    journal::say(Priority::Info, serving);

    ServiceManager manager;
    manager.ready(serving);
    QObject::connect(&endSignals, &TerminationSignals::hangUp, &endSignals,
                     [this] { readFixture(false); });
    QCoreApplication::exec();
    manager.stopping();
    journal::say(Priority::Info,
                 QStringLiteral("ending on %1").arg(signalName(endSignals.caught())));
    end();
    return 0;
}

void HeadlessRun::end()
{
    // Nothing more for the clients, and no one told to come, before the
    // card they drive goes; what the card did is written; its session
    // closed last.
    m_service.stopServing();
    m_card.reset();
    if (m_opened) {
        m_fc.close(m_vi);
        m_opened = false;
    }
    m_service.log().flush();
    // A failure is said by the counts themselves, once.
    m_service.wear().flush();
}

} // namespace sfp
