// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Reading a fixture: the JSON text walked against the format, the first
// fault named with its place.
#include "fixture.h"

#include "smallfile.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

using nlohmann::json;

namespace sfp::fixture {

namespace {

// A key fit for a one-line message: a control character (a newline, an
// escape that a terminal would act on, a C1 control) is written as its
// JSON escape, so that a key can neither break the line nor steer the
// terminal.
std::string shownKey(const std::string &key)
{
    std::string shown;
    for (size_t i = 0; i < key.size(); ++i) {
        const auto byte = static_cast<unsigned char>(key[i]);
        unsigned control = 0x100;
        if (byte < 0x20 || byte == 0x7f)
            control = byte;
        else if (byte == 0xc2 && i + 1 < key.size()
                 && static_cast<unsigned char>(key[i + 1]) >= 0x80
                 && static_cast<unsigned char>(key[i + 1]) <= 0x9f)
            control = static_cast<unsigned char>(key[++i]);
        if (control == 0x100) {
            shown += key[i];
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", control);
            shown += escape;
        }
    }
    return shown;
}

// A key as it stands in a JSON pointer, shown.
std::string pointerToken(const std::string &key)
{
    std::string token;
    for (char c : shownKey(key)) {
        if (c == '~')
            token += "~0";
        else if (c == '/')
            token += "~1";
        else
            token += c;
    }
    return token;
}

// Where the parser stands, for a key met twice in one object: the second
// would silently replace the first, and a rule could vanish unseen.
class DuplicateKeys
{
public:
    bool operator()(int /*depth*/, json::parse_event_t event, json &parsed)
    {
        switch (event) {
        case json::parse_event_t::object_start:
        case json::parse_event_t::array_start:
            countElement();
            m_frames.push_back({event == json::parse_event_t::object_start, {}, {}, -1});
            break;
        case json::parse_event_t::object_end:
        case json::parse_event_t::array_end:
            m_frames.pop_back();
            break;
        case json::parse_event_t::key: {
            Frame &frame = m_frames.back();
            frame.key = parsed.get<std::string>();
            if (!frame.keys.insert(frame.key).second && m_place.empty())
                m_place = pointer();
            break;
        }
        case json::parse_event_t::value:
            countElement();
            break;
        }
        return true;
    }

    // The first key met twice, as a JSON pointer; empty if none.
    const std::string &place() const { return m_place; }

private:
    struct Frame
    {
        bool object;
        std::set<std::string> keys;
        std::string key;
        int index;
    };

    void countElement()
    {
        if (!m_frames.empty() && !m_frames.back().object)
            ++m_frames.back().index;
    }

    std::string pointer() const
    {
        std::string result;
        for (const Frame &frame : m_frames)
            result += '/' + (frame.object ? pointerToken(frame.key) : std::to_string(frame.index));
        return result;
    }

    std::vector<Frame> m_frames;
    std::string m_place;
};

// Walks a parsed fixture; the first error ends the walk.
class Reader
{
public:
    explicit Reader(fixture::Reading *reading)
        : m_reading(reading)
    { }

    void read(const json &document)
    {
        if (!document.is_object()) {
            fail("", QStringLiteral("a fixture is a JSON object"));
            return;
        }
        for (const auto &[key, value] : document.items()) {
            const std::string place = "/" + pointerToken(key);
            if (key == "labels")
                readLabels(value, place);
            else if (key == "rules")
                readRules(value, place);
            else if (key == "life")
                readLife(value, place);
            else if (key == "states")
                readStates(value, place);
            else if (key != "$schema")
                warnUnknown(key, place);
            if (failed())
                return;
        }
        checkRuleNames();
        checkStates();
    }

    bool failed() const { return !m_reading->error.isEmpty(); }

private:
    Fixture &fixture() { return m_reading->fixture; }

    void fail(const std::string &place, const QString &reason)
    {
        if (!failed())
            m_reading->error = QString::fromStdString(place.empty() ? "/" : place)
                + QStringLiteral(": ") + reason;
    }

