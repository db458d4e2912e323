// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The order of found resources: classification of descriptors, the
// pairwise relation, and a sort that survives the relation's cycles.
#include "descriptorordering.h"
#include "resourceinfo.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <climits>

class tst_DescriptorOrdering : public QObject
{
    Q_OBJECT

private slots:
    void key_data();
    void key();
    void lessThan_data();
    void lessThan();
    void resourceInfoForm();
    void sortKeepsEveryElement();
    void sortOrdersConsistentLists();
};

void tst_DescriptorOrdering::key_data()
{
    QTest::addColumn<QString>("descriptor");
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("board");
    QTest::addColumn<QList<int>>("address");

    const QList<int> none {0, 0, 0, 0};
    QTest::newRow("VXI") << "VXI0::1::INSTR"
                         << "VXI" << 0 << none;
    QTest::newRow("TCPIP dotted") << "TCPIP0::192.168.2.100::INSTR"
                                  << "TCPIP" << 0 << QList<int> {192, 168, 2, 100};
    QTest::newRow("TCPIP no board") << "TCPIP::192.168.2.100::INSTR"
                                    << "TCPIP" << 0 << none;
    QTest::newRow("TCPIP host name") << "TCPIP3::lxi.lab::INSTR"
                                     << "TCPIP" << 3 << none;
    QTest::newRow("TCPIP partial") << "TCPIP0::10.20.x::INSTR"
                                   << "TCPIP" << 0 << QList<int> {10, 20, 0, 0};
    QTest::newRow("lower case") << "tcpip1::10.0.0.5::INSTR"
                                << "TCPIP" << 1 << QList<int> {10, 0, 0, 5};
    QTest::newRow("first and last letters") << "azAZ5::1"
                                            << "AZAZ" << 5 << none;
    QTest::newRow("GPIB-VXI") << "GPIB-VXI0::8::INSTR"
                              << "GPIB" << 0 << none;
    QTest::newRow("ASRL10") << "ASRL10::INSTR"
                            << "ASRL" << 10 << none;
    QTest::newRow("sign") << "VXI-3::1"
                          << "VXI" << -3 << none;
    QTest::newRow("space before number") << "PXI 7::1"
                                         << "PXI" << 7 << none;
    QTest::newRow("plus sign") << "VXI+3::1"
                               << "VXI" << 3 << none;
    QTest::newRow("any C white space before number") << "PXI\t\n\v\f\r 7::1"
                                                     << "PXI" << 7 << none;
    // The word is ASCII letters only: neither '_' between the two cases
    // nor letters beyond 'z' belong to it.
    QTest::newRow("underscore") << "GPIB_1::2"
                                << "GPIB" << 0 << none;
    QTest::newRow("letter beyond ASCII") << "VXI\u00e90::1"
                                         << "VXI" << 0 << none;
    QTest::newRow("TCPIP single colon") << "TCPIP0:10.0.0.5::INSTR"
                                        << "TCPIP" << 0 << none;
    QTest::newRow("TCPIP two parts") << "TCPIP0::10.20::INSTR"
                                     << "TCPIP" << 0 << QList<int> {10, 20, 0, 0};
    QTest::newRow("no letters") << "0::1"
                                << "" << 0 << none;
    QTest::newRow("empty") << ""
                           << "" << 0 << none;
    // Digit runs beyond an int saturate instead of overflowing.
    QTest::newRow("huge board") << "VXI99999999999999999999::1"
                                << "VXI" << INT_MAX << none;
    QTest::newRow("huge negative") << "VXI-99999999999999999999::1"
                                   << "VXI" << INT_MIN << none;
    QTest::newRow("huge part") << "TCPIP0::1.99999999999.3.4::INSTR"
                               << "TCPIP" << 0 << QList<int> {1, INT_MAX, 3, 4};
    QTest::newRow("int max") << "ASRL2147483647"
                             << "ASRL" << INT_MAX << none;
    QTest::newRow("int min") << "ASRL-2147483648"
                             << "ASRL" << INT_MIN << none;
}

