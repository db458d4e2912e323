// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "testcatalogue.h"

#include <QCoreApplication>

namespace sfptest {

namespace {

QString key(const char *context, const char *source)
{
    return QString::fromUtf8(context) + QLatin1Char('\x1f') + QString::fromUtf8(source);
}

} // namespace

TestCatalogue::TestCatalogue(std::initializer_list<Entry> entries)
{
    for (const Entry &entry : entries)
        m_texts.insert(key(entry.context, entry.source), entry.translation);
    QCoreApplication::installTranslator(this);
}

TestCatalogue::~TestCatalogue()
{
    QCoreApplication::removeTranslator(this);
}

QString TestCatalogue::translate(const char *context, const char *source,
                                 const char * /*disambiguation*/, int /*n*/) const
{
    // A null text tells the application to ask the next catalogue.
    return m_texts.value(key(context, source));
}

} // namespace sfptest
