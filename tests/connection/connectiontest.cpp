// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "connectiontest.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>

#include <algorithm>
#include <cstdio>

#include <unistd.h>

namespace connectiontest {

DialogScript::DialogScript()
    : m_state(std::make_shared<State>())
{ }

DialogScript &DialogScript::click(const QString &button)
{
    m_state->steps.append([button](std::function<void()> then) {
        return sfptest::answerNextModal(button, 5000, std::move(then));
    });
    return *this;
}

DialogScript &DialogScript::escape()
{
    return click(QString());
}

DialogScript &DialogScript::closeWindow()
{
    m_state->steps.append(
        [](std::function<void()> then) { return sfptest::closeNextModal(5000, std::move(then)); });
    return *this;
}

DialogScript &DialogScript::act(std::function<void(QWidget *)> step)
{
    m_state->steps.append([step = std::move(step)](std::function<void()> then) {
        return actOnNextModal(step, std::move(then));
    });
    return *this;
}

void DialogScript::start()
{
    run(m_state, 0);
}

void DialogScript::run(const std::shared_ptr<State> &state, qsizetype index)
{
    if (index >= state->steps.size())
        return;
    const std::weak_ptr<State> weak = state;
    state->answers.append(state->steps.at(index)([weak, index] {
        if (const std::shared_ptr<State> alive = weak.lock())
            run(alive, index + 1);
    }));
}

bool DialogScript::finished() const
{
    if (m_state->answers.size() != m_state->steps.size())
        return false;
    return std::all_of(m_state->answers.cbegin(), m_state->answers.cend(),
                       [](const auto &answer) { return answer->answered; });
}

QList<sfptest::ModalAnswer> DialogScript::seen() const
{
    QList<sfptest::ModalAnswer> seen;
    for (qsizetype i = 0; i < m_state->steps.size(); ++i)
        seen.append(i < m_state->answers.size() ? *m_state->answers.at(i) : sfptest::ModalAnswer());
    return seen;
}

TemporaryProfile::TemporaryProfile()
{
    qputenv("ALLUSERSPROFILE", allUsersFolder().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", configFolder().toLocal8Bit());
}

TemporaryProfile::~TemporaryProfile()
{
    qunsetenv("ALLUSERSPROFILE");
    qunsetenv("XDG_CONFIG_HOME");
}

QString TemporaryProfile::allUsersFolder() const
{
    return m_folder.filePath(QStringLiteral("all-users-%1").arg(m_generation));
}

QString TemporaryProfile::configFolder() const
{
    return m_folder.filePath(QStringLiteral("config-%1").arg(m_generation));
}

QString TemporaryProfile::iniFile() const
{
    return allUsersFolder() + QStringLiteral("/Tarvex/DefaultInstrDescr.ini");
}

void TemporaryProfile::clear()
{
    QDir(allUsersFolder()).removeRecursively();
    QDir(configFolder()).removeRecursively();
    ++m_generation;
}

StderrCapture::StderrCapture()
{
    if (!m_file.open())
        return;
    std::fflush(stderr);
    m_saved = ::dup(STDERR_FILENO);
    ::dup2(m_file.handle(), STDERR_FILENO);
}

StderrCapture::~StderrCapture()
{
    take();
}

QByteArray StderrCapture::take()
{
    if (m_saved < 0)
        return QByteArray();
    std::fflush(stderr);
    ::dup2(m_saved, STDERR_FILENO);
    ::close(m_saved);
    m_saved = -1;
    m_file.seek(0);
    return m_file.readAll();
}

namespace {

template<typename Function>
auto withSettings(const QByteArray &content, Function function)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("read.ini"));
    writeFile(path, content);
    QSettings settings(path, QSettings::IniFormat);
    return function(settings);
}

} // namespace

QVariant iniValue(const QByteArray &content, const QString &key)
{
    return withSettings(content, [&](QSettings &settings) { return settings.value(key); });
}

bool iniContains(const QByteArray &content, const QString &key)
{
    return withSettings(content, [&](QSettings &settings) { return settings.contains(key); });
}

QVariantMap iniValues(const QByteArray &content)
{
    return withSettings(content, [](QSettings &settings) {
        QVariantMap values;
        const QStringList keys = settings.allKeys();
        for (const QString &key : keys) {
            // A line "=value" gives a key that QSettings itself cannot look up.
            if (!key.isEmpty())
                values.insert(key, settings.value(key));
        }
        return values;
    });
}

} // namespace connectiontest
