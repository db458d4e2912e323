// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "sequencetext.h"

#include "scpiparser.h"

#include <QStringList>

namespace sfp::sequenceText {

namespace {

using scpi::Command;

// The units of a line as written, split at the semicolons outside quotes,
// so that a refusal can name the command as the script wrote it.
QStringList unitTexts(const QString &commands)
{
    QStringList units;
    QString unit;
    QChar quote;
    for (const QChar c : commands) {
        if (quote.isNull() && c == QLatin1Char(';')) {
            units.append(unit.trimmed());
            unit.clear();
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            if (quote.isNull())
                quote = c;
            else if (quote == c)
                quote = QChar();
        }
        unit.append(c);
    }
    units.append(unit.trimmed());
    return units;
}

// A unit's header as written: "ROUT:MODE" of "ROUT:MODE COMM".
QString headerOf(const QString &unit)
{
    const qsizetype space = unit.indexOf(QLatin1Char(' '));
    return space < 0 ? unit : unit.left(space);
}

QString relays(const QList<int> &list)
{
    QStringList numbers;
    for (int relay : list)
        numbers.append(QString::number(relay));
    return QStringLiteral("(@%1)").arg(numbers.join(QLatin1Char(',')));
}

} // namespace

QList<SequenceStep> parse(const QString &commands, QString *error)
{
    QList<SequenceStep> steps;
    if (commands.trimmed().isEmpty()) {
        *error = QStringLiteral("a sequence has at least one step");
        return {};
    }
    // Each command is read from the root of the header tree, as a script
    // writes them one after the other, whatever the one before was.
    for (const QString &written : unitTexts(commands)) {
        const QString name = headerOf(written);
        const QList<scpi::Unit> units = scpi::parseLine(written.toUtf8());
        if (units.size() != 1 || units[0].error != scpi::NoError) {
            const int fault = units.isEmpty() ? scpi::SyntaxError : units[0].error;
            *error = QStringLiteral("\"%1\": %2")
                         .arg(name, QString::fromLatin1(scpi::errorText(fault)));
            return {};
        }
        const scpi::Unit &unit = units[0];
        SequenceStep step;
        switch (unit.command) {
        case Command::RouteClose:
            step.kind = SequenceStep::Kind::Close;
            step.relays = unit.channels;
            break;
        case Command::RouteCloseExclusive:
            step.kind = SequenceStep::Kind::CloseExclusive;
            step.relays = unit.channels;
            break;
        case Command::RouteOpen:
            step.kind = SequenceStep::Kind::Open;
            step.relays = unit.channels;
            break;
        case Command::RouteOpenAll:
            step.kind = SequenceStep::Kind::Open;
            for (int relay = 1; relay <= relayCount; ++relay)
                step.relays.append(relay);
            break;
        case Command::RouteUpdate:
        case Command::Trg:
            step.kind = SequenceStep::Kind::Update;
            break;
        case Command::RouteSequenceWait:
            step.kind = SequenceStep::Kind::Wait;
            step.milliseconds = unit.number;
            break;
        default:
            *error = QStringLiteral("\"%1\" is not a switching command").arg(name);
            return {};
        }
        if (step.kind != SequenceStep::Kind::Wait && step.kind != SequenceStep::Kind::Update
            && step.relays.isEmpty()) {
            *error = QStringLiteral("\"%1\" names no relay").arg(name);
            return {};
        }
        steps.append(step);
    }
    if (steps.isEmpty())
        *error = QStringLiteral("a sequence has at least one step");
    else if (steps.size() > Fixture::maxSequenceSteps)
        *error = QStringLiteral("a sequence has at most %1 steps").arg(Fixture::maxSequenceSteps);
    else
        error->clear();
    return error->isEmpty() ? steps : QList<SequenceStep>();
}

QString text(const QList<SequenceStep> &steps)
{
    QStringList commands;
    for (const SequenceStep &step : steps) {
        switch (step.kind) {
        case SequenceStep::Kind::Close:
            commands.append(QStringLiteral("ROUT:CLOS ") + relays(step.relays));
            break;
        case SequenceStep::Kind::CloseExclusive:
            commands.append(QStringLiteral("ROUT:CLOS:EXCL ") + relays(step.relays));
            break;
        case SequenceStep::Kind::Open:
            commands.append(QStringLiteral("ROUT:OPEN ") + relays(step.relays));
            break;
        case SequenceStep::Kind::Update:
            commands.append(QStringLiteral("ROUT:UPD"));
            break;
        case SequenceStep::Kind::Wait:
            commands.append(QStringLiteral("ROUT:SEQ:WAIT %1").arg(step.milliseconds));
            break;
        }
    }
    return commands.join(QLatin1Char(';'));
}

} // namespace sfp::sequenceText
