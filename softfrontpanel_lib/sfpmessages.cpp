// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "sfpmessages.h"

#include "coveragecounts.h"
#include "translation.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>

QString qx2010fp_sfpName;

namespace {

// The kind of message with the card's name put in: "Orbelan 5170 SFP Error
// message".
QString messageTitle(const char *kind)
{
    return sfp::translate("SfpMessages", kind).arg(qx2010fp_sfpName);
}

// Messages carry driver texts and call texts, never markup: plain text keeps
// a '<' in them from turning the box into rich text.
void showOkBox(QMessageBox::Icon icon, const char *kind, const QString &message)
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
    //: Title of an information box; %1 is the card's model number, e.g. 5170
    showOkBox(QMessageBox::Information,
              QT_TRANSLATE_NOOP("SfpMessages", "Orbelan %1 SFP Info message"), message);
}

void sfpWarningMessage(const QString &message)
{
    //: Title of a warning box; %1 is the card's model number, e.g. 5170
    showOkBox(QMessageBox::Warning,
              QT_TRANSLATE_NOOP("SfpMessages", "Orbelan %1 SFP Warning message"), message);
}

void sfpErrorMessage(const QString &message)
{
    //: Title of an error box; %1 is the card's model number, e.g. 5170
    const char *kind = QT_TRANSLATE_NOOP("SfpMessages", "Orbelan %1 SFP Error message");
    QMessageBox box(QMessageBox::Critical, messageTitle(kind),
                    message + QLatin1Char('\n')
                        + sfp::translate("SfpMessages", "Do you want to exit?"),
                    QMessageBox::NoButton, QApplication::activeWindow());
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
