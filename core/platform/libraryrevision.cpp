// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "libraryrevision.h"
#include "platformlibraries.h"

#include "qx2010.h"

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
