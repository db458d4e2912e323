// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "qtlicense.h"

#include <QFile>
#include <QFont>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextStream>
#include <QVBoxLayout>

qtLicense::qtLicense(QWidget *parent)
    : QDialog(parent)
{
    setModal(true);
    setWindowTitle(tr("Qt LGPL License"));

    auto *layout = new QVBoxLayout(this);
    auto *buttonRow = new QHBoxLayout;

    // A plain-text view: the licence must never be taken for rich text,
    // whatever angle brackets its addresses carry.
    auto *textView = new QPlainTextEdit;
    textView->setLineWrapMode(QPlainTextEdit::NoWrap);
    textView->setMinimumWidth(650);
    textView->setMinimumHeight(500);
    textView->setReadOnly(true);
    // The licence is laid out in fixed columns; fall back to any monospaced
    // family where Courier itself is not installed.
    QFont font(QStringLiteral("Courier"));
    font.setStyleHint(QFont::Monospace);
    textView->setFont(font);

    QFile file(QStringLiteral(":/qt-lgpl-license.txt"));
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream stream(&file);
        textView->setPlainText(stream.readAll());
        file.close();
    }

    layout->addWidget(textView);
    layout->addLayout(buttonRow);

    buttonRow->addStretch();
    auto *okBtn = new QPushButton(tr("Ok"));
    buttonRow->addWidget(okBtn);
    connect(okBtn, &QPushButton::clicked, this, &QDialog::accept);
}

qtLicense::~qtLicense() = default;
