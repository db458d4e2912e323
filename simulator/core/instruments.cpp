// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "instruments.h"

#include "simcore.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace sfpsim {

namespace {

constexpr ViUInt16 relayCardCode = 0x5170;
constexpr int variantWordOffset = 252;

class RelayCard
{
public:
    RelayCard(Card &card, const Motherboard &board, int position)
        : m_card(card)
        , m_board(board)
        , m_position(position)
    { }

    void command(int relay, bool on)
    {
        m_card.commanded[index(relay)] = on;
        m_card.pending[index(relay)] = true;
        if (m_card.mode == 1)
            apply(relay);
    }

    // Pending states take effect on the update command in Sync. Command mode
    // and on the trigger in Sync. Trigger mode; the other signal is ignored.
    void update()
    {
        if (m_card.mode == 2)
            applyPending();
    }

    void trigger()
    {
        if (m_card.mode == 3)
            applyPending();
    }

    // Asynchronous operation means the contacts follow the commands, so
    // entering it applies whatever was still pending.
    void setMode(int mode)
    {
        m_card.mode = mode;
        trace("mode " + std::to_string(mode));
        if (mode == 1)
            applyPending();
    }

    void reset()
    {
        m_card.commanded.fill(false);
        m_card.pending.fill(false);
        for (int relay = 1; relay <= relayCount; ++relay) {
            if (m_card.applied[index(relay)]) {
                m_card.applied[index(relay)] = false;
                traceRelay(relay);
            }
        }
        setMode(1);
    }

private:
    static size_t index(int relay) { return static_cast<size_t>(relay - 1); }

    void apply(int relay)
    {
        m_card.pending[index(relay)] = false;
        m_card.applied[index(relay)] = m_card.commanded[index(relay)];
        traceRelay(relay);
    }

    void applyPending()
    {
        for (int relay = 1; relay <= relayCount; ++relay) {
            if (m_card.pending[index(relay)])
                apply(relay);
        }
    }

    void traceRelay(int relay)
    {
        // Described only for a trace that someone reads: a switch is the
        // card's most frequent work.
        if (!traceWanted())
            return;
        std::string change = "relay ";
        change += std::to_string(relay);
        change += m_card.applied[index(relay)] ? " on" : " off";
        trace(change);
    }

    void trace(const std::string &change) const
    {
        std::string line;
        line.reserve(32 + m_board.ownerDescriptor.size() + change.size());
        line += "card ";
        line += m_board.ownerDescriptor;
        line += " FC";
        line += std::to_string(m_position);
        line += ' ';
        line += change;
        traceEvent(std::move(line));
    }

    Card &m_card;
    const Motherboard &m_board;
    int m_position;
};

// Reads a decimal number that must end at `end` or at `stop`; numbers out
// of int range are refused rather than wrapped.
bool readNumber(const char *&cursor, char stop, int *value)
{
    char *end = nullptr;
    errno = 0;
    const long number = std::strtol(cursor, &end, 10);
    if (end == cursor || errno == ERANGE || number < INT_MIN || number > INT_MAX)
        return false;
    if (*end != stop)
        return false;
    *value = static_cast<int>(number);
    cursor = *end ? end + 1 : end;
    return true;
}

bool parseInts(const std::string &text, int *a, int *b)
{
    const char *cursor = text.c_str();
    return readNumber(cursor, ',', a) && readNumber(cursor, '\0', b);
}

bool parseInt(const std::string &text, int *value)
{
    const char *cursor = text.c_str();
    return readNumber(cursor, '\0', value);
}

std::string cardCommand(Motherboard &board, int position, const std::string &verb)
{
    if (position < 1 || position > board.positions)
        return "ERR POSITION";
    Card &card = board.cards[static_cast<size_t>(position)];
    if (verb == "ID?")
        return std::to_string(card.rawCode);
    if (card.rawCode != relayCardCode)
        return "ERR NOCARD";

    RelayCard relays(card, board, position);
    int a = 0;
    int b = 0;
    if (verb == "REV?")
        return "A.02";
    if (verb == "RST") {
        relays.reset();
        return "OK";
    }
    if (verb == "UPD") {
        relays.update();
        return "OK";
    }
    if (verb == "TRIG") {
        relays.trigger();
        return "OK";
    }
    if (verb.rfind("REL ", 0) == 0 && parseInts(verb.substr(4), &a, &b)) {
        if (a < 1 || a > relayCount || (b != 0 && b != 1))
            return "ERR RANGE";
        relays.command(a, b == 1);
        return "OK";
    }
    if (verb.rfind("MODE ", 0) == 0 && parseInt(verb.substr(5), &a)) {
        if (a < 1 || a > 3)
            return "ERR RANGE";
        relays.setMode(a);
        return "OK";
    }
    return "ERR COMMAND";
}

} // namespace

std::string handleMotherboardCommand(Motherboard &board, const std::string &command)
{
    if (command == "*IDN?") {
        char code[8];
        std::snprintf(code, sizeof code, "%04X", board.rawCode);
        return std::string("TARVEX,QX2010 MOTHERBOARD,") + code + ",1.0";
    }
    if (command == "MB:INFO?") {
        std::ostringstream answer;
        answer << board.rawCode << ',' << board.positions;
        for (int p = 1; p <= board.positions; ++p)
            answer << ',' << board.cards[static_cast<size_t>(p)].rawCode;
        return answer.str();
    }
    int a = 0;
    int b = 0;
    if (command.rfind("MB:WORD? ", 0) == 0 && parseInts(command.substr(9), &a, &b)) {
        if (a < 1 || a > board.positions || board.cards[static_cast<size_t>(a)].rawCode == 0)
            return "ERR POSITION";
        return std::to_string(
            b == variantWordOffset ? board.cards[static_cast<size_t>(a)].variantWord : 0);
    }
    if (command.rfind("FC", 0) == 0) {
        const size_t colon = command.find(':');
        if (colon != std::string::npos && parseInt(command.substr(2, colon - 2), &a))
            return cardCommand(board, a, command.substr(colon + 1));
    }
    return "ERR COMMAND";
}

} // namespace sfpsim
