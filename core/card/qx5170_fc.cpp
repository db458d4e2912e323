// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "qx5170_fc.h"
#include "platformlibraries.h"

#include "qx5170.h"
#include "translation.h"

#include <algorithm>
#include <cstring>

namespace {

// The first FC number of a caller's list: the driver addresses one card per
// session, the others are the caller's business.
ViUInt16 firstFcNumber(const ViInt16 *fcNumbers)
{
    return fcNumbers ? static_cast<ViUInt16>(fcNumbers[0]) : ViUInt16(0);
}

} // namespace

qx5170_fc::qx5170_fc()
    : qx2010fp_genFC(0x5170)
{ }

qx5170_fc::~qx5170_fc() = default;

bool qx5170_fc::isModelSupported(ViUInt16 code) const
{
    return std::find(std::begin(supportedModels), std::end(supportedModels), code)
        != std::end(supportedModels);
}

QString qx5170_fc::description() const
{
    //: The card's kind, under its model in the window's header and on the splash
    return sfp::translate("qx5170_fc", "32-Channel Relay/Switching Function Card");
}

QString qx5170_fc::legalNotice() const
{
    return QStringLiteral("Copyright (C) Tarvex. All rights reserved.");
}

QString qx5170_fc::version() const
{
    return QStringLiteral("4.3.1.10249");
}

QString qx5170_fc::driverRevision() const
{
    // Cleared so that a query that writes nothing gives empty text; its
    // status does not matter for a text that is only shown.
    char revision[qx5170_REVISION_BUFLEN] = {};
    sfp::libraries().qx5170_revision_query(VI_NULL, revision, VI_NULL);
    return QString::fromLatin1(revision, qsizetype(qstrnlen(revision, sizeof revision)));
}

QString qx5170_fc::errorMessage(ViStatus status) const
{
    char text[qx5170_ERROR_MESSAGE_BUFLEN] = {};
    // Whatever a failed call may have written is not the status's text:
    // callers take empty text as "ask the common library instead".
    if (sfp::libraries().qx5170_error_message(VI_NULL, status, text) != VI_SUCCESS)
        return QString();
    return QString::fromLatin1(text, qsizetype(qstrnlen(text, sizeof text)));
}

void qx5170_fc::checkBeforeOpen(ViConstRsrc descriptor, const ViInt16 *fcNumbers) const
{
    if (m_beforeOpen && descriptor)
        m_beforeOpen(QString::fromLatin1(descriptor).section(QLatin1Char(','), 0, 0).trimmed(),
                     firstFcNumber(fcNumbers));
}

ViStatus qx5170_fc::open(ViRsrc descriptor, const ViInt16 *fcNumbers, ViBoolean idQuery,
                         ViBoolean reset, ViSession *vi)
{
    checkBeforeOpen(descriptor, fcNumbers);
    return sfp::libraries().qx5170_init(descriptor, firstFcNumber(fcNumbers), idQuery, reset, vi);
}

ViStatus qx5170_fc::openAndStore(ViRsrc descriptor, const ViInt16 *fcNumbers, ViInt16 count,
                                 ViBoolean idQuery, ViBoolean reset, ViSession *vi)
{
    const size_t length = descriptor ? qstrnlen(descriptor, storedDescriptorSize - 1) : 0;
    if (length > 0)
        std::memcpy(m_storedDescriptor, descriptor, length);
    m_storedDescriptor[length] = '\0';

    // The store holds 256 numbers; a count outside 0..256 must not write
    // past it.
    const int stored = fcNumbers ? std::clamp<int>(count, 0, storedFcNumberCount) : 0;
    for (int i = 0; i < stored; ++i)
        m_storedFcNumbers[i] = static_cast<ViUInt16>(fcNumbers[i]);

    // Remembered before the init, so that a failed open can be retried with
    // reopen.
    checkBeforeOpen(descriptor, fcNumbers);
    return sfp::libraries().qx5170_init(descriptor, firstFcNumber(fcNumbers), idQuery, reset, vi);
}

ViStatus qx5170_fc::reopen(ViSession *vi)
{
    return sfp::libraries().qx5170_init(m_storedDescriptor, m_storedFcNumbers[0], VI_TRUE, VI_TRUE,
                                        vi);
}

ViStatus qx5170_fc::close(ViSession vi)
{
    return sfp::libraries().qx5170_close(vi);
}
