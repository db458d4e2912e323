// Fuzzes DefaultInstrDescr.ini as the address entry dialog loads and saves
// it: any file content gives a dialog with readable values, and saving
// changes nothing but the model's own section.
#include "descriptorstore.h"
#include "qx2010fp_fcenteraddress.h"
#include "stubfc.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryDir *profile = nullptr;

// Every section but `model`'s, as QSettings reads them.
QMap<QString, QVariant> otherSections(const QString &file, const QString &model)
{
    QSettings settings(file, QSettings::IniFormat);
    QMap<QString, QVariant> values;
    for (const QString &key : settings.allKeys()) {
        if (!key.startsWith(model + QLatin1Char('/')))
            values.insert(key, settings.value(key));
    }
    return values;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    profile = new QTemporaryDir;
    qputenv("ALLUSERSPROFILE", QFile::encodeName(profile->path()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The first byte picks a single-card or a multi-card model.
    const int model = size > 0 && (data[0] & 1) ? 0x6052 : 0x5170;
    const QString file = sfpDescriptorStore::iniFilePath();
    QDir().mkpath(QFileInfo(file).path());
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        out.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }
    const QString section = QStringLiteral("%1").arg(model, 4, 16, QLatin1Char(' '));
    const auto before = otherSections(file, section);

    StubFC fc(model);
    qx2010fp_fcEnterAddress dialog(&fc);
    dialog.loadDescriptors();
    for (const auto *row : dialog.m_rows) {
        if (row && (row->m_fcCombo->currentIndex() < 0 || row->m_fcCombo->currentIndex() > 8))
            std::abort(); // a card number the box cannot show
    }
    QStringList descriptors;
    QList<int> numbers;
    dialog.saveDescriptors(descriptors, numbers);
    if (descriptors.size() != numbers.size())
        std::abort();
    for (const int number : numbers) {
        if (number < 0 || number > 8)
            std::abort();
    }
    if (otherSections(file, section) != before)
        std::abort(); // another model's keys changed
    return 0;
}
