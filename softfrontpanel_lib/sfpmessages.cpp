// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "sfpmessages.h"

#include "coveragecounts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>

QString qx2010fp_sfpName;

namespace {

QString messageTitle(QLatin1String kind)
{
    return QLatin1String("Orbelan ") + qx2010fp_sfpName + kind;
}

// Messages carry driver texts and call texts, never markup: plain text keeps
// a '<' in them from turning the box into rich text.
void showOkBox(QMessageBox::Icon icon, QLatin1String kind, const QString &message)
{
    QMessageBox box(icon, messageTitle(kind), message, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    QPushButton *ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
}

} // namespace

void sfpInfoMessage(const QString &message)
{
    showOkBox(QMessageBox::Information, QLatin1String(" SFP Info message"), message);
}

void sfpWarningMessage(const QString &message)
{
    showOkBox(QMessageBox::Warning, QLatin1String(" SFP Warning message"), message);
}

void sfpErrorMessage(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, messageTitle(QLatin1String(" SFP Error message")),
                    message + QLatin1String("\nDo you want to exit?"), QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    QPushButton *yes = box.addButton(QMessageBox::Yes);
    QPushButton *no = box.addButton(QMessageBox::No);
    box.setDefaultButton(yes);
    // Esc and the window's close button mean "go on", never "exit".
    box.setEscapeButton(no);
    box.exec();
    if (box.clickedButton() != yes)
        return;
    // Leave at once: no event loop exit and no teardown, so the driver
    // session is not closed behind the operator's back. Only what is already
    // written to the standard streams is flushed.
    std::fflush(nullptr);
    sfp::writeCoverageCounts();
    std::_Exit(0);
}
