// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// One client's registers as IEEE 488.2 and SCPI define them: the error
// queue, the standard event status register and its enable register, the
// status byte with its summaries, and the questionable status.
#include "scpiclientstatus.h"

#include <QTest>

using sfp::ScpiClientStatus;

class tst_ScpiClientStatus : public QObject
{
    Q_OBJECT

private slots:
    void errorQueue();
    void eventClasses_data();
    void eventClasses();
    void statusByteSummaries();
    void operationStatus();
    void questionableStatus();
};

void tst_ScpiClientStatus::errorQueue()
{
    ScpiClientStatus status;
    QCOMPARE(status.takeError(), QByteArray("0,\"No error\""));
    QCOMPARE(status.takeAllErrors(), QByteArray("0,\"No error\""));

    // Oldest first; a device error's text stays one SCPI string.
    status.pushError(-113);
    status.pushDeviceError(QStringLiteral("the file \"a\" is full"));
    status.pushWarning(1073676294, QStringLiteral("warning"));
    QCOMPARE(status.errorCount(), 3);
    QCOMPARE(status.takeError(), QByteArray("-113,\"Undefined header\""));
    QCOMPARE(status.takeAllErrors(),
             QByteArray("-300,\"Device-specific error;the file \"\"a\"\" is full\","
                        "1073676294,\"warning\""));
    QCOMPARE(status.errorCount(), 0);

    // A full queue keeps its 19 oldest entries; the 20th says what was lost.
    for (int i = 0; i < 25; ++i)
        status.pushError(i % 2 == 0 ? -222 : -113);
    QCOMPARE(status.errorCount(), 20);
    QCOMPARE(status.takeError(), QByteArray("-222,\"Data out of range\""));
    for (int i = 1; i < 19; ++i)
        status.takeError();
    QCOMPARE(status.takeError(), QByteArray("-350,\"Queue overflow\""));
    QCOMPARE(status.takeError(), QByteArray("0,\"No error\""));

    // A device clear empties the queue and keeps the events; *CLS both.
    QCOMPARE(status.takeEventStatus(), 32 | 16 | 8);
    status.pushError(-113);
    status.clearErrors();
    QCOMPARE(status.errorCount(), 0);
    QCOMPARE(status.takeEventStatus(), 32);
    status.pushError(-113);
    status.clear();
    QCOMPARE(status.errorCount(), 0);
    QCOMPARE(status.takeEventStatus(), 0);
}

void tst_ScpiClientStatus::eventClasses_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("event");
    QTest::newRow("command error -100") << -100 << 32;
    QTest::newRow("command error -199") << -199 << 32;
    QTest::newRow("execution error -200") << -200 << 16;
    QTest::newRow("execution error -299") << -299 << 16;
    QTest::newRow("device error -300") << -300 << 8;
    QTest::newRow("queue overflow -350") << -350 << 8;
    QTest::newRow("device error -399") << -399 << 8;
    QTest::newRow("query error -400") << -400 << 4;
    QTest::newRow("query error -499") << -499 << 4;
}

void tst_ScpiClientStatus::eventClasses()
{
    QFETCH(int, error);
    QFETCH(int, event);
    ScpiClientStatus status;
    status.pushError(error);
    status.setOperationComplete();
    // Read once: reading clears it.
    QCOMPARE(status.takeEventStatus(), event | 1);
    QCOMPARE(status.takeEventStatus(), 0);
}

void tst_ScpiClientStatus::statusByteSummaries()
{
    ScpiClientStatus status;
    QCOMPARE(status.statusByte(), 0);
    QCOMPARE(status.statusByte(true), 16);

    // An error waiting sets bit 2; an enabled event bit 5; an enabled
    // summary bit 6, which itself cannot be enabled.
    status.pushError(-222);
    QCOMPARE(status.statusByte(), 4);
    status.setEventEnable(16);
    QCOMPARE(status.statusByte(), 4 | 32);
    status.setEventEnable(8);
    QCOMPARE(status.statusByte(), 4);
    status.setServiceRequestEnable(255);
    QCOMPARE(status.serviceRequestEnable(), 191);
    QCOMPARE(status.statusByte(), 4 | 64);
    status.setServiceRequestEnable(16);
    QCOMPARE(status.statusByte(), 4);
    QCOMPARE(status.statusByte(true), 4 | 16 | 64);
}

void tst_ScpiClientStatus::operationStatus()
{
    // A scan that starts sets "sweeping" (bit 3) and, waiting for a bus
    // trigger, bit 5; each new bit is an event until read, and an enabled
    // event sets bit 7 of the status byte.
    ScpiClientStatus status;
    status.setOperationCondition(8);
    status.setOperationCondition(8 | 32);
    QCOMPARE(status.operationCondition(), 40);
    QCOMPARE(status.statusByte(), 0);
    status.setOperationEnable(32);
    QCOMPARE(status.statusByte(), 128);
    status.setOperationCondition(0);
    QCOMPARE(status.statusByte(), 128);
    QCOMPARE(status.takeOperationEvent(), 40);
    QCOMPARE(status.takeOperationEvent(), 0);
    QCOMPARE(status.statusByte(), 0);
    status.setOperationCondition(16384);
    status.clear();
    QCOMPARE(status.takeOperationEvent(), 0);
    QCOMPARE(status.operationCondition(), 16384);
}

void tst_ScpiClientStatus::questionableStatus()
{
    ScpiClientStatus status;
    // A relay that wears: the condition's new bit is kept as an event
    // until read, also once the condition is gone.
    status.setQuestionableCondition(0x0200);
    QCOMPARE(status.statusByte(), 0);
    status.setQuestionableEnable(0x0200);
    QCOMPARE(status.statusByte(), 8);
    status.setQuestionableCondition(0);
    QCOMPARE(status.questionableCondition(), 0);
    QCOMPARE(status.statusByte(), 8);
    QCOMPARE(status.takeQuestionableEvent(), 0x0200);
    QCOMPARE(status.takeQuestionableEvent(), 0);
    QCOMPARE(status.statusByte(), 0);

    // A bit that stays on is no new event; *CLS clears the event, not the
    // condition; STATus:PRESet the enables.
    status.setQuestionableCondition(0x0200);
    status.setQuestionableCondition(0x0200);
    QCOMPARE(status.takeQuestionableEvent(), 0x0200);
    status.setQuestionableCondition(0x0201);
    status.clear();
    QCOMPARE(status.takeQuestionableEvent(), 0);
    QCOMPARE(status.questionableCondition(), 0x0201);
    status.setOperationEnable(7);
    status.presetStatus();
    QCOMPARE(status.operationEnable(), 0);
    QCOMPARE(status.questionableEnable(), 0);
}

QTEST_GUILESS_MAIN(tst_ScpiClientStatus)
#include "tst_scpiclientstatus.moc"
