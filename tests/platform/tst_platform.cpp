// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The simulated platform behind the three stand-in libraries: layouts,
// descriptor matching, the scan, the relay card model, faults, bad
// descriptions, concurrency and the trace.
#include "sim_control.h"

#include "qx2010.h"
#include "qx5170.h"
#include "visa.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

// A session on the default resource manager that closes itself.
struct ResourceManager
{
    ResourceManager() { status = viOpenDefaultRM(&rm); }
    ~ResourceManager() { viClose(rm); }
    ViSession rm = VI_NULL;
    ViStatus status = VI_SUCCESS;
};

QStringList trace()
{
    QStringList lines;
    for (const std::string &line : sfpsim::traceLines())
        lines << QString::fromStdString(line);
    return lines;
}

QStringList traceOf(const QString &prefix)
{
    return trace().filter(
        QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(prefix)));
}

template<typename T>
T readAt(const void *base, size_t offset)
{
    T value;
    std::memcpy(&value, static_cast<const char *>(base) + offset, sizeof value);
    return value;
}

const char *const sensorBoxJson = R"({
  "resources": [
    { "descriptor": "VXI0::7::INSTR", "slot": 3,
      "motherboard": { "code": 2898, "positions": 3,
        "cards": [ { "position": 1, "code": "0x5170" }, { "position": 3, "code": "0x6087", "variant": "A7" } ] },
      "faults": [ { "operation": "qx5170_switchRelay", "status": "0xBFFF00A6", "count": 2, "after": 1 } ] },
    { "descriptor": "TCPIP0::10.0.0.9::INSTR", "openTimeMs": 1,
      "motherboard": { "code": "0x0D42", "positions": 0 } }
  ],
  "faults": [ { "operation": "viGetAttribute", "attribute": "0xBFFF0196", "status": -1073807339, "count": -1 } ]
})";

} // namespace

class tst_Platform : public QObject
{
    Q_OBJECT

public:
    // The platform opens its trace file on first use, so name it before that.
    tst_Platform() { qputenv("SFP_SIM_TRACE", m_traceFile.toLocal8Bit()); }

private slots:
    void init();
    void cleanup();

    void mbHandleLayout();
    void descriptorMatching_data();
    void descriptorMatching();
    void scanOfDefaultSystem();
    void attributes();
    void relayCardModes();
    void resetAndIdQuery();
    void cardCommands_data();
    void cardCommands();
    void driverArgumentErrors();
    void statusTexts();
    void descriptionFaults();
    void injectedFaults();
    void badDescription_data();
    void badDescription();
    void badDescriptionFromEnvironment();
    void traceWithStandardInputClosed();
    void traceOnAFullDisk();
    void largestValuesAccepted();
    void longTextsCutToTheBuffer();
    void resourceFaultsStayWithTheirResource();
    void invalidSessionsAndBuffers();
    void concurrentSessions();
    void traceFormat();
    void exitWhileOpening();
    void noTraceKeptUnasked();

private:
    QStringList traceFileLines() const;

    QTemporaryDir m_dir;
    QString m_traceFile = m_dir.filePath("trace.txt");
};

