// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The remote control's commands of scans and stored sequences, and the
// lines that wait for a run of the card to end (*OPC?, *WAI): the card
// runs on the event loop, so a waiting line is held, not blocked on.
#include "remotecommands.h"

#include "cardscan.h"
#include "cardsession.h"
#include "scpiclientstatus.h"
#include "scpiparser.h"
#include "sequencetext.h"

namespace sfp {

namespace {

using scpi::Command;

QByteArray flag(bool value)
{
    return value ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
}

} // namespace

void RemoteCommands::followRun(CardScan *scan)
{
    connect(scan, &CardScan::progressed, this, &RemoteCommands::runProgressed);
    connect(scan, &CardScan::finished, this,
            [this](CardScan::Ending /*ending*/, const Refusal &refusal) {
                const auto client = m_clients.find(m_runClient);
                m_runClient = 0;
                if (client == m_clients.end())
                    return;
                // The switching log has the refusal already, from the run.
                if (refusal.kind == Refusal::Kind::BrokenRule)
                    client->second.pushError(
                        scpi::SettingsConflict,
                        scpi::errorString(scpi::SettingsConflict, refusal.reason));
                else if (!refusal.isNone())
                    client->second.pushDeviceError(refusal.reason);
            });
}

int RemoteCommands::operationCondition() const
{
    const CardScan *scan = m_card ? m_card->scan() : nullptr;
    if (scan == nullptr)
        return 0;
    int condition = 0;
    if (scan->isScanning())
        condition |= ScpiClientStatus::Sweeping;
    if (scan->isWaitingForTrigger())
        condition |= ScpiClientStatus::WaitingForTrigger;
    if (scan->isRunningSequence())
        condition |= ScpiClientStatus::ProgramRunning;
    return condition;
}

void RemoteCommands::runProgressed()
{
    const int condition = operationCondition();
    for (auto &[client, state] : m_clients)
        state.setOperationCondition(condition);
    if (m_card->scan()->isPending())
        return;
    for (quint64 client : m_operationsWaiting) {
        if (const auto state = m_clients.find(client); state != m_clients.end())
            state->second.setOperationComplete();
    }
    m_operationsWaiting.clear();
    // The lines that waited for the run go on now, not at the servers'
    // next look.
    if (!m_held.empty()) {
        m_server.resumeHeld();
        m_vxi11.resumeHeld();
    }
}

bool RemoteCommands::isHeld(quint64 client) const
{
    return m_held.count(client) != 0 && m_card->scan()->isPending();
}

QByteArray RemoteCommands::resume(quint64 client)
{
    const auto held = m_held.find(client);
    if (held == m_held.end())
        return QByteArray();
    Held rest = std::move(held->second);
    m_held.erase(held);
    return runUnits(client, std::move(rest));
}

void RemoteCommands::startRun(quint64 client, ScpiClientStatus &state, const Refusal &refusal)
{
    if (refusal.isNone())
        m_runClient = client;
    else
        refuse(state, refusal);
}

QByteArray RemoteCommands::runScanCommand(quint64 client, ScpiClientStatus &state,
                                          const scpi::Unit &unit)
{
    CardScan *scan = m_card->scan();
    ScanSettings settings = scan->settings();
    switch (unit.command) {
    case Command::RouteScan:
        settings.steps = unit.steps;
        break;
    case Command::RouteScanQuery:
        return scpi::scanList(settings.steps);
    case Command::RouteScanStateQuery: {
        const bool scanning = scan->isScanning();
        return flag(scanning) + ',' + QByteArray::number(scanning ? scan->step() : 0) + ','
            + QByteArray::number(scanning ? scan->sweep() : 0);
    }
    case Command::RouteChannelDelay:
        for (int channel : unit.channels)
            settings.delays[size_t(channel - 1)] = unit.milliseconds;
        break;
    case Command::RouteChannelDelayQuery: {
        QByteArrayList answers;
        for (int channel : unit.channels)
            answers.append(scpi::secondsData(settings.delays[size_t(channel - 1)]));
        return answers.join(',');
    }
    case Command::TriggerSource:
        settings.trigger = unit.triggerSource == scpi::TriggerSource::Bus ? ScanTrigger::Bus
            : unit.triggerSource == scpi::TriggerSource::Timer            ? ScanTrigger::Timer
                                                                          : ScanTrigger::Immediate;
        break;
    case Command::TriggerSourceQuery:
        return settings.trigger == ScanTrigger::Bus  ? QByteArrayLiteral("BUS")
            : settings.trigger == ScanTrigger::Timer ? QByteArrayLiteral("TIM")
                                                     : QByteArrayLiteral("IMM");
    case Command::TriggerTimer:
        settings.intervalMilliseconds = unit.milliseconds;
        break;
    case Command::TriggerTimerQuery:
        return scpi::secondsData(settings.intervalMilliseconds);
    case Command::TriggerCount:
        settings.count = unit.number;
        break;
    case Command::TriggerCountQuery:
        // SCPI's infinity.
        return settings.count == 0 ? QByteArrayLiteral("9.9E+37")
                                   : QByteArray::number(settings.count);
    case Command::Initiate:
        startRun(client, state, scan->start(m_runReporter.get()));
        return QByteArray();
    case Command::Abort:
        refuse(state, scan->stop());
        return QByteArray();
    case Command::RouteSequenceDefine: {
        QString why;
        const QList<SequenceStep> steps = sequenceText::parse(unit.commands, &why);
        if (!why.isEmpty())
            state.pushError(scpi::IllegalParameterValue,
                            scpi::errorString(scpi::IllegalParameterValue, why));
        else
            refuse(state, m_card->defineSequence({unit.text, steps}),
                   QStringLiteral("sequence not kept"));
        return QByteArray();
    }
    case Command::RouteSequenceDefineQuery: {
        const FixtureSequence *sequence = m_card->sequence(unit.text);
        if (sequence != nullptr)
            return scpi::stringData(sequenceText::text(sequence->steps));
        state.pushError(scpi::IllegalParameterValue,
                        scpi::errorString(scpi::IllegalParameterValue,
                                          QStringLiteral("no sequence \"%1\"").arg(unit.text)));
        return QByteArray();
    }
    case Command::RouteSequenceCatalogQuery: {
        QByteArrayList names;
        for (const QString &name : m_card->sequenceNames())
            names.append(scpi::stringData(name));
        return names.isEmpty() ? QByteArrayLiteral("\"\"") : names.join(',');
    }
    case Command::RouteSequenceDelete:
        refuse(state, m_card->deleteSequence(unit.text), QStringLiteral("sequence not deleted"));
        return QByteArray();
    case Command::RouteSequenceDeleteAll:
        for (const QString &name : m_card->sequenceNames()) {
            const Refusal refusal = m_card->deleteSequence(name);
            if (!refusal.isNone()) {
                refuse(state, refusal, QStringLiteral("sequences not deleted"));
                break;
            }
        }
        return QByteArray();
    case Command::RouteSequenceTrigger:
        startRun(client, state, scan->runSequence(unit.text, m_runReporter.get()));
        return QByteArray();
    case Command::RouteSequenceBusyQuery:
        return flag(scan->isRunningSequence());
    case Command::RouteSequenceWait:
        state.pushError(
            scpi::SettingsConflict,
            scpi::errorString(scpi::SettingsConflict,
                              QStringLiteral("a wait is taken inside a sequence only")));
        return QByteArray();
    default:
        return QByteArray();
    }
    // What is left sets the scan's settings.
    refuse(state, scan->setSettings(settings));
    return QByteArray();
}

} // namespace sfp