    void warnUnknown(const std::string &key, const std::string &place)
    {
        m_reading->warnings.append(
            QStringLiteral("%1: unknown key \"%2\", ignored")
                .arg(QString::fromStdString(place), QString::fromStdString(shownKey(key))));
    }

    // A relay's number as a key: "1" to "32", written plainly.
    int relayKey(const std::string &key, const std::string &place)
    {
        bool ok = false;
        const int relay = QString::fromStdString(key).toInt(&ok);
        if (!ok || relay < 1 || relay > Fixture::relayCount || std::to_string(relay) != key) {
            fail(place,
                 QStringLiteral("\"%1\" is not a relay of the card (\"1\" to \"32\")")
                     .arg(QString::fromStdString(shownKey(key))));
            return 0;
        }
        return relay;
    }

    int relayValue(const json &value, const std::string &place)
    {
        if (!value.is_number_integer() || value.get<qint64>() < 1
            || value.get<qint64>() > Fixture::relayCount) {
            fail(place, QStringLiteral("a relay is a whole number from 1 to 32"));
            return 0;
        }
        return int(value.get<qint64>());
    }

    // Relays listed once each, returned ascending.
    QList<int> relaySet(const json &value, const std::string &place, int fewest)
    {
        if (!value.is_array()) {
            fail(place, QStringLiteral("relays are listed in an array"));
            return {};
        }
        QList<int> relays;
        for (size_t i = 0; i < value.size(); ++i) {
            const std::string at = place + '/' + std::to_string(i);
            const int relay = relayValue(value[i], at);
            if (failed())
                return {};
            if (relays.contains(relay)) {
                fail(at, QStringLiteral("relay %1 is listed twice").arg(relay));
                return {};
            }
            relays.append(relay);
        }
        if (relays.size() < fewest) {
            fail(place,
                 fewest == 1 ? QStringLiteral("at least one relay is needed")
                             : QStringLiteral("at least %1 relays are needed").arg(fewest));
            return {};
        }
        std::sort(relays.begin(), relays.end());
        return relays;
    }

    // A label or a name: 1 to 30 characters of any script, on one line.
    QString text(const json &value, const std::string &place, const QString &what)
    {
        if (!value.is_string()) {
            fail(place, QStringLiteral("%1 is a string").arg(what));
            return {};
        }
        QString result = QString::fromStdString(value.get<std::string>());
        const QString problem = fixture::textProblem(result, what);
        if (!problem.isEmpty()) {
            fail(place, problem);
            return {};
        }
        return result;
    }

    bool isObject(const json &value, const std::string &place, const QString &what)
    {
        if (!value.is_object())
            fail(place, QStringLiteral("%1 is a JSON object").arg(what));
        return !failed();
    }

    void readLabels(const json &labels, const std::string &place)
    {
        if (!isObject(labels, place, QStringLiteral("\"labels\"")))
            return;
        for (const auto &[key, value] : labels.items()) {
            const std::string at = place + '/' + pointerToken(key);
            const int relay = relayKey(key, at);
            if (failed())
                return;
            fixture().labels[size_t(relay - 1)] = text(value, at, QStringLiteral("a label"));
            if (failed())
                return;
        }
    }

    void readRules(const json &rules, const std::string &place)
    {
        if (!rules.is_array()) {
            fail(place, QStringLiteral("\"rules\" is a JSON array"));
            return;
        }
        for (size_t i = 0; i < rules.size() && !failed(); ++i)
            readRule(rules[i], place + '/' + std::to_string(i));
    }