QStringList tst_Platform::traceFileLines() const
{
    QFile file(m_traceFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

void tst_Platform::init()
{
    sfpsim::loadDefaultSystem();
}

void tst_Platform::cleanup()
{
    QCOMPARE(sfpsim::openSessionCount(), 0);
}

void tst_Platform::mbHandleLayout()
{
    ResourceManager rm;
    ViSession vi = VI_NULL;
    QCOMPARE(viOpen(rm.rm, "TCPIP0::192.168.2.100::INSTR", VI_NO_LOCK, 0, &vi), VI_SUCCESS);

    // Fill the block by offsets, as a caller that knows only the layout does.
    unsigned char block[24];
    std::memset(block, 0xA5, sizeof block);
    std::memset(block, 0, 8);
    const ViUInt16 zero16 = 0;
    const ViUInt32 zero32 = 0;
    std::memcpy(block + 8, &zero16, 2);
    std::memcpy(block + 12, &rm.rm, 4);
    std::memcpy(block + 16, &zero32, 4);
    std::memcpy(block + 20, &zero16, 2);
    QCOMPARE(qx2010_mb_open(vi, reinterpret_cast<mbParams *>(block)), VI_SUCCESS);

    const void *handle = readAt<const void *>(block, 0);
    QVERIFY(handle);
    const void *info = readAt<const void *>(handle, 0);
    QCOMPARE(readAt<ViInt32>(info, 256), 4);
    QCOMPARE(readAt<ViUInt16>(info, 260), ViUInt16(0x0D42));
    QCOMPARE(readAt<ViUInt16>(info, 262), ViUInt16(0x5170));
    QCOMPARE(readAt<ViUInt16>(info, 264), ViUInt16(0x6052));
    QCOMPARE(readAt<ViUInt16>(info, 266), ViUInt16(0));

    using GetInterface = void *(*)(void *, ViInt32, ViInt32);
    const auto getInterface = readAt<GetInterface>(handle, 64);
    QVERIFY(getInterface(const_cast<void *>(handle), 0, 1));
    void *interface1 = getInterface(const_cast<void *>(handle), 1, 1);
    QVERIFY(interface1);
    QVERIFY(!getInterface(const_cast<void *>(handle), 7, 1));

    using ReadCardWord = ViStatus (*)(void *, ViUInt16, ViInt32, ViUInt16 *);
    const auto readCardWord = readAt<ReadCardWord>(interface1, 32);
    ViUInt16 word = 0;
    QCOMPARE(readCardWord(const_cast<void *>(handle), 2, 252, &word), VI_SUCCESS);
    QCOMPARE(word, ViUInt16(0x4231)); // "B1"
    // A word of zero is a value like any other, not a failure.
    word = 0xFFFF;
    QCOMPARE(readCardWord(const_cast<void *>(handle), 2, 0, &word), VI_SUCCESS);
    QCOMPARE(word, ViUInt16(0));
    QVERIFY(readCardWord(const_cast<void *>(handle), 3, 252, &word) < 0); // empty position

    qx2010_mb_close(reinterpret_cast<mbParams *>(block));
    QCOMPARE(readAt<const void *>(block, 0), nullptr);
    viClose(vi);
}

void tst_Platform::descriptorMatching_data()
{
    QTest::addColumn<QString>("descriptor");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("slot"); // -1: no slot (LAN) or not opened

    QTest::newRow("as listed") << "VXI0::1::INSTR" << int(VI_SUCCESS) << 5;
    QTest::newRow("board 0 implied") << "VXI::5::INSTR" << int(VI_SUCCESS) << 9;
    QTest::newRow("lower case") << "vxi0::5::instr" << int(VI_SUCCESS) << 9;
    QTest::newRow("no INSTR") << "VXI0::1" << int(VI_SUCCESS) << 5;
    QTest::newRow("typed LXI default") << "TCPIP::192.168.2.100::INSTR" << int(VI_SUCCESS) << -1;
    QTest::newRow("host name") << "tcpip::LXI-5170.lab.local" << int(VI_SUCCESS) << -1;
    QTest::newRow("serial") << "ASRL1::INSTR" << int(VI_SUCCESS) << -1;
    QTest::newRow("USB, three parts")
        << "USB0::0x1234::0x5678::SN42::INSTR" << int(VI_ERROR_RSRC_NFOUND) << -1;
    QTest::newRow("other board") << "VXI1::1::INSTR" << int(VI_ERROR_RSRC_NFOUND) << -1;
    QTest::newRow("absent address") << "TCPIP::10.1.1.1::INSTR" << int(VI_ERROR_RSRC_NFOUND) << -1;
    QTest::newRow("empty") << "" << int(VI_ERROR_INV_RSRC_NAME) << -1;
    QTest::newRow("garbage") << "hello world" << int(VI_ERROR_INV_RSRC_NAME) << -1;
    QTest::newRow("two joined") << "VXI0::1::INSTR,VXI0::5::INSTR" << int(VI_ERROR_INV_RSRC_NAME)
                                << -1;
    QTest::newRow("empty part") << "VXI0::::INSTR" << int(VI_ERROR_INV_RSRC_NAME) << -1;
    QTest::newRow("four-digit board") << "VXI0000::1::INSTR" << int(VI_SUCCESS) << 5;
    QTest::newRow("five-digit board") << "VXI00000::1::INSTR" << int(VI_ERROR_INV_RSRC_NAME) << -1;
    QTest::newRow("huge board") << "VXI123456789012::1::INSTR" << int(VI_ERROR_INV_RSRC_NAME) << -1;
    QTest::newRow("serial without number") << "ASRL" << int(VI_ERROR_INV_RSRC_NAME) << -1;
    QTest::newRow("long") << QString(10000, QLatin1Char('A')) << int(VI_ERROR_INV_RSRC_NAME) << -1;
}

void tst_Platform::descriptorMatching()
{
    QFETCH(QString, descriptor);
    QFETCH(int, status);
    QFETCH(int, slot);

    ResourceManager rm;
    ViSession vi = 12345;
    QCOMPARE(viOpen(rm.rm, descriptor.toLatin1().constData(), VI_NO_LOCK, 0, &vi), status);
    if (status < 0) {
        QCOMPARE(vi, ViSession(VI_NULL));
        return;
    }
    ViInt16 value = 0;
    const ViStatus slotStatus = viGetAttribute(vi, VI_ATTR_SLOT, &value);
    QCOMPARE(slotStatus < 0 ? -1 : int(value), slot);
    QCOMPARE(viClose(vi), VI_SUCCESS);
}

void tst_Platform::scanOfDefaultSystem()
{
    ResourceManager rm;
    ViFindList list = VI_NULL;
    ViUInt32 count = 0;
    char descriptor[VI_FIND_BUFLEN];
    QCOMPARE(viFindRsrc(rm.rm, "?*INSTR", &list, &count, descriptor), VI_SUCCESS);
    QStringList found {QString::fromLatin1(descriptor)};
    while (viFindNext(list, descriptor) == VI_SUCCESS)
        found << QString::fromLatin1(descriptor);
    QCOMPARE(found,
             QStringList({"VXI0::1::INSTR", "VXI0::5::INSTR", "TCPIP0::192.168.2.100::INSTR",
                          "TCPIP0::lxi-5170.lab.local::INSTR", "ASRL1::INSTR"}));
    QCOMPARE(count, ViUInt32(found.size()));
    QCOMPARE(viClose(list), VI_SUCCESS);

    // Other expressions, matched without regard to case.
    QCOMPARE(viFindRsrc(rm.rm, "tcpip?*", &list, &count, descriptor), VI_SUCCESS);
    QCOMPARE(count, ViUInt32(2));
    viClose(list);
    QCOMPARE(viFindRsrc(rm.rm, "GPIB?*INSTR", &list, &count, descriptor), VI_ERROR_RSRC_NFOUND);
    QCOMPARE(count, ViUInt32(0));
    QCOMPARE(viFindRsrc(rm.rm, "*INSTR", &list, &count, descriptor), VI_ERROR_INV_EXPR);

    // What a scan learns from each motherboard.
    struct Expected
    {
        const char *descriptor;
        bool motherboard;
        ViUInt16 code;
        std::vector<ViUInt16> cards;
    };
    const Expected expected[] = {
        {"VXI0::1::INSTR", true, 0x0B52, {0x5E5E, 0x5170, 0, 0}},
        {"VXI0::5::INSTR", true, 0x0B52, {0, 0, 0x5170, 0x8D48}},
        {"TCPIP0::lxi-5170.lab.local::INSTR", true, 0x0D42, {0x5170, 0x6052, 0, 0}},
        {"ASRL1::INSTR", false, 0, {}},
    };
    for (const Expected &e : expected) {
        ViSession vi = VI_NULL;
        QCOMPARE(viOpen(rm.rm, e.descriptor, VI_NO_LOCK, 0, &vi), VI_SUCCESS);
        mbParams params {};
        params.defaultRM = rm.rm;
        const ViStatus status = qx2010_mb_open(vi, &params);
        QCOMPARE(status >= 0, e.motherboard);
        if (status >= 0) {
            QCOMPARE(params.handle->info->modelCodes[0], e.code);
            QCOMPARE(size_t(params.handle->info->positionCount), e.cards.size());
            for (size_t p = 0; p < e.cards.size(); ++p)
                QCOMPARE(params.handle->info->modelCodes[p + 1], e.cards[p]);
            qx2010_mb_close(&params);
        } else {
            QCOMPARE(params.handle, nullptr);
        }
        viClose(vi);
    }
}

void tst_Platform::attributes()
{
    ResourceManager rm;
    ViSession lan = VI_NULL;
    ViSession vxi = VI_NULL;
    QCOMPARE(viOpen(rm.rm, "TCPIP0::lxi-5170.lab.local::INSTR", VI_NO_LOCK, 0, &lan), VI_SUCCESS);
    QCOMPARE(viOpen(rm.rm, "VXI0::5::INSTR", VI_NO_LOCK, 0, &vxi), VI_SUCCESS);

    ViUInt16 type = 0;
    QCOMPARE(viGetAttribute(lan, VI_ATTR_INTF_TYPE, &type), VI_SUCCESS);
    QCOMPARE(type, ViUInt16(VI_INTF_TCPIP));
    QCOMPARE(viGetAttribute(vxi, VI_ATTR_INTF_TYPE, &type), VI_SUCCESS);
    QCOMPARE(type, ViUInt16(VI_INTF_VXI));

    char text[256];
    QCOMPARE(viGetAttribute(lan, VI_ATTR_TCPIP_ADDR, text), VI_SUCCESS);
    QCOMPARE(QString(text), QString("192.168.2.100"));
    QCOMPARE(viGetAttribute(lan, VI_ATTR_TCPIP_HOSTNAME, text), VI_SUCCESS);
    QCOMPARE(QString(text), QString("lxi-5170.lab.local"));
    QCOMPARE(viGetAttribute(lan, VI_ATTR_TCPIP_DEVICE_NAME, text), VI_SUCCESS);
    QCOMPARE(QString(text), QString("inst0"));
    ViInt16 slot = 0;
    QCOMPARE(viGetAttribute(lan, VI_ATTR_SLOT, &slot), VI_ERROR_NSUP_ATTR);
    QCOMPARE(viGetAttribute(vxi, VI_ATTR_SLOT, &slot), VI_SUCCESS);
    QCOMPARE(slot, ViInt16(9));
    QCOMPARE(viGetAttribute(vxi, VI_ATTR_TCPIP_ADDR, text), VI_ERROR_NSUP_ATTR);
    QCOMPARE(viGetAttribute(vxi, 0x3FFF0000, text), VI_ERROR_NSUP_ATTR);
    QCOMPARE(viGetAttribute(rm.rm, VI_ATTR_SLOT, &slot), VI_ERROR_NSUP_ATTR);

    // The driver's session is a VISA session on the motherboard's resource.
    ViSession driver = VI_NULL;
    QCOMPARE(qx5170_init(const_cast<ViRsrc>("TCPIP::192.168.2.100::INSTR"), 1, VI_TRUE, VI_TRUE,
                         &driver),
             VI_SUCCESS);
    QCOMPARE(viGetAttribute(driver, VI_ATTR_SLOT, &slot), VI_ERROR_NSUP_ATTR);
    QCOMPARE(viGetAttribute(driver, VI_ATTR_TCPIP_DEVICE_NAME, text), VI_SUCCESS);
    QCOMPARE(QString(text), QString("inst0"));
    QCOMPARE(qx5170_close(driver), VI_SUCCESS);
    viClose(lan);
    viClose(vxi);
}

void tst_Platform::relayCardModes()
{
    ViSession vi = VI_NULL;
    QCOMPARE(qx5170_init(const_cast<ViRsrc>("VXI0::1::INSTR"), 2, VI_TRUE, VI_TRUE, &vi),
             VI_SUCCESS);
    sfpsim::CardState card;
    QVERIFY(sfpsim::cardState("VXI0::1::INSTR", 2, &card));
    QCOMPARE(card.mode, 1);

    // Asynchronous: at once.
    QCOMPARE(qx5170_switchRelay(vi, 5, VI_TRUE), VI_SUCCESS);
    QVERIFY(sfpsim::cardState("VXI0::1::INSTR", 2, &card));
    QVERIFY(card.applied[4] && card.commanded[4] && !card.pending[4]);

    // Sync. Command: on the update command only; a trigger does nothing.
    QCOMPARE(qx5170_setSwitchingMode(vi, 2, qx5170_ITRIG_NONE), VI_SUCCESS);
    QCOMPARE(qx5170_switchRelay(vi, 5, VI_FALSE), VI_SUCCESS);
    QCOMPARE(qx5170_switchRelay(vi, 32, VI_TRUE), VI_SUCCESS);
    QVERIFY(sfpsim::cardState("VXI0::1::INSTR", 2, &card));
    QVERIFY(card.applied[4] && !card.commanded[4] && card.pending[4]);
    QVERIFY(!card.applied[31] && card.pending[31]);
    QCOMPARE(qx5170_pulseSynchTrigger(vi), VI_SUCCESS);
    QVERIFY(sfpsim::cardState("VXI0::1::INSTR", 2, &card));
    QVERIFY(card.applied[4] && card.pending[4]);
    QCOMPARE(qx5170_updateRelaysState(vi), VI_SUCCESS);
    QVERIFY(sfpsim::cardState("VXI0::1::INSTR", 2, &card));
    QVERIFY(!card.applied[4] && !card.pending[4] && card.applied[31] && !card.pending[31]);

    // Between the synchronous modes nothing is applied; Sync. Trigger applies
    // on the trigger only.
    QCOMPARE(qx5170_switchRelay(vi, 1, VI_TRUE), VI_SUCCESS);
    QCOMPARE(qx5170_setSwitchingMode(vi, 3, qx5170_ITRIG_NONE), VI_SUCCESS);
    QCOMPARE(qx5170_updateRelaysState(vi), VI_SUCCESS);
    QVERIFY(sfpsim::cardState("VXI0::1::INSTR", 2, &card));
    QCOMPARE(card.mode, 3);
    QVERIFY(!card.applied[0] && card.pending[0]);
    QCOMPARE(qx5170_pulseSynchTrigger(vi), VI_SUCCESS);
    QVERIFY(sfpsim::cardState("VXI0::1::INSTR", 2, &card));
    QVERIFY(card.applied[0] && !card.pending[0]);

    // Back to Asynchronous applies whatever is still pending.
    QCOMPARE(qx5170_switchRelay(vi, 2, VI_TRUE), VI_SUCCESS);
    QCOMPARE(qx5170_setSwitchingMode(vi, 1, qx5170_ITRIG_NONE), VI_SUCCESS);
    QVERIFY(sfpsim::cardState("VXI0::1::INSTR", 2, &card));
    QVERIFY(card.applied[1] && !card.pending[1]);

    // The other relay card of the system is untouched.
    QVERIFY(sfpsim::cardState("VXI0::5::INSTR", 3, &card));
    QCOMPARE(card.applied, (std::array<bool, 32> {}));
    QCOMPARE(qx5170_close(vi), VI_SUCCESS);
    QCOMPARE(qx5170_switchRelay(vi, 1, VI_TRUE), VI_ERROR_INV_OBJECT);
}

void tst_Platform::resetAndIdQuery()
{
    ViSession vi = VI_NULL;
    QCOMPARE(qx5170_init(const_cast<ViRsrc>("VXI0::5::INSTR"), 3, VI_TRUE, VI_TRUE, &vi),
             VI_SUCCESS);
    QCOMPARE(qx5170_setSwitchingMode(vi, 2, 0), VI_SUCCESS);
    QCOMPARE(qx5170_switchRelay(vi, 7, VI_TRUE), VI_SUCCESS);
    QCOMPARE(qx5170_updateRelaysState(vi), VI_SUCCESS);
    QCOMPARE(qx5170_close(vi), VI_SUCCESS);

    // Without reset the card keeps its state; with reset every relay opens
    // and the card is asynchronous again.
    QCOMPARE(qx5170_init(const_cast<ViRsrc>("VXI0::5::INSTR"), 3, VI_TRUE, VI_FALSE, &vi),
             VI_SUCCESS);
    sfpsim::CardState card;
    QVERIFY(sfpsim::cardState("VXI0::5::INSTR", 3, &card));
    QVERIFY(card.applied[6]);
    QCOMPARE(card.mode, 2);
    QCOMPARE(qx5170_close(vi), VI_SUCCESS);
    QCOMPARE(qx5170_init(const_cast<ViRsrc>("VXI::5"), 3, VI_TRUE, VI_TRUE, &vi), VI_SUCCESS);
    QVERIFY(sfpsim::cardState("VXI0::5::INSTR", 3, &card));
    QVERIFY(!card.applied[6]);
    // What the card was last told is also "open": a test reading the card
    // after a reset sees no stale command.
    QVERIFY(!card.commanded[6]);
    QCOMPARE(card.mode, 1);
    QCOMPARE(qx5170_close(vi), VI_SUCCESS);

    // The id query refuses other models, empty positions and resources
    // without a motherboard; the session is not left open.
    struct Refused
    {
        const char *descriptor;
        ViUInt16 fc;
        ViStatus status;
    };
    const Refused refused[] = {
        {"VXI0::1::INSTR", 1, VI_ERROR_FAIL_ID_QUERY},
        {"VXI0::1::INSTR", 3, qx5170_ERROR_NO_CARD},
        {"VXI0::1::INSTR", 7, qx5170_ERROR_NO_CARD},
        {"VXI0::1::INSTR", 8, qx5170_ERROR_NO_CARD},
        {"VXI0::1::INSTR", 0, qx5170_ERROR_INV_FC_NUMBER},
        {"VXI0::1::INSTR", 9, qx5170_ERROR_INV_FC_NUMBER},
        {"ASRL1::INSTR", 1, qx5170_ERROR_NO_MOTHERBOARD},
        {"VXI0::9::INSTR", 1, VI_ERROR_RSRC_NFOUND},
        {"VXI0::1::INSTR,VXI0::5::INSTR", 2, VI_ERROR_INV_RSRC_NAME},
    };
    for (const Refused &r : refused) {
        vi = 777;
        QCOMPARE(qx5170_init(const_cast<ViRsrc>(r.descriptor), r.fc, VI_TRUE, VI_TRUE, &vi),
                 r.status);
        QCOMPARE(vi, ViSession(VI_NULL));
        QCOMPARE(sfpsim::openSessionCount(), 0);
    }
}

void tst_Platform::cardCommands_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("mode") << QByteArray("FC3:MODE 2") << QByteArray("OK");
    QTest::newRow("mode 0") << QByteArray("FC3:MODE 0") << QByteArray("ERR RANGE");
    QTest::newRow("mode 4") << QByteArray("FC3:MODE 4") << QByteArray("ERR RANGE");
    QTest::newRow("mode without number") << QByteArray("FC3:MODE ") << QByteArray("ERR COMMAND");
    QTest::newRow("relay 33") << QByteArray("FC3:REL 33,1") << QByteArray("ERR RANGE");
    QTest::newRow("relay state 2") << QByteArray("FC3:REL 1,2") << QByteArray("ERR RANGE");
    QTest::newRow("relay state -1") << QByteArray("FC3:REL 1,-1") << QByteArray("ERR RANGE");
    QTest::newRow("relay 0") << QByteArray("FC3:REL 0,1") << QByteArray("ERR RANGE");
    QTest::newRow("relay 1 off") << QByteArray("FC3:REL 1,0") << QByteArray("OK");
    QTest::newRow("relay 32 on") << QByteArray("FC3:REL 32,1") << QByteArray("OK");
    // The ends of int are numbers, only no relays.
    QTest::newRow("relay at int's top")
        << QByteArray("FC3:REL 2147483647,1") << QByteArray("ERR RANGE");
    QTest::newRow("relay at int's bottom")
        << QByteArray("FC3:REL -2147483648,1") << QByteArray("ERR RANGE");
    QTest::newRow("relay without number") << QByteArray("FC3:REL ,1") << QByteArray("ERR COMMAND");
    QTest::newRow("state beyond int")
        << QByteArray("FC3:REL 1,99999999999") << QByteArray("ERR COMMAND");
    QTest::newRow("empty position") << QByteArray("FC4:MODE 1") << QByteArray("ERR NOCARD");
    QTest::newRow("no position 9") << QByteArray("FC9:MODE 1") << QByteArray("ERR POSITION");
    QTest::newRow("no position 0") << QByteArray("FC0:MODE 1") << QByteArray("ERR POSITION");
    // Only the variant word of a card's identification is set.
    QTest::newRow("a card's other words") << QByteArray("MB:WORD? 3,0") << QByteArray("0");
}

// The card's own command language, as any VISA client reaches it by
// writing and reading: what it refuses leaves the card as it was.
void tst_Platform::cardCommands()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, answer);

    ResourceManager rm;
    ViSession vi = VI_NULL;
    QCOMPARE(viOpen(rm.rm, "VXI0::5::INSTR", VI_NO_LOCK, 0, &vi), VI_SUCCESS);
    ViUInt32 count = 0;
    QCOMPARE(viWrite(vi, reinterpret_cast<ViConstBuf>(command.constData()),
                     ViUInt32(command.size()), &count),
             VI_SUCCESS);
    char text[64] = {};
    QCOMPARE(viRead(vi, reinterpret_cast<ViPBuf>(text), sizeof text - 1, &count), VI_SUCCESS);
    QCOMPARE(QByteArray(text, int(count)), answer);
    sfpsim::CardState card;
    QVERIFY(sfpsim::cardState("VXI0::5::INSTR", 3, &card));
    QCOMPARE(card.mode, command == "FC3:MODE 2" ? 2 : 1);
    QVERIFY(!card.commanded[0]);
    QCOMPARE(card.commanded[31], command == "FC3:REL 32,1");
    QCOMPARE(viClose(vi), VI_SUCCESS);
}

