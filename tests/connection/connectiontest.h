// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Helpers shared by the connection tests: acting on a modal dialog, a
// temporary profile for DefaultInstrDescr.ini, and reading the file back.
#pragma once

#include "sfptest.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QVariant>
#include <QWidget>

#include <functional>
#include <memory>

namespace connectiontest {

using sfptest::actOnNextModal;

// The answers to a row of modal dialogs, given in the order the dialogs
// come; each step waits for its dialog, the next one starts once that
// dialog is hidden.
class DialogScript final
{
public:
    DialogScript();

    DialogScript &click(const QString &button);
    DialogScript &escape();
    DialogScript &closeWindow();
    DialogScript &act(std::function<void(QWidget *)> step);

    // Arms the first step.
    void start();
    // Every step has found its dialog.
    bool finished() const;
    // What each step saw, in step order (empty records for steps not run).
    QList<sfptest::ModalAnswer> seen() const;

private:
    using Step = std::function<std::shared_ptr<sfptest::ModalAnswer>(std::function<void()>)>;
    struct State
    {
        QList<Step> steps;
        QList<std::shared_ptr<sfptest::ModalAnswer>> answers;
    };
    static void run(const std::shared_ptr<State> &state, qsizetype index);

    std::shared_ptr<State> m_state;
};

// Points ALLUSERSPROFILE and XDG_CONFIG_HOME into a temporary folder, so
// that no test touches the real user's configuration.
class TemporaryProfile final
{
public:
    TemporaryProfile();
    ~TemporaryProfile();

    bool isValid() const { return m_folder.isValid(); }
    QString allUsersFolder() const;
    QString configFolder() const;
    // Where the address entry dialog keeps its file under ALLUSERSPROFILE.
    QString iniFile() const;
    // Removes the file and its folder, and moves on to folders of new
    // names: QSettings keeps what it read of a path and reads it again
    // only when the file's size or time stamp changed, which two files
    // written within one clock tick need not show.
    void clear();

private:
    Q_DISABLE_COPY_MOVE(TemporaryProfile)

    QTemporaryDir m_folder;
    int m_generation = 0;
};

// Takes what the process writes to standard error while it lives.
class StderrCapture final
{
public:
    StderrCapture();
    ~StderrCapture();

    // What was written so far; standard error is its own again afterwards.
    QByteArray take();

private:
    Q_DISABLE_COPY_MOVE(StderrCapture)

    QTemporaryFile m_file;
    int m_saved = -1;
};

using sfptest::fileContents;
using sfptest::writeFile;

// Values as QSettings reads the INI text `content` (through a file of its
// own: QSettings keeps what it read of a path).
QVariant iniValue(const QByteArray &content, const QString &key);
bool iniContains(const QByteArray &content, const QString &key);
// Every key of the text with its value, "section/key".
QVariantMap iniValues(const QByteArray &content);

} // namespace connectiontest
