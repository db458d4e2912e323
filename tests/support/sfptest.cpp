// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "sfptest.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <map>

namespace sfptest {

namespace {

const char childOption[] = "--sfptest-child";

// How often the answerer looks for the dialog; short enough not to slow the
// suite, long enough not to spin.
constexpr int pollIntervalMs = 10;

// How long a dialog may take to disappear after its answer (Esc animates the
// escape button's click) before `then` runs anyway.
constexpr int hideGraceMs = 2000;

std::map<QString, std::function<void()>> &childRegistry()
{
    static std::map<QString, std::function<void()>> registry;
    return registry;
}

QString withoutMnemonic(const QString &text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&')) {
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&'))
                plain += text.at(++i);
            continue;
        }
        plain += text.at(i);
    }
    return plain;
}

QString iconName(const QMessageBox *box)
{
    switch (box->icon()) {
    case QMessageBox::Information:
        return QStringLiteral("Information");
    case QMessageBox::Warning:
        return QStringLiteral("Warning");
    case QMessageBox::Critical:
        return QStringLiteral("Critical");
    case QMessageBox::Question:
        return QStringLiteral("Question");
    case QMessageBox::NoIcon:
        break;
    }
    return QStringLiteral("NoIcon");
}

QList<QPushButton *> visibleButtons(QWidget *dialog)
{
    QList<QPushButton *> buttons;
    const QList<QPushButton *> all = dialog->findChildren<QPushButton *>();
    for (QPushButton *button : all) {
        if (button->isVisibleTo(dialog))
            buttons.append(button);
    }
    return buttons;
}

QString dialogText(QWidget *dialog)
{
    if (const auto *box = qobject_cast<QMessageBox *>(dialog))
        return box->text();
    if (const auto *progress = qobject_cast<QProgressDialog *>(dialog))
        return progress->labelText();
    if (const auto *input = qobject_cast<QInputDialog *>(dialog))
        return input->labelText();
    const QList<QLabel *> labels = dialog->findChildren<QLabel *>();
    for (const QLabel *label : labels) {
        if (label->isVisibleTo(dialog) && !label->text().isEmpty())
            return label->text();
    }
    return QString();
}

void record(QWidget *dialog, ModalAnswer *answer)
{
    answer->className = QString::fromLatin1(dialog->metaObject()->className());
    answer->title = dialog->windowTitle();
    answer->text = dialogText(dialog);
    answer->parent = dialog->parentWidget();
    answer->hadParent = dialog->parentWidget() != nullptr;
    const auto *box = qobject_cast<QMessageBox *>(dialog);
    answer->icon = box ? iconName(box) : QStringLiteral("NoIcon");
    answer->textFormat = box ? box->textFormat() : Qt::AutoText;
    answer->buttons.clear();
    answer->defaultButton.clear();
    answer->focusButton.clear();
    const QList<QPushButton *> buttons = visibleButtons(dialog);
    for (const QPushButton *button : buttons) {
        const QString text = withoutMnemonic(button->text());
        answer->buttons.append(text);
        if (button->isDefault())
            answer->defaultButton = text;
        if (button == dialog->focusWidget())
            answer->focusButton = text;
    }
}

void rejectDialog(QWidget *dialog)
{
    if (auto *asDialog = qobject_cast<QDialog *>(dialog))
        asDialog->reject();
    else
        dialog->close();
}

// Runs `then` once `dialog` is hidden or gone, or after the grace period.
void whenHidden(const QPointer<QWidget> &dialog, std::function<void()> then)
{
    if (!then)
        return;
    if (!dialog || !dialog->isVisible()) {
        then();
        return;
    }
    auto *timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(pollIntervalMs);
    const QDeadlineTimer deadline(hideGraceMs);
    QObject::connect(timer, &QTimer::timeout, timer,
                     [timer, dialog, then = std::move(then), deadline] {
                         if (dialog && dialog->isVisible() && !deadline.hasExpired())
                             return;
                         timer->stop();
                         timer->deleteLater();
                         then();
                     });
    timer->start();
}