void tst_Platform::driverArgumentErrors()
{
    ViSession vi = VI_NULL;
    QCOMPARE(qx5170_init(const_cast<ViRsrc>("VXI0::1::INSTR"), 2, VI_TRUE, VI_TRUE, &vi),
             VI_SUCCESS);
    QCOMPARE(qx5170_switchRelay(vi, 0, VI_TRUE), qx5170_ERROR_INV_RELAY);
    QCOMPARE(qx5170_switchRelay(vi, 33, VI_TRUE), qx5170_ERROR_INV_RELAY);
    QCOMPARE(qx5170_switchRelay(vi, -1, VI_TRUE), qx5170_ERROR_INV_RELAY);
    QCOMPARE(qx5170_setSwitchingMode(vi, 0, qx5170_ITRIG_NONE), qx5170_ERROR_INV_MODE);
    QCOMPARE(qx5170_setSwitchingMode(vi, 4, qx5170_ITRIG_NONE), qx5170_ERROR_INV_MODE);
    QCOMPARE(qx5170_setSwitchingMode(vi, 2, 5), qx5170_ERROR_INV_TRIGGER);
    sfpsim::CardState card;
    QVERIFY(sfpsim::cardState("VXI0::1::INSTR", 2, &card));
    QCOMPARE(card.mode, 1);
    QCOMPARE(card.commanded, (std::array<bool, 32> {}));
    QCOMPARE(qx5170_close(vi), VI_SUCCESS);

    QCOMPARE(qx5170_init(const_cast<ViRsrc>("VXI0::1::INSTR"), 2, VI_TRUE, VI_TRUE, nullptr),
             VI_ERROR_PARAMETER5);
    QCOMPARE(qx5170_init(nullptr, 2, VI_TRUE, VI_TRUE, &vi), VI_ERROR_PARAMETER1);
    QCOMPARE(vi, ViSession(VI_NULL));
    QCOMPARE(qx5170_close(VI_NULL), VI_ERROR_INV_OBJECT);
}