    void readRule(const json &rule, const std::string &place)
    {
        if (!isObject(rule, place, QStringLiteral("a rule")))
            return;
        FixtureRule result;
        bool named = false;
        bool kinds = false;
        for (const auto &[key, value] : rule.items()) {
            const std::string at = place + '/' + pointerToken(key);
            if (key == "name") {
                result.name = text(value, at, QStringLiteral("a rule's name"));
                named = true;
            } else if (key == "mutual" || key == "forbidden") {
                if (kinds) {
                    fail(place,
                         QStringLiteral("a rule is either \"mutual\" or \"forbidden\", "
                                        "not both"));
                    return;
                }
                kinds = true;
                const bool mutual = key == "mutual";
                result.kind = mutual ? FixtureRule::Kind::Mutual : FixtureRule::Kind::Forbidden;
                result.relays = relaySet(value, at, mutual ? 2 : 1);
            } else {
                warnUnknown(key, at);
            }
            if (failed())
                return;
        }
        if (!named)
            fail(place, QStringLiteral("a rule needs a \"name\""));
        else if (!kinds)
            fail(place, QStringLiteral("a rule needs \"mutual\" or \"forbidden\" relays"));
        else
            fixture().rules.append(result);
    }

    qint64 cycles(const json &value, const std::string &place)
    {
        if (!value.is_number_integer() || value.get<qint64>() < 1) {
            fail(place,
                 QStringLiteral("a rated life is a whole number of closing cycles, 1 or "
                                "more"));
            return 0;
        }
        return value.get<qint64>();
    }

    void readLife(const json &life, const std::string &place)
    {
        if (!isObject(life, place, QStringLiteral("\"life\"")))
            return;
        // The cycles for all relays first, so that a relay's own count
        // wins wherever it stands in the object.
        std::array<qint64, Fixture::relayCount> own = {};
        for (const auto &[key, value] : life.items()) {
            const std::string at = place + '/' + pointerToken(key);
            if (key == "cycles") {
                fixture().ratedCycles.fill(cycles(value, at));
            } else if (key == "warningPercent") {
                if (!value.is_number_integer() || value.get<qint64>() < 1
                    || value.get<qint64>() > 100)
                    fail(at,
                         QStringLiteral("the warning share is a whole percentage from 1 to "
                                        "100"));
                else
                    fixture().warningPercent = int(value.get<qint64>());
            } else if (key == "relays") {
                if (!isObject(value, at, QStringLiteral("\"relays\"")))
                    return;
                for (const auto &[relayText, relayCycles] : value.items()) {
                    const std::string relayAt = at + '/' + pointerToken(relayText);
                    const int relay = relayKey(relayText, relayAt);
                    if (failed())
                        return;
                    own[size_t(relay - 1)] = cycles(relayCycles, relayAt);
                    if (failed())
                        return;
                }
            } else {
                warnUnknown(key, at);
            }
            if (failed())
                return;
        }
        for (size_t i = 0; i < own.size(); ++i) {
            if (own[i] != 0)
                fixture().ratedCycles[i] = own[i];
        }
    }

    void readStates(const json &states, const std::string &place)
    {
        if (!states.is_array()) {
            fail(place, QStringLiteral("\"states\" is a JSON array"));
            return;
        }
        for (size_t i = 0; i < states.size() && !failed(); ++i)
            readState(states[i], place + '/' + std::to_string(i));
    }

    void readState(const json &state, const std::string &place)
    {
        if (!isObject(state, place, QStringLiteral("a state")))
            return;
        FixtureState result;
        bool named = false;
        bool listed = false;
        for (const auto &[key, value] : state.items()) {
            const std::string at = place + '/' + pointerToken(key);
            if (key == "name") {
                result.name = text(value, at, QStringLiteral("a state's name"));
                named = true;
            } else if (key == "closed") {
                for (int relay : relaySet(value, at, 0))
                    result.state.closed[size_t(relay - 1)] = true;
                listed = true;
            } else if (key == "mode") {
                const auto *found = value.is_string()
                    ? std::find(modeNames.begin(), modeNames.end(), value.get<std::string>())
                    : modeNames.end();
                if (found == modeNames.end())
                    fail(at,
                         QStringLiteral("the mode is \"asynchronous\", \"sync-command\" or "
                                        "\"sync-trigger\""));
                else
                    result.state.mode = SwitchingMode(found - modeNames.begin());
            } else if (key == "exclusive") {
                if (!value.is_boolean())
                    fail(at, QStringLiteral("\"exclusive\" is true or false"));
                else
                    result.state.exclusive = value.get<bool>();
            } else {
                warnUnknown(key, at);
            }
            if (failed())
                return;
        }
        if (!named) {
            fail(place, QStringLiteral("a state needs a \"name\""));
        } else if (!listed) {
            fail(place,
                 QStringLiteral("a state needs its \"closed\" relays (an empty array for "
                                "none)"));
        } else if (const int pair = result.state.pairBreakingExclusiveRule(); pair != 0) {
            fail(place + "/closed",
                 QStringLiteral("both relays of pair %1 are closed under the exclusive rule")
                     .arg(pair));
        } else {
            fixture().states.append(result);
        }
    }

