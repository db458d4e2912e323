// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A remote client on the test's own event loop: each request waits for its
// response while the panel runs.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTest>

namespace sfptest {

class ScpiClient
{
public:
    bool connectTo(quint16 port)
    {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        return m_socket.waitForConnected(5000);
    }

    void send(const QByteArray &line)
    {
        m_socket.write(line + '\n');
        m_socket.flush();
    }

    // The next response line, without its line end; "<none>" when none came.
    QByteArray read(int timeoutMs = 10000)
    {
        if (!QTest::qWaitFor([this] { return m_socket.canReadLine(); }, timeoutMs))
            return QByteArrayLiteral("<none>");
        return m_socket.readLine().trimmed();
    }

    QByteArray ask(const QByteArray &line, int timeoutMs = 10000)
    {
        send(line);
        return read(timeoutMs);
    }

    // Runs the lines and waits until the panel has done them.
    void run(const QByteArray &lines) { QCOMPARE(ask(lines + ";*OPC?"), QByteArrayLiteral("1")); }

    QTcpSocket &socket() { return m_socket; }

private:
    QTcpSocket m_socket;
};

} // namespace sfptest
