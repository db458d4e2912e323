// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "logtools.h"

#include "commandline.h"
#include "fixture.h"
#include "relays.h"
#include "smallfile.h"
#include "switchinglog.h"
#include "translation.h"

#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// A log keeps at most 10 MiB before it rotates; a larger file is someone
// else's, or many joined together.
constexpr qint64 maxLogSize = qint64(256) * 1024 * 1024;

// The log's changes between the command line's bounds; false, with one
// line printed, when the file cannot be read.
bool readLog(const qx5170fpCommandLine &commandLine, QList<sfp::SwitchingEvent> *events)
{
    bool absent = false;
    QString why;
    const QByteArray text = sfp::readSmallFile(commandLine.log, maxLogSize, &absent, &why);
    if (absent)
        why = sfp::translate("LogTools", "there is no such file");
    if (!why.isEmpty()) {
        //: %1 is the log's path, %2 says why
        qx5170fpSay(
            sfp::translate("LogTools", "the log %1 cannot be read: %2").arg(commandLine.log, why));
        return false;
    }
    int skipped = 0;
    *events = sfp::switchingLog::read(text, commandLine.since, commandLine.until, &skipped);
    // A line cut by a full disk, or a line of another program: the rest
    // still tells what happened.
    // English has its two forms here; each other language's catalogue has
    // its own plural forms of both.
    if (skipped == 1)
        //: %1 is the log's path
        qx5170fpSay(sfp::translate("LogTools",
                                   "the log %1: %n line is no switching event, left out", nullptr,
                                   skipped)
                        .arg(commandLine.log));
    else if (skipped > 1)
        //: %1 is the log's path
        qx5170fpSay(sfp::translate("LogTools",
                                   "the log %1: %n lines are no switching events, left out",
                                   nullptr, skipped)
                        .arg(commandLine.log));
    return true;
}

} // namespace

int qx5170fpLogToScpi(const qx5170fpCommandLine &commandLine)
{
    QList<sfp::SwitchingEvent> events;
    if (!readLog(commandLine, &events))
        return qx5170fpFailureExitStatus;
    const QByteArray lines = sfp::switchingLog::toScpi(events);
    const bool written
        = std::fwrite(lines.constData(), 1, size_t(lines.size()), stdout) == size_t(lines.size());
    const int error = written ? 0 : errno;
    // Lines that never arrived (a full disk, a closed pipe) are no success.
    if (std::fclose(stdout) != 0 || !written) {
        //: %1 says why, as the system says it
        qx5170fpSay(sfp::translate("LogTools", "cannot write to standard output: %1")
                        .arg(QString::fromLocal8Bit(std::strerror(error != 0 ? error : errno))));
        return qx5170fpFailureExitStatus;
    }
    return 0;
}

int qx5170fpLogToVcd(const qx5170fpCommandLine &commandLine)
{
    QList<sfp::SwitchingEvent> events;
    if (!readLog(commandLine, &events))
        return qx5170fpFailureExitStatus;
    // The relays are named by their labels: those of the fixture named, or
    // of the card's own fixture file.
    std::array<QString, sfp::relayCount> labels;
    QString fixturePath = commandLine.fixture;
    if (fixturePath.isEmpty() && !events.isEmpty())
        fixturePath = sfp::fixture::fileName(sfp::fixture::defaultFolder(), events.first().card);
    if (!fixturePath.isEmpty()) {
        bool absent = false;
        const sfp::fixture::Reading reading = sfp::fixture::read(fixturePath, &absent);
        if (!absent && !reading.error.isEmpty())
            //: %1 is the fixture's path, %2 says why
            qx5170fpSay(
                sfp::translate("LogTools",
                               "the fixture %1 cannot be used, relays are named by number: %2")
                    .arg(fixturePath, reading.localError));
        else if (absent && !commandLine.fixture.isEmpty())
            //: %1 is the fixture's path
            qx5170fpSay(sfp::translate("LogTools", "the fixture %1: there is no such file")
                            .arg(fixturePath));
        else
            labels = reading.fixture.labels;
    }
    // Written whole or not at all: a dump that did not fit on the disk
    // leaves the one before it as it was. The folder is the user's to make.
    const QString folder = QFileInfo(commandLine.vcd).absolutePath();
    const QString why = QFileInfo(folder).isDir()
        ? sfp::replaceFile(commandLine.vcd, sfp::switchingLog::toVcd(events, labels))
        //: %1 is a folder's path
        : sfp::translate("LogTools", "its folder %1 does not exist").arg(folder);
    if (!why.isEmpty()) {
        //: %1 is a file's path, %2 says why
        qx5170fpSay(
            sfp::translate("LogTools", "%1 cannot be written: %2").arg(commandLine.vcd, why));
        return qx5170fpFailureExitStatus;
    }
    return 0;
}