void tst_Platform::statusTexts()
{
    // Every status the driver can return has its text; errors are negative.
    const ViStatus driverStatuses[]
        = {qx5170_ERROR_INV_RELAY,     qx5170_ERROR_INV_MODE, qx5170_ERROR_INV_TRIGGER,
           qx5170_ERROR_INV_FC_NUMBER, qx5170_ERROR_NO_CARD,  qx5170_ERROR_NO_MOTHERBOARD,
           VI_ERROR_FAIL_ID_QUERY,     VI_ERROR_INV_RESPONSE, VI_ERROR_PARAMETER1,
           VI_ERROR_PARAMETER5,        VI_ERROR_INV_OBJECT,   VI_ERROR_RSRC_NFOUND,
           VI_ERROR_INV_RSRC_NAME,     VI_ERROR_TMO,          VI_ERROR_CONN_LOST,
           VI_ERROR_RSRC_BUSY,         VI_WARN_NSUP_ID_QUERY, VI_WARN_NSUP_RESET};
    for (ViStatus status : driverStatuses) {
        char text[1024] = {};
        QCOMPARE(qx5170_error_message(VI_NULL, status, text), VI_SUCCESS);
        QVERIFY2(std::strlen(text) > 0, qPrintable(QString::number(status, 16)));
    }
    QVERIFY(qx5170_ERROR_INV_RELAY < 0 && VI_WARN_NSUP_RESET > 0);

    // A code the driver does not know leaves the buffer as it was.
    char text[1024];
    std::memset(text, 'x', sizeof text);
    QVERIFY(qx5170_error_message(VI_NULL, qx2010_ERROR_NO_MOTHERBOARD, text) != VI_SUCCESS);
    QCOMPARE(text[0], 'x');
    QCOMPARE(qx5170_error_message(VI_NULL, VI_ERROR_TMO, nullptr), VI_ERROR_PARAMETER3);

    // The common library knows its own and VISA's codes, and says so for others.
    std::memset(text, 0, sizeof text);
    QCOMPARE(qx2010_error_message(qx2010_ERROR_NO_MOTHERBOARD, text), VI_SUCCESS);
    QVERIFY(std::strlen(text) > 0);
    std::memset(text, 0, sizeof text);
    QCOMPARE(qx2010_error_message(-12345, text), VI_WARN_UNKNOWN_STATUS);
    QVERIFY(QString(text).contains("FFFFCFC7"));

    char revision[32];
    std::memset(revision, 'x', sizeof revision);
    QCOMPARE(qx2010_library_revision(revision), VI_SUCCESS);
    QVERIFY(std::memchr(revision, '\0', sizeof revision));
    char driverRevision[64] = {};
    QCOMPARE(qx5170_revision_query(VI_NULL, driverRevision, nullptr), VI_SUCCESS);
    QCOMPARE(QString(driverRevision), QString("1.4.0"));
}

