// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Who may reach the card beyond the loopback: the lists an admin writes,
// the ones a typo makes, and which clients each lets in.
#include "accessrules.h"

#include <QTest>

using sfp::AccessRules;

class tst_AccessRules : public QObject
{
    Q_OBJECT

private slots:
    void allows_data();
    void allows();
    void refuses_data();
    void refuses();
};

void tst_AccessRules::allows_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("peer");
    QTest::addColumn<bool>("allowed");

    const QString lab = QStringLiteral("192.168.7.0/24, fd00::/64,10.1.2.3");
    QTest::newRow("in an IPv4 network") << lab << "192.168.7.200" << true;
    QTest::newRow("next to it") << lab << "192.168.8.1" << false;
    QTest::newRow("one address") << lab << "10.1.2.3" << true;
    QTest::newRow("its neighbour") << lab << "10.1.2.4" << false;
    QTest::newRow("in an IPv6 network") << lab << "fd00::17" << true;
    QTest::newRow("beyond it") << lab << "fd00:0:0:1::17" << false;
    QTest::newRow("IPv4 through a dual-stack socket") << lab << "::ffff:192.168.7.9" << true;
    QTest::newRow("a stranger through it") << lab << "::ffff:192.168.9.9" << false;
    QTest::newRow("loopback, IPv4") << lab << "127.0.0.1" << true;
    QTest::newRow("loopback, the whole network") << lab << "127.200.1.1" << true;
    QTest::newRow("loopback, IPv6") << lab << "::1" << true;
    QTest::newRow("loopback, mapped") << lab << "::ffff:127.0.0.1" << true;
    QTest::newRow("a mapped network") << "::ffff:10.0.0.0/104"
                                      << "10.9.9.9" << true;
    QTest::newRow("a mapped network, by its mapped client") << "::ffff:10.0.0.0/104"
                                                            << "::ffff:10.9.9.9" << true;
    QTest::newRow("outside the mapped network") << "::ffff:10.0.0.0/104"
                                                << "11.0.0.1" << false;
    QTest::newRow("every IPv4 address") << "0.0.0.0/0"
                                        << "203.0.113.9" << true;
    QTest::newRow("not an IPv6 one") << "0.0.0.0/0"
                                     << "2001:db8::1" << false;
    QTest::newRow("any, IPv4") << " any "
                               << "203.0.113.9" << true;
    QTest::newRow("any, IPv6") << "any"
                               << "2001:db8::1" << true;
    QTest::newRow("the unspecified address") << lab << "0.0.0.0" << false;
}

void tst_AccessRules::allows()
{
    QFETCH(QString, list);
    QFETCH(QString, peer);
    QFETCH(bool, allowed);
    QString error;
    const std::optional<AccessRules> rules = AccessRules::parse(list, &error);
    QVERIFY2(rules.has_value(), qPrintable(error));
    QCOMPARE(rules->allows(QHostAddress(peer)), allowed);
    // Without a list only the loopback reaches the card.
    QCOMPARE(AccessRules().allows(QHostAddress(peer)),
             QHostAddress(peer).isLoopback()
                 || QHostAddress(peer) == QHostAddress(QStringLiteral("::ffff:127.0.0.1")));
}

void tst_AccessRules::refuses_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("error");

    QTest::newRow("prefix too long") << "10.0.0.0/33"
                                     << "'10.0.0.0/33' has no prefix length from 0 to 32";
    QTest::newRow("IPv6 prefix too long") << "fd00::/129"
                                          << "'fd00::/129' has no prefix length from 0 to 128";
    QTest::newRow("no prefix") << "10.0.0.0/"
                               << "'10.0.0.0/' has no prefix length from 0 to 32";
    QTest::newRow("signed prefix") << "10.0.0.0/+8"
                                   << "'10.0.0.0/+8' has no prefix length from 0 to 32";
    QTest::newRow("a netmask") << "10.0.0.0/255.0.0.0"
                               << "'10.0.0.0/255.0.0.0' has no prefix length from 0 to 32";
    QTest::newRow("mapped, out of range") << "::ffff:300.1.1.1"
                                          << "'::ffff:300.1.1.1' is no address or network";
    QTest::newRow("a name") << "lab-pc"
                            << "'lab-pc' is no address or network";
    QTest::newRow("host bits")
        << "10.1.2.3/24"
        << "'10.1.2.3/24' has bits set beyond its prefix: the network is 10.1.2.0/24";
    QTest::newRow("a zone") << "fe80::1%eth0"
                            << "'fe80::1%eth0' names a network interface; give addresses only";
    QTest::newRow("empty") << ""
                           << "the list has an empty item";
    QTest::newRow("empty item") << "10.0.0.1,,10.0.0.2"
                                << "the list has an empty item";
    QTest::newRow("trailing comma") << "10.0.0.1,"
                                    << "the list has an empty item";
    QTest::newRow("any among others") << "10.0.0.1,any"
                                      << "'any' stands alone: it allows every address";
    QStringList many;
    for (int i = 0; i < 10000; ++i)
        many.append(QStringLiteral("10.%1.%2.0/24").arg(i / 256).arg(i % 256));
    QTest::newRow("10,000 items") << many.join(
        QLatin1Char(',')) << "the list names 10000 addresses and networks; at most 1000 are taken";
}

void tst_AccessRules::refuses()
{
    QFETCH(QString, list);
    QFETCH(QString, error);
    QString said;
    QVERIFY(!AccessRules::parse(list, &said).has_value());
    QCOMPARE(said, error);
}

QTEST_APPLESS_MAIN(tst_AccessRules)

#include "tst_accessrules.moc"