    // Names are how scripts and the operator call rules and states: two
    // of one name could not be told apart.
    void checkRuleNames()
    {
        const QList<FixtureRule> &rules = fixture().rules;
        for (qsizetype i = 0; i < rules.size() && !failed(); ++i) {
            for (qsizetype j = 0; j < i; ++j) {
                if (rules[i].name == rules[j].name) {
                    fail("/rules/" + std::to_string(i) + "/name",
                         QStringLiteral("the name \"%1\" is taken by rule %2")
                             .arg(rules[i].name)
                             .arg(j));
                    return;
                }
            }
        }
    }

    void checkStates()
    {
        const QList<FixtureState> &states = fixture().states;
        for (qsizetype i = 0; i < states.size() && !failed(); ++i) {
            for (qsizetype j = 0; j < i; ++j) {
                if (states[i].name == states[j].name) {
                    fail("/states/" + std::to_string(i) + "/name",
                         QStringLiteral("the name \"%1\" is taken by state %2")
                             .arg(states[i].name)
                             .arg(j));
                    return;
                }
            }
        }
    }

    fixture::Reading *m_reading;
};

// Line and column (from 1) of a byte of text.
QString lineAndColumn(const QByteArray &text, size_t byte)
{
    const QByteArray before = text.left(qsizetype(std::min(byte, size_t(text.size()))));
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    return QStringLiteral("line %1, column %2")
        .arg(before.count('\n') + 1)
        .arg(QString::fromUtf8(before.mid(lineStart)).size() + 1);
}

} // namespace

Reading parse(const QByteArray &text)
{
    Reading reading;
    DuplicateKeys duplicates;
    json document;
    try {
        document = json::parse(text.begin(), text.end(), std::ref(duplicates));
    } catch (const json::parse_error &error) {
        // The library's text after its own prefix and place.
        std::string reason = error.what();
        const size_t column = reason.find("column ");
        const size_t start = reason.find(": ", column == std::string::npos ? 0 : column);
        reason = start == std::string::npos ? reason : reason.substr(start + 2);
        // What the library read last may hold any byte: the place says it.
        reason = reason.substr(0, reason.find("; last read:"));
        reading.error = lineAndColumn(text, error.byte == 0 ? 0 : error.byte - 1)
            + QStringLiteral(": not JSON: ") + QString::fromStdString(reason);
        return reading;
    } catch (const json::exception &) {
        // A number beyond any the library holds (1e400): it says not where.
        reading.error = QStringLiteral("/: a number is too large to be read");
        return reading;
    }
    if (!duplicates.place().empty()) {
        reading.error = QString::fromStdString(duplicates.place())
            + QStringLiteral(": the key is given twice in one object");
        return reading;
    }
    Reader reader(&reading);
    reader.read(document);
    if (reader.failed())
        reading.fixture = Fixture();
    return reading;
}

Reading read(const QString &path, bool *absent)
{
    QString why;
    const QByteArray text = readSmallFile(path, maxFileSize, absent, &why);
    if (*absent)
        return {};
    if (!why.isEmpty()) {
        Reading reading;
        reading.error = QStringLiteral("the file ") + why;
        return reading;
    }
    return parse(text);
}

} // namespace sfp::fixture