void tst_Platform::descriptionFaults()
{
    std::string problem;
    QVERIFY2(sfpsim::loadDescription(sensorBoxJson, &problem), problem.c_str());

    ViSession vi = VI_NULL;
    QCOMPARE(qx5170_init(const_cast<ViRsrc>("VXI0::7::INSTR"), 1, VI_TRUE, VI_TRUE, &vi),
             VI_SUCCESS);
    // "after": 1 lets the first call through, then two calls fail.
    QCOMPARE(qx5170_switchRelay(vi, 1, VI_TRUE), VI_SUCCESS);
    QCOMPARE(qx5170_switchRelay(vi, 2, VI_TRUE), VI_ERROR_CONN_LOST);
    QCOMPARE(qx5170_switchRelay(vi, 3, VI_TRUE), VI_ERROR_CONN_LOST);
    QCOMPARE(qx5170_switchRelay(vi, 4, VI_TRUE), VI_SUCCESS);
    sfpsim::CardState card;
    QVERIFY(sfpsim::cardState("VXI0::7::INSTR", 1, &card));
    QVERIFY(card.applied[0] && !card.applied[1] && !card.applied[2] && card.applied[3]);
    QCOMPARE(qx5170_close(vi), VI_SUCCESS);

    // The global rule fails every host name read, and nothing else.
    ResourceManager rm;
    ViSession lan = VI_NULL;
    QCOMPARE(viOpen(rm.rm, "TCPIP::10.0.0.9", VI_NO_LOCK, 0, &lan), VI_SUCCESS);
    char text[256];
    QCOMPARE(viGetAttribute(lan, VI_ATTR_TCPIP_HOSTNAME, text), VI_ERROR_TMO);
    QCOMPARE(viGetAttribute(lan, VI_ATTR_TCPIP_HOSTNAME, text), VI_ERROR_TMO);
    QCOMPARE(viGetAttribute(lan, VI_ATTR_TCPIP_ADDR, text), VI_SUCCESS);
    QCOMPARE(QString(text), QString("10.0.0.9"));

    // A motherboard with no positions, and a variant given as two characters.
    mbParams params {};
    params.defaultRM = rm.rm;
    QCOMPARE(qx2010_mb_open(lan, &params), VI_SUCCESS);
    QCOMPARE(params.handle->info->positionCount, 0);
    qx2010_mb_close(&params);
    viClose(lan);
    ViSession vxi = VI_NULL;
    QCOMPARE(viOpen(rm.rm, "VXI0::7::INSTR", VI_NO_LOCK, 0, &vxi), VI_SUCCESS);
    QCOMPARE(qx2010_mb_open(vxi, &params), VI_SUCCESS);
    auto *interface1
        = static_cast<mbInterface1 *>(params.handle->getInterface(params.handle, 1, 1));
    ViUInt16 word = 0;
    QCOMPARE(interface1->readCardWord(params.handle, 3, 252, &word), VI_SUCCESS);
    QCOMPARE(word, ViUInt16(('A' << 8) | '7'));
    qx2010_mb_close(&params);
    viClose(vxi);

    // Clearing the faults clears a resource's own rules as well.
    QVERIFY2(sfpsim::loadDescription(sensorBoxJson, &problem), problem.c_str());
    sfpsim::clearFaults();
    QCOMPARE(qx5170_init(const_cast<ViRsrc>("VXI0::7::INSTR"), 1, VI_TRUE, VI_TRUE, &vi),
             VI_SUCCESS);
    for (ViInt16 relay = 1; relay <= 3; ++relay)
        QCOMPARE(qx5170_switchRelay(vi, relay, VI_TRUE), VI_SUCCESS);
    QCOMPARE(qx5170_close(vi), VI_SUCCESS);
}

void tst_Platform::injectedFaults()
{
    ViSession vi = VI_NULL;
    QCOMPARE(qx5170_init(const_cast<ViRsrc>("VXI0::1::INSTR"), 2, VI_TRUE, VI_TRUE, &vi),
             VI_SUCCESS);
    sfpsim::CardState card;

    // A negative status replaces the call: nothing reaches the card.
    sfpsim::injectFault("qx5170_switchRelay", VI_ERROR_TMO, 1);
    QCOMPARE(qx5170_switchRelay(vi, 9, VI_TRUE), VI_ERROR_TMO);
    QVERIFY(sfpsim::cardState("VXI0::1::INSTR", 2, &card));
    QVERIFY(!card.commanded[8]);
    QCOMPARE(qx5170_switchRelay(vi, 9, VI_TRUE), VI_SUCCESS);

    // A positive status is a warning about a call that did its work.
    sfpsim::injectFault("qx5170_switchRelay", VI_WARN_NSUP_RESET, 1);
    QCOMPARE(qx5170_switchRelay(vi, 10, VI_TRUE), VI_WARN_NSUP_RESET);
    QVERIFY(sfpsim::cardState("VXI0::1::INSTR", 2, &card));
    QVERIFY(card.applied[9]);

    // Rules count only outermost calls: a fault on viWrite does not reach
    // the driver's own traffic, and every-call rules last until cleared.
    sfpsim::injectFault("viWrite", VI_ERROR_IO, -1);
    QCOMPARE(qx5170_switchRelay(vi, 11, VI_TRUE), VI_SUCCESS);
    sfpsim::injectFault("qx5170_updateRelaysState", VI_ERROR_CONN_LOST, -1);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(qx5170_updateRelaysState(vi), VI_ERROR_CONN_LOST);
    sfpsim::clearFaults();
    QCOMPARE(qx5170_updateRelaysState(vi), VI_SUCCESS);

    // Faults on the scan's and the open's own calls.
    sfpsim::injectFault("qx5170_init", VI_ERROR_RSRC_BUSY, 1);
    ViSession other = 99;
    QCOMPARE(qx5170_init(const_cast<ViRsrc>("VXI0::5::INSTR"), 3, VI_TRUE, VI_TRUE, &other),
             VI_ERROR_RSRC_BUSY);
    sfpsim::injectFault("viOpenDefaultRM", VI_ERROR_SYSTEM_ERROR, 1);
    ViSession rm = VI_NULL;
    QCOMPARE(viOpenDefaultRM(&rm), VI_ERROR_SYSTEM_ERROR);
    sfpsim::injectFault("qx2010_mb_open", qx2010_ERROR_NO_MOTHERBOARD, 1);
    {
        ResourceManager manager;
        ViSession instrument = VI_NULL;
        QCOMPARE(viOpen(manager.rm, "VXI0::1::INSTR", VI_NO_LOCK, 0, &instrument), VI_SUCCESS);
        mbParams params {};
        QCOMPARE(qx2010_mb_open(instrument, &params), qx2010_ERROR_NO_MOTHERBOARD);
        QCOMPARE(params.handle, nullptr);
        QCOMPARE(qx2010_mb_open(instrument, &params), VI_SUCCESS);
        qx2010_mb_close(&params);
        viClose(instrument);
    }
    QCOMPARE(qx5170_close(vi), VI_SUCCESS);
}

