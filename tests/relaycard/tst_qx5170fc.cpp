// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The relay card's function-card object against the driver stand-in.
#include "qx5170_fc.h"
#include "sfptest.h"

#include "qx5170.h"
#include "sim_control.h"

#include <QTest>
#include <QtConcurrent>

#include <memory>
#include <vector>

namespace {

const char vxiDescriptor[] = "VXI0::1::INSTR";
constexpr ViInt16 relayCardPosition = 2;

QString driverText(ViStatus status)
{
    char text[qx5170_ERROR_MESSAGE_BUFLEN] = {};
    qx5170_error_message(VI_NULL, status, text);
    return QString::fromLatin1(text);
}

QStringList driverCalls()
{
    return sfptest::trace({QStringLiteral("qx5170_")});
}

QString initLine(const QByteArray &descriptor, int fcNumber, int idQuery, int reset,
                 ViStatus status)
{
    return QStringLiteral("qx5170_init(\"%1\", %2, %3, %4) = %5")
        .arg(QString::fromLatin1(descriptor))
        .arg(fcNumber)
        .arg(idQuery)
        .arg(reset)
        .arg(status);
}

} // namespace

class tst_Qx5170Fc final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // identity and texts
    void identity();
    void modelSupport_data();
    void modelSupport();
    void modelSupportFromManyThreads();
    void driverRevision();
    void driverRevisionEmptyWhenTheQueryWritesNothing();
    void errorMessage();
    void errorMessageNeverStale();

    // sessions
    void openPassesOnlyTheFirstFcNumberAndCloses();
    void statusPassesThrough_data();
    void statusPassesThrough();
    void openAndStoreRemembersEvenWhenInitFails();
    void reopenUsesTheRememberedDataWithBothFlags();
    void openAndStoreClampsTheCount_data();
    void openAndStoreClampsTheCount();
    void openAndStoreCutsLongDescriptors();
    void missingAddressOrFcList();

private:
    std::vector<ViSession> m_opened;
};

void tst_Qx5170Fc::init()
{
    sfpsim::loadDefaultSystem();
    sfpsim::clearFaults();
    sfptest::clearTrace();
}

void tst_Qx5170Fc::cleanup()
{
    sfpsim::clearFaults();
    for (ViSession vi : m_opened)
        qx5170_close(vi);
    m_opened.clear();
}

void tst_Qx5170Fc::identity()
{
    const qx5170_fc fc;
    const qx2010fp_genFC &generic = fc;
    QCOMPARE(generic.modelCode, 0x5170);
    QCOMPARE(generic.description(), QStringLiteral("32-Channel Relay/Switching Function Card"));
    QCOMPARE(generic.version(), QStringLiteral("4.3.1.10249"));
    QVERIFY(!generic.legalNotice().isEmpty());
    QVERIFY(!generic.legalNotice().contains(QLatin1Char('\n')));
    QCOMPARE(QString::fromLatin1(fc.storedDescriptor()), QString());
    for (int i = 0; i < qx5170_fc::storedFcNumberCount; ++i)
        QCOMPARE(fc.storedFcNumbers()[i], ViUInt16(0));
    // Texts need no session and no driver call.
    QVERIFY(driverCalls().isEmpty());
}

void tst_Qx5170Fc::modelSupport_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("supported");
    QTest::newRow("relay card") << 0x5170 << true;
    QTest::newRow("zero") << 0 << false;
    QTest::newRow("one below") << 0x516F << false;
    QTest::newRow("one above") << 0x5171 << false;
    QTest::newRow("byte-swapped") << 0x7051 << false;
    QTest::newRow("all ones") << 0xFFFF << false;
}

void tst_Qx5170Fc::modelSupport()
{
    QFETCH(int, code);
    QFETCH(bool, supported);
    const qx5170_fc fc;
    QCOMPARE(fc.isModelSupported(ViUInt16(code)), supported);
}

void tst_Qx5170Fc::modelSupportFromManyThreads()
{
    // The scan asks from its worker threads at the same time.
    const qx5170_fc fc;
    std::vector<int> codes(0x10000);
    for (int i = 0; i < int(codes.size()); ++i)
        codes[size_t(i)] = i;
    const QList<int> accepted
        = QtConcurrent::blockingFiltered(QList<int>(codes.begin(), codes.end()), [&fc](int code) {
              return fc.isModelSupported(ViUInt16(code));
          });
    QCOMPARE(accepted, QList<int> {0x5170});
}

