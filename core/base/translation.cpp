// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "translation.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QMutex>
#include <QMutexLocker>
#include <QTranslator>

#include <algorithm>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace sfp {
namespace {

// Where the build puts the compiled catalogues (qt_add_translations).
constexpr QLatin1String catalogueFolder(":/i18n");
constexpr QLatin1String cataloguePrefix("qx5170fp_");
constexpr QLatin1String english("en");

struct Catalogue
{
    QTranslator own;
    QTranslator toolkit;
};

// Every language's catalogues, loaded when first asked for and kept for
// the run: the web face answers each page in its reader's language.
class Catalogues
{
public:
    static Catalogues &instance()
    {
        static Catalogues catalogues;
        return catalogues;
    }

    const QStringList &languages() const { return m_languages; }

    // Null for English and for a language without a catalogue.
    Catalogue *of(const QString &language)
    {
        if (language == english || !m_languages.contains(language))
            return nullptr;
        const QMutexLocker lock(&m_mutex);
        std::unique_ptr<Catalogue> &catalogue = m_loaded[language];
        if (!catalogue) {
            catalogue = std::make_unique<Catalogue>();
            if (!catalogue->own.load(cataloguePrefix + language, QString(catalogueFolder)))
                qWarning("qx5170fp: the %s catalogue cannot be read", qPrintable(language));
            // Debian's qt6-translations-l10n; without it the toolkit's own
            // buttons stay English, and everything else is translated.
            (void)catalogue->toolkit.load(QStringLiteral("qtbase_") + language,
                                          QLibraryInfo::path(QLibraryInfo::TranslationsPath));
        }
        return catalogue.get();
    }

private:
    Catalogues()
    {
        m_languages.append(english);
        const QStringList files
            = QDir(QString(catalogueFolder))
                  .entryList({cataloguePrefix + QStringLiteral("*.qm")}, QDir::Files, QDir::Name);
        for (const QString &file : files)
            m_languages.append(file.mid(cataloguePrefix.size()).chopped(3));
    }

    QStringList m_languages;
    QMutex m_mutex;
    std::map<QString, std::unique_ptr<Catalogue>> m_loaded;
};

// "de_DE.UTF-8", "de-DE" or "de" as a language with a catalogue, English
// for any English, empty for the rest.
QString spokenLanguage(QString name)
{
    name = name.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0);
    name.replace(QLatin1Char('-'), QLatin1Char('_'));
    const QString primary = name.section(QLatin1Char('_'), 0, 0).toLower();
    if (primary == QLatin1String("c") || primary == QLatin1String("posix"))
        return english;
    return Catalogues::instance().languages().contains(primary) ? primary : QString();
}

QString withCount(QString text, int n)
{
    if (n >= 0)
        text.replace(QLatin1String("%n"), QString::number(n));
    return text;
}

} // namespace

QString translate(const char *context, const char *source, const char *disambiguation, int n)
{
    if (QCoreApplication::instance() != nullptr)
        return QCoreApplication::translate(context, source, disambiguation, n);
    return translation::translateIn(translation::systemLanguage(), context, source, disambiguation,
                                    n);
}

namespace translation {

QString systemLanguage()
{
    static const QString language = []() -> QString {
        for (const QString &name : QLocale::system().uiLanguages()) {
            QString spoken = spokenLanguage(name);
            if (!spoken.isEmpty())
                return spoken;
        }
        return english;
    }();
    return language;
}

void install(const QString &language)
{
    // The application keeps the pointers; the catalogues live as long as
    // the process.
    static Catalogue *installed = nullptr;
    if (installed != nullptr) {
        QCoreApplication::removeTranslator(&installed->own);
        QCoreApplication::removeTranslator(&installed->toolkit);
    }
    installed = Catalogues::instance().of(language);
    if (installed == nullptr)
        return;
    QCoreApplication::installTranslator(&installed->toolkit);
    QCoreApplication::installTranslator(&installed->own);
}

QStringList languages()
{
    return Catalogues::instance().languages();
}

QString languageOf(QByteArrayView acceptLanguage)
{
    // "de-CH, fr;q=0.8, *;q=0.1": ranges in order of weight, the header's
    // order among equal weights.
    std::vector<std::pair<double, QString>> ranges;
    const QList<QByteArray> items = acceptLanguage.toByteArray().split(',');
    for (const QByteArray &item : items) {
        const QList<QByteArray> parts = item.split(';');
        double weight = 1;
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const QByteArray parameter = parts.at(i).trimmed();
            // The parameter's name, as any of HTTP's, in either case.
            if (parameter.toLower().startsWith("q=")) {
                bool ok = false;
                weight = parameter.mid(2).toDouble(&ok);
                if (!ok)
                    weight = 0;
            }
        }
        if (weight > 0)
            ranges.emplace_back(weight, QString::fromLatin1(parts.constFirst().trimmed()));
    }
    std::stable_sort(ranges.begin(), ranges.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    for (const auto &range : ranges) {
        if (range.second == QLatin1String("*"))
            continue;
        QString spoken = spokenLanguage(range.second);
        if (!spoken.isEmpty())
            return spoken;
    }
    return english;
}

QString translateIn(const QString &language, const char *context, const char *source,
                    const char *disambiguation, int n)
{
    if (const Catalogue *catalogue = Catalogues::instance().of(language)) {
        const QString text = catalogue->own.translate(context, source, disambiguation, n);
        if (!text.isNull())
            return withCount(text, n);
    }
    return withCount(QString::fromUtf8(source), n);
}

} // namespace translation
} // namespace sfp
