// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Examination of one resource on simulated systems: what a motherboard
// reports becomes the texts and card numbers of the selection tree.
#include "recordingfc.h"
#include "resourceinfo.h"
#include "sfptest.h"
#include "sim_control.h"

#include "visa.h"

#include <QTest>

#include <thread>
#include <vector>

class tst_ResourceInfo : public QObject
{
    Q_OBJECT

private slots:
    void cardCodes_data();
    void cardCodes();
    void motherboardCodes();
    void variantSuffixes_data();
    void variantSuffixes();
    void defaultSystem();
    void rawCodeForModelTest();
    void emptyMotherboardAndNegativeCode();
    void noMotherboard();
    void openWarningStillExamined();
    void slotNotAnswered();
    void doneRecordIsLeftAlone();
    void concurrentExamination();

private:
    resourceInfo_t examine(const QString &descriptor, const QString &lxiAddress = QString());

    RecordingFC m_fc;
};

resourceInfo_t tst_ResourceInfo::examine(const QString &descriptor, const QString &lxiAddress)
{
    ViSession rm = VI_NULL;
    viOpenDefaultRM(&rm);
    getResourceInfo_params_t record;
    record.fc = &m_fc;
    record.defaultRM = rm;
    record.info.resourceName = descriptor;
    record.info.lxiAddress = lxiAddress;
    getResourceInfo(&record);
    viClose(rm);
    return record.info;
}

void tst_ResourceInfo::cardCodes_data()
{
    QTest::addColumn<int>("raw");
    QTest::addColumn<int>("shown");
    QTest::newRow("5E5E") << 0x5E5E << 0x4720;
    QTest::newRow("8A20") << 0x8A20 << 0x4620;
    QTest::newRow("B1C4") << 0xB1C4 << 0x4520;
    QTest::newRow("B344") << 0xB344 << 0x4521;
    QTest::newRow("8C48") << 0x8C48 << 0x4921;
    QTest::newRow("8D48") << 0x8D48 << 0x4921;
    QTest::newRow("8E48") << 0x8E48 << 0x4921;
    QTest::newRow("8F48") << 0x8F48 << 0x4921;
    QTest::newRow("8C49 other bit") << 0x8C49 << 0x8C49;
    QTest::newRow("9C48 other bit") << 0x9C48 << 0x9C48;
    QTest::newRow("relay card") << 0x5170 << 0x5170;
    QTest::newRow("0") << 0 << 0;
}

void tst_ResourceInfo::cardCodes()
{
    QFETCH(int, raw);
    QFETCH(int, shown);
    QCOMPARE(int(shownCardCode(ViUInt16(raw))), shown);
}

void tst_ResourceInfo::motherboardCodes()
{
    QCOMPARE(shownMotherboardCode(0x0B52), ViUInt16(0x0D42));
    QCOMPARE(shownMotherboardCode(0x0D42), ViUInt16(0x0D42));
    QCOMPARE(shownMotherboardCode(0x5E5E), ViUInt16(0x5E5E));
}

void tst_ResourceInfo::variantSuffixes_data()
{
    QTest::addColumn<int>("word");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("B1") << 0x4231 << "-B1";
    QTest::newRow("high byte zero") << 0x0031 << "-";
    QTest::newRow("low byte zero") << 0x4200 << "-B";
    QTest::newRow("zero") << 0 << "-";
    QTest::newRow("Latin-1") << 0xE931 << QString::fromUtf8("-é1");
}

void tst_ResourceInfo::variantSuffixes()
{
    QFETCH(int, word);
    QFETCH(QString, suffix);
    QCOMPARE(variantSuffix(ViUInt16(word)), suffix);
}

void tst_ResourceInfo::defaultSystem()
{
    sfpsim::loadDefaultSystem();

    const resourceInfo_t vxi = examine("VXI0::1::INSTR");
    QCOMPARE(vxi.systemColumns, QStringList("Slot 5 - 3394 MB"));
    QCOMPARE(vxi.mbModelCode, ViUInt16(0x0D42));
    QCOMPARE(vxi.fcColumns, (QList<QStringList> {{"FC 1", "4720"}, {"FC 2", "5170"}}));
    QCOMPARE(vxi.fcNumbers, (QList<qint32> {0, 2}));
    QVERIFY(vxi.lxiAddress.isEmpty());
    // A record that held an LXI address keeps none once its system answers
    // as a VXI mainframe: the scan would take it for another name of that
    // box and leave it out.
    QVERIFY(examine("VXI0::1::INSTR", "192.168.2.100").lxiAddress.isEmpty());

    const resourceInfo_t other = examine("VXI0::5::INSTR");
    QCOMPARE(other.systemColumns, QStringList("Slot 9 - 3394 MB"));
    QCOMPARE(other.fcColumns, (QList<QStringList> {{"FC 3", "5170"}, {"FC 4", "4921"}}));
    QCOMPARE(other.fcNumbers, (QList<qint32> {3, 0}));

    const resourceInfo_t lxi = examine("TCPIP0::192.168.2.100::INSTR");
    QCOMPARE(lxi.systemColumns, QStringList("192.168.2.100 - 3394 LXI"));
    QCOMPARE(lxi.fcColumns, (QList<QStringList> {{"FC 1", "5170"}, {"FC 2", "6052-B1"}}));
    QCOMPARE(lxi.fcNumbers, (QList<qint32> {1, 0}));
    QCOMPARE(lxi.lxiAddress, QString("192.168.2.100"));
    QCOMPARE(lxi.resourceName, QString("TCPIP0::192.168.2.100::INSTR"));
}

