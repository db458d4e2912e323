// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A function-card object for tests, fuzzers and benchmarks that need only a
// model code and its model test: it opens nothing and has no texts.
// Derived test cards override what they watch.
#pragma once

#include "qx2010fp_genfc.h"

#include "visa.h"

class StubFC : public qx2010fp_genFC
{
public:
    explicit StubFC(int model = 0x5170)
        : qx2010fp_genFC(model)
    { }

    bool isModelSupported(ViUInt16 code) const override { return code == modelCode; }
    QString description() const override { return {}; }
    QString legalNotice() const override { return {}; }
    QString version() const override { return {}; }
    QString driverRevision() const override { return {}; }
    QString errorMessage(ViStatus /*status*/) const override { return {}; }
    ViStatus open(ViRsrc /*descriptor*/, const ViInt16 * /*fcNumbers*/, ViBoolean /*idQuery*/,
                  ViBoolean /*reset*/, ViSession * /*vi*/) override
    {
        return VI_ERROR_RSRC_NFOUND;
    }
    ViStatus openAndStore(ViRsrc /*descriptor*/, const ViInt16 * /*fcNumbers*/, ViInt16 /*count*/,
                          ViBoolean /*idQuery*/, ViBoolean /*reset*/, ViSession * /*vi*/) override
    {
        return VI_ERROR_RSRC_NFOUND;
    }
    ViStatus reopen(ViSession * /*vi*/) override { return VI_ERROR_RSRC_NFOUND; }
    ViStatus close(ViSession /*vi*/) override { return VI_ERROR_INV_OBJECT; }
};