void tst_Platform::badDescription_data()
{
    QTest::addColumn<QString>("json");
    QTest::addColumn<QString>("where");

    // The parser's reason without its own prefix, at the place it names.
    QTest::newRow("not JSON") << "{ \"resources\": [ }"
                              << "line 1, column 18: not valid JSON (syntax error while parsing "
                                 "value - unexpected '}'; expected '[', '{', or a literal)";
    QTest::newRow("binary") << QString::fromLatin1("\x01\x02\xff\xfe", 4) << "line 1, column";
    QTest::newRow("empty") << ""
                           << "line 1, column 1";
    QTest::newRow("array") << "[1, 2]"
                           << "top level: expected an object";
    QTest::newRow("no resources") << "{}"
                                  << "resources: expected an array";
    QTest::newRow("unknown key") << R"({"resources": [], "resorces": 1})"
                                 << "unknown key";
    QTest::newRow("control characters in key")
        << "{\"resources\": [{\"descriptor\": \"VXI0::1\", \"host\\nname\": 1}]}"
        << R"(unknown key "host\x0Aname")";
    QTest::newRow("resource not object") << R"({"resources": [42]})"
                                         << "resources[0]:";
    QTest::newRow("no descriptor") << R"({"resources": [{}]})"
                                   << "resources[0]:";
    QTest::newRow("descriptor not text") << R"({"resources": [{"descriptor": 42}]})"
                                         << "resources[0].descriptor: expected a text";
    QTest::newRow("bad descriptor") << R"({"resources": [{"descriptor": "nonsense"}]})"
                                    << "resources[0].descriptor";
    QTest::newRow("duplicate")
        << R"({"resources": [{"descriptor": "VXI0::1::INSTR"}, {"descriptor": "vxi::1"}]})"
        << "resources[1].descriptor";
    QTest::newRow("code over 16 bits")
        << R"({"resources": [{"descriptor": "VXI0::1::INSTR", "motherboard": {"code": 70000}}]})"
        << "resources[0].motherboard.code: value 70000 is out of range";
    QTest::newRow("card code text")
        << R"({"resources": [{"descriptor": "VXI0::1::INSTR", "motherboard": {"code": 1,
              "cards": [{"position": 1, "code": "0x1FFFF"}]}}]})"
        << "resources[0].motherboard.cards[0].code";
    QTest::newRow("positions over 8")
        << R"({"resources": [{"descriptor": "VXI0::1::INSTR", "motherboard": {"code": 1, "positions": 9}}]})"
        << "resources[0].motherboard.positions";
    QTest::newRow("card beyond positions")
        << R"({"resources": [{"descriptor": "VXI0::1::INSTR", "motherboard": {"code": 1, "positions": 2,
              "cards": [{"position": 3, "code": 20848}]}}]})"
        << "resources[0].motherboard.cards[0].position";
    // No "positions": the motherboard has eight, and the ninth is refused
    // before anything is put there.
    QTest::newRow("card beyond eight positions")
        << R"({"resources": [{"descriptor": "VXI0::1::INSTR", "motherboard": {"code": 2898,
              "cards": [{"position": 9, "code": 20848}]}}]})"
        << "resources[0].motherboard.cards[0].position: value 9 is out of range 1..8";
    QTest::newRow("card without code")
        << R"({"resources": [{"descriptor": "VXI0::1::INSTR", "motherboard": {"code": 1,
              "cards": [{"position": 1}]}}]})"
        << R"(resources[0].motherboard.cards[0]: a card needs "position" and "code")";
    QTest::newRow("card without position")
        << R"({"resources": [{"descriptor": "VXI0::1::INSTR", "motherboard": {"code": 1,
              "cards": [{"code": 20848}]}}]})"
        << R"(resources[0].motherboard.cards[0]: a card needs "position" and "code")";
    QTest::newRow("card code zero")
        << R"({"resources": [{"descriptor": "VXI0::1::INSTR", "motherboard": {"code": 1,
              "cards": [{"position": 1, "code": 0}]}}]})"
        << "resources[0].motherboard.cards[0].code: value 0 is out of range 1..65535";
    QTest::newRow("position twice")
        << R"({"resources": [{"descriptor": "VXI0::1::INSTR", "motherboard": {"code": 1,
              "cards": [{"position": 1, "code": 1}, {"position": 1, "code": 2}]}}]})"
        << "taken twice";
    QTest::newRow("negative latency")
        << R"({"resources": [{"descriptor": "VXI0::1::INSTR", "openTimeMs": -5}]})"
        << "resources[0].openTimeMs";
    QTest::newRow("fractional latency")
        << R"({"resources": [{"descriptor": "VXI0::1::INSTR", "openTimeMs": 1.5}]})"
        << "resources[0].openTimeMs: expected an integer";
    QTest::newRow("slot on LAN")
        << R"({"resources": [{"descriptor": "TCPIP::1.2.3.4", "slot": 1}]})"
        << "resources[0].slot";
    QTest::newRow("unknown operation")
        << R"({"resources": [], "faults": [{"operation": "viFly", "status": -1}]})"
        << "faults[0].operation";
    QTest::newRow("zero status")
        << R"({"resources": [], "faults": [{"operation": "viOpen", "status": 0}]})"
        << "faults[0].status";
    QTest::newRow("status over 32 bits")
        << R"({"resources": [], "faults": [{"operation": "viOpen", "status": 4294967296}]})"
        << "faults[0].status";
    QTest::newRow("fault after too many calls")
        << R"({"resources": [], "faults": [{"operation": "viOpen", "status": -1,
              "after": 1000000001}]})"
        << "faults[0].after: value 1000000001 is out of range 0..1000000000";
    QTest::newRow("sameBoxAs unknown")
        << R"({"resources": [{"descriptor": "TCPIP::a", "sameBoxAs": "TCPIP::b"}]})"
        << "resources[0].sameBoxAs";
    QTest::newRow("sameBoxAs no descriptor")
        << R"({"resources": [{"descriptor": "TCPIP::a"},
                             {"descriptor": "TCPIP::b", "sameBoxAs": "nonsense"}]})"
        << R"(resources[1].sameBoxAs: no resource "nonsense" listed before)";
    QTest::newRow("huge number")
        << R"({"resources": [{"descriptor": "VXI0::1::INSTR", "slot": 1e400}]})"
        << "not a usable description";
}

void tst_Platform::badDescription()
{
    QFETCH(QString, json);
    QFETCH(QString, where);

    std::string error;
    QVERIFY(!sfpsim::loadDescription(json.toStdString(), &error));
    const QString message = QString::fromStdString(error);
    QVERIFY2(message.contains(where), qPrintable(message));
    QVERIFY(!message.contains(QLatin1Char('\n')));

    // Refused means no resources at all, not a half-loaded system.
    ResourceManager rm;
    ViFindList list = VI_NULL;
    ViUInt32 count = 99;
    char descriptor[VI_FIND_BUFLEN];
    QCOMPARE(viFindRsrc(rm.rm, "?*INSTR", &list, &count, descriptor), VI_ERROR_RSRC_NFOUND);
    QCOMPARE(count, ViUInt32(0));
}

void tst_Platform::largestValuesAccepted()
{
    // Two-digit boards, the highest slot, the largest count a fault rule
    // may wait and any attribute number: a system a test engineer writes is
    // taken as written, not renumbered.
    std::string problem;
    QVERIFY2(sfpsim::loadDescription(
                 R"({"resources": [{"descriptor": "VXI12::3::INSTR", "slot": 255}],
                     "faults": [{"operation": "viOpen", "status": -1, "after": 1000000000},
                                {"operation": "viGetAttribute", "status": -1, "attribute": 0},
                                {"operation": "viGetAttribute", "status": -1,
                                 "attribute": 4294967295}]})",
                 &problem),
             problem.c_str());
    ResourceManager rm;
    ViFindList list = VI_NULL;
    ViUInt32 count = 0;
    char descriptor[VI_FIND_BUFLEN];
    QCOMPARE(viFindRsrc(rm.rm, "?*INSTR", &list, &count, descriptor), VI_SUCCESS);
    QCOMPARE(count, ViUInt32(1));
    QCOMPARE(QString(descriptor), QString("VXI12::3::INSTR"));
    viClose(list);
    // As in a regular expression, a star lets what precedes it be absent.
    QCOMPARE(viFindRsrc(rm.rm, "VXI12::3::INSTRS*", &list, &count, descriptor), VI_SUCCESS);
    QCOMPARE(count, ViUInt32(1));
    viClose(list);
    // A plus wants it once or more.
    QCOMPARE(viFindRsrc(rm.rm, "VXI12::3::INSTRS+", &list, &count, descriptor),
             VI_ERROR_RSRC_NFOUND);
    QCOMPARE(count, ViUInt32(0));
    QCOMPARE(viFindRsrc(rm.rm, "VXI1+2::3::INSTR", &list, &count, descriptor), VI_SUCCESS);
    QCOMPARE(count, ViUInt32(1));
    viClose(list);
    ViSession vi = VI_NULL;
    QCOMPARE(viOpen(rm.rm, "VXI12::3::INSTR", VI_NO_LOCK, 0, &vi), VI_SUCCESS);
    ViUInt16 board = 0;
    QCOMPARE(viGetAttribute(vi, VI_ATTR_INTF_NUM, &board), VI_SUCCESS);
    QCOMPARE(board, ViUInt16(12));
    ViInt16 slot = 0;
    QCOMPARE(viGetAttribute(vi, VI_ATTR_SLOT, &slot), VI_SUCCESS);
    QCOMPARE(slot, ViInt16(255));
    QCOMPARE(viClose(vi), VI_SUCCESS);
    QCOMPARE(viOpen(rm.rm, "VXI21::3::INSTR", VI_NO_LOCK, 0, &vi), VI_ERROR_RSRC_NFOUND);
}

void tst_Platform::longTextsCutToTheBuffer()
{
    // VISA's text attributes fill a buffer of 256 bytes. A device name as
    // long as the descriptor allows is cut, ended within the buffer and
    // never written past it.
    const std::string descriptor = "TCPIP::10.0.0.1::" + std::string(300, 'n') + "::INSTR";
    std::string problem;
    QVERIFY2(sfpsim::loadDescription(R"({"resources": [{"descriptor": ")" + descriptor + R"("}]})",
                                     &problem),
             problem.c_str());
    ResourceManager rm;
    ViSession vi = VI_NULL;
    QCOMPARE(viOpen(rm.rm, descriptor.c_str(), VI_NO_LOCK, 0, &vi), VI_SUCCESS);
    char text[257];
    std::memset(text, '#', sizeof text);
    QCOMPARE(viGetAttribute(vi, VI_ATTR_TCPIP_DEVICE_NAME, text), VI_SUCCESS);
    QCOMPARE(std::strlen(text), size_t(255));
    QCOMPARE(text[256], '#');
    QCOMPARE(viClose(vi), VI_SUCCESS);
}