void tst_ResourceInfo::rawCodeForModelTest()
{
    QVERIFY(sfpsim::loadDescription(R"({"resources": [
        {"descriptor": "VXI0::3::INSTR", "slot": 2, "motherboard": {"code": "0x0B52", "cards": [
            {"position": 1, "code": "0x8C48"}, {"position": 2, "code": "0x8D48"},
            {"position": 3, "code": "0x8E48"}, {"position": 4, "code": "0x8F48"},
            {"position": 6, "code": "0x6087", "variant": "Z9"}, {"position": 7, "code": "0xABCD"},
            {"position": 8, "code": "0x12"}]}}]})"));
    m_fc.clear();
    const resourceInfo_t info = examine("VXI0::3::INSTR");
    QCOMPARE(info.fcColumns,
             (QList<QStringList> {{"FC 1", "4921"},
                                  {"FC 2", "4921"},
                                  {"FC 3", "4921"},
                                  {"FC 4", "4921"},
                                  {"FC 6", "6087-Z9"},
                                  {"FC 7", "abcd"},
                                  {"FC 8", "  12"}}));
    QCOMPARE(info.fcNumbers, (QList<qint32> {0, 0, 0, 0, 0, 0, 0}));
    // The model test always sees the code as the card reported it.
    QCOMPARE(m_fc.codes(),
             (QList<ViUInt16> {0x8C48, 0x8D48, 0x8E48, 0x8F48, 0x6087, 0xABCD, 0x12}));
    // The variant word is read only for the two models that carry one.
    QCOMPARE(sfptest::trace({"readCardWord"}), QStringList("readCardWord(6, 252) = 0"));
}

void tst_ResourceInfo::emptyMotherboardAndNegativeCode()
{
    QVERIFY(sfpsim::loadDescription(R"({"resources": [
        {"descriptor": "TCPIP0::10.0.0.1::INSTR", "motherboard": {"code": "0x9000", "positions": 0}}]})"));
    const resourceInfo_t info = examine("TCPIP0::10.0.0.1::INSTR");
    // The motherboard code is shown as a signed 16-bit number.
    QCOMPARE(info.systemColumns, QStringList("10.0.0.1 - -28672 LXI"));
    QVERIFY(info.fcColumns.isEmpty());
    QVERIFY(info.fcNumbers.isEmpty());
}

void tst_ResourceInfo::noMotherboard()
{
    sfpsim::loadDefaultSystem();
    sfptest::clearTrace();
    const resourceInfo_t info = examine("ASRL1::INSTR");
    QCOMPARE(info.resourceName, QString("ASRL1::INSTR"));
    QVERIFY(info.systemColumns.isEmpty());
    QVERIFY(info.fcColumns.isEmpty());
    QCOMPARE(info.mbModelCode, ViUInt16(0));

    // The instrument session was opened, the motherboard did not answer, and
    // the session was closed again before the resource manager.
    const QStringList calls = sfptest::trace({"viOpen(", "qx2010_mb_open", "viClose"});
    QCOMPARE(calls.size(), 4);
    QVERIFY(calls[0].startsWith("viOpen(") && calls[0].endsWith(" = 0"));
    QVERIFY(calls[1].startsWith("qx2010_mb_open(") && !calls[1].endsWith(" = 0"));
    const QString session = calls[1].section('(', 1).section(',', 0, 0);
    QCOMPARE(calls[2], "viClose(" + session + ") = 0");
    QCOMPARE(sfpsim::openSessionCount(), 0);

    // A resource that cannot be opened keeps only its descriptor as well.
    const resourceInfo_t absent = examine("VXI7::1::INSTR");
    QVERIFY(absent.systemColumns.isEmpty());
    QCOMPARE(absent.resourceName, QString("VXI7::1::INSTR"));
}

