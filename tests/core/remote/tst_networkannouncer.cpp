// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The announcer's side that needs no daemon: the instrument's name as the
// network gets it, and the announcement refused where the daemon cannot be
// reached or the address is no interface's. Its work with a daemon is the
// discovery test's (e2e_discovery), on a network of the test's own.
#include "networkannouncer.h"
#include "sfpcoretest.h"

#include <QTest>

class tst_NetworkAnnouncer : public QObject
{
    Q_OBJECT

private slots:
    void instrumentName();
    void refusedWithoutADaemon();
};

void tst_NetworkAnnouncer::instrumentName()
{
    using sfp::NetworkAnnouncer;
    QCOMPARE(NetworkAnnouncer::instrumentName(QStringLiteral("VXI0::1::INSTR/FC2")),
             QByteArray("Orbelan 5170 VXI0::1::INSTR/FC2"));
    QCOMPARE(NetworkAnnouncer::instrumentName(QStringLiteral("DEMO")),
             QByteArray("Orbelan 5170 DEMO"));
    // A DNS label holds 63 bytes: 13 for "Orbelan 5170 ", 50 of the id.
    const QString longId = QString(60, QLatin1Char('x'));
    QCOMPARE(NetworkAnnouncer::instrumentName(longId), "Orbelan 5170 " + QByteArray(50, 'x'));
    const QString fits = QString(50, QLatin1Char('y'));
    QCOMPARE(NetworkAnnouncer::instrumentName(fits), "Orbelan 5170 " + QByteArray(50, 'y'));
    // A character of two bytes that would end at byte 64 goes whole.
    const QString accented = QString(49, QLatin1Char('z')) + QChar(0xE9) + QLatin1Char('z');
    QCOMPARE(NetworkAnnouncer::instrumentName(accented), "Orbelan 5170 " + QByteArray(49, 'z'));
    const QString accentedFits = QString(48, QLatin1Char('z')) + QChar(0xE9) + QLatin1Char('z');
    QCOMPARE(NetworkAnnouncer::instrumentName(accentedFits),
             "Orbelan 5170 " + QByteArray(48, 'z') + "\xc3\xa9");
}

void tst_NetworkAnnouncer::refusedWithoutADaemon()
{
    // The system bus of this test is nowhere: no daemon can answer.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/sfp-test-bus");
    sfp::NetworkAnnouncer announcer;
    const QString why = announcer.announce("Orbelan 5170 DEMO", QHostAddress::Any,
                                           {{"_scpi-raw._tcp", 5025}}, {}, nullptr);
    QVERIFY2(why.startsWith(QLatin1String("no Avahi daemon answers (")), qPrintable(why));
    QCOMPARE(announcer.announce("Orbelan 5170 DEMO", QHostAddress::Any, {{"_scpi-raw._tcp", 5025}},
                                {}, nullptr),
             QStringLiteral("already announced"));
    // On the loopback's interface alone: the same.
    sfp::NetworkAnnouncer onLoopback;
    QVERIFY(onLoopback
                .announce("Orbelan 5170 DEMO", QHostAddress::LocalHost, {{"_scpi-raw._tcp", 5025}},
                          {}, nullptr)
                .startsWith(QLatin1String("no Avahi daemon answers (")));
    // An address no interface holds.
    sfp::NetworkAnnouncer elsewhere;
    QCOMPARE(elsewhere.announce("Orbelan 5170 DEMO", QHostAddress(QStringLiteral("192.0.2.77")),
                                {{"_scpi-raw._tcp", 5025}}, {}, nullptr),
             QStringLiteral("no interface of this machine holds 192.0.2.77"));
}

SFPTEST_CORE_MAIN(tst_NetworkAnnouncer)
#include "tst_networkannouncer.moc"