void tst_Platform::resourceFaultsStayWithTheirResource()
{
    // A rule written for one resource never answers for a name that is
    // no resource at all, nor for a call on no resource or on a session
    // that is not open.
    std::string problem;
    QVERIFY2(sfpsim::loadDescription(R"({"resources": [{"descriptor": "VXI0::1::INSTR",
                                         "faults": [{"operation": "viOpen", "status": "0xBFFF0015",
                                                     "count": -1},
                                                    {"operation": "viGetAttribute",
                                                     "status": "0xBFFF0015", "count": -1},
                                                    {"operation": "qx2010_library_revision",
                                                     "status": -1, "count": -1}]}]})",
                                     &problem),
             problem.c_str());
    ResourceManager rm;
    ViSession vi = VI_NULL;
    QCOMPARE(viOpen(rm.rm, "hello world", VI_NO_LOCK, 0, &vi), VI_ERROR_INV_RSRC_NAME);
    QCOMPARE(viOpen(rm.rm, "VXI0::1::INSTR", VI_NO_LOCK, 0, &vi), VI_ERROR_TMO);
    sfpsim::CardState card;
    QVERIFY(!sfpsim::cardState("hello world", 1, &card));
    ViChar revision[qx2010_REVISION_BUFLEN] = {};
    QCOMPARE(qx2010_library_revision(revision), VI_SUCCESS);
    ViInt16 slot = 0;
    QCOMPARE(viGetAttribute(ViSession(987654), VI_ATTR_SLOT, &slot), VI_ERROR_INV_OBJECT);
}

void tst_Platform::badDescriptionFromEnvironment()
{
    // The platform reads SFP_SIM_CONFIG once per process: try it in the C client.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString client = QCoreApplication::applicationDirPath() + "/c_client";
    struct Case
    {
        QString file;
        QByteArray content; // empty: no file at all
        QString problem;
    };
    const Case cases[] = {
        {dir.filePath("missing.json"), {}, "cannot read"},
        {dir.filePath("range.json"),
         R"({"resources": [{"descriptor": "VXI0::1::INSTR", "motherboard": {"code": 65536}}]})",
         "resources[0].motherboard.code"},
        {dir.filePath("truncated.json"), "{\"resources\": [", "not valid JSON"},
    };
    for (const Case &c : cases) {
        if (!c.content.isEmpty()) {
            QFile file(c.file);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(c.content);
        }
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SFP_SIM_CONFIG", c.file);
        env.insert("SFP_SIM_TRACE", dir.filePath("trace.txt"));
        process.setProcessEnvironment(env);
        process.start(client, {});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 1); // the client finds no resources
        const QStringList errors = QString::fromLocal8Bit(process.readAllStandardError())
                                       .split('\n', Qt::SkipEmptyParts)
                                       .filter("sfpsim:");
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].contains(c.file) && errors[0].contains(c.problem),
                 qPrintable(errors[0]));
    }
}

// A script that closes a client's standard input frees descriptor 0, which
// the trace file then takes: it is a trace file like any other.
void tst_Platform::traceWithStandardInputClosed()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("SFP_SIM_CONFIG");
    env.insert("SFP_SIM_TRACE", dir.filePath("trace.txt"));
    process.setProcessEnvironment(env);
    process.setChildProcessModifier([] { ::close(STDIN_FILENO); });
    process.start(QCoreApplication::applicationDirPath() + "/c_client", {});
    QVERIFY(process.waitForFinished(30000));
    const QByteArray errors = process.readAllStandardError();
    QVERIFY2(process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
             errors.constData());
    QVERIFY2(!errors.contains("sfpsim:"), errors.constData());
}

void tst_Platform::invalidSessionsAndBuffers()
{
    ResourceManager rm;
    ViSession vi = VI_NULL;
    char text[256];
    ViInt16 slot = 0;
    QCOMPARE(viGetAttribute(4242, VI_ATTR_SLOT, &slot), VI_ERROR_INV_OBJECT);
    QCOMPARE(viClose(4242), VI_ERROR_INV_OBJECT);
    QVERIFY(viClose(VI_NULL) > 0); // VISA warns about the null object
    QCOMPARE(viOpen(4242, "VXI0::1::INSTR", VI_NO_LOCK, 0, &vi), VI_ERROR_INV_OBJECT);
    QCOMPARE(viOpen(rm.rm, nullptr, VI_NO_LOCK, 0, &vi), VI_ERROR_INV_RSRC_NAME);
    QCOMPARE(viOpen(rm.rm, "VXI0::1::INSTR", VI_NO_LOCK, 0, nullptr), VI_ERROR_USER_BUF);
    QCOMPARE(viOpenDefaultRM(nullptr), VI_ERROR_USER_BUF);
    QCOMPARE(viFindRsrc(rm.rm, nullptr, nullptr, nullptr, text), VI_ERROR_INV_EXPR);
    QCOMPARE(viFindNext(rm.rm, text), VI_ERROR_INV_OBJECT);

    QCOMPARE(viOpen(rm.rm, "VXI0::1::INSTR", VI_NO_LOCK, 0, &vi), VI_SUCCESS);
    QCOMPARE(viGetAttribute(vi, VI_ATTR_SLOT, nullptr), VI_ERROR_USER_BUF);
    QCOMPARE(viWrite(vi, nullptr, 4, nullptr), VI_ERROR_USER_BUF);
    QCOMPARE(viRead(vi, nullptr, 4, nullptr), VI_ERROR_USER_BUF);
    QCOMPARE(qx2010_mb_open(vi, nullptr), qx2010_ERROR_INV_PARAMS);
    mbParams params {};
    params.timeout = 5; // the caller must leave this 0
    QCOMPARE(qx2010_mb_open(vi, &params), qx2010_ERROR_INV_PARAMS);
    QCOMPARE(qx2010_mb_close(nullptr), qx2010_ERROR_INV_PARAMS);
    QCOMPARE(qx2010_library_revision(nullptr), qx2010_ERROR_INV_PARAMS);
    QCOMPARE(qx2010_error_message(VI_ERROR_TMO, nullptr), qx2010_ERROR_INV_PARAMS);
    QCOMPARE(qx5170_revision_query(VI_NULL, nullptr, nullptr), VI_ERROR_PARAMETER2);

    // Closing the resource manager closes what was opened through it.
    viClose(rm.rm);
    params.timeout = 0;
    QCOMPARE(viGetAttribute(vi, VI_ATTR_SLOT, &slot), VI_ERROR_INV_OBJECT);
    QCOMPARE(qx2010_mb_open(vi, &params), VI_ERROR_INV_OBJECT);
    QCOMPARE(sfpsim::openSessionCount(), 0);
    for (auto op : {qx5170_updateRelaysState, qx5170_pulseSynchTrigger, qx5170_close})
        QCOMPARE(op(vi), VI_ERROR_INV_OBJECT);

    // A new system ends the old one's sessions: a handle kept across the
    // change is refused, not read against resources that are gone.
    ResourceManager again;
    ViSession kept = VI_NULL;
    QCOMPARE(viOpen(again.rm, "VXI0::1::INSTR", VI_NO_LOCK, 0, &kept), VI_SUCCESS);
    std::string problem;
    QVERIFY2(sfpsim::loadDescription(R"({"resources": []})", &problem), problem.c_str());
    QCOMPARE(sfpsim::openSessionCount(), 0);
    QCOMPARE(viGetAttribute(kept, VI_ATTR_SLOT, &slot), VI_ERROR_INV_OBJECT);
    QCOMPARE(viGetAttribute(again.rm, VI_ATTR_RSRC_MANF_NAME, text), VI_ERROR_INV_OBJECT);
}

