// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// How the panel reaches its card: the operator finds it automatically, types
// its address or runs without hardware, and the driver session is opened.
#include "connectionsequence.h"
#include "libraryrevision.h"

#include "modeltext.h"
#include "qx2010.h"
#include "qx2010fp_fcenteraddress.h"
#include "qx2010fp_fcselect.h"
#include "qx2010fp_genfc.h"
#include "sfpicons.h"
#include "sfpmessages.h"
#include "translation.h"

#include <QMessageBox>
#include <QPushButton>

namespace sfpConnection {

QString typedAddressWarning(const QStringList &descriptors, const QList<int> &fcNumbers)
{
    if (descriptors.isEmpty() || fcNumbers.isEmpty() || descriptors.size() != fcNumbers.size())
        return sfp::translate(
            "ConnectionSequence",
            "Please enter at least one resource descriptor and select the Function Card number.");
    for (qsizetype i = 0; i < descriptors.size(); ++i) {
        // Blanks are text: only a descriptor of length 0 is missing.
        if (descriptors.at(i).isEmpty() || fcNumbers.at(i) == 0) {
            return descriptors.size() >= 2
                ? sfp::translate("ConnectionSequence",
                                 "Please enter the resource descriptors and select the Function "
                                 "Card numbers.")
                : sfp::translate("ConnectionSequence",
                                 "Please enter the resource descriptor and select the Function "
                                 "Card number.");
        }
    }
    return QString();
}

QString openErrorText(const qx2010fp_genFC &fc, ViStatus status)
{
    QString text = fc.errorMessage(status);
    if (text.isEmpty())
        text = sfp::commonLibraryMessage(status);
    return text;
}

QString unavailableText(const QString &modelText, int fcCount, const QString &errorText)
{
    const QString pattern = fcCount > 1
        //: %1 is the card's model number, e.g. 6052; %2 the driver's or the library's error text
        ? sfp::translate("ConnectionSequence",
                         "At least one selected %1 Function Card is unavailable.\nError: %2")
        //: %1 is the card's model number, e.g. 5170; %2 the driver's or the library's error text
        : sfp::translate("ConnectionSequence",
                         "Selected %1 Function Card is unavailable.\nError: %2");
    return pattern.arg(modelText, errorText);
}

} // namespace sfpConnection

namespace {

enum class State {
    Ask,
    Scan,
    Choose,
    NotFound,
    Enter,
    Validate,
    Demo,
    Open,
    OpenFailed,
    Done,
    Cancelled
};

QString tryAgainText()
{
    //: Button: go back to the first question
    return sfp::translate("ConnectionSequence", "Try Again");
}

QString cancelText()
{
    //: Button: give up connecting and end the program
    return sfp::translate("ConnectionSequence", "Cancel");
}

// A question box with buttons of these texts, in this order, all with the
// action role, and no escape button: Esc and the window's close button do
// nothing. Returns the number of the clicked button, -1 if none was.
int askQuestion(QWidget *parent, const QString &title, const QString &text,
                const QStringList &buttonTexts, int defaultButton)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    // The text may carry the driver's words, never markup.
    box.setTextFormat(Qt::PlainText);
    QList<QAbstractButton *> buttons;
    for (const QString &buttonText : buttonTexts)
        buttons.append(box.addButton(buttonText, QMessageBox::ActionRole));
    box.setDefaultButton(qobject_cast<QPushButton *>(buttons.value(defaultButton)));
    box.exec();
    return int(buttons.indexOf(box.clickedButton()));
}

// The sequence runs on the selection dialog and leaves its result there.
// The address entry dialog and the first question live as long as the
// sequence; each state is one function that says where to go next.
class ConnectionSequence final
{
public:
    explicit ConnectionSequence(qx2010fp_fcSelect &selection);

    bool run();

private:
    Q_DISABLE_COPY_MOVE(ConnectionSequence)

    State start();
    State ask();
    State scan();
    State choose();
    State notFound();
    State enter();
    State validate();
    State demo();
    State open();
    State openFailed();

    QString modelText() const { return sfp::modelText(m_selection.m_fc->modelCode); }

    qx2010fp_fcSelect &m_selection;
    qx2010fp_fcEnterAddress m_addressDialog;
    const QString m_title;
    QMessageBox m_question;
    QPushButton *m_autoFindButton = nullptr;
    QPushButton *m_demoButton = nullptr;
    QPushButton *m_enterAddressButton = nullptr;
    QPushButton *m_cancelButton = nullptr;

    QStringList m_typedDescriptors;
    QList<int> m_typedFcNumbers;
    ViStatus m_openStatus = VI_SUCCESS;
};

ConnectionSequence::ConnectionSequence(qx2010fp_fcSelect &selection)
    : m_selection(selection)
    , m_addressDialog(selection.m_fc)
    , m_title(qx2010fp_fcSelect::tr("Orbelan %1 SFP: Select Function Card").arg(modelText()))
    , m_question(QMessageBox::Question, m_title,
                 //: The first question; %1 is the card's model number, e.g. 5170
                 sfp::translate("ConnectionSequence", "How to connect to %1 Function Card?")
                     .arg(modelText()),
                 QMessageBox::NoButton, nullptr)
{
    m_question.setWindowIcon(sfpIcons::panel());
    //: Button: search the system for cards
    m_autoFindButton = m_question.addButton(sfp::translate("ConnectionSequence", "Auto Find"),
                                            QMessageBox::ActionRole);
    m_demoButton = m_question.addButton(sfp::translate("ConnectionSequence", "Run In Demo Mode"),
                                        QMessageBox::ActionRole);
    //: Button: type a card's VISA address
    m_enterAddressButton = m_question.addButton(
        sfp::translate("ConnectionSequence", "Enter Address"), QMessageBox::ActionRole);
    m_cancelButton = m_question.addButton(QMessageBox::Cancel);
    m_question.setDefaultButton(m_autoFindButton);
    // Esc and closing the box answer Cancel.
    m_question.setEscapeButton(m_cancelButton);
}