void tst_DescriptorOrdering::key()
{
    QFETCH(QString, descriptor);
    QFETCH(QString, word);
    QFETCH(int, board);
    QFETCH(QList<int>, address);

    const sfp::DescriptorKey key = sfp::descriptorKey(descriptor);
    QCOMPARE(key.interfaceWord, word);
    QCOMPARE(key.board, board);
    QCOMPARE(QList<int>(key.address.begin(), key.address.end()), address);
}

void tst_DescriptorOrdering::lessThan_data()
{
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("aBeforeB");
    QTest::addColumn<bool>("bBeforeA");

    QTest::newRow("first part decides") << "TCPIP0::10.0.0.5::INSTR"
                                        << "TCPIP0::192.168.1.1::INSTR" << true << false;
    QTest::newRow("board first") << "TCPIP1::10.0.0.1::INSTR"
                                 << "TCPIP0::192.168.1.1::INSTR" << false << true;
    QTest::newRow("host names tie") << "TCPIP0::alpha::INSTR"
                                    << "TCPIP0::beta::INSTR" << false << false;
    QTest::newRow("host name before dotted") << "TCPIP0::zeta::INSTR"
                                             << "TCPIP0::1.0.0.0::INSTR" << true << false;
    QTest::newRow("no board reads no address") << "TCPIP::192.168.2.100::INSTR"
                                               << "TCPIP0::0.0.0.1::INSTR" << true << false;
    QTest::newRow("last part") << "TCPIP0::10.0.0.5::INSTR"
                               << "TCPIP0::10.0.0.6::INSTR" << true << false;
    QTest::newRow("equal addresses") << "TCPIP0::10.0.0.5::INSTR"
                                     << "TCPIP0::10.0.0.5::SOCKET" << false << false;
    QTest::newRow("same VXI board") << "VXI0::1::INSTR"
                                    << "VXI0::5::INSTR" << false << false;
    QTest::newRow("VXI boards") << "VXI0::9::INSTR"
                                << "VXI1::1::INSTR" << true << false;
    QTest::newRow("ASRL by board") << "ASRL10::INSTR"
                                   << "ASRL2::INSTR" << false << true;
    QTest::newRow("GPIB-VXI ties GPIB0") << "GPIB-VXI0::8::INSTR"
                                         << "GPIB0::5::INSTR" << false << false;
    QTest::newRow("GPIB-VXI before GPIB1") << "GPIB-VXI0::8::INSTR"
                                           << "GPIB1::5::INSTR" << true << false;
    QTest::newRow("words as text 1") << "ASRL1::INSTR"
                                     << "GPIB0::5::INSTR" << true << false;
    QTest::newRow("words as text 2") << "GPIB0::5::INSTR"
                                     << "PXI0::3::INSTR" << true << false;
    QTest::newRow("words as text 3") << "PXI0::3::INSTR"
                                     << "TCPIP0::10.0.0.5::INSTR" << true << false;
    QTest::newRow("words as text 4") << "TCPIP0::10.0.0.5::INSTR"
                                     << "VXI0::1::INSTR" << true << false;
    QTest::newRow("PXI by board only") << "PXI0::3::INSTR"
                                       << "PXI0::2::INSTR" << false << false;
    QTest::newRow("PXI boards") << "PXI1::1::INSTR"
                                << "PXI0::9::INSTR" << false << true;
    QTest::newRow("USB as text") << "USB0::0x1234::2::INSTR"
                                 << "USB0::0x1234::10::INSTR" << false << true;
    QTest::newRow("case shares class") << "tcpip0::10.0.0.5::INSTR"
                                       << "TCPIP0::192.168.1.1::INSTR" << true << false;
    QTest::newRow("other class by text, case-sensitive")
        << "VXI0::1::INSTR"
        << "tcpip0::10.0.0.1::INSTR" << true << false;
    QTest::newRow("SOCKET by board") << "SOCKET3::x"
                                     << "SOCKET12::a" << true << false;
    QTest::newRow("BACKPLANE by board") << "BACKPLANE2::x"
                                        << "BACKPLANE1::y" << false << true;
}

void tst_DescriptorOrdering::lessThan()
{
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, aBeforeB);
    QFETCH(bool, bBeforeA);

    QCOMPARE(descriptorLessThan(a, b), aBeforeB);
    QCOMPARE(descriptorLessThan(b, a), bBeforeA);
    QVERIFY(!descriptorLessThan(a, a));
}

