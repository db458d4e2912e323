// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// What one remote client is told of its commands' outcome, after IEEE
// 488.2 and SCPI: its error queue (SYSTem:ERRor?), the standard event
// status register with its enable register, the status byte, and the
// enable registers of the operation and questionable status.
#pragma once

#include <QByteArray>
#include <QString>

#include <deque>

namespace sfp {

class ScpiClientStatus final
{
public:
    // The queue holds this many entries, the last one becoming -350 "Queue
    // overflow" when more come.
    static constexpr size_t errorQueueSize = 20;

    // An entry "<number>,\"<text>\"" for error `number`, with the event bit
    // its class sets.
    void pushError(int number);
    // The same with an entry of its own.
    void pushError(int number, const QByteArray &entry);
    // -300 "Device-specific error;<text>".
    void pushDeviceError(const QString &text);
    // A warning of the driver: "<status>,\"<text>\"".
    void pushWarning(int status, const QString &text);

    // The oldest entry, taken from the queue; 0,"No error" when empty.
    QByteArray takeError();
    // Every entry, oldest first and separated by commas, taken from the
    // queue; 0,"No error" when empty.
    QByteArray takeAllErrors();
    int errorCount() const { return int(m_errors.size()); }
    // *CLS: the queue and the event registers emptied.
    void clear();
    // The queue alone emptied (a device clear).
    void clearErrors() { m_errors.clear(); }

    // *OPC: every command is complete when the next one is read.
    void setOperationComplete();
    // *ESR?: the event register, which reading clears.
    int takeEventStatus();
    int eventEnable() const { return m_ese; }
    void setEventEnable(int mask) { m_ese = mask; }
    int serviceRequestEnable() const { return m_sre; }
    // Bit 6 is the summary itself and cannot be enabled.
    void setServiceRequestEnable(int mask);
    // `messageAvailable`: a response waits to be read (bit 4), which the
    // service request enable register may summarise too.
    int statusByte(bool messageAvailable = false) const;

    // STATus:OPERation:ENABle and STATus:QUEStionable:ENABle, 0..65535.
    // The operation condition says whether the card scans or runs a
    // sequence (see operationBits); the questionable condition whether a
    // relay is worn.
    int operationEnable() const { return m_operationEnable; }
    void setOperationEnable(int mask) { m_operationEnable = mask; }
    int questionableEnable() const { return m_questionableEnable; }
    void setQuestionableEnable(int mask) { m_questionableEnable = mask; }
    // STATus:PRESet: both enables 0.
    void presetStatus();

    // The questionable condition as the card has it now: a bit that comes
    // on is kept in the event register until the register is read or
    // *CLS clears it; enabled there, it sets bit 3 of the status byte.
    void setQuestionableCondition(int condition);
    int questionableCondition() const { return m_questionableCondition; }
    // STATus:QUEStionable:EVENt?, which reading clears.
    int takeQuestionableEvent();

    // The bits of the operation condition that the card sets, as SCPI
    // names them: sweeping while a scan runs, waiting for a trigger while
    // a bus scan waits for the next, a program running while a stored
    // sequence does.
    enum OperationBit : int { Sweeping = 8, WaitingForTrigger = 32, ProgramRunning = 16384 };
    // The condition as the card has it now; a bit that comes on is kept
    // in the event register as the questionable one's is, and sets bit 7
    // of the status byte where enabled.
    void setOperationCondition(int condition);
    int operationCondition() const { return m_operationCondition; }
    // STATus:OPERation:EVENt?, which reading clears.
    int takeOperationEvent();

private:
    std::deque<QByteArray> m_errors; // oldest first
    int m_esr = 0; // standard event status register
    int m_ese = 0; // its enable register
    int m_sre = 0; // service request enable register
    int m_operationEnable = 0;
    int m_questionableEnable = 0;
    int m_questionableCondition = 0;
    int m_questionableEvent = 0;
    int m_operationCondition = 0;
    int m_operationEvent = 0;
};

} // namespace sfp