using Responder = std::function<void(QWidget *dialog, ModalAnswer *answer)>;

std::shared_ptr<ModalAnswer> respondToNextModal(int timeoutMs, Responder respond,
                                                std::function<void()> then)
{
    auto answer = std::make_shared<ModalAnswer>();
    auto *timer = new QTimer(QCoreApplication::instance());
    timer->setInterval(pollIntervalMs);
    const QDeadlineTimer deadline(timeoutMs);
    QObject::connect(
        timer, &QTimer::timeout, timer, [=, respond = std::move(respond), then = std::move(then)] {
            QWidget *dialog = QApplication::activeModalWidget();
            // A progress dialog is the program waiting for its own work, not a
            // question for the operator: wait for what comes after it.
            if (!dialog || !dialog->isVisible() || qobject_cast<QProgressDialog *>(dialog)) {
                if (deadline.hasExpired()) {
                    timer->stop();
                    timer->deleteLater();
                    qWarning("sfptest: no modal dialog appeared within %d ms", timeoutMs);
                }
                return;
            }
            timer->stop();
            timer->deleteLater();
            record(dialog, answer.get());
            const QPointer<QWidget> guard(dialog);
            respond(dialog, answer.get());
            whenHidden(guard, then);
        });
    timer->start();
    return answer;
}

struct StrayWatch
{
    QTimer *timer = nullptr;
    int afterMs = 3000;
    QPointer<QWidget> seen;
    QDeadlineTimer seenSince;
    QStringList dismissed;
};

StrayWatch &strayWatch()
{
    static StrayWatch watch;
    return watch;
}

void checkForStrays()
{
    StrayWatch &watch = strayWatch();
    QWidget *dialog = QApplication::activeModalWidget();
    if (!dialog || !dialog->isVisible()) {
        watch.seen.clear();
        return;
    }
    if (watch.seen != dialog) {
        watch.seen = dialog;
        watch.seenSince = QDeadlineTimer(watch.afterMs);
        return;
    }
    if (!watch.seenSince.hasExpired())
        return;
    watch.dismissed.append(dialog->windowTitle() + QStringLiteral(": ") + dialogText(dialog));
    qWarning("sfptest: dismissing a dialog nobody answered: \"%s\"",
             qPrintable(watch.dismissed.last()));
    watch.seen.clear();
    const QPointer<QWidget> guard(dialog);
    dialog->close();
    if (guard && guard->isVisible())
        rejectDialog(guard);
}

} // namespace

void dismissStrayModals(int afterMs)
{
    StrayWatch &watch = strayWatch();
    watch.afterMs = afterMs;
    if (watch.timer)
        return;
    watch.timer = new QTimer(QCoreApplication::instance());
    watch.timer->setInterval(50);
    QObject::connect(watch.timer, &QTimer::timeout, watch.timer, &checkForStrays);
    watch.timer->start();
}

QStringList takeStrayModals()
{
    QStringList dismissed;
    dismissed.swap(strayWatch().dismissed);
    return dismissed;
}

std::shared_ptr<ModalAnswer> answerNextModal(const QString &button, int timeoutMs,
                                             std::function<void()> then)
{
    Responder respond = [button](QWidget *dialog, ModalAnswer *answer) {
        if (button.isEmpty()) {
            // A real key press, so that the dialog's own escape handling
            // (a QMessageBox's escape button) decides what Esc means.
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
            answer->answered = true;
            QCoreApplication::sendEvent(dialog, &press);
            QCoreApplication::sendEvent(dialog, &release);
            return;
        }
        const QList<QPushButton *> buttons = visibleButtons(dialog);
        for (QPushButton *candidate : buttons) {
            if (withoutMnemonic(candidate->text()) == button) {
                answer->answered = true;
                candidate->click();
                return;
            }
        }
        qWarning("sfptest: the dialog \"%s\" has no button \"%s\" (it has: %s); rejecting it",
                 qPrintable(answer->title), qPrintable(button),
                 qPrintable(answer->buttons.join(QStringLiteral(", "))));
        rejectDialog(dialog);
    };
    return respondToNextModal(timeoutMs, respond, std::move(then));
}

