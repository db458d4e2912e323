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
#include <utility>

namespace sfp {

namespace {

QString relayList(const QList<int> &relays)
{
    QStringList numbers;
    for (int relay : relays)
        numbers.append(QString::number(relay));
    return numbers.join(QStringLiteral(", "));
}

// The indentation of a JSON text: that of its first indented line, two
// spaces where it has none.
std::pair<int, char> indentOf(const QByteArray &text)
{
    for (qsizetype at = text.indexOf('\n'); at >= 0; at = text.indexOf('\n', at + 1)) {
        const char first = at + 1 < text.size() ? text.at(at + 1) : '\n';
        if (first != ' ' && first != '\t')
            continue;
        qsizetype end = at + 1;
        while (end < text.size() && text.at(end) == first)
            ++end;
        return {int(end - at - 1), first};
    }
    return {2, ' '};
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
    // The labels change where they stand; a relay labelled anew comes last.
    nlohmann::ordered_json labels
        = document.contains("labels") ? document["labels"] : nlohmann::ordered_json::object();
    for (size_t i = 0; i < fixture.labels.size(); ++i) {
        const std::string key = std::to_string(i + 1);
        if (fixture.labels[i].isEmpty())
            labels.erase(key);
        else
            labels[key] = fixture.labels[i].toStdString();
    }
    if (labels.empty())
        document.erase("labels");
    else
        document["labels"] = labels;
    nlohmann::ordered_json states = nlohmann::ordered_json::array();
    const nlohmann::ordered_json oldStates
        = document.contains("states") ? document["states"] : nlohmann::ordered_json::array();
    for (const FixtureState &state : fixture.states) {
        nlohmann::ordered_json closed = nlohmann::ordered_json::array();
        for (size_t i = 0; i < state.state.closed.size(); ++i) {
            if (state.state.closed[i])
                closed.push_back(i + 1);
        }
        const std::string name = state.name.toStdString();
        const auto same = std::find_if(oldStates.begin(), oldStates.end(),
                                       [&name](const nlohmann::ordered_json &candidate) {
                                           return candidate.value("name", std::string()) == name;
                                       });
        if (same == oldStates.end()) {
            states.push_back({{"name", name},
                              {"closed", closed},
                              {"mode", modeNames[size_t(state.state.mode)]},
                              {"exclusive", state.state.exclusive}});
            continue;
        }
        // A state the file has keeps its keys, those the program does not
        // read too, and gains none that would say what the default says.
        nlohmann::ordered_json kept = *same;
        kept["closed"] = closed;
        if (kept.contains("mode") || state.state.mode != SwitchingMode::Asynchronous)
            kept["mode"] = modeNames[size_t(state.state.mode)];
        if (kept.contains("exclusive") || state.state.exclusive)
            kept["exclusive"] = state.state.exclusive;
        states.push_back(kept);
    }
    if (states.empty())
        document.erase("states");
    else
        document["states"] = states;
    const QByteArray text
        = QByteArray::fromStdString(document.dump(indentOf(old).first, indentOf(old).second))
        + '\n';
    // What the reader would refuse is not written: the file would stop
    // every later change, and the next start with it.
    if (text.size() > maxFileSize)
        return QStringLiteral("the new file would have %1 bytes, more than the %2 KiB a fixture "
                              "file may have")
            .arg(text.size())
            .arg(maxFileSize / 1024);
    return replaceFile(path, text);
}

} // namespace fixture

} // namespace sfp