void tst_DescriptorOrdering::resourceInfoForm()
{
    resourceInfo_t x;
    resourceInfo_t y;
    x.resourceName = "ASRL10::INSTR";
    y.resourceName = "ASRL2::INSTR";
    x.lxiAddress = "ignored";
    QVERIFY(resourceInfoLessThan(y, x));
    QVERIFY(!resourceInfoLessThan(x, y));
}

namespace {

QString randomDescriptor(QRandomGenerator &random)
{
    static const char *const words[] = {"TCPIP",    "tcpip", "Tcpip", "VXI", "vxi", "GPIB",
                                        "GPIB-VXI", "ASRL",  "asrl",  "USB", "PXI", "SOCKET"};
    const QString word = words[random.bounded(int(std::size(words)))];
    const QString board = random.bounded(4) == 0 ? QString() : QString::number(random.bounded(3));
    if (word.compare("TCPIP", Qt::CaseInsensitive) == 0) {
        return QStringLiteral("%1%2::%3.%4.%5.%6::INSTR")
            .arg(word, board)
            .arg(random.bounded(256))
            .arg(random.bounded(3))
            .arg(random.bounded(3))
            .arg(random.bounded(3));
    }
    return QStringLiteral("%1%2::%3::INSTR").arg(word, board).arg(random.bounded(20));
}

} // namespace

void tst_DescriptorOrdering::sortKeepsEveryElement()
{
    // The relation has cycles, e.g. among these three.
    QVERIFY(descriptorLessThan("tcpip0::10.0.0.1::INSTR", "TCPIP0::192.168.1.1::INSTR"));
    QVERIFY(descriptorLessThan("TCPIP0::192.168.1.1::INSTR", "VXI0::1::INSTR"));
    QVERIFY(descriptorLessThan("VXI0::1::INSTR", "tcpip0::10.0.0.1::INSTR"));

    QRandomGenerator random(20261207);
    for (int round = 0; round < 300; ++round) {
        QList<resourceInfo_t> resources;
        const int n = random.bounded(1, 200);
        for (int i = 0; i < n; ++i) {
            resourceInfo_t info;
            info.resourceName = randomDescriptor(random);
            info.fcNumbers = {i}; // tells equal descriptors apart
            resources.append(info);
        }
        QList<resourceInfo_t> sorted = resources;
        sortResources(sorted);
        QCOMPARE(sorted.size(), resources.size());
        auto id = [](const resourceInfo_t &r) { return r.fcNumbers.first(); };
        QList<int> before;
        QList<int> after;
        for (int i = 0; i < n; ++i) {
            before << id(resources[i]);
            after << id(sorted[i]);
            QCOMPARE(sorted[i].resourceName, resources[id(sorted[i])].resourceName);
        }
        std::sort(after.begin(), after.end());
        QCOMPARE(after, before);
    }
}

void tst_DescriptorOrdering::sortOrdersConsistentLists()
{
    // Where the relation is a proper order, the sort gives that order, and
    // ties keep their discovery order.
    QList<resourceInfo_t> resources;
    for (const char *d :
         {"VXI1::1::INSTR", "ASRL10::INSTR", "TCPIP0::192.168.1.1::INSTR", "VXI0::5::INSTR",
          "ASRL2::INSTR", "TCPIP0::10.0.0.5::INSTR", "VXI0::1::INSTR", "GPIB0::5::INSTR"}) {
        resourceInfo_t info;
        info.resourceName = d;
        resources.append(info);
    }
    sortResources(resources);
    QStringList names;
    for (const resourceInfo_t &r : resources)
        names << r.resourceName;
    QCOMPARE(names,
             QStringList({"ASRL2::INSTR", "ASRL10::INSTR", "GPIB0::5::INSTR",
                          "TCPIP0::10.0.0.5::INSTR", "TCPIP0::192.168.1.1::INSTR", "VXI0::5::INSTR",
                          "VXI0::1::INSTR", "VXI1::1::INSTR"}));

    QList<resourceInfo_t> empty;
    sortResources(empty);
    QVERIFY(empty.isEmpty());
}

QTEST_APPLESS_MAIN(tst_DescriptorOrdering)
#include "tst_descriptorordering.moc"
