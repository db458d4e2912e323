// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// What the scan learns of one VISA resource: is there a motherboard behind
// it, and which cards does it carry.
#pragma once

#include "visatype.h"

#include <QList>
#include <QString>
#include <QStringList>

class qx2010fp_genFC;

struct resourceInfo_t
{
    QString resourceName; // as viFindRsrc / viFindNext returned it
    QStringList systemColumns; // empty until a motherboard answered, then one text
    ViUInt16 mbModelCode = 0; // after the motherboard mapping
    QString variantSuffix; // scratch of the examination: "" or "-" and two characters
    QList<QStringList> fcColumns; // per occupied position: "FC p", model text
    QList<qint32> fcNumbers; // per occupied position: p when supported, else 0
    QString lxiAddress; // TCP/IP address of an LXI system, else empty
};

// The work record of one resource in the parallel scan.
struct getResourceInfo_params_t
{
    qx2010fp_genFC *fc = nullptr; // not owned; its model test is safe from any thread
    ViSession defaultRM = 0;
    resourceInfo_t info;
    bool done = false; // already examined; getResourceInfo then does nothing
};

// Examines one resource and fills record->info. Safe to run for different
// records on several threads at once.
void getResourceInfo(getResourceInfo_params_t *record);

// The model code shown for a card's raw code.
ViUInt16 shownCardCode(ViUInt16 rawCode);
// The model code shown for a motherboard's raw code.
ViUInt16 shownMotherboardCode(ViUInt16 rawCode);
// "-" and the variant's two characters from the word at offset 252, the high
// byte first; a zero byte ends the text early.
QString variantSuffix(ViUInt16 word);
