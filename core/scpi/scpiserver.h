// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The socket side of the SCPI remote control: clients on a TCP port, their
// program message lines in the order received, responses to the client that
// asked, and the end of connections whose client has gone silent or away.
// What a line does is the handler's business.
#pragma once

#include "accessrules.h"
#include "clienttimeouts.h"
#include "scpihandler.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <vector>

class QTcpServer;
class QTcpSocket;
class QTimer;

namespace sfp {

class ScpiServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScpiServer)

public:
    static constexpr int maxClients = 4;
    // Longest line, without its line end.
    static constexpr qsizetype maxLineLength = qsizetype(64) * 1024;
    // Responses a client may leave unread beyond what the system buffers
    // for it; a client that leaves more is dropped.
    static constexpr qint64 maxUnsentBytes = qint64(1024) * 1024;
    // How long a new client may keep one of the places without a whole
    // line before a newcomer that finds every place taken has it.
    static constexpr std::chrono::milliseconds firstLineTimeout {5000};

    // How long the server waits for its clients before it lets them go.
    using ClientTimeouts = sfp::ClientTimeouts;

    explicit ScpiServer(ScpiHandler *handler, QObject *parent = nullptr);
    ~ScpiServer() override;

    // Binds the address without taking any client yet. False, with
    // errorString() saying why, when the address cannot be bound.
    bool listen(const QHostAddress &address, quint16 port);
    QString errorString() const;
    QHostAddress address() const;
    quint16 port() const;

    // For the clients that join from now on.
    void setClientTimeouts(const ClientTimeouts &timeouts) { m_timeouts = timeouts; }
    // Who may connect (by default the loopback only); the others read one
    // line that says so, and their connection is closed.
    void setAccess(const AccessRules &rules) { m_access = rules; }

    // Takes clients from now on.
    void start();
    // The handler is ready again: runs the lines that wait.
    void resume();
    // A held line may have ended: gives its response, and runs the lines
    // behind it, now rather than at the next look the server takes.
    void resumeHeld();

    int clientCount() const;
    // Drops the oldest client that has not completed a line within
    // firstLineTimeout of joining, to make room for a newcomer; false when
    // there is none.
    bool dropSilentClient();
    // The client's address and port, "127.0.0.1:40312"; empty for a client
    // the server does not know.
    QString peerName(quint64 client) const;

signals:
    void clientCountChanged(int count);
    // A connection refused before it became a client, `peer` as the log
    // writes a client's address.
    void clientRefused(const QString &peer, const QString &why);
    // A connection refused because the access rules do not allow its
    // address (said by clientRefused too).
    void notAllowed(const QHostAddress &address);

private:
    struct Client;

    void acceptClients();
    void refuse(QTcpSocket *socket, const QByteArray &line, const QString &why);
    void readFrom(Client *client);
    void idleFor(Client *client);
    void drop(Client *client);
    void runWaitingLines();
    bool runOneLine(Client *client);
    bool resumeHeldLine(Client *client);
    void respond(Client *client, const QByteArray &response);
    void clientDisconnected(Client *client);
    void forget(Client *client);

    ScpiHandler *m_handler;
    QTcpServer *m_server;
    QTimer *m_retry;
    std::vector<std::unique_ptr<Client>> m_clients;
    ClientTimeouts m_timeouts;
    AccessRules m_access;
    int m_refusing = 0; // refused sockets that still take what their client sends
    quint64 m_nextId = 1;
    bool m_inPass = false;
    bool m_yielded = false; // a pass gave the window its turn; the next waits for it
    bool m_lookAgain = false; // a held line ended while a pass ran
};

} // namespace sfp
