// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The function-card interface: the only way the common library reaches
// behaviour that belongs to one card model.
#pragma once

#include "visatype.h"

#include <QString>
#include <QtGlobal>

class qx2010fp_genFC
{
public:
    explicit qx2010fp_genFC(int code);
    virtual ~qx2010fp_genFC();

    // Card programs of other models fill the same virtual slots: keep the order.

    // Whether a card's model code found on a motherboard is one of this
    // card type's. Called from the scan's worker threads at the same time.
    virtual bool isModelSupported(ViUInt16 code) const = 0;
    virtual QString description() const = 0;
    virtual QString legalNotice() const = 0;
    virtual QString version() const = 0;
    // Empty when the driver tells nothing.
    virtual QString driverRevision() const = 0;
    // The driver's text for a status; empty when the driver has none, so
    // that the caller may ask the common library instead.
    virtual QString errorMessage(ViStatus status) const = 0;
    // The driver's init on the first of the FC numbers; the status is the
    // driver's, passed through. The caller keeps both arrays.
    virtual ViStatus open(ViRsrc descriptor, const ViInt16 *fcNumbers, ViBoolean idQuery,
                          ViBoolean reset, ViSession *vi)
        = 0;
    // Like open, after remembering the descriptor and the first `count` FC
    // numbers (0..256) for reopen.
    virtual ViStatus openAndStore(ViRsrc descriptor, const ViInt16 *fcNumbers, ViInt16 count,
                                  ViBoolean idQuery, ViBoolean reset, ViSession *vi)
        = 0;
    // The driver's init on what openAndStore remembered, with ID query and reset.
    virtual ViStatus reopen(ViSession *vi) = 0;
    virtual ViStatus close(ViSession vi) = 0;

    // The card type's 16-bit model code, e.g. 0x5170.
    const int modelCode;

private:
    Q_DISABLE_COPY_MOVE(qx2010fp_genFC)
};
