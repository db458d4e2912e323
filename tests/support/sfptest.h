// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Test support shared by every widget test executable: answering modal
// dialogs and running code in a child process; the simulated platform and
// the simulator's trace come from sfpcoretest.h, which needs no widgets.
#pragma once

#include "sfpcoretest.h"

#include <QApplication>
#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <functional>
#include <memory>

namespace sfptest {

// What the answerer saw of the modal dialog it answered.
struct ModalAnswer
{
    bool answered = false; // a modal dialog was found and the button clicked
    QString className; // e.g. "QMessageBox"
    QString title; // window title
    QString text; // QMessageBox::text(), or the label text of other dialogs
    QStringList buttons; // button texts in the dialog's order (mnemonic '&' removed)
    QString defaultButton; // text of the default button, empty when none
    QString focusButton; // text of the button with the keyboard focus, empty when none
    QString icon; // "Information", "Warning", "Critical", "Question" or "NoIcon"
    Qt::TextFormat textFormat = Qt::AutoText; // how a QMessageBox reads its text

    // The dialog's parent widget when it was answered; null when it had none
    // or when that widget is gone since. hadParent tells the two apart.
    QPointer<QWidget> parent;
    bool hadParent = false;
};

// Arms a timer that waits up to timeoutMs for QApplication::activeModalWidget(),
// records what it shows, then clicks the button whose text (without '&') is
// `button`. An empty `button` rejects the dialog instead (like Esc). The
// returned record is filled when the dialog has been answered; call
// answerNextModal again from `then` to answer a chain of dialogs.
//
// "The dialog's order" of `buttons` is the order in which the dialog created
// its visible push buttons (for a QMessageBox: the order of addButton).
// `then` runs once the answered dialog is hidden, so that a following
// answerer never finds the same dialog again. When the named button does not
// exist, the record keeps answered == false and the dialog is rejected, so
// that the test fails instead of hanging.
std::shared_ptr<ModalAnswer> answerNextModal(const QString &button, int timeoutMs = 5000,
                                             std::function<void()> then = {});

// Like answerNextModal, but answers the way a keyboard user does: the keys
// (a Qt::Key, optionally or'ed with modifiers) go, one press and release
// each, to the widget that has the keyboard focus in the dialog at that
// moment (the dialog itself when nothing in it has).
std::shared_ptr<ModalAnswer> answerNextModalWithKeys(const QList<int> &keys, int timeoutMs = 5000,
                                                     std::function<void()> then = {});

// Like answerNextModal, but closes the dialog through its window (the title
// bar's close button) instead of pressing a button.
std::shared_ptr<ModalAnswer> closeNextModal(int timeoutMs = 5000, std::function<void()> then = {});

// Like answerNextModal, but hands the dialog to `act`, which fills it in
// and closes it (or presses its keys); `then` runs once the dialog is
// hidden. The returned record holds what the dialog showed.
std::shared_ptr<ModalAnswer> actOnNextModal(std::function<void(QWidget *)> act,
                                            std::function<void()> then = {}, int timeoutMs = 5000);

// Safety net for code that shows a dialog nobody expected: once armed (for
// the whole run; arming again only changes the time), any modal dialog still
// unanswered after afterMs is recorded and closed, so that the test goes on
// and can fail instead of hanging until the suite's time-out. Call
// takeStrayModals() in cleanup() and expect it to be empty.
void dismissStrayModals(int afterMs = 3000);
// "title: text" of each dialog dismissed since the last call.
QStringList takeStrayModals();

struct ChildResult
{
    bool started = false;
    bool crashed = false; // ended by a signal
    int exitStatus = -1;
    QByteArray output; // standard output and standard error together
    bool timedOut = false; // killed after timeoutMs
};

// Exit status of a child whose body returned instead of ending the process.
inline constexpr int childReturnedStatus = 99;
// Exit status of a child started with a name that nobody registered.
inline constexpr int childUnknownStatus = 98;

// Runs `body` in a child process (a fresh run of the current test
// executable that performs only `body`) and returns how it ended. The child
// is identified by `name`, which must be registered with SFPTEST_CHILD.
// The child inherits the environment; `extraEnvironment` ("NAME=value")
// adds to or overrides it. A child whose body returns exits with
// childReturnedStatus. Under the address sanitizer the child runs without
// leak detection (unless ASAN_OPTIONS names detect_leaks): it is there to
// end the process at odd moments.
ChildResult runInChild(const QString &name, int timeoutMs = 30000);
ChildResult runInChild(const QString &name, const QStringList &extraEnvironment,
                       int timeoutMs = 30000);

// Registers a function to run in a child process under `name`.
void registerChild(const QString &name, std::function<void()> body);
// Call first in main(): when this process was started as a child, runs the
// registered body and exits; otherwise returns.
void runChildIfRequested(int argc, char **argv);

// A window's control, found as any reader of the window finds it: by its
// object name. A control that is not there ends the test at once.
template<typename Widget>
Widget *namedChild(const QWidget &window, const char *name)
{
    auto *widget = window.findChild<Widget *>(QLatin1String(name));
    if (!widget)
        qFatal("the window has no %s", name);
    return widget;
}

} // namespace sfptest

// Defines a function that runs in a child process under the name `name`
// (an identifier): SFPTEST_CHILD(errorYesExits) { ... } and later
// sfptest::runInChild(QStringLiteral("errorYesExits")). The registration
// runs before main through the toolkit's own start-up hook.
#define SFPTEST_CHILD(name) \
    static void sfptestChild_##name(); \
    static void sfptestRegisterChild_##name() \
    { \
        sfptest::registerChild(QStringLiteral(#name), &sfptestChild_##name); \
    } \
    Q_CONSTRUCTOR_FUNCTION(sfptestRegisterChild_##name) \
    static void sfptestChild_##name()

// QTEST_MAIN for widget tests that also serves the child processes of
// runInChild.
#define SFPTEST_MAIN(TestObject) \
    int main(int argc, char *argv[]) \
    { \
        sfptest::runChildIfRequested(argc, argv); \
        sfptest::useSimulatedPlatform(); \
        QApplication app(argc, argv); \
        app.setAttribute(Qt::AA_Use96Dpi, true); \
        TestObject tc; \
        QTEST_SET_MAIN_SOURCE_PATH \
        return QTest::qExec(&tc, argc, argv); \
    }
