// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The bare Qt counterpart of the remote control's socket side, in a process
// of its own so that it shares its event loop with nothing: every line a
// client sends goes back as it came, written out before the next event as
// the remote control writes its responses. It listens on a free loopback
// port, writes that port as one line on standard output, and ends when
// its standard input does (bench_remote holds the other end).
//
//   build/bin/bench_remote_echo
#include <QCoreApplication>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>

#include <unistd.h>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost, 0)) {
        std::fprintf(stderr, "bench_remote_echo: %s\n", qPrintable(server.errorString()));
        return 2;
    }
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                while (socket->canReadLine())
                    socket->write(socket->readLine());
                socket->flush();
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });

    // The end of standard input: the benchmark is over, or gone.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&input] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
        }
    });

    std::printf("%u\n", unsigned(server.serverPort()));
    std::fflush(stdout);
    return QCoreApplication::exec();
}