void tst_ResourceInfo::openWarningStillExamined()
{
    // An open that succeeds with a warning has a session: the resource is
    // examined like any other, and every handle is given back.
    QVERIFY(sfpsim::loadDescription(R"({"resources": [
        {"descriptor": "VXI0::2::INSTR", "slot": 4,
         "motherboard": {"code": 2898, "cards": [{"position": 3, "code": "0x5170"}]},
         "faults": [{"operation": "viOpen", "status": "0x3FFF007D"}]}]})"));
    sfptest::clearTrace();
    const resourceInfo_t info = examine("VXI0::2::INSTR");
    QCOMPARE(info.systemColumns, QStringList("Slot 4 - 3394 MB"));
    QCOMPARE(info.fcColumns, (QList<QStringList> {{"FC 3", "5170"}}));
    QCOMPARE(info.fcNumbers, (QList<qint32> {3}));

    const QStringList calls
        = sfptest::trace({"viOpen(", "qx2010_mb_open(", "qx2010_mb_close(", "viClose("});
    QCOMPARE(calls.size(), 5); // the last one closes the resource manager
    QVERIFY2(calls[0].startsWith("viOpen(") && calls[0].endsWith(" = 1073676413"),
             qPrintable(calls.join(" | ")));
    QVERIFY(calls[1].startsWith("qx2010_mb_open(") && calls[1].endsWith(" = 0"));
    QVERIFY(calls[2].startsWith("qx2010_mb_close(") && calls[2].endsWith(" = 0"));
    QVERIFY(calls[3].startsWith("viClose(") && calls[3].endsWith(" = 0"));
    QCOMPARE(sfpsim::openSessionCount(), 0);
}

// A VXI resource whose library does not answer the slot attribute is still
// listed with its cards, in slot 0 rather than in a slot it does not have.
void tst_ResourceInfo::slotNotAnswered()
{
    QVERIFY(sfpsim::loadDescription(R"({"resources": [
        {"descriptor": "VXI0::5::INSTR", "slot": 6,
         "motherboard": {"code": 2898, "cards": [{"position": 2, "code": "0x5170"}]},
         "faults": [{"operation": "viGetAttribute", "attribute": "0x3FFF00E8",
                     "status": "0xBFFF001D"}]}]})"));
    const resourceInfo_t info = examine("VXI0::5::INSTR");
    QCOMPARE(info.systemColumns, QStringList("Slot 0 - 3394 MB"));
    QCOMPARE(info.fcColumns, (QList<QStringList> {{"FC 2", "5170"}}));
    QCOMPARE(info.fcNumbers, (QList<qint32> {2}));
    QCOMPARE(sfpsim::openSessionCount(), 0);
}

void tst_ResourceInfo::doneRecordIsLeftAlone()
{
    sfpsim::loadDefaultSystem();
    sfptest::clearTrace();
    getResourceInfo_params_t record;
    record.fc = &m_fc;
    record.info.resourceName = "VXI0::1::INSTR";
    record.done = true;
    getResourceInfo(&record);
    QVERIFY(record.info.systemColumns.isEmpty());
    QVERIFY(sfptest::trace().isEmpty());
}

void tst_ResourceInfo::concurrentExamination()
{
    // Many records examined at once on plain threads, as the scan's pool
    // does (and in a form ThreadSanitizer can follow): each writes only its
    // own record, and all share the resource manager and the card object.
    constexpr int boxes = 200;
    QString resources;
    for (int i = 0; i < boxes; ++i)
        resources += QStringLiteral("%1{\"descriptor\": \"TCPIP0::10.2.%2.%3::INSTR\", "
                                    "\"motherboard\": {\"code\": 3394, \"cards\": "
                                    "[{\"position\": 1, \"code\": %4}]}}")
                         .arg(i ? "," : "")
                         .arg(i / 100)
                         .arg(i % 100)
                         .arg(i % 2 ? 0x5170 : 0x6052);
    QVERIFY(sfpsim::loadDescription(
        QStringLiteral("{\"resources\": [%1]}").arg(resources).toStdString()));
    m_fc.clear();

    ViSession rm = VI_NULL;
    QCOMPARE(viOpenDefaultRM(&rm), VI_SUCCESS);
    std::vector<getResourceInfo_params_t> records(boxes);
    for (int i = 0; i < boxes; ++i) {
        records[size_t(i)].fc = &m_fc;
        records[size_t(i)].defaultRM = rm;
        records[size_t(i)].info.resourceName
            = QStringLiteral("TCPIP0::10.2.%1.%2::INSTR").arg(i / 100).arg(i % 100);
    }
    std::vector<std::thread> threads;
    threads.reserve(16);
    for (int t = 0; t < 16; ++t) {
        threads.emplace_back([&records, t] {
            for (size_t i = size_t(t); i < records.size(); i += 16)
                getResourceInfo(&records[i]);
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    viClose(rm);

    for (int i = 0; i < boxes; ++i) {
        const resourceInfo_t &info = records[size_t(i)].info;
        QCOMPARE(info.systemColumns,
                 QStringList(QStringLiteral("10.2.%1.%2 - 3394 LXI").arg(i / 100).arg(i % 100)));
        QCOMPARE(info.fcNumbers, QList<qint32> {i % 2 ? 1 : 0});
        QCOMPARE(info.fcColumns.at(0).at(1), QString(i % 2 ? "5170" : "6052-"));
    }
    QCOMPARE(m_fc.codes().size(), boxes);
    QCOMPARE(sfpsim::openSessionCount(), 0);
}

SFPTEST_MAIN(tst_ResourceInfo)
#include "tst_resourceinfo.moc"
