// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// What lets the panel end cleanly when it serves the network: the port
// mapper's registration, made on a thread of its own and never waited for
// long, and SIGTERM or SIGINT taken as a request to end. The test runs in a
// network and mount namespace of its own (tests/e2e/in_namespace.sh), where
// no port mapper runs whatever the machine runs.
#include "portmapperregistration.h"
#include "sfpcoretest.h"
#include "terminationsignals.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <memory>

class tst_ProgramEnd : public QObject
{
    Q_OBJECT

private slots:
    void registrationWithoutAPortMapper();
    void signalsEndTheEventLoop();
    void hangUpOnlyWhereTaken();
};

void tst_ProgramEnd::registrationWithoutAPortMapper()
{
    // A program number nobody uses, so that a port mapper the machine may
    // run after all is left alone.
    constexpr quint32 program = 0x3fffff01;
    // Run on its own, outside its namespace, it may meet the machine's.
    if (QFile::exists(QStringLiteral("/run/rpcbind.sock")))
        QSKIP("a port mapper runs here: run the test through ctest, in a namespace of its own");
    {
        sfp::PortMapperRegistration registration;
        QSignalSpy finished(&registration, &sfp::PortMapperRegistration::finished);
        registration.start(program, 1, 40000);
        // Once only.
        registration.start(program, 1, 40001);
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.at(0).at(0).toString(),
                 QStringLiteral("no port mapper (rpcbind) answers on this machine"));
        QVERIFY(!registration.isRegistered());
    }
    {
        // Ended while the registration is under way: the end does not wait
        // for it longer than it allows, and nothing is told to a registration
        // that is gone.
        auto registration = std::make_unique<sfp::PortMapperRegistration>();
        registration->start(program, 1, 40002);
        registration.reset();
        QTest::qWait(200);
    }
    {
        sfp::PortMapperRegistration never;
        QVERIFY(!never.isRegistered());
    }
}

void tst_ProgramEnd::signalsEndTheEventLoop()
{
    sfp::TerminationSignals first;
    // One at a time: a second one takes nothing.
    {
        sfp::TerminationSignals second;
        QCOMPARE(second.caught(), 0);
    }
    QCOMPARE(first.caught(), 0);
    QTimer::singleShot(0, &first, [] { std::raise(SIGTERM); });
    QEventLoop loop;
    QTimer::singleShot(20000, &loop, [&loop] { loop.exit(1); });
    QCOMPARE(loop.exec(), 0);
    QCOMPARE(first.caught(), int(SIGTERM));
}

void tst_ProgramEnd::hangUpOnlyWhereTaken()
{
    // SIGHUP reads again where a server asked for it, and never ends the
    // loop; its former handling comes back with the end, and without the
    // request it is left alone.
    struct sigaction before
    { };
    ::sigaction(SIGHUP, nullptr, &before);
    {
        sfp::TerminationSignals plain;
        struct sigaction during
        { };
        ::sigaction(SIGHUP, nullptr, &during);
        QVERIFY(during.sa_handler == before.sa_handler);
    }
    {
        sfp::TerminationSignals server(nullptr, sfp::TerminationSignals::HangUp::Taken);
        QSignalSpy hungUp(&server, &sfp::TerminationSignals::hangUp);
        QTimer::singleShot(0, &server, [] { std::raise(SIGHUP); });
        QTRY_COMPARE_WITH_TIMEOUT(hungUp.size(), 1, 20000);
        QCOMPARE(server.caught(), 0);
    }
    struct sigaction after
    { };
    ::sigaction(SIGHUP, nullptr, &after);
    QVERIFY(after.sa_handler == before.sa_handler);
}

SFPTEST_CORE_MAIN(tst_ProgramEnd)
#include "tst_programend.moc"
