// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "remotecontrol.h"

#include "remotecommands.h"

#include <utility>

namespace sfp {

RemoteControl::RemoteControl(QByteArray identity, QString stateFolder, QObject *parent)
    : QObject(parent)
    , m_commands(std::make_unique<RemoteCommands>(std::move(identity), std::move(stateFolder)))
{
    connect(m_commands.get(), &RemoteCommands::infoChanged, this, &RemoteControl::infoChanged);
    connect(m_commands.get(), &RemoteCommands::clientRefused, this, &RemoteControl::clientRefused);
    connect(m_commands.get(), &RemoteCommands::clientNotAllowed, this,
            &RemoteControl::clientNotAllowed);
    connect(m_commands.get(), &RemoteCommands::lockChanged, this, &RemoteControl::lockChanged);
    connect(m_commands.get(), &RemoteCommands::commandArriving, this,
            &RemoteControl::commandArriving);
    connect(m_commands.get(), &RemoteCommands::vxi11Registered, this,
            &RemoteControl::vxi11Registered);
}

RemoteControl::~RemoteControl() = default;

QByteArray RemoteControl::identity(const QString &cardId, const QString &driverRevision)
{
    return QByteArrayLiteral("Orbelan,5170,") + cardId.toLatin1() + ',' + driverRevision.toLatin1();
}

bool RemoteControl::listen(const QHostAddress &address, quint16 port)
{
    return m_commands->listen(address, port);
}

QString RemoteControl::errorString() const
{
    return m_commands->errorString();
}

bool RemoteControl::listenVxi11()
{
    return m_commands->listenVxi11();
}

QString RemoteControl::vxi11ErrorString() const
{
    return m_commands->vxi11ErrorString();
}

quint16 RemoteControl::vxi11Port() const
{
    return m_commands->vxi11Port();
}

void RemoteControl::registerVxi11()
{
    m_commands->registerVxi11();
}

bool RemoteControl::isVxi11Registered() const
{
    return m_commands->isVxi11Registered();
}

QHostAddress RemoteControl::address() const
{
    return m_commands->address();
}

quint16 RemoteControl::port() const
{
    return m_commands->port();
}

void RemoteControl::setClientTimeouts(const ClientTimeouts &timeouts)
{
    m_commands->setClientTimeouts(timeouts);
}

void RemoteControl::setAccess(const AccessRules &rules)
{
    m_commands->setAccess(rules);
}

void RemoteControl::setIdentity(const QByteArray &identity)
{
    m_commands->setIdentity(identity);
}

void RemoteControl::setStateFolder(const QString &folder)
{
    m_commands->setStateFolder(folder);
}

void RemoteControl::start(CardSession *card)
{
    m_commands->start(card);
}

void RemoteControl::setOperatorAsked(std::function<bool()> asked)
{
    m_commands->setOperatorAsked(std::move(asked));
}

QString RemoteControl::infoText() const
{
    return m_commands->infoText();
}

bool RemoteControl::isLocked() const
{
    return m_commands->isLocked();
}

} // namespace sfp
