// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The order in which found VISA resources are listed: grouped by interface
// word, then by board number and, for TCP/IP, by the dotted address.
#pragma once

#include <QList>
#include <QString>

#include <array>

struct resourceInfo_t;

namespace sfp {

// The parts of a descriptor that the order compares.
struct DescriptorKey
{
    QString interfaceWord; // leading ASCII letters, upper case
    int board = 0;
    std::array<int, 4> address {}; // TCPIP dotted address, parts not read stay 0
};

DescriptorKey descriptorKey(const QString &descriptor);

} // namespace sfp

bool descriptorLessThan(QString a, QString b);
bool resourceInfoLessThan(resourceInfo_t x, resourceInfo_t y);

// Sorts found resources with resourceInfoLessThan. The relation is not a
// strict weak order (descriptors whose interface words differ only in case
// share a class but compare as whole texts against other classes, so cycles
// exist), which would make std::sort undefined; this merge sort only ever
// indexes within the list and ends after n log n comparisons whatever the
// relation answers.
void sortResources(QList<resourceInfo_t> &resources);

// The same merge sort for any list and relation.
template<typename T, typename LessThan>
void boundedMergeSort(QList<T> &list, LessThan lessThan)
{
    const qsizetype n = list.size();
    if (n < 2)
        return;
    QList<T> buffer = list;
    for (qsizetype width = 1; width < n; width *= 2) {
        for (qsizetype left = 0; left < n; left += 2 * width) {
            const qsizetype middle = qMin(left + width, n);
            const qsizetype right = qMin(left + 2 * width, n);
            qsizetype i = left;
            qsizetype j = middle;
            qsizetype k = left;
            while (i < middle && j < right)
                buffer[k++] = lessThan(list.at(j), list.at(i)) ? list.at(j++) : list.at(i++);
            while (i < middle)
                buffer[k++] = list.at(i++);
            while (j < right)
                buffer[k++] = list.at(j++);
        }
        list.swap(buffer);
    }
}
