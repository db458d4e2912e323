// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The socket side of the SCPI remote control: clients on a TCP port, their
// program message lines in the order received, responses to the client that
// asked. What a line does is the handler's business.
#pragma once

#include "scpihandler.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QTcpServer;
class QTcpSocket;
class QTimer;

namespace sfp {

// ADDRESS:PORT as clients name it, an IPv6 address in brackets:
// 127.0.0.1:5025, [::1]:5025.
QString scpiEndpoint(const QHostAddress &address, quint16 port);

class ScpiServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScpiServer)

public:
    static constexpr int maxClients = 4;
    // Longest line, without its line end.
    static constexpr qsizetype maxLineLength = qsizetype(64) * 1024;

    explicit ScpiServer(ScpiHandler *handler, QObject *parent = nullptr);
    ~ScpiServer() override;

    // Binds the address without taking any client yet. False, with
    // errorString() saying why, when the address cannot be bound.
    bool listen(const QHostAddress &address, quint16 port);
    QString errorString() const;
    QHostAddress address() const;
    quint16 port() const;

    // Takes clients from now on.
    void start();
    // The handler is ready again: runs the lines that wait.
    void resume();

    int clientCount() const;

signals:
    void clientCountChanged(int count);

private:
    struct Client;

    void acceptClients();
    void readFrom(Client *client);
    void runWaitingLines();
    bool runOneLine(Client *client);
    void clientDisconnected(Client *client);
    void forget(Client *client);

    ScpiHandler *m_handler;
    QTcpServer *m_server;
    QTimer *m_retry;
    std::vector<std::unique_ptr<Client>> m_clients;
    quint64 m_nextId = 1;
    bool m_inPass = false;
};

} // namespace sfp
