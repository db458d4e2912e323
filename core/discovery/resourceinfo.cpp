// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "resourceinfo.h"
#include "platformlibraries.h"

#include "qx2010fp_genfc.h"

#include "qx2010.h"
#include "translation.h"
#include "visa.h"

#include <QByteArray>

#include <cstring>

ViUInt16 shownCardCode(ViUInt16 rawCode)
{
    switch (rawCode) {
    case 0x5E5E:
        return 0x4720;
    case 0x8A20:
        return 0x4620;
    case 0xB1C4:
        return 0x4520;
    case 0xB344:
        return 0x4521;
    default:
        break;
    }
    // Four codes that differ only in bits 8 and 9 are one model.
    if ((rawCode & 0xFCFF) == 0x8C48)
        return 0x4921;
    return rawCode;
}

ViUInt16 shownMotherboardCode(ViUInt16 rawCode)
{
    return rawCode == 0x0B52 ? 0x0D42 : rawCode;
}

QString variantSuffix(ViUInt16 word)
{
    QByteArray chars;
    for (const int shift : {8, 0}) {
        const char c = static_cast<char>((word >> shift) & 0xFF);
        if (c == '\0')
            break;
        chars.append(c);
    }
    return QLatin1Char('-') + QString::fromLatin1(chars);
}

namespace {

// Reads a text attribute into VISA's 256-byte buffer; the buffer starts
// zeroed and its last byte stays zero, whatever the library wrote.
QString textAttribute(ViSession vi, ViAttr attribute)
{
    char buffer[256];
    std::memset(buffer, 0, sizeof buffer);
    sfp::libraries().viGetAttribute(vi, attribute, buffer);
    buffer[sizeof buffer - 1] = '\0';
    return QString::fromLatin1(buffer);
}

} // namespace

void getResourceInfo(getResourceInfo_params_t *record)
{
    if (record->done)
        return;

    resourceInfo_t info = record->info;
    ViSession vi = VI_NULL;
    if (sfp::libraries().viOpen(record->defaultRM, info.resourceName.toLatin1().constData(),
                                VI_NO_LOCK, 0, &vi)
        < 0)
        return;

    mbParams block;
    std::memset(&block, 0, sizeof block);
    block.options = 0;
    block.defaultRM = record->defaultRM;
    block.timeout = 0;
    block.flags = 0;
    if (sfp::libraries().qx2010_mb_open(vi, &block) < 0) {
        sfp::libraries().viClose(vi);
        return;
    }

    mbHandle *handle = block.handle;
    handle->getInterface(handle, 0, 1);
    const auto *interface1 = static_cast<const mbInterface1 *>(handle->getInterface(handle, 1, 1));
    const mbInfo *board = handle->info;
    info.mbModelCode = shownMotherboardCode(board->modelCodes[0]);
    const QString mbCode = QString::number(static_cast<qint16>(info.mbModelCode));

    ViUInt16 interfaceType = 0;
    sfp::libraries().viGetAttribute(vi, VI_ATTR_INTF_TYPE, &interfaceType);
    if (interfaceType == VI_INTF_TCPIP) {
        const QString address = textAttribute(vi, VI_ATTR_TCPIP_ADDR);
        info.systemColumns.append(QStringLiteral("%1 - %2 LXI").arg(address, mbCode));
        info.lxiAddress = address;
    } else {
        ViInt16 slot = 0;
        sfp::libraries().viGetAttribute(vi, VI_ATTR_SLOT, &slot);
        // Looked up once: the examinations run on up to 128 threads, and
        // each lookup takes the toolkit's translator lock.
        //: A VXI system in the tree of cards found: %1 the slot, %2 the motherboard's model code
        static const QString format = sfp::translate("ResourceInfo", "Slot %1 - %2 MB");
        info.systemColumns.append(format.arg(QString::number(slot), mbCode));
        info.lxiAddress.clear();
    }

    // Card codes are read from a block of the library's; a position count
    // beyond what a motherboard can hold would read past it.
    const int positions = qMin<int>(board->positionCount, qx2010_MAX_POSITIONS);
    for (int p = 1; p <= positions; ++p) {
        const ViUInt16 raw = board->modelCodes[p];
        if (raw == 0)
            continue;
        const ViUInt16 code = shownCardCode(raw);
        info.variantSuffix.clear();
        if (interface1 && (code == 0x6052 || code == 0x6087)) {
            ViUInt16 word = 0;
            interface1->readCardWord(handle, static_cast<ViUInt16>(p), qx2010_VARIANT_WORD_OFFSET,
                                     &word);
            info.variantSuffix = variantSuffix(word);
        }
        info.fcColumns.append(
            {QStringLiteral("FC %1").arg(p),
             QStringLiteral("%1%2").arg(QStringLiteral("%1").arg(code, 4, 16, QLatin1Char(' ')),
                                        info.variantSuffix)});
        info.fcNumbers.append(record->fc && record->fc->isModelSupported(raw) ? p : 0);
    }

    record->info = info;
    sfp::libraries().qx2010_mb_close(&block);
    sfp::libraries().viClose(vi);
}
