// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "journal.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace sfp::journal {

bool standardErrorIsJournal()
{
    const char *stream = std::getenv("JOURNAL_STREAM");
    if (stream == nullptr)
        return false;
    struct stat status
    { };
    if (::fstat(STDERR_FILENO, &status) != 0)
        return false;
    const QByteArray expected = QByteArray::number(quint64(status.st_dev)) + ':'
        + QByteArray::number(quint64(status.st_ino));
    return expected == stream;
}

QByteArray line(CardService::Priority priority, const QString &text, bool toJournal)
{
    // One event, one line: a line end in a driver's or a file's text would
    // start a line of no priority.
    QByteArray body = text.toUtf8();
    body.replace('\n', ' ');
    if (toJournal)
        return '<' + QByteArray::number(int(priority)) + '>' + body + '\n';
    return "qx5170fp: " + body + '\n';
}

void say(CardService::Priority priority, const QString &text)
{
    static const bool toJournal = standardErrorIsJournal();
    const QByteArray written = line(priority, text, toJournal);
    std::fwrite(written.constData(), 1, size_t(written.size()), stderr);
    std::fflush(stderr);
}

} // namespace sfp::journal