std::shared_ptr<ModalAnswer> answerNextModalWithKeys(const QList<int> &keys, int timeoutMs,
                                                     std::function<void()> then)
{
    Responder respond = [keys](QWidget *dialog, ModalAnswer *answer) {
        answer->answered = true;
        for (const int keyAndModifiers : keys) {
            // A key may end the dialog; the keys after it have nobody to go to.
            if (!dialog->isVisible())
                return;
            QWidget *target = dialog->focusWidget() ? dialog->focusWidget() : dialog;
            const auto key = Qt::Key(keyAndModifiers & ~Qt::KeyboardModifierMask);
            const auto modifiers
                = Qt::KeyboardModifiers(keyAndModifiers & Qt::KeyboardModifierMask);
            QTest::keyClick(target, key, modifiers);
        }
    };
    return respondToNextModal(timeoutMs, respond, std::move(then));
}

std::shared_ptr<ModalAnswer> actOnNextModal(std::function<void(QWidget *)> act,
                                            std::function<void()> then, int timeoutMs)
{
    Responder respond = [act = std::move(act)](QWidget *dialog, ModalAnswer *answer) {
        answer->answered = true;
        act(dialog);
    };
    return respondToNextModal(timeoutMs, respond, std::move(then));
}

std::shared_ptr<ModalAnswer> closeNextModal(int timeoutMs, std::function<void()> then)
{
    Responder respond = [](QWidget *dialog, ModalAnswer *answer) {
        answer->answered = true;
        dialog->close();
    };
    return respondToNextModal(timeoutMs, respond, std::move(then));
}

ChildResult runInChild(const QString &name, int timeoutMs)
{
    return runInChild(name, QStringList(), timeoutMs);
}

ChildResult runInChild(const QString &name, const QStringList &extraEnvironment, int timeoutMs)
{
    ChildResult result;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Children are about ending the process from the middle of things, with
    // the application object alive: the leak checker would count everything
    // still in use then (down to the font library's caches) as leaked.
    const QString sanitizerOptions = environment.value(QStringLiteral("ASAN_OPTIONS"));
    if (!sanitizerOptions.contains(QLatin1String("detect_leaks"))) {
        environment.insert(QStringLiteral("ASAN_OPTIONS"),
                           sanitizerOptions.isEmpty()
                               ? QStringLiteral("detect_leaks=0")
                               : sanitizerOptions + QStringLiteral(":detect_leaks=0"));
    }
    for (const QString &assignment : extraEnvironment) {
        const qsizetype equals = assignment.indexOf(QLatin1Char('='));
        if (equals > 0)
            environment.insert(assignment.left(equals), assignment.mid(equals + 1));
    }
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QCoreApplication::applicationFilePath(),
                  {QString::fromLatin1(childOption), name});
    if (!process.waitForStarted(timeoutMs))
        return result;
    result.started = true;
    if (!process.waitForFinished(timeoutMs)) {
        result.timedOut = true;
        process.kill();
        process.waitForFinished(-1);
    }
    result.output = process.readAll();
    result.crashed = process.exitStatus() == QProcess::CrashExit;
    result.exitStatus = result.crashed ? -1 : process.exitCode();
    return result;
}

void registerChild(const QString &name, std::function<void()> body)
{
    childRegistry()[name] = std::move(body);
}

void runChildIfRequested(int argc, char **argv)
{
    QString name;
    bool requested = false;
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], childOption) == 0) {
            name = QString::fromLocal8Bit(argv[i + 1]);
            requested = true;
            break;
        }
    }
    if (!requested)
        return;

    const auto found = childRegistry().find(name);
    if (found == childRegistry().end()) {
        std::fprintf(stderr, "sfptest: no child registered as \"%s\"\n", qPrintable(name));
        std::exit(childUnknownStatus);
    }
    useSimulatedPlatform();
    {
        QApplication app(argc, argv);
        QApplication::setAttribute(Qt::AA_Use96Dpi, true);
        found->second();
    }
    std::fflush(nullptr);
    std::exit(childReturnedStatus);
}

} // namespace sfptest
