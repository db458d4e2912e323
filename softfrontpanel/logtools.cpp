// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "logtools.h"

#include "commandline.h"
#include "fixture.h"
#include "relays.h"
#include "smallfile.h"
#include "switchinglog.h"

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
        why = QStringLiteral("there is no such file");
    if (!why.isEmpty()) {
        std::fprintf(stderr, "qx5170fp: the log %s cannot be read: %s\n",
                     qUtf8Printable(commandLine.log), qUtf8Printable(why));
        return false;
    }
    int skipped = 0;
    *events = sfp::switchingLog::read(text, commandLine.since, commandLine.until, &skipped);
    // A line cut by a full disk, or a line of another program: the rest
    // still tells what happened.
    if (skipped > 0)
        std::fprintf(stderr, "qx5170fp: the log %s: %d %s no switching %s, left out\n",
                     qUtf8Printable(commandLine.log), skipped,
                     skipped == 1 ? "line is" : "lines are", skipped == 1 ? "event" : "events");
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
        std::fprintf(stderr, "qx5170fp: cannot write to standard output: %s\n",
                     std::strerror(error != 0 ? error : errno));
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
            std::fprintf(stderr,
                         "qx5170fp: the fixture %s cannot be used, relays are named by "
                         "number: %s\n",
                         qUtf8Printable(fixturePath), qUtf8Printable(reading.error));
        else if (absent && !commandLine.fixture.isEmpty())
            std::fprintf(stderr, "qx5170fp: the fixture %s: there is no such file\n",
                         qUtf8Printable(fixturePath));
        else
            labels = reading.fixture.labels;
    }
    // Written whole or not at all: a dump that did not fit on the disk
    // leaves the one before it as it was. The folder is the user's to make.
    const QString folder = QFileInfo(commandLine.vcd).absolutePath();
    const QString why = QFileInfo(folder).isDir()
        ? sfp::replaceFile(commandLine.vcd, sfp::switchingLog::toVcd(events, labels))
        : QStringLiteral("its folder %1 does not exist").arg(folder);
    if (!why.isEmpty()) {
        std::fprintf(stderr, "qx5170fp: %s cannot be written: %s\n",
                     qUtf8Printable(commandLine.vcd), qUtf8Printable(why));
        return qx5170fpFailureExitStatus;
    }
    return 0;
}
