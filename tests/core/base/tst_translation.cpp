// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The operator's language: which one the locale chooses, which one a
// browser's Accept-Language chooses, and catalogues whose every text keeps
// the placeholders of its source.
#include "translation.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QXmlStreamReader>

#include <cstdio>

namespace {

// What a translation must keep of its source: "%1", "%L2", "%n" and the
// brackets around a driver's text ("[%2]"), each as often.
QStringList placeholders(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral(R"(\[%\d+\]|%L?\d+|%n)"));
    QStringList found;
    for (const QRegularExpressionMatch &match : pattern.globalMatch(text))
        found.append(match.captured());
    found.sort();
    return found;
}

struct Message
{
    QString context;
    QString source;
    QString comment;
    QStringList translations; // one, or every numerus form
};

QList<Message> readCatalogue(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("%s cannot be read", qPrintable(path));
    QList<Message> messages;
    QString context;
    Message message;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("name"))
            context = xml.readElementText();
        else if (name == QLatin1String("message"))
            message = Message {context, {}, {}, {}};
        else if (name == QLatin1String("source"))
            message.source = xml.readElementText();
        else if (name == QLatin1String("comment"))
            message.comment = xml.readElementText();
        else if (name == QLatin1String("numerusform"))
            message.translations.append(xml.readElementText());
        else if (name == QLatin1String("translation")
                 && xml.attributes().value(QLatin1String("type")).isEmpty()) {
            // Either the text itself or the numerus forms inside.
            QString text;
            while (xml.readNext() != QXmlStreamReader::EndElement || xml.name() != name) {
                if (xml.isCharacters())
                    text += xml.text();
                else if (xml.isStartElement())
                    message.translations.append(xml.readElementText());
            }
            if (message.translations.isEmpty())
                message.translations.append(text);
            messages.append(message);
        }
    }
    if (xml.hasError())
        qFatal("%s: %s", qPrintable(path), qPrintable(xml.errorString()));
    return messages;
}

} // namespace

class TestTranslation : public QObject
{
    Q_OBJECT

private slots:
    void localeChoosesTheLanguage_data();
    void localeChoosesTheLanguage();
    void browserChoosesTheLanguage_data();
    void browserChoosesTheLanguage();
    void everyTextKeepsItsPlaceholders_data();
    void everyTextKeepsItsPlaceholders();
    void countsTakeTheLanguagesPluralForms_data();
    void countsTakeTheLanguagesPluralForms();
};

void TestTranslation::localeChoosesTheLanguage_data()
{
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QString>("language");
    QTest::newRow("German") << QStringList {"LANG=de_DE.UTF-8"} << "de";
    QTest::newRow("Austrian German") << QStringList {"LANG=de_AT.UTF-8"} << "de";
    QTest::newRow("French") << QStringList {"LANG=fr_FR.UTF-8"} << "fr";
    QTest::newRow("C") << QStringList {"LANG=C"} << "en";
    QTest::newRow("POSIX") << QStringList {"LC_ALL=POSIX"} << "en";
    QTest::newRow("nothing set") << QStringList {} << "en";
    QTest::newRow("English") << QStringList {"LANG=en_US.UTF-8"} << "en";
    QTest::newRow("no catalogue") << QStringList {"LANG=pt_BR.UTF-8"} << "en";
    QTest::newRow("LC_ALL over LANG")
        << QStringList {"LANG=fr_FR.UTF-8", "LC_ALL=de_DE.UTF-8"} << "de";
    QTest::newRow("LC_MESSAGES over LANG")
        << QStringList {"LANG=de_DE.UTF-8", "LC_MESSAGES=fr_FR.UTF-8"} << "fr";
    QTest::newRow("LANGUAGE first") << QStringList {"LANG=de_DE.UTF-8", "LANGUAGE=fr:de"} << "fr";
    QTest::newRow("LANGUAGE passes over a language without a catalogue")
        << QStringList {"LANG=it_IT.UTF-8", "LANGUAGE=it:de"} << "de";
    QTest::newRow("English preferred to a catalogue")
        << QStringList {"LANG=de_DE.UTF-8", "LANGUAGE=en:de"} << "en";
}

// The locale is read once per process, as the programs read it: in a
// process of its own for each row.
void TestTranslation::localeChoosesTheLanguage()
{
    QFETCH(QStringList, environment);
    QFETCH(QString, language);
    QProcess process;
    QStringList system = QProcess::systemEnvironment();
    system.removeIf([](const QString &variable) {
        return variable.startsWith(QLatin1String("LANG"))
            || variable.startsWith(QLatin1String("LC_"));
    });
    process.setEnvironment(system + environment);
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--print-language")});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(QString::fromLatin1(process.readAllStandardOutput()).trimmed(), language);
}