void tst_Qx5170Fc::driverRevision()
{
    const qx5170_fc fc;
    char expected[qx5170_REVISION_BUFLEN] = {};
    QCOMPARE(qx5170_revision_query(VI_NULL, expected, VI_NULL), VI_SUCCESS);
    sfptest::clearTrace();
    QVERIFY(qstrlen(expected) > 0);
    QCOMPARE(fc.driverRevision(), QString::fromLatin1(expected));
    QCOMPARE(driverCalls(), QStringList {QStringLiteral("qx5170_revision_query(0) = 0")});
}

void tst_Qx5170Fc::driverRevisionEmptyWhenTheQueryWritesNothing()
{
    const qx5170_fc fc;
    sfpsim::injectFault("qx5170_revision_query", VI_ERROR_SYSTEM_ERROR);
    QCOMPARE(fc.driverRevision(), QString());
}

void tst_Qx5170Fc::errorMessage()
{
    const qx5170_fc fc;
    const QString expected = driverText(qx5170_ERROR_INV_RELAY);
    QVERIFY(!expected.isEmpty());
    sfptest::clearTrace();
    QCOMPARE(fc.errorMessage(qx5170_ERROR_INV_RELAY), expected);
    QCOMPARE(driverCalls(),
             QStringList {
                 QStringLiteral("qx5170_error_message(0, %1) = 0").arg(qx5170_ERROR_INV_RELAY)});
}

void tst_Qx5170Fc::errorMessageNeverStale()
{
    const qx5170_fc fc;
    QVERIFY(!fc.errorMessage(qx5170_ERROR_NO_CARD).isEmpty());
    // The call fails: whatever a buffer held before must not come back.
    sfpsim::injectFault("qx5170_error_message", VI_ERROR_SYSTEM_ERROR);
    QCOMPARE(fc.errorMessage(qx5170_ERROR_NO_CARD), QString());
    // A code the driver has no text for: the driver warns and writes nothing.
    QCOMPARE(fc.errorMessage(ViStatus(-12345)), QString());
    // A warning from the call counts as a failure too, even if it wrote text.
    sfpsim::injectFault("qx5170_error_message", VI_WARN_NSUP_ERROR_QUERY);
    QCOMPARE(fc.errorMessage(qx5170_ERROR_NO_CARD), QString());
}

void tst_Qx5170Fc::openPassesOnlyTheFirstFcNumberAndCloses()
{
    qx5170_fc fc;
    QByteArray descriptor(vxiDescriptor);
    const ViInt16 fcNumbers[] = {relayCardPosition, 7, 3};
    const int sessionsBefore = sfpsim::openSessionCount();
    ViSession vi = VI_NULL;
    QCOMPARE(fc.open(descriptor.data(), fcNumbers, VI_TRUE, VI_TRUE, &vi), VI_SUCCESS);
    QVERIFY(vi != VI_NULL);
    QVERIFY(sfpsim::openSessionCount() > sessionsBefore);
    // open remembers nothing.
    QCOMPARE(QByteArray(fc.storedDescriptor()), QByteArray());

    QCOMPARE(fc.close(vi), VI_SUCCESS);
    QCOMPARE(sfpsim::openSessionCount(), sessionsBefore);
    QCOMPARE(driverCalls(),
             QStringList({initLine(descriptor, relayCardPosition, 1, 1, 0),
                          QStringLiteral("qx5170_close(%1) = 0").arg(vi)}));
}

void tst_Qx5170Fc::statusPassesThrough_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<ViStatus>("status");
    const QStringList operations {QStringLiteral("open"), QStringLiteral("openAndStore"),
                                  QStringLiteral("reopen"), QStringLiteral("close")};
    for (const QString &operation : operations) {
        QTest::addRow("%s error", qPrintable(operation)) << operation << qx5170_ERROR_NO_CARD;
        QTest::addRow("%s warning", qPrintable(operation)) << operation << VI_WARN_NSUP_RESET;
    }
}

