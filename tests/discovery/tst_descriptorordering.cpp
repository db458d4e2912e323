// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The order of found resources: classification of descriptors, the
// pairwise relation, and a sort that survives the relation's cycles.
#include "descriptormodel.h"
#include "descriptorordering.h"
#include "resourceinfo.h"
#include "sfpcoretest.h"

#include <QHash>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <climits>
#include <functional>

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
    void lessThanAgreesWithModel();
    void sortAgreesWithModel();
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

namespace {

// The interface words drawn: every word of the board-only table, TCP/IP,
// words compared as text, and none at all.
constexpr const char *modelWords[]
    = {"TCPIP", "VXI", "GPIB", "ASRL", "PXI", "SOCKET", "BACKPLANE", "USB", "INSTR", ""};

// `word` in upper case, lower case or a mix of both.
QString spelled(const QString &word, QRandomGenerator &random)
{
    switch (random.bounded(4)) {
    case 0:
        return word.toLower();
    case 1: {
        QString mixed = word;
        for (QChar &c : mixed)
            c = random.bounded(2) ? c.toLower() : c;
        return mixed;
    }
    default:
        return word;
    }
}

QString drawn(QRandomGenerator &random, std::initializer_list<const char *> choices)
{
    return QString::fromUtf8(choices.begin()[random.bounded(int(choices.size()))]);
}

// What follows the word: a board number in any form %d reads, none, or
// the hyphen form of GPIB-VXI.
QString randomBoard(QRandomGenerator &random)
{
    if (random.bounded(3) > 0)
        return QString::number(random.bounded(4));
    return drawn(random,
                 {"", "10", " 2", "\t5", "-1", "+3", "-VXI0", "-VXI1", "99999999999", "2147483647",
                  "2147483648", "-2147483649", "\u00e90", "_1", "+"});
}

QString randomPart(QRandomGenerator &random)
{
    if (random.bounded(3) > 0)
        return QString::number(random.bounded(3));
    return drawn(random, {"10", "192", "255", "-1", " 7", "+4", "99999999999", "x", ""});
}

// The rest of the descriptor: a dotted address (whole or cut short), a
// host name, a number, or nothing, with or without a resource class.
QString randomRest(QRandomGenerator &random)
{
    QString rest = random.bounded(8) == 0 ? QStringLiteral(":") : QStringLiteral("::");
    switch (random.bounded(4)) {
    case 0:
    case 1: {
        const int parts = random.bounded(5) == 0 ? random.bounded(1, 4) : 4;
        for (int i = 0; i < parts; ++i)
            rest += (i ? QStringLiteral(".") : QString()) + randomPart(random);
        break;
    }
    case 2:
        rest += drawn(random, {"alpha", "lxi.lab", "zeta", "box-3.lab", "A", "0x1234::2"});
        break;
    default:
        rest += QString::number(random.bounded(20));
        break;
    }
    if (random.bounded(4) == 0)
        return QString();
    return rest + drawn(random, {"::INSTR", "::INSTR", "::SOCKET", "::inst0::INSTR", ""});
}

struct Parts
{
    QString word;
    QString board;
    QString rest;
    QString text() const { return word + board + rest; }
};

Parts randomParts(QRandomGenerator &random, const std::function<QString(const QString &)> &spell)
{
    const QString word = QString::fromUtf8(modelWords[random.bounded(int(std::size(modelWords)))]);
    return {spell(word), randomBoard(random), randomRest(random)};
}

// True when the program and the model disagree on the pair, either way.
bool disagree(const QString &a, const QString &b)
{
    return descriptorLessThan(a, b) != descriptormodel::before(a, b)
        || descriptorLessThan(b, a) != descriptormodel::before(b, a);
}

// Shortens a disagreeing pair one character at a time while the two still
// disagree on it.
std::pair<QString, QString> shrinkPair(QString a, QString b)
{
    bool removed = true;
    while (removed) {
        removed = false;
        for (QString *text : {&a, &b}) {
            for (qsizetype i = 0; i < text->size() && !removed; ++i) {
                const QString kept = *text;
                text->remove(i, 1);
                if (disagree(a, b))
                    removed = true;
                else
                    *text = kept;
            }
        }
    }
    return {a, b};
}

QString shown(const QString &descriptor)
{
    QString text;
    for (const QChar c : descriptor)
        text += c.unicode() >= 0x20 && c.unicode() < 0x7F
            ? QString(c)
            : QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

void tst_DescriptorOrdering::lessThanAgreesWithModel()
{
    const quint32 seed = sfptest::testSeed();
    QRandomGenerator random(seed);
    const auto anyCase = [&random](const QString &word) { return spelled(word, random); };
    for (int round = 0; round < 20000; ++round) {
        const Parts a = randomParts(random, anyCase);
        // Half the pairs differ in one part only, so that the finer rules
        // (board, then each part of the address) get to decide.
        Parts b = randomParts(random, anyCase);
        switch (random.bounded(6)) {
        case 0:
            b = {a.word, a.board, b.rest};
            break;
        case 1:
            b = {a.word, b.board, a.rest};
            break;
        case 2:
            b = {spelled(a.word, random), a.board, a.rest};
            break;
        default:
            break;
        }
        if (!disagree(a.text(), b.text()))
            continue;
        const auto [x, y] = shrinkPair(a.text(), b.text());
        QFAIL(qPrintable(QStringLiteral("seed %1, round %2: %3 and %4 (shrunk to %5 and %6): "
                                        "before %7/%8 either way, the model says %9/%10")
                             .arg(seed)
                             .arg(round)
                             .arg(shown(a.text()), shown(b.text()), shown(x), shown(y))
                             .arg(descriptorLessThan(x, y))
                             .arg(descriptorLessThan(y, x))
                             .arg(descriptormodel::before(x, y))
                             .arg(descriptormodel::before(y, x))));
    }
}

namespace {

// The first place where a sorted list has a descriptor the model puts
// before the one ahead of it, -1 when there is none.
qsizetype firstOutOfOrder(const QStringList &descriptors)
{
    QList<resourceInfo_t> resources;
    for (const QString &d : descriptors) {
        resourceInfo_t info;
        info.resourceName = d;
        resources.append(info);
    }
    sortResources(resources);
    for (qsizetype i = 1; i < resources.size(); ++i) {
        if (descriptormodel::before(resources.at(i).resourceName, resources.at(i - 1).resourceName))
            return i;
    }
    return -1;
}

} // namespace

void tst_DescriptorOrdering::sortAgreesWithModel()
{
    // Each word keeps one spelling within a list: descriptors whose words
    // differ only in case share a class yet compare as texts against the
    // rest, and such a list has no order to agree on (see above).
    const quint32 seed = sfptest::testSeed();
    QRandomGenerator random(seed);
    for (int round = 0; round < 300; ++round) {
        QHash<QString, QString> spellings;
        const auto fixedCase = [&random, &spellings](const QString &word) {
            if (!spellings.contains(word))
                spellings.insert(word, spelled(word, random));
            return spellings.value(word);
        };
        QStringList descriptors;
        const int n = random.bounded(1, 65);
        for (int i = 0; i < n; ++i)
            descriptors << randomParts(random, fixedCase).text();
        if (firstOutOfOrder(descriptors) < 0)
            continue;
        const QStringList smallest = descriptormodel::shrink(
            descriptors, [](const QStringList &list) { return firstOutOfOrder(list) >= 0; });
        QStringList texts;
        for (const QString &d : smallest)
            texts << shown(d);
        QFAIL(qPrintable(QStringLiteral("seed %1, round %2: a list of %3 sorts out of the "
                                        "model's order, as does this one: %4")
                             .arg(seed)
                             .arg(round)
                             .arg(n)
                             .arg(texts.join(QStringLiteral(", ")))));
    }
}

QTEST_APPLESS_MAIN(tst_DescriptorOrdering)
#include "tst_descriptorordering.moc"