void TestTranslation::browserChoosesTheLanguage_data()
{
    QTest::addColumn<QByteArray>("acceptLanguage");
    QTest::addColumn<QString>("language");
    QTest::newRow("none") << QByteArray() << "en";
    QTest::newRow("German") << QByteArray("de") << "de";
    QTest::newRow("Swiss German first") << QByteArray("de-CH,de;q=0.9,en;q=0.8") << "de";
    QTest::newRow("weights over order") << QByteArray("de;q=0.5, fr") << "fr";
    QTest::newRow("English first") << QByteArray("en-US,de;q=0.5") << "en";
    QTest::newRow("unknown passed over") << QByteArray("xx, fr;q=0.1") << "fr";
    QTest::newRow("refused") << QByteArray("de;q=0") << "en";
    QTest::newRow("anything") << QByteArray("*") << "en";
    QTest::newRow("upper case") << QByteArray("FR-be") << "fr";
    QTest::newRow("broken weight") << QByteArray("de;q=abc, fr;q=0.2") << "fr";
    QTest::newRow("only separators") << QByteArray(",;,;q=") << "en";
}

void TestTranslation::browserChoosesTheLanguage()
{
    QFETCH(QByteArray, acceptLanguage);
    QFETCH(QString, language);
    QCOMPARE(sfp::translation::languageOf(acceptLanguage), language);
}

void TestTranslation::everyTextKeepsItsPlaceholders_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<QStringList>("translations");
    const QStringList languages = sfp::translation::languages();
    QCOMPARE(languages, (QStringList {"en", "de", "fr"}));
    for (const QString &language : languages.mid(1)) {
        const QList<Message> messages
            = readCatalogue(QStringLiteral(SFP_TRANSLATIONS "/qx5170fp_%1.ts").arg(language));
        QVERIFY(!messages.isEmpty());
        for (const Message &message : messages)
            QTest::addRow("%s %s: %s", qPrintable(language), qPrintable(message.context),
                          qPrintable(message.source.left(50)))
                << language << message.context << message.source << message.comment
                << message.translations;
    }
}

// Every text of the catalogues, as the program finds it compiled in.
void TestTranslation::everyTextKeepsItsPlaceholders()
{
    QFETCH(QString, language);
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, comment);
    QFETCH(QStringList, translations);
    const QStringList wanted = placeholders(source);
    for (const QString &translation : translations) {
        QVERIFY2(!translation.trimmed().isEmpty(), "an empty translation");
        QStringList kept = placeholders(translation);
        // A numerus form may say "one" in words where the source has %n.
        if (translations.size() > 1 && !kept.contains(QLatin1String("%n")))
            kept.append(QStringLiteral("%n")), kept.sort();
        QCOMPARE(kept, wanted);
    }
    const QByteArray contextText = context.toUtf8();
    const QByteArray sourceText = source.toUtf8();
    const QByteArray commentText = comment.toUtf8();
    const bool numerus = translations.size() > 1;
    const QString compiled = sfp::translation::translateIn(
        language, contextText.constData(), sourceText.constData(),
        comment.isEmpty() ? nullptr : commentText.constData(), numerus ? 5 : -1);
    QString expected = translations.constLast();
    if (numerus)
        expected.replace(QLatin1String("%n"), QLatin1String("5"));
    QCOMPARE(compiled, expected);
}

void TestTranslation::countsTakeTheLanguagesPluralForms_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("text");
    // French counts none as one; German and English do not.
    QTest::newRow("en 0") << "en" << 0 << "Remote: %1, 0 clients";
    QTest::newRow("de 0") << "de" << 0 << "Fernsteuerung: %1, 0 Clients";
    QTest::newRow("de 2") << "de" << 2 << "Fernsteuerung: %1, 2 Clients";
    QTest::newRow("fr 0") << "fr" << 0 << "À distance : %1, 0 client";
    QTest::newRow("fr 2") << "fr" << 2 << "À distance : %1, 2 clients";
}

void TestTranslation::countsTakeTheLanguagesPluralForms()
{
    QFETCH(QString, language);
    QFETCH(int, count);
    QFETCH(QString, text);
    QCOMPARE(sfp::translation::translateIn(language, "RemoteCommands", "Remote: %1, %n clients",
                                           nullptr, count),
             text);
}

int main(int argc, char *argv[])
{
    if (argc == 2 && qstrcmp(argv[1], "--print-language") == 0) {
        std::puts(qPrintable(sfp::translation::systemLanguage()));
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestTranslation test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_translation.moc"
