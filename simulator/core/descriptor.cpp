// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "descriptor.h"

#include "visa.h"

#include <cctype>
#include <vector>

namespace sfpsim {

namespace {

std::string upper(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

struct InterfaceWord
{
    const char *word;
    ViUInt16 type;
};

// Longest words first, so that GPIB-VXI is not read as GPIB.
const InterfaceWord interfaceWords[] = {
    {"GPIB-VXI", VI_INTF_GPIB_VXI}, {"TCPIP", VI_INTF_TCPIP}, {"GPIB", VI_INTF_GPIB},
    {"ASRL", VI_INTF_ASRL},         {"VXI", VI_INTF_VXI},     {"PXI", VI_INTF_PXI},
    {"USB", VI_INTF_USB},
};

} // namespace

std::optional<ParsedDescriptor> parseDescriptor(const std::string &descriptor)
{
    const std::string text = upper(descriptor);
    ParsedDescriptor parsed;
    size_t pos = 0;
    for (const InterfaceWord &word : interfaceWords) {
        const std::string w = word.word;
        if (text.compare(0, w.size(), w) == 0) {
            parsed.interfaceWord = w;
            parsed.interfaceType = word.type;
            pos = w.size();
            break;
        }
    }
    if (parsed.interfaceWord.empty())
        return std::nullopt;

    // Board numbers are short; a long digit run is no resource name at all.
    size_t digits = 0;
    unsigned board = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
        if (++digits > 4)
            return std::nullopt;
        board = board * 10 + static_cast<unsigned>(text[pos] - '0');
        ++pos;
    }
    parsed.board = board;

    // Serial ports carry their number in the board position and nothing else.
    if (pos == text.size())
        return parsed.interfaceType == VI_INTF_ASRL && digits > 0 ? std::optional(parsed)
                                                                  : std::nullopt;
    if (text.compare(pos, 2, "::") != 0)
        return std::nullopt;
    std::string rest = text.substr(pos + 2);
    const std::string suffix = "::INSTR";
    if (rest.size() >= suffix.size()
        && rest.compare(rest.size() - suffix.size(), suffix.size(), suffix) == 0)
        rest.erase(rest.size() - suffix.size());
    else if (rest == "INSTR")
        rest.clear();

    // What remains is a list of non-empty parts separated by "::", made of
    // the characters addresses and names use.
    if (rest.empty())
        return parsed.interfaceType == VI_INTF_ASRL ? std::optional(parsed) : std::nullopt;
    size_t start = 0;
    while (true) {
        const size_t end = rest.find("::", start);
        const std::string part = rest.substr(start, end == std::string::npos ? end : end - start);
        if (part.empty())
            return std::nullopt;
        for (char c : part) {
            const bool allowed
                = std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_';
            if (!allowed)
                return std::nullopt;
        }
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
    parsed.rest = rest;
    return parsed;
}

std::string canonicalDescriptor(const ParsedDescriptor &parsed)
{
    std::string canonical = parsed.interfaceWord + std::to_string(parsed.board);
    if (!parsed.rest.empty())
        canonical += "::" + parsed.rest;
    return canonical + "::INSTR";
}

namespace {

// One element of an expression: a set of characters and how often it repeats.
struct Atom
{
    bool any = false;
    bool negated = false;
    std::string chars; // upper case
    int min = 1;
    bool unbounded = false;

    bool accepts(char c) const
    {
        if (any)
            return true;
        const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const bool listed = chars.find(u) != std::string::npos;
        return negated ? !listed : listed;
    }
};

bool matchFrom(const std::vector<Atom> &atoms, size_t atom, const std::string &text, size_t pos)
{
    if (atom == atoms.size())
        return pos == text.size();
    const Atom &a = atoms[atom];
    size_t count = 0;
    while (count < static_cast<size_t>(a.min)) {
        if (pos + count >= text.size() || !a.accepts(text[pos + count]))
            return false;
        ++count;
    }
    if (!a.unbounded)
        return matchFrom(atoms, atom + 1, text, pos + count);
    size_t most = count;
    while (pos + most < text.size() && a.accepts(text[pos + most]))
        ++most;
    for (size_t n = most + 1; n-- > count;) {
        if (matchFrom(atoms, atom + 1, text, pos + n))
            return true;
    }
    return false;
}

} // namespace

std::optional<bool> matchesExpression(const std::string &expression, const std::string &text)
{
    std::vector<Atom> atoms;
    for (size_t i = 0; i < expression.size(); ++i) {
        const char c = expression[i];
        if (c == '*' || c == '+') {
            if (atoms.empty() || atoms.back().unbounded)
                return std::nullopt;
            atoms.back().min = c == '*' ? 0 : 1;
            atoms.back().unbounded = true;
            continue;
        }
        Atom atom;
        if (c == '?') {
            atom.any = true;
        } else if (c == '\\') {
            if (++i == expression.size())
                return std::nullopt;
            atom.chars = upper(std::string(1, expression[i]));
        } else if (c == '[') {
            const size_t close = expression.find(']', i + 1);
            if (close == std::string::npos || close == i + 1)
                return std::nullopt;
            std::string list = expression.substr(i + 1, close - i - 1);
            if (list[0] == '^') {
                atom.negated = true;
                list.erase(0, 1);
            }
            atom.chars = upper(list);
            i = close;
        } else if (c == '(' || c == ')' || c == '|' || c == ']') {
            // Grouping and alternatives are not needed by any caller here.
            return std::nullopt;
        } else {
            atom.chars = upper(std::string(1, c));
        }
        atoms.push_back(atom);
    }
    if (atoms.empty())
        return std::nullopt;
    return matchFrom(atoms, 0, text, 0);
}

} // namespace sfpsim
