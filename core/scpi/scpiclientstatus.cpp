// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "scpiclientstatus.h"

#include "scpiparser.h"

#include <QByteArrayList>

namespace {

// Standard event status register bits.
enum EventBit : int {
    OperationComplete = 1,
    QueryError = 4,
    DeviceError = 8,
    ExecutionError = 16,
    CommandErrorBit = 32,
};

// Status byte bits.
enum StatusBit : int {
    ErrorAvailable = 4,
    QuestionableSummary = 8,
    MessageAvailable = 16,
    EventSummary = 32,
    MasterSummary = 64,
    OperationSummary = 128,
};

int eventBitOf(int error)
{
    if (error <= -100 && error > -200)
        return CommandErrorBit;
    if (error <= -200 && error > -300)
        return ExecutionError;
    if (error <= -400 && error > -500)
        return QueryError;
    return DeviceError;
}

// A text as a SCPI string's contents: quotes doubled, so that the entry
// stays one string.
QByteArray quoted(const QString &text)
{
    return text.toLatin1().replace('"', "\"\"");
}

} // namespace

namespace sfp {

void ScpiClientStatus::pushError(int number)
{
    pushError(number, scpi::errorString(number));
}

void ScpiClientStatus::pushError(int number, const QByteArray &entry)
{
    m_esr |= eventBitOf(number);
    if (m_errors.size() < errorQueueSize) {
        m_errors.push_back(entry);
        return;
    }
    // A full queue keeps its oldest entries; the newest says what was lost.
    m_errors.back() = scpi::errorString(scpi::QueueOverflow);
}

void ScpiClientStatus::pushDeviceError(const QString &text)
{
    pushError(scpi::DeviceSpecificError,
              scpi::errorString(scpi::DeviceSpecificError).chopped(1) + ';' + quoted(text) + '"');
}

void ScpiClientStatus::pushWarning(int status, const QString &text)
{
    pushError(status, QByteArray::number(status) + ",\"" + quoted(text) + '"');
}

QByteArray ScpiClientStatus::takeError()
{
    if (m_errors.empty())
        return scpi::errorString(scpi::NoError);
    QByteArray entry = m_errors.front();
    m_errors.pop_front();
    return entry;
}

QByteArray ScpiClientStatus::takeAllErrors()
{
    if (m_errors.empty())
        return scpi::errorString(scpi::NoError);
    QByteArrayList entries(m_errors.begin(), m_errors.end());
    m_errors.clear();
    return entries.join(',');
}

void ScpiClientStatus::clear()
{
    m_errors.clear();
    m_esr = 0;
    m_questionableEvent = 0;
    m_operationEvent = 0;
}

void ScpiClientStatus::setOperationComplete()
{
    m_esr |= OperationComplete;
}

int ScpiClientStatus::takeEventStatus()
{
    const int esr = m_esr;
    m_esr = 0;
    return esr;
}

void ScpiClientStatus::setServiceRequestEnable(int mask)
{
    m_sre = mask & ~MasterSummary;
}

void ScpiClientStatus::presetStatus()
{
    m_operationEnable = 0;
    m_questionableEnable = 0;
}

void ScpiClientStatus::setQuestionableCondition(int condition)
{
    m_questionableEvent |= condition & ~m_questionableCondition;
    m_questionableCondition = condition;
}

void ScpiClientStatus::setOperationCondition(int condition)
{
    m_operationEvent |= condition & ~m_operationCondition;
    m_operationCondition = condition;
}

int ScpiClientStatus::takeOperationEvent()
{
    const int event = m_operationEvent;
    m_operationEvent = 0;
    return event;
}

int ScpiClientStatus::takeQuestionableEvent()
{
    const int event = m_questionableEvent;
    m_questionableEvent = 0;
    return event;
}

int ScpiClientStatus::statusByte(bool messageAvailable) const
{
    int stb = messageAvailable ? MessageAvailable : 0;
    if (!m_errors.empty())
        stb |= ErrorAvailable;
    if ((m_questionableEvent & m_questionableEnable) != 0)
        stb |= QuestionableSummary;
    if ((m_esr & m_ese) != 0)
        stb |= EventSummary;
    if ((m_operationEvent & m_operationEnable) != 0)
        stb |= OperationSummary;
    if ((stb & m_sre) != 0)
        stb |= MasterSummary;
    return stb;
}

} // namespace sfp
