// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "fixture.h"

#include "smallfile.h"

#include <QDir>
#include <QStringList>
#include <QUrl>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <string>

namespace sfp {

namespace {

QString relayList(const QList<int> &relays)
{
    QStringList numbers;
    for (int relay : relays)
        numbers.append(QString::number(relay));
    return numbers.join(QStringLiteral(", "));
}

} // namespace

QString brokenRule(const QList<FixtureRule> &rules, const std::array<bool, 32> &closed)
{
    for (const FixtureRule &rule : rules) {
        int closedCount = 0;
        for (int relay : rule.relays)
            closedCount += closed[size_t(relay - 1)] ? 1 : 0;
        if (rule.kind == FixtureRule::Kind::Mutual && closedCount > 1)
            return QStringLiteral("\"%1\" allows one of relays %2")
                .arg(rule.name, relayList(rule.relays));
        if (rule.kind == FixtureRule::Kind::Forbidden && closedCount > 0)
            return QStringLiteral("\"%1\" forbids %2 %3")
                .arg(rule.name,
                     rule.relays.size() == 1 ? QStringLiteral("relay") : QStringLiteral("relays"),
                     relayList(rule.relays));
    }
    return {};
}

namespace fixture {

QString textProblem(const QString &text, const QString &what)
{
    const qsizetype characters = text.toUcs4().size();
    if (characters < 1 || characters > Fixture::labelLength)
        return QStringLiteral("%1 has 1 to %2 characters, not %3")
            .arg(what)
            .arg(Fixture::labelLength)
            .arg(characters);
    const auto *const control = std::find_if(
        text.begin(), text.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
    if (control != text.end())
        return QStringLiteral("%1 holds a control character (U+%2)")
            .arg(what,
                 QStringLiteral("%1").arg(control->unicode(), 4, 16, QLatin1Char('0')).toUpper());
    return {};
}

QString defaultFolder()
{
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!QDir::isAbsolutePath(home))
        home = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(home + QStringLiteral("/qx5170fp/fixtures"));
}

QString fileName(const QString &folder, const QString &cardId)
{
    // Every character but letters, digits and -._~:@ is encoded, the dot
    // too where the whole id is dots, so that "." and ".." stay names.
    QString name = QString::fromLatin1(QUrl::toPercentEncoding(cardId, ":@"));
    if (name.count(QLatin1Char('.')) == name.size())
        name.replace(QLatin1Char('.'), QStringLiteral("%2E"));
    return folder + QLatin1Char('/') + name + QStringLiteral(".json");
}

QString write(const QString &path, const Fixture &fixture)
{
    bool absent = false;
    QString why;
    const QByteArray old = readSmallFile(path, maxFileSize, &absent, &why);
    if (!absent && !why.isEmpty())
        return QStringLiteral("the file ") + why;
    // The file as it stands now, in its own order: only the labels change.
    nlohmann::ordered_json document = nlohmann::ordered_json::object();
    if (!absent) {
        document = nlohmann::ordered_json::parse(old.begin(), old.end(), nullptr, false);
        if (document.is_discarded() || !document.is_object() || !parse(old).error.isEmpty())
            return QStringLiteral("the file has changed and is no longer a fixture");
    }
    nlohmann::ordered_json labels = nlohmann::ordered_json::object();
    for (size_t i = 0; i < fixture.labels.size(); ++i) {
        if (!fixture.labels[i].isEmpty())
            labels[std::to_string(i + 1)] = fixture.labels[i].toStdString();
    }
    if (labels.empty())
        document.erase("labels");
    else
        document["labels"] = labels;
    nlohmann::ordered_json states = nlohmann::ordered_json::array();
    for (const FixtureState &state : fixture.states) {
        nlohmann::ordered_json closed = nlohmann::ordered_json::array();
        for (size_t i = 0; i < state.state.closed.size(); ++i) {
            if (state.state.closed[i])
                closed.push_back(i + 1);
        }
        states.push_back({{"name", state.name.toStdString()},
                          {"closed", closed},
                          {"mode", modeNames[size_t(state.state.mode)]},
                          {"exclusive", state.state.exclusive}});
    }
    if (states.empty())
        document.erase("states");
    else
        document["states"] = states;
    return replaceFile(path, QByteArray::fromStdString(document.dump(2)) + '\n');
}

} // namespace fixture

} // namespace sfp
