// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "libraryrevision.h"
#include "platformlibraries.h"

#include "qx2010.h"
#include "visa.h"

#include <QStringList>

QByteArray sfp::libraryRevision()
{
    // Cleared first: when the library writes nothing the revision is empty
    // instead of whatever the stack held. The last byte stays a terminator
    // even if the library fills the whole buffer.
    char revision[qx2010_REVISION_BUFLEN] = {};
    sfp::libraries().qx2010_library_revision(revision);
    revision[sizeof revision - 1] = '\0';
    return QByteArray(revision);
}

QString sfp::visaRevision()
{
    const sfp::PlatformFunctions &platform = sfp::libraries();
    ViSession rm = VI_NULL;
    if (platform.viOpenDefaultRM(&rm) < VI_SUCCESS)
        return QStringLiteral("unknown");
    ViChar maker[256] = {};
    ViUInt32 version = 0;
    const bool named = platform.viGetAttribute(rm, VI_ATTR_RSRC_MANF_NAME, maker) >= VI_SUCCESS;
    const bool numbered
        = platform.viGetAttribute(rm, VI_ATTR_RSRC_IMPL_VERSION, &version) >= VI_SUCCESS;
    platform.viClose(rm);
    maker[sizeof maker - 1] = '\0';
    QStringList parts;
    if (named)
        parts.append(QString::fromLatin1(maker));
    if (numbered)
        parts.append(QStringLiteral("%1.%2.%3")
                         .arg(version >> 20)
                         .arg((version >> 8) & 0xFFFU)
                         .arg(version & 0xFFU));
    return parts.isEmpty() ? QStringLiteral("unknown") : parts.join(QLatin1Char(' '));
}

QString sfp::commonLibraryMessage(ViStatus status)
{
    // Cleared, so that a library that writes nothing leaves empty text;
    // bounded, so that one that fills the buffer is not read past it.
    char buffer[qx2010_ERROR_MESSAGE_BUFLEN] = {};
    sfp::libraries().qx2010_error_message(status, buffer);
    return QString::fromLatin1(buffer, qsizetype(qstrnlen(buffer, sizeof buffer)));
}
