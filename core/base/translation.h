// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The operator's language: the program's catalogues, compiled in, and the
// toolkit's own from the system, chosen by the locale as the toolkit reads
// it (LANGUAGE, LC_ALL, LC_MESSAGES, LANG). English is the source language
// and needs no catalogue. What programs read (SCPI, the switching log, the
// trace, files, --version) is never looked up here.
#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace sfp {

// The text in the system's language; before an application object exists
// too, so that the command line can answer in it. Written like
// QCoreApplication::translate, which Qt's lupdate finds by that name.
QString translate(const char *context, const char *source, const char *disambiguation = nullptr,
                  int n = -1);

namespace translation {

// The language of the system's locale that has a catalogue ("de", "fr"),
// else "en": the first of the locale's languages that is English or has
// one wins, so "en:de" stays English.
QString systemLanguage();

// Puts a language's catalogues (the program's and the toolkit's qtbase) in
// front of the running application's lookups, in place of those installed
// before; English takes them out. Called once an application object exists.
void install(const QString &language = systemLanguage());

// The languages with a catalogue, English first.
QStringList languages();

// The language of an HTTP Accept-Language header that the program speaks
// best: weights honoured, "*" and unknown ones passed over; "en" when none.
QString languageOf(QByteArrayView acceptLanguage);

// The text in the given language (one of languages()), %n replaced by n.
QString translateIn(const QString &language, const char *context, const char *source,
                    const char *disambiguation = nullptr, int n = -1);

} // namespace translation
} // namespace sfp