void tst_Qx5170Fc::statusPassesThrough()
{
    QFETCH(QString, operation);
    QFETCH(ViStatus, status);
    qx5170_fc fc;
    QByteArray descriptor(vxiDescriptor);
    const ViInt16 fcNumbers[] = {relayCardPosition};
    ViSession vi = VI_NULL;

    if (operation == QLatin1String("reopen")) {
        QCOMPARE(fc.openAndStore(descriptor.data(), fcNumbers, 1, VI_TRUE, VI_TRUE, &vi),
                 VI_SUCCESS);
        m_opened.push_back(vi);
    }
    if (operation == QLatin1String("close")) {
        QCOMPARE(fc.open(descriptor.data(), fcNumbers, VI_TRUE, VI_TRUE, &vi), VI_SUCCESS);
        sfpsim::injectFault("qx5170_close", status);
        const ViStatus result = fc.close(vi);
        if (status < 0)
            m_opened.push_back(vi);
        QCOMPARE(result, status);
        return;
    }

    sfpsim::injectFault("qx5170_init", status);
    ViSession opened = VI_NULL;
    ViStatus result = VI_SUCCESS;
    if (operation == QLatin1String("open"))
        result = fc.open(descriptor.data(), fcNumbers, VI_TRUE, VI_TRUE, &opened);
    else if (operation == QLatin1String("openAndStore"))
        result = fc.openAndStore(descriptor.data(), fcNumbers, 1, VI_TRUE, VI_TRUE, &opened);
    else
        result = fc.reopen(&opened);
    if (opened != VI_NULL)
        m_opened.push_back(opened);
    QCOMPARE(result, status);
    // A warning lets the driver open the session; an error does not.
    QCOMPARE(opened != VI_NULL, status > 0);
}

void tst_Qx5170Fc::openAndStoreRemembersEvenWhenInitFails()
{
    qx5170_fc fc;
    QByteArray descriptor("VXI0::5::INSTR");
    const ViInt16 fcNumbers[] = {3, 4, 1};
    sfpsim::injectFault("qx5170_init", qx5170_ERROR_NO_MOTHERBOARD);
    ViSession vi = VI_NULL;
    QCOMPARE(fc.openAndStore(descriptor.data(), fcNumbers, 3, VI_FALSE, VI_FALSE, &vi),
             qx5170_ERROR_NO_MOTHERBOARD);
    QCOMPARE(QByteArray(fc.storedDescriptor()), descriptor);
    QCOMPARE(fc.storedFcNumbers()[0], ViUInt16(3));
    QCOMPARE(fc.storedFcNumbers()[1], ViUInt16(4));
    QCOMPARE(fc.storedFcNumbers()[2], ViUInt16(1));
    QCOMPARE(fc.storedFcNumbers()[3], ViUInt16(0));
    // The init got the caller's flags and only the first number.
    QCOMPARE(driverCalls(),
             QStringList {initLine(descriptor, 3, 0, 0, qx5170_ERROR_NO_MOTHERBOARD)});
}

void tst_Qx5170Fc::reopenUsesTheRememberedDataWithBothFlags()
{
    qx5170_fc fc;
    QByteArray descriptor("VXI0::5::INSTR");
    const ViInt16 fcNumbers[] = {3, 4};
    sfpsim::injectFault("qx5170_init", qx5170_ERROR_NO_MOTHERBOARD);
    ViSession vi = VI_NULL;
    fc.openAndStore(descriptor.data(), fcNumbers, 2, VI_FALSE, VI_FALSE, &vi);
    // The caller's buffer may change or go away after the call.
    descriptor.fill('?');
    sfptest::clearTrace();

    ViSession reopened = VI_NULL;
    QCOMPARE(fc.reopen(&reopened), VI_SUCCESS);
    m_opened.push_back(reopened);
    QVERIFY(reopened != VI_NULL);
    QCOMPARE(driverCalls(), QStringList {initLine("VXI0::5::INSTR", 3, 1, 1, 0)});
}

void tst_Qx5170Fc::openAndStoreClampsTheCount_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("stored");
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("all 256") << 256 << 256;
    QTest::newRow("257") << 257 << 256;
    QTest::newRow("260") << 260 << 256;
    QTest::newRow("largest") << 32767 << 256;
    QTest::newRow("minus one") << -1 << 0;
    QTest::newRow("most negative") << -32768 << 0;
}

