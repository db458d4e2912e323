// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The relay card's function-card object: its identity, its texts and its
// driver sessions, as the common library sees them.
#pragma once

#include "qx2010fp_genfc.h"

#include <QString>

#include <functional>

class qx5170_fc final : public qx2010fp_genFC
{
public:
    qx5170_fc();
    ~qx5170_fc() override;

    bool isModelSupported(ViUInt16 code) const override;
    QString description() const override;
    QString legalNotice() const override;
    QString version() const override;
    QString driverRevision() const override;
    QString errorMessage(ViStatus status) const override;
    ViStatus open(ViRsrc descriptor, const ViInt16 *fcNumbers, ViBoolean idQuery, ViBoolean reset,
                  ViSession *vi) override;
    ViStatus openAndStore(ViRsrc descriptor, const ViInt16 *fcNumbers, ViInt16 count,
                          ViBoolean idQuery, ViBoolean reset, ViSession *vi) override;
    ViStatus reopen(ViSession *vi) override;
    ViStatus close(ViSession vi) override;

    // Model codes of the cards this program drives. Constant, so that the
    // scan's worker threads may read it together without a lock.
    static constexpr ViUInt16 supportedModels[] = {0x5170};

    static constexpr int storedDescriptorSize = 2048;
    static constexpr int storedFcNumberCount = 256;

    // Called with the card's descriptor and first function card number
    // before each open, which resets the card: what must stop the panel
    // stops it while the card is as it was.
    using BeforeOpen = std::function<void(const QString &descriptor, int fcNumber)>;
    void setBeforeOpen(BeforeOpen check) { m_beforeOpen = std::move(check); }

    // What openAndStore remembered, for reopen (and for tests).
    const char *storedDescriptor() const { return m_storedDescriptor; }
    const ViUInt16 *storedFcNumbers() const { return m_storedFcNumbers; }

private:
    void checkBeforeOpen(ViConstRsrc descriptor, const ViInt16 *fcNumbers) const;

    BeforeOpen m_beforeOpen;
    char m_storedDescriptor[storedDescriptorSize] = {};
    ViUInt16 m_storedFcNumbers[storedFcNumberCount] = {};
};
