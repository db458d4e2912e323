// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Fuzzes DefaultInstrDescr.ini as the address entry dialog loads and saves
// it: any file content gives a dialog with card numbers it can show, the
// rows in use reach the caller, and saving changes no key but the model's
// own: every key of another section, and every key of the model's section
// that the dialog does not know, reads back with the value it had. A file
// that QSettings cannot read without a format error, that holds NUL bytes,
// or a key QSettings would write back as another (one of a section without
// a name), is left byte for byte as it was; any other file is saved.
#include "descriptorstore.h"
#include "qx2010fp_fcenteraddress.h"
#include "stubfc.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryDir *profile = nullptr;

// Every key that the dialog of `model` does not write, as QSettings reads
// them. Single-card models write row 1 only.
QMap<QString, QVariant> othersKeys(const QString &file, const QString &model, bool multiCard)
{
    static const QRegularExpression ownKey(
        QStringLiteral("^([1-8])\\.([1-5]\\.Descriptor|FC_Number)$|^FC_Count$"));
    QSettings settings(file, QSettings::IniFormat);
    QMap<QString, QVariant> values;
    const QStringList keys = settings.allKeys();
    for (const QString &key : keys) {
        if (key.startsWith(model + QLatin1Char('/'))) {
            const QRegularExpressionMatch match = ownKey.match(key.mid(model.size() + 1));
            if (match.hasMatch()
                && (multiCard || match.captured(1).isEmpty()
                    || match.captured(1) == QLatin1String("1")))
                continue;
        }
        values.insert(key, settings.value(key));
    }
    return values;
}

} // namespace

// libFuzzer's signature, which lets the hook change the arguments.
// NOLINTNEXTLINE(readability-non-const-parameter)
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    profile = new QTemporaryDir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // QSettings keeps what it read of a path and may take a file written
    // within the same clock tick for the one it knows: a new folder each
    // time.
    static int run = 0;
    const QString folder = profile->filePath(QString::number(++run));
    qputenv("ALLUSERSPROFILE", QFile::encodeName(folder));

    // The first byte picks a single-card or a multi-card model.
    const bool multiCard = size > 0 && (data[0] & 1);
    const int model = multiCard ? 0x6052 : 0x5170;
    const QString file = sfp::descriptorStore::iniFilePath();
    QDir().mkpath(QFileInfo(file).path());
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        out.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }
    const QString section = QStringLiteral("%1").arg(model, 4, 16, QLatin1Char(' '));
    const auto before = othersKeys(file, section, multiCard);
    const QByteArray original(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    bool readable = !original.contains('\0');
    {
        // Under a name of its own, so that the dialog's reads find nothing
        // cached.
        const QString probe = folder + QStringLiteral("/probe.ini");
        QFile::copy(file, probe);
        QSettings settings(probe, QSettings::IniFormat);
        const QStringList keys = settings.allKeys();
        readable = readable && settings.status() == QSettings::NoError;
        for (const QString &key : keys)
            readable = readable && !key.startsWith(QLatin1Char('/'))
                && !key.endsWith(QLatin1Char('/')) && !key.contains(QLatin1String("//"));
    }

    StubFC fc(model);
    {
        qx2010fp_fcEnterAddress dialog(&fc);
        dialog.loadDescriptors();
        QStringList inUse;
        QList<int> numbersInUse;
        for (int j = 0; j <= dialog.m_countCombo->currentIndex(); ++j) {
            const qx2010fp_fcEnterAddressFc *row = dialog.m_rows[j];
            if (!row)
                break;
            const int number = row->m_fcCombo->currentIndex();
            if (number < 0 || number > 8)
                std::abort(); // a card number the box cannot show
            inUse.append(row->m_descriptorCombo->currentText());
            numbersInUse.append(number);
        }
        QStringList descriptors;
        QList<int> numbers;
        dialog.saveDescriptors(descriptors, numbers);
        if (descriptors != inUse || numbers != numbersInUse)
            std::abort(); // the rows in use did not reach the caller
    }
    QFile saved(file);
    if (!saved.open(QIODevice::ReadOnly))
        std::abort();
    const QByteArray content = saved.readAll();
    if (!readable) {
        if (content != original)
            std::abort(); // a file that could not be read was rewritten
    } else {
        QSettings settings(file, QSettings::IniFormat);
        if (!settings.contains(section + QStringLiteral("/1.1.Descriptor")))
            std::abort(); // a readable file was not saved
    }
    if (othersKeys(file, section, multiCard) != before)
        std::abort(); // a key that is not the dialog's changed

    QDir(folder).removeRecursively();
    return 0;
}