void tst_Qx5170Fc::openAndStoreClampsTheCount()
{
    QFETCH(int, count);
    QFETCH(int, stored);
    // On the heap with nothing after the store, so that a write past it
    // leaves the object (and the address sanitizer notices).
    auto fc = std::make_unique<qx5170_fc>();
    std::vector<ViInt16> fcNumbers(size_t(qMax(count, 1)));
    for (size_t i = 0; i < fcNumbers.size(); ++i)
        fcNumbers[i] = ViInt16(1 + i % 8);
    QByteArray descriptor(vxiDescriptor);
    ViSession vi = VI_NULL;
    sfpsim::injectFault("qx5170_init", qx5170_ERROR_NO_CARD);
    QCOMPARE(fc->openAndStore(descriptor.data(), fcNumbers.data(), ViInt16(count), VI_TRUE, VI_TRUE,
                              &vi),
             qx5170_ERROR_NO_CARD);
    for (int i = 0; i < qx5170_fc::storedFcNumberCount; ++i) {
        const ViUInt16 expected = i < stored ? ViUInt16(fcNumbers[size_t(i)]) : ViUInt16(0);
        QCOMPARE(fc->storedFcNumbers()[i], expected);
    }
    QCOMPARE(QByteArray(fc->storedDescriptor()), descriptor);
}

void tst_Qx5170Fc::openAndStoreCutsLongDescriptors()
{
    qx5170_fc fc;
    QByteArray descriptor(3000, 'V');
    for (int i = 0; i < descriptor.size(); ++i)
        descriptor[i] = char('A' + i % 26);
    const ViInt16 fcNumbers[] = {relayCardPosition};
    ViSession vi = VI_NULL;
    const ViStatus status = fc.openAndStore(descriptor.data(), fcNumbers, 1, VI_TRUE, VI_TRUE, &vi);
    QVERIFY(status < 0);
    QCOMPARE(QByteArray(fc.storedDescriptor()), descriptor.left(2047));
    // Shorter texts afterwards replace it whole.
    QByteArray shorter(vxiDescriptor);
    QCOMPARE(fc.openAndStore(shorter.data(), fcNumbers, 1, VI_TRUE, VI_TRUE, &vi), VI_SUCCESS);
    m_opened.push_back(vi);
    QCOMPARE(QByteArray(fc.storedDescriptor()), shorter);
}

SFPTEST_MAIN(tst_Qx5170Fc)
void tst_Qx5170Fc::missingAddressOrFcList()
{
    // A caller without a list of FC numbers asks for no card (position 0),
    // which the driver refuses; nothing is read from the missing list.
    qx5170_fc fc;
    QByteArray descriptor("VXI0::5::INSTR");
    ViSession vi = VI_NULL;
    QVERIFY(fc.open(descriptor.data(), nullptr, VI_TRUE, VI_TRUE, &vi) < 0);
    QCOMPARE(vi, ViSession(VI_NULL));

    // openAndStore keeps what it was given: first a whole address and list,
    // then an empty address without a list, which forgets the address and
    // keeps the numbers that were there.
    const ViInt16 fcNumbers[] = {3, 4};
    fc.openAndStore(descriptor.data(), fcNumbers, 2, VI_TRUE, VI_TRUE, &vi);
    if (vi != VI_NULL)
        m_opened.push_back(vi);
    vi = VI_NULL;
    QByteArray empty("");
    QVERIFY(fc.openAndStore(empty.data(), nullptr, 2, VI_TRUE, VI_TRUE, &vi) < 0);
    QCOMPARE(vi, ViSession(VI_NULL));
    QCOMPARE(QByteArray(fc.storedDescriptor()), QByteArray());
    QCOMPARE(fc.storedFcNumbers()[0], ViUInt16(3));
    QCOMPARE(fc.storedFcNumbers()[1], ViUInt16(4));
    QCOMPARE(driverCalls().constLast(), initLine("", 0, 1, 1, qx5170_ERROR_INV_FC_NUMBER));
}

#include "tst_qx5170fc.moc"