bool ConnectionSequence::run()
{
    State state = start();
    for (;;) {
        switch (state) {
        case State::Ask:
            state = ask();
            break;
        case State::Scan:
            state = scan();
            break;
        case State::Choose:
            state = choose();
            break;
        case State::NotFound:
            state = notFound();
            break;
        case State::Enter:
            state = enter();
            break;
        case State::Validate:
            state = validate();
            break;
        case State::Demo:
            state = demo();
            break;
        case State::Open:
            state = open();
            break;
        case State::OpenFailed:
            state = openFailed();
            break;
        case State::Done:
            return true;
        case State::Cancelled:
            return false;
        }
    }
}

State ConnectionSequence::start()
{
    const sfpStartChoice &choice = m_selection.m_start;
    switch (choice.kind) {
    case sfpStartChoice::AutoFind:
        return State::Scan;
    case sfpStartChoice::Demo:
        return State::Demo;
    case sfpStartChoice::Address:
        // Taken as typed and accepted, but kept out of the operator's
        // history in the file.
        m_selection.m_descriptors = choice.descriptor;
        m_selection.m_fcNumbers[0] = static_cast<qint16>(choice.fcNumber);
        m_selection.m_fcCount = 1;
        return State::Open;
    case sfpStartChoice::Ask:
        break;
    }
    return State::Ask;
}

State ConnectionSequence::ask()
{
    m_question.exec();
    const QAbstractButton *clicked = m_question.clickedButton();
    if (clicked == m_autoFindButton)
        return State::Scan;
    if (clicked == m_demoButton)
        return State::Demo;
    if (clicked == m_enterAddressButton)
        return State::Enter;
    return State::Cancelled;
}

State ConnectionSequence::scan()
{
    const int found = m_selection.findFunctionCards();
    if (found == 0)
        return State::NotFound;
    if (found == 1) {
        // The scan has left that card's descriptor and number behind.
        m_selection.m_fcCount = 1;
        return State::Open;
    }
    return State::Choose;
}

State ConnectionSequence::choose()
{
    // Cancelling the choice ends the sequence; it does not ask again.
    return m_selection.exec() == QDialog::Accepted ? State::Open : State::Cancelled;
}

State ConnectionSequence::notFound()
{
    const int answer = askQuestion(
        &m_selection, m_title,
        //: %1 is the card's model number, e.g. 5170
        sfp::translate("ConnectionSequence", "No %1 Function Card found on your system.")
            .arg(modelText()),
        {tryAgainText(), sfp::translate("ConnectionSequence", "Run In Demo Mode"), cancelText()},
        0);
    switch (answer) {
    case 0:
        // Back to the question; a new scan only when the operator asks.
        return State::Ask;
    case 1:
        return State::Demo;
    default:
        return State::Cancelled;
    }
}

State ConnectionSequence::enter()
{
    m_addressDialog.loadDescriptors();
    return m_addressDialog.exec() == QDialog::Accepted ? State::Validate : State::Ask;
}

State ConnectionSequence::validate()
{
    // Stored before the checks, so that the dialog shown again after a
    // warning holds what was typed.
    m_addressDialog.saveDescriptors(m_typedDescriptors, m_typedFcNumbers);

    const QString warning
        = sfpConnection::typedAddressWarning(m_typedDescriptors, m_typedFcNumbers);
    if (!warning.isEmpty()) {
        sfpWarningMessage(warning);
        return State::Enter;
    }

    m_selection.m_descriptors = m_typedDescriptors.join(QLatin1Char(','));
    for (qsizetype i = 0; i < m_typedFcNumbers.size() && i < qx2010fp_fcSelect::maxCards; ++i)
        m_selection.m_fcNumbers[i] = static_cast<qint16>(m_typedFcNumbers.at(i));
    m_selection.m_fcCount = int(m_typedDescriptors.size());
    return State::Open;
}

State ConnectionSequence::demo()
{
    m_selection.m_demoMode = 1;
    m_selection.m_fcNumbers[0] = 1;
    m_selection.m_descriptors = QStringLiteral("VXI0::1::INSTR");
    m_selection.m_fcCount = 1;
    return State::Done;
}

State ConnectionSequence::open()
{
    QByteArray descriptor = m_selection.m_descriptors.toLatin1();
    m_selection.m_session = 0;
    m_openStatus = m_selection.m_fc->open(descriptor.data(), m_selection.m_fcNumbers, VI_TRUE,
                                          VI_TRUE, &m_selection.m_session);
    if (m_openStatus == VI_SUCCESS)
        return State::Done;

    // A warning is no success here, yet the driver did open the session:
    // nobody would ever close it, and the card would stay held by this
    // process. A failed open leaves no handle to use.
    if (m_openStatus > VI_SUCCESS && m_selection.m_session != 0)
        m_selection.m_fc->close(m_selection.m_session);
    m_selection.m_session = 0;
    return State::OpenFailed;
}

State ConnectionSequence::openFailed()
{
    const QString text = sfpConnection::unavailableText(
        modelText(), m_selection.m_fcCount,
        sfpConnection::openErrorText(*m_selection.m_fc, m_openStatus));
    const int answer = askQuestion(&m_selection, m_title, text, {tryAgainText(), cancelText()}, 0);
    return answer == 0 ? State::Ask : State::Cancelled;
}

} // namespace

bool qx2010fp_fcSelect::connectFc()
{
    ConnectionSequence sequence(*this);
    return sequence.run();
}
