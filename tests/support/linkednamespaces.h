// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Two network namespaces of the test's own, joined by a cable (a veth
// pair) that the test may pull: a server in one and a client in the other
// talk over a link that can vanish without either side hearing of it, and
// nothing reaches the machine's own network. Needs the right to make
// namespaces (root) and `ip`.
#pragma once

#include <QHostAddress>
#include <QString>

#include <functional>

namespace sfptest {

class LinkedNamespaces final
{
public:
    LinkedNamespaces();
    ~LinkedNamespaces();
    LinkedNamespaces(const LinkedNamespaces &) = delete;
    LinkedNamespaces &operator=(const LinkedNamespaces &) = delete;
    LinkedNamespaces(LinkedNamespaces &&) = delete;
    LinkedNamespaces &operator=(LinkedNamespaces &&) = delete;

    // Empty when both namespaces and the cable are up; else why not.
    QString error() const { return m_error; }

    // The server's end of the cable, and the client's.
    static QHostAddress serverAddress();
    static QHostAddress clientAddress();

    // Runs `work` with this thread inside one namespace; the sockets it
    // makes stay there. False when the thread could not go in or back.
    bool inServer(const std::function<void()> &work) const;
    bool inClient(const std::function<void()> &work) const;

    // A socket descriptor connected from the client's namespace to `port`
    // at the server's address, or -1.
    int connectFromClient(quint16 port) const;

    // Pulls the cable at the client's end; no packet tells either side.
    bool cut();

private:
    bool run(const QStringList &arguments);
    bool inside(const QString &name, const std::function<void()> &work) const;

    QString m_server;
    QString m_client;
    QString m_error;
};

} // namespace sfptest
