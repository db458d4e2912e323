// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Fuzzes the descriptor order: arbitrary lines as found descriptors, sorted
// by the scan's sort, which must end, stay in bounds and keep every one.
#include "descriptorordering.h"
#include "resourceinfo.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text
        = QString::fromLatin1(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QStringList descriptors = text.split(QLatin1Char('\n'));
    QList<resourceInfo_t> resources;
    for (qsizetype i = 0; i < descriptors.size(); ++i) {
        resourceInfo_t info;
        info.resourceName = descriptors.at(i);
        info.fcNumbers = {static_cast<qint32>(i)};
        resources.append(info);
        sfp::descriptorKey(descriptors.at(i));
    }
    QList<resourceInfo_t> sorted = resources;
    sortResources(sorted);

    if (sorted.size() != resources.size())
        std::abort();
    QList<qint32> order;
    for (const resourceInfo_t &info : sorted) {
        const qint32 id = info.fcNumbers.value(0, -1);
        if (id < 0 || id >= resources.size() || resources.at(id).resourceName != info.resourceName)
            std::abort();
        order.append(id);
    }
    std::sort(order.begin(), order.end());
    for (qsizetype i = 0; i < order.size(); ++i) {
        if (order.at(i) != i)
            std::abort(); // an element lost or duplicated
    }
    return 0;
}
