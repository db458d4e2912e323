// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The socket side of the SCPI remote control: clients on a TCP port, their
// program message lines in the order received, responses to the client that
// asked. What a line does is the handler's business.
#pragma once

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

// ADDRESS:PORT as clients name it, an IPv6 address in brackets:
// 127.0.0.1:5025, [::1]:5025.
QString sfpScpiEndpoint(const QHostAddress &address, quint16 port);

// What the server hands its lines to. Clients are told apart by a number
// that the server never gives twice.
class sfpScpiHandler
{
public:
    virtual ~sfpScpiHandler();

    // False while no line may run; the lines wait, in order, until the
    // server is told to resume().
    virtual bool isReady() const = 0;
    virtual void clientJoined(quint64 client) = 0;
    // After the client's last line has run.
    virtual void clientLeft(quint64 client) = 0;
    // Runs one line (without its line end) and returns the response message
    // to send, with its line end, or nothing.
    virtual QByteArray execute(quint64 client, QByteArrayView line) = 0;
    // A line longer than the limit was dropped, in its place among the
    // client's lines.
    virtual void lineTooLong(quint64 client) = 0;
};

class sfpScpiServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(sfpScpiServer)

public:
    static constexpr int maxClients = 4;
    // Longest line, without its line end.
    static constexpr qsizetype maxLineLength = qsizetype(64) * 1024;

    explicit sfpScpiServer(sfpScpiHandler *handler, QObject *parent = nullptr);
    ~sfpScpiServer() override;

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

    sfpScpiHandler *m_handler;
    QTcpServer *m_server;
    QTimer *m_retry;
    std::vector<std::unique_ptr<Client>> m_clients;
    quint64 m_nextId = 1;
    bool m_inPass = false;
};
