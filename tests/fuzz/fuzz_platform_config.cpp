// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Fuzzes the configuration file that names the vendor's library folders:
// any content gives either one warning line naming the file, or the folders
// it names (each absolute and clean), or nothing at all; a file over 64 KiB
// or holding a NUL byte is always passed over, and nothing is read past it.
#include "platformconfig.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryDir *folder = nullptr;

} // namespace

// libFuzzer's signature, which lets the hook change the arguments.
// NOLINTNEXTLINE(readability-non-const-parameter)
extern "C" int LLVMFuzzerInitialize(int * /*argc*/, char *** /*argv*/)
{
    folder = new QTemporaryDir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const QString path = folder->filePath(QStringLiteral("qx5170fp.conf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
    file.close();

    const sfp::platformConfig::Reading reading = sfp::platformConfig::read(path);
    const bool mustPassOver
        = bytes.size() > sfp::platformConfig::maxFileSize || bytes.contains('\0');
    if (mustPassOver && reading.warning.isEmpty())
        std::abort();
    if (!reading.warning.isEmpty()) {
        if (reading.set || !reading.folders.isEmpty() || !reading.warning.startsWith(path)
            || reading.warning.contains(QLatin1Char('\n')))
            std::abort();
        return 0;
    }
    if (!reading.set && !reading.folders.isEmpty())
        std::abort();
    for (const QString &named : reading.folders) {
        if (!QDir::isAbsolutePath(named) || QDir::cleanPath(named) != named)
            std::abort();
    }
    return 0;
}
