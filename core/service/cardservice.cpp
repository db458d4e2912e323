// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "cardservice.h"

#include "cardsession.h"
#include "clienttimeouts.h"
#include "endpoint.h"
#include "networkannouncer.h"
#include "remotecontrol.h"
#include "savedstates.h"
#include "translation.h"
#include "userfolders.h"
#include "webface.h"
#include "webpassword.h"
#include "webtls.h"

#include "libraryrevision.h"
#include "platformlibraries.h"

#include <QCoreApplication>

#include <chrono>

namespace sfp {

namespace {

// The port VXI-11 clients ask the port mapper on.
constexpr quint16 portMapperPort = 111;

} // namespace

CardService::CardService(Say say, QObject *parent)
    : QObject(parent)
    , m_say(std::move(say))
{ }

CardService::~CardService()
{
    stopServing();
}

bool CardService::readFixture(const QString &path, bool named, const Say &say, Fixture *fixture,
                              bool *found, QString *fault, QString *localFault)
{
    bool absent = false;
    const fixture::Reading reading = fixture::read(path, &absent);
    if (absent && !named)
        return true;
    const char noFile[] = QT_TRANSLATE_NOOP("CardService", "there is no such file");
    const QString error = absent ? QString::fromLatin1(noFile) : reading.error;
    if (!error.isEmpty()) {
        *fault = error;
        if (localFault != nullptr)
            *localFault = absent ? translate("CardService", noFile) : reading.localError;
        say(Priority::Error, QStringLiteral("the fixture %1 cannot be used: %2").arg(path, error));
        return false;
    }
    for (const QString &warning : reading.warnings)
        say(Priority::Warning, QStringLiteral("the fixture %1: %2").arg(path, warning));
    *fixture = reading.fixture;
    *found = true;
    return true;
}

bool CardService::listen(const QHostAddress &address, quint16 port, int idleTimeoutSeconds)
{
    // Its identity and the folder of its saved states are the card's: set
    // once the card is known.
    m_remote = std::make_unique<RemoteControl>(QByteArray(), QString());
    ClientTimeouts timeouts;
    timeouts.idle = std::chrono::seconds(idleTimeoutSeconds);
    m_remote->setClientTimeouts(timeouts);
    m_remote->setAccess(m_access);
    connect(m_remote.get(), &RemoteControl::clientRefused, this, &CardService::sayRefused);
    connect(m_remote.get(), &RemoteControl::clientNotAllowed, this, &CardService::logNotAllowed);
    if (!m_remote->listen(address, port)) {
        m_say(Priority::Error,
              QStringLiteral("the remote control cannot listen on %1: %2")
                  .arg(endpointText(address, port), m_remote->errorString()));
        m_remote.reset();
        return false;
    }
    sayWhoReaches(QStringLiteral("the remote control"), address, m_remote->port());
    // VXI-11 is a second way in; the socket serves without it.
    if (!m_remote->listenVxi11())
        m_say(Priority::Warning,
              QStringLiteral("the VXI-11 channels cannot listen: %1")
                  .arg(m_remote->vxi11ErrorString()));
    return true;
}

bool CardService::readWebFiles(const QString &passwordFile, const QString &certificate,
                               const QString &key)
{
    QString why;
    if (!passwordFile.isEmpty()) {
        m_webPasswordHash = webPassword::readFile(passwordFile, &why);
        if (m_webPasswordHash.isEmpty()) {
            m_say(Priority::Error,
                  QStringLiteral("the password file %1 %2").arg(passwordFile, why));
            return false;
        }
    }
    if (!certificate.isEmpty() && !webTls::load(certificate, key, &m_webTls, &why)) {
        m_say(Priority::Error, why);
        return false;
    }
    return true;
}

bool CardService::listenWeb(const QHostAddress &address, quint16 port)
{
    m_web = std::make_unique<WebFace>();
    m_web->setAccess(m_access);
    connect(m_web.get(), &WebFace::clientRefused, this, &CardService::sayRefused);
    connect(m_web.get(), &WebFace::clientNotAllowed, this, &CardService::logNotAllowed);
    m_web->setPasswordHash(m_webPasswordHash);
    if (!m_webTls.isNull())
        m_web->setTls(m_webTls);
    connect(m_web.get(), &WebFace::passwordRefused, this, &CardService::sayPasswordRefused);
    if (!m_web->listen(address, port)) {
        m_say(Priority::Error,
              QStringLiteral("the web face cannot listen on %1: %2")
                  .arg(endpointText(address, port), m_web->errorString()));
        m_web.reset();
        return false;
    }
    sayWhoReaches(QStringLiteral("the web face"), address, m_web->port());
    return true;
}

void CardService::sayWhoReaches(const QString &face, const QHostAddress &address, quint16 port)
{
    if (address.isLoopback())
        return;
    const bool web = m_web && face == QLatin1String("the web face");
    // The web face beyond the loopback shows the relays to all it lets in;
    // changes need more.
    const QString changes = !web ? QString()
        : m_webPasswordHash.isEmpty()
        ? QStringLiteral("changes from there are refused without a password (--password-file)")
        : m_webTls.isNull() ? QStringLiteral("changes from there are refused, as the password is "
                                             "taken only over HTTPS (--http-certificate)")
                            : QStringLiteral("changes from there need the password");
    if (m_access.allowsAny())
        m_say(Priority::Warning,
              web ? QStringLiteral("%1 listens on %2: anyone who can reach it there can see the "
                                   "relays; %3")
                        .arg(face, endpointText(address, port), changes)
                  : QStringLiteral("%1 listens on %2: anyone who can reach it there can switch "
                                   "the relays")
                        .arg(face, endpointText(address, port)));
    else
        m_say(Priority::Notice,
              QStringLiteral("%1 listens on %2 for the loopback and the addresses --allow names%3")
                  .arg(face, endpointText(address, port),
                       web ? QStringLiteral("; ") + changes : QString()));
}

void CardService::sayRefused(const QString &peer, const QString &why)
{
    if (m_refusedSaid.isValid() && m_refusedSaid.elapsed() < refusedLineIntervalMs) {
        ++m_refusedNotSaid;
        return;
    }
    QString line = QStringLiteral("a client at %1 is refused: %2").arg(peer, why);
    if (m_refusedNotSaid > 0)
        line += QStringLiteral(" (and %1 more since the last such line)").arg(m_refusedNotSaid);
    m_refusedNotSaid = 0;
    m_refusedSaid.start();
    m_say(Priority::Warning, line);
}

void CardService::sayPasswordRefused(const QString &peer, const QString &why)
{
    if (m_passwordRefusedSaid.isValid() && m_passwordRefusedSaid.elapsed() < 1000) {
        ++m_passwordRefusedNotSaid;
        return;
    }
    QString line = QStringLiteral("the web face refused a change from %1: %2").arg(peer, why);
    if (m_passwordRefusedNotSaid > 0)
        line += QStringLiteral(" (and %1 more since the last such line)")
                    .arg(m_passwordRefusedNotSaid);
    m_passwordRefusedNotSaid = 0;
    m_passwordRefusedSaid.start();
    m_say(Priority::Warning, line);
}

void CardService::logNotAllowed(const QString &face, const QHostAddress &address, int error)
{
    if (m_card == nullptr)
        return;
    // By address, not port: a client that tries again and again is one
    // source, counted as one stream of refusals.
    const CardSession::Source source(m_card, face + QLatin1Char(' ') + address.toString());
    m_card->recordRefusal(0, QStringLiteral("not allowed from ") + address.toString(), error);
}

QString CardService::keepRecords(CardSession *card, const QString &cardId, bool keepLog)
{
    QString notCounted;
    // Relays wear out on a card, not in demo mode.
    if (!card->isDemo()) {
        notCounted = m_wear.open(RelayWear::fileName(RelayWear::defaultFolder(), cardId));
        if (notCounted.isEmpty())
            card->setWear(&m_wear);
        else
            m_say(Priority::Warning, QStringLiteral("relay cycles are not counted: ") + notCounted);
        connect(&m_wear, &RelayWear::writeFailed, this, [this](const QString &text) {
            m_say(Priority::Error, QStringLiteral("relay cycles are not kept: ") + text);
        });
    }
    // Every change of the card, whoever makes it, in the card's own log.
    if (keepLog) {
        m_log.setPath(SwitchingLog::fileName(RelayWear::defaultFolder(), cardId));
        connect(&m_log, &SwitchingLog::writeFailed, this, [this](const QString &text) {
            m_say(Priority::Error, QStringLiteral("the switching log is not kept: ") + text);
        });
        card->setLog(&m_log, cardId);
    }
    return notCounted;
}

void CardService::serve(CardSession *card, const QString &cardId, const QString &driverRevision)
{
    m_card = card;
    if (m_web) {
        m_web->start(card, m_wear.isOpen() ? &m_wear : nullptr, {});
        describeToWeb(cardId, driverRevision, false);
    }
    if (!m_remote) {
        announce(cardId, driverRevision, false);
        return;
    }
    // A client learns which card answers, and a state saved for one card
    // is never brought back on another.
    m_remote->setIdentity(RemoteControl::identity(cardId, driverRevision));
    m_remote->setStateFolder(userFolders::cardFolder(savedStates::defaultFolder(), cardId));
    m_remote->start(card);
    if (m_web)
        connect(m_remote.get(), &RemoteControl::lockChanged, m_web.get(), &WebFace::cardChanged);
    // The announcement names VXI-11 only once the port mapper does: it
    // follows the registration, which may take a while.
    if (m_remote->vxi11Port() == 0) {
        announce(cardId, driverRevision, false);
        return;
    }
    connect(m_remote.get(), &RemoteControl::vxi11Registered, this,
            [this, cardId, driverRevision](const QString &why) {
                if (!why.isEmpty())
                    m_say(Priority::Warning,
                          QStringLiteral("VXI-11 clients do not find the panel through the port "
                                         "mapper: %1; the core channel listens on port %2")
                              .arg(why)
                              .arg(m_remote->vxi11Port()));
                describeToWeb(cardId, driverRevision, why.isEmpty());
                announce(cardId, driverRevision, why.isEmpty());
            });
    m_remote->registerVxi11();
}

void CardService::describeToWeb(const QString &cardId, const QString &driverRevision, bool vxi11)
{
    if (!m_web)
        return;
    const platform::Loaded &libraries = platform::loaded();
    WebCard about;
    about.identity = RemoteControl::identity(cardId, driverRevision);
    about.driverRevision = driverRevision;
    about.commonRevision = QString::fromLatin1(libraryRevision());
    about.programVersion = QCoreApplication::applicationVersion();
    about.simulated = libraries.simulated;
    about.libraryOrigin = libraries.origin;
    if (m_remote) {
        about.socketAddress = m_remote->address();
        about.socketPort = m_remote->port();
    }
    about.vxi11 = vxi11;
    m_web->setCard(about);
}

void CardService::announce(const QString &cardId, const QString &driverRevision, bool vxi11)
{
    // Found on the network as LAN instruments are, by the faces that
    // listen beyond the loopback; a panel that only the loopback reaches
    // has nobody to tell.
    const bool remoteBeyond = m_remote && !m_remote->address().isLoopback();
    const bool webBeyond = m_web && !m_web->address().isLoopback();
    if (!remoteBeyond && !webBeyond)
        return;
    QList<NetworkAnnouncer::Service> services;
    if (remoteBeyond) {
        services += {"_scpi-raw._tcp", m_remote->port()};
        // VXI-11 clients ask the port mapper, on its own port.
        if (vxi11)
            services += {"_vxi-11._tcp", portMapperPort};
    }
    // An LXI instrument's record names its web server where it has one.
    if (webBeyond)
        services += {{m_web->isSecure() ? "_https._tcp" : "_http._tcp", m_web->port()},
                     {"_lxi._tcp", m_web->port()}};
    else if (vxi11)
        services += {"_lxi._tcp", portMapperPort};
    m_announcer = std::make_unique<NetworkAnnouncer>();
    const QString why = m_announcer->announce(
        NetworkAnnouncer::instrumentName(cardId),
        remoteBeyond ? m_remote->address() : m_web->address(), services,
        {"Manufacturer=Orbelan", "Model=5170", "SerialNumber=" + cardId.toUtf8(),
         "FirmwareVersion=" + driverRevision.toUtf8()},
        [this](const QString &text) { m_say(Priority::Warning, text); });
    if (!why.isEmpty())
        m_say(Priority::Warning,
              QStringLiteral("the panel is not announced on the network: ") + why);
}

void CardService::stopServing()
{
    m_announcer.reset();
    m_web.reset();
    m_remote.reset();
    m_card = nullptr;
}

} // namespace sfp
