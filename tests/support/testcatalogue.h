// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A catalogue made in the test: a few texts of given contexts in another
// language, put in front of the application's lookups for as long as it
// lives. Tests of the operator's language use it so that they do not
// depend on the state of the shipped catalogues.
#pragma once

#include <QHash>
#include <QString>
#include <QTranslator>

namespace sfptest {

class TestCatalogue final : public QTranslator
{
    Q_OBJECT

public:
    struct Entry
    {
        const char *context;
        const char *source;
        QString translation;
    };

    // Installed at once; removed again by the destructor.
    explicit TestCatalogue(std::initializer_list<Entry> entries);
    ~TestCatalogue() override;
    Q_DISABLE_COPY_MOVE(TestCatalogue)

    bool isEmpty() const override { return m_texts.isEmpty(); }
    QString translate(const char *context, const char *source, const char *disambiguation = nullptr,
                      int n = -1) const override;

private:
    QHash<QString, QString> m_texts;
};

} // namespace sfptest