void tst_Platform::concurrentSessions()
{
    // Many threads examine resources at once, as the scan's workers do.
    constexpr int threads = 64;
    constexpr int rounds = 20;
    ResourceManager rm;
    sfpsim::clearTrace();
    const int fileLinesBefore = int(traceFileLines().size());
    std::atomic<int> failures {0};
    std::vector<std::thread> workers;
    workers.reserve(threads);
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            const char *descriptor
                = t % 2 ? "TCPIP0::192.168.2.100::INSTR" : "TCPIP0::lxi-5170.lab.local::INSTR";
            for (int r = 0; r < rounds; ++r) {
                ViSession vi = VI_NULL;
                if (viOpen(rm.rm, descriptor, VI_NO_LOCK, 0, &vi) != VI_SUCCESS) {
                    ++failures;
                    continue;
                }
                char address[256] = {};
                mbParams params {};
                params.defaultRM = rm.rm;
                if (viGetAttribute(vi, VI_ATTR_TCPIP_ADDR, address) != VI_SUCCESS
                    || std::strcmp(address, "192.168.2.100") != 0
                    || qx2010_mb_open(vi, &params) != VI_SUCCESS
                    || params.handle->info->modelCodes[1] != 0x5170)
                    ++failures;
                if (params.handle)
                    qx2010_mb_close(&params);
                viClose(vi);
            }
        });
    }
    for (std::thread &worker : workers)
        worker.join();
    QCOMPARE(failures.load(), 0);

    const QStringList lines = trace();
    QCOMPARE(lines.size(), threads * rounds * 5);
    static const QRegularExpression wellFormed(
        R"(^(viOpen\(\d+, "[^"]+", 0, 0\)|viGetAttribute\(\d+, 3221160341\)|qx2010_mb_open\(\d+, 0, \d+, 0, 0\)|qx2010_mb_close\(\d+\)|viClose\(\d+\)) = 0$)");
    for (const QString &line : lines)
        QVERIFY2(wellFormed.match(line).hasMatch(), qPrintable(line));
    QCOMPARE(lines.filter(QRegularExpression("^viOpen")).size(), threads * rounds);

    // The file holds the same lines, whole, one per line.
    const QStringList fileLines = traceFileLines().mid(fileLinesBefore);
    QCOMPARE(fileLines.size(), lines.size());
    for (const QString &line : fileLines)
        QVERIFY2(wellFormed.match(line).hasMatch(), qPrintable(line));
}

void tst_Platform::traceFormat()
{
    sfpsim::clearTrace();
    ViSession vi = VI_NULL;
    QCOMPARE(qx5170_init(const_cast<ViRsrc>("VXI0::1::INSTR"), 2, VI_TRUE, VI_TRUE, &vi),
             VI_SUCCESS);
    QCOMPARE(qx5170_switchRelay(vi, 5, VI_TRUE), VI_SUCCESS);
    const QString session = QString::number(vi);
    // The driver's own VISA traffic stays out; the card's change follows the call.
    QCOMPARE(trace(),
             QStringList({"qx5170_init(\"VXI0::1::INSTR\", 2, 1, 1) = 0",
                          "card VXI0::1::INSTR FC2 mode 1",
                          "qx5170_switchRelay(" + session + ", 5, 1) = 0",
                          "card VXI0::1::INSTR FC2 relay 5 on"}));
    QCOMPARE(qx5170_close(vi), VI_SUCCESS);

    // Strings are quoted with C escapes; failing calls show their status.
    ResourceManager rm;
    ViSession none = VI_NULL;
    viOpen(rm.rm, "bad\"name\n\x01", VI_NO_LOCK, 0, &none);
    QCOMPARE(traceOf("viOpen").constLast(),
             QString(R"(viOpen()") + QString::number(rm.rm) + R"(, "bad\"name\n\001", 0, 0) = )"
                 + QString::number(VI_ERROR_INV_RSRC_NAME));
}

namespace {

const char exitWhileOpeningOption[] = "--exit-while-opening";

// The process ends (std::exit, as "Yes" in an error box ends it) while a
// worker sleeps in viOpen. Whatever exit() tears down first, the worker
// wakes before the process is gone: a handler registered before the
// platform existed runs after everything built later is destroyed, and
// waits for it.
[[noreturn]] void exitWhileOpening()
{
    std::atexit([] { std::this_thread::sleep_for(std::chrono::milliseconds(600)); });
    if (!sfpsim::loadDescription(R"({"resources": [{"descriptor": "TCPIP0::10.0.0.9::INSTR",
                                     "openTimeMs": 300}]})"))
        std::exit(3);
    ViSession rm = VI_NULL;
    if (viOpenDefaultRM(&rm) != VI_SUCCESS)
        std::exit(4);
    std::thread([rm] {
        ViSession instrument = VI_NULL;
        viOpen(rm, "TCPIP0::10.0.0.9::INSTR", VI_NULL, VI_NULL, &instrument);
    }).detach();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::exit(0);
}

const char aFewCallsOption[] = "--a-few-calls";

// A scan of the default system, each call traced.
int aFewCalls()
{
    ViSession rm = VI_NULL;
    if (viOpenDefaultRM(&rm) != VI_SUCCESS)
        return 4;
    ViFindList list = VI_NULL;
    ViUInt32 count = 0;
    char descriptor[VI_FIND_BUFLEN];
    const ViStatus found = viFindRsrc(rm, "?*INSTR", &list, &count, descriptor);
    viClose(list);
    viClose(rm);
    return found == VI_SUCCESS ? 0 : 5;
}

} // namespace

void tst_Platform::exitWhileOpening()
{
    QProcess child;
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QLatin1String(exitWhileOpeningOption)});
    QVERIFY(child.waitForFinished(20000));
    const QByteArray output = child.readAll();
    QVERIFY2(child.exitStatus() == QProcess::NormalExit, output.constData());
    QVERIFY2(child.exitCode() == 0, output.constData());
    QCOMPARE(output, QByteArray());
}

// A trace file that takes nothing more (a full disk) costs the trace, not
// the program: the calls go on and the process ends.
void tst_Platform::traceOnAFullDisk()
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("SFP_SIM_CONFIG");
    env.insert("SFP_SIM_TRACE", "/dev/full");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QLatin1String(aFewCallsOption)});
    const bool finished = child.waitForFinished(20000);
    if (!finished)
        child.kill();
    QVERIFY2(finished, "still writing the trace after 20 s");
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
             child.readAll().constData());
}

namespace {

const char switchUnaskedOption[] = "--switch-unasked";

// A process that never asks for the in-memory trace, as the program never
// does, switches relay 5 of the default system's card a thousand times;
// then it asks. Its exit status says what it found: 0 for nothing kept
// before the question and the next call kept after it.
int switchUnasked()
{
    ViSession vi = VI_NULL;
    if (qx5170_init(const_cast<ViRsrc>("VXI0::1::INSTR"), 2, VI_TRUE, VI_TRUE, &vi) != VI_SUCCESS)
        return 3;
    for (int i = 0; i < 1000; ++i) {
        if (qx5170_switchRelay(vi, 5, ViBoolean(i % 2 == 0)) != VI_SUCCESS)
            return 4;
    }
    if (!sfpsim::traceLines().empty())
        return 5;
    qx5170_switchRelay(vi, 5, VI_TRUE);
    const std::vector<std::string> kept = sfpsim::traceLines();
    if (kept.size() != 2 || kept.front().rfind("qx5170_switchRelay(", 0) != 0
        || kept.back() != "card VXI0::1::INSTR FC2 relay 5 on")
        return 6;
    return qx5170_close(vi) == VI_SUCCESS ? 0 : 7;
}

} // namespace

// A long run's calls fill the trace file, never the memory of a process
// that does not read them back.
void tst_Platform::noTraceKeptUnasked()
{
    QTemporaryDir dir;
    const QString traceFile = dir.filePath(QStringLiteral("trace.txt"));
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("SFP_SIM_CONFIG");
    env.insert("SFP_SIM_TRACE", traceFile);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QLatin1String(switchUnaskedOption)});
    QVERIFY(child.waitForFinished(60000));
    const QByteArray output = child.readAll();
    QVERIFY2(child.exitStatus() == QProcess::NormalExit, output.constData());
    QCOMPARE(child.exitCode(), 0);
    QFile file(traceFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QCOMPARE(written.count("qx5170_switchRelay("), 1001);
    QCOMPARE(written.count("card VXI0::1::INSTR FC2 relay 5 "), 1001);
}

int main(int argc, char *argv[])
{
    if (argc == 2 && qstrcmp(argv[1], exitWhileOpeningOption) == 0)
        exitWhileOpening();
    if (argc == 2 && qstrcmp(argv[1], switchUnaskedOption) == 0)
        return switchUnasked();
    if (argc == 2 && qstrcmp(argv[1], aFewCallsOption) == 0)
        return aFewCalls();
    QCoreApplication app(argc, argv);
    tst_Platform test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_platform.moc"
