// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The resource scan without its dialog: what VISA lists, examined and put in
// order, each LXI system once, every VISA handle closed again, also when
// the scan goes before its examinations are done.
#include "resourcescan.h"
#include "sfpcoretest.h"

#include "../../discovery/lxisystems.h"
#include "../../discovery/recordingfc.h"
#include "sim_control.h"

#include <QCoreApplication>
#include <QSet>
#include <QTest>
#include <QThread>

#include <memory>

namespace {

QStringList names(const QList<resourceInfo_t> &resources)
{
    QStringList result;
    for (const resourceInfo_t &resource : resources)
        result.append(resource.resourceName);
    return result;
}

QStringList visaCloses()
{
    return sfptest::trace({QStringLiteral("viClose(")});
}

} // namespace

class tst_ResourceScan final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void defaultSystem();
    void nothingListed_data();
    void nothingListed();
    void lxiSystemsOnce();
    void goneBeforeTheExaminations();

private:
    RecordingFC m_fc;
};

void tst_ResourceScan::init()
{
    sfpsim::loadDefaultSystem();
    sfpsim::clearFaults();
    sfptest::clearTrace();
    m_fc.clear();
}

void tst_ResourceScan::cleanup()
{
    // Every session a scan opened is closed again.
    QCOMPARE(sfpsim::openSessionCount(), 0);
}

void tst_ResourceScan::defaultSystem()
{
    QList<resourceInfo_t> resources;
    {
        sfp::ResourceScan scan(&m_fc);
        QVERIFY(scan.start());
        // Only the network resources are left for the parallel part.
        QCOMPARE(scan.future().progressMaximum(), 5);
        resources = scan.results();
        QVERIFY(scan.future().isFinished());
        // One session per resource, each closed after its examination; the
        // resource manager and the find list stay open until the scan goes.
        QCOMPARE(visaCloses().size(), 5);
    }
    QCOMPARE(visaCloses().size(), 7);

    // In descriptor order, the LXI box under the name found first.
    QCOMPARE(names(resources),
             QStringList({"ASRL1::INSTR", "TCPIP0::192.168.2.100::INSTR", "VXI0::1::INSTR",
                          "VXI0::5::INSTR"}));
    QCOMPARE(resources.at(0).systemColumns, QStringList());
    QCOMPARE(resources.at(1).lxiAddress, QStringLiteral("192.168.2.100"));
    QCOMPARE(resources.at(2).fcNumbers, QList<qint32>({0, 2}));
    QCOMPARE(resources.at(3).fcNumbers, QList<qint32>({3, 0}));

    // The serial port and the VXI systems are examined on the calling
    // thread; the network ones on the scan's own.
    const QList<ViUInt16> codes = m_fc.codes();
    const QList<QThread *> threads = m_fc.threads();
    QCOMPARE(codes.size(), 8);
    QSet<QThread *> networkThreads;
    for (qsizetype i = 0; i < codes.size(); ++i) {
        if (i < 4)
            QCOMPARE(threads.at(i), QThread::currentThread());
        else
            networkThreads.insert(threads.at(i));
    }
    QVERIFY(!networkThreads.contains(QThread::currentThread()));
}

void tst_ResourceScan::nothingListed_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("failing");
    QTest::addColumn<int>("closes");
    // VISA's find fails when it finds nothing.
    QTest::newRow("no resource") << R"({"resources": []})"
                                 << "" << 1;
    QTest::newRow("no resource manager") << ""
                                         << "viOpenDefaultRM" << 1;
    QTest::newRow("no find list") << ""
                                  << "viFindRsrc" << 1;
}

void tst_ResourceScan::nothingListed()
{
    QFETCH(QString, description);
    QFETCH(QString, failing);
    QFETCH(int, closes);
    if (!description.isEmpty())
        QVERIFY(sfpsim::loadDescription(description.toStdString()));
    if (!failing.isEmpty())
        sfpsim::injectFault(failing.toStdString(), VI_ERROR_SYSTEM_ERROR, 1);
    sfptest::clearTrace();
    {
        sfp::ResourceScan scan(&m_fc);
        QVERIFY(!scan.start());
        QVERIFY(scan.results().isEmpty());
    }
    // Whatever was opened is closed at once, and only once.
    QCOMPARE(visaCloses().size(), closes);
    QCOMPARE(m_fc.codes(), QList<ViUInt16>());
}

void tst_ResourceScan::lxiSystemsOnce()
{
    // Two descriptors of one box are listed once, under the one found
    // first; two boxes whose addresses could not be read both stay.
    QVERIFY(sfpsim::loadDescription(lxiSystemsDescription));
    sfp::ResourceScan scan(&m_fc);
    QVERIFY(scan.start());
    QCOMPARE(names(scan.results()),
             QStringList(
                 {"TCPIP0::box.lab::INSTR", "TCPIP0::10.0.0.7::INSTR", "TCPIP0::10.0.0.8::INSTR"}));
}

void tst_ResourceScan::goneBeforeTheExaminations()
{
    // Network resources whose open takes a while: a scan that goes before
    // they are examined waits for them, then closes what it opened.
    QString resources;
    for (int i = 0; i < 6; ++i)
        resources += QStringLiteral("%1{\"descriptor\": \"TCPIP0::10.1.0.%2::INSTR\", "
                                    "\"openTimeMs\": 200, \"motherboard\": {\"code\": 3394, "
                                    "\"cards\": [{\"position\": 1, \"code\": 20848}]}}")
                         .arg(i ? "," : "")
                         .arg(i + 1);
    QVERIFY(sfpsim::loadDescription(
        QStringLiteral("{\"resources\": [%1]}").arg(resources).toStdString()));
    {
        sfp::ResourceScan scan(&m_fc);
        QVERIFY(scan.start());
        QVERIFY(!scan.future().isFinished());
    }
    QCOMPARE(m_fc.codes().size(), 6);
    // One session per resource, then the find list and the resource manager.
    QCOMPARE(visaCloses().size(), 6 + 2);

    // The threads are free again: a second scan runs all six at once.
    sfptest::clearTrace();
    sfp::ResourceScan again(&m_fc);
    QVERIFY(again.start());
    QCOMPARE(again.results().size(), 6);
}

SFPTEST_CORE_MAIN(tst_ResourceScan)

#include "tst_resourcescan.moc"
