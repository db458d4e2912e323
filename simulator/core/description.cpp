// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "descriptor.h"
#include "system.h"

#include "visa.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <set>

using nlohmann::json;

namespace sfpsim {

namespace {

const char *const knownOperations[] = {
    "viOpenDefaultRM",
    "viFindRsrc",
    "viFindNext",
    "viOpen",
    "viClose",
    "viGetAttribute",
    "viWrite",
    "viRead",
    "qx2010_mb_open",
    "qx2010_mb_close",
    "qx2010_library_revision",
    "qx2010_error_message",
    "readCardWord",
    "qx5170_init",
    "qx5170_switchRelay",
    "qx5170_updateRelaysState",
    "qx5170_pulseSynchTrigger",
    "qx5170_setSwitchingMode",
    "qx5170_error_message",
    "qx5170_revision_query",
    "qx5170_close",
};

// Control characters and bytes outside ASCII as \xNN, so that a message
// stays one readable line whatever the description held.
std::string printable(const std::string &text)
{
    std::string result;
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            result += escaped;
        } else {
            result += ch;
        }
    }
    return result;
}

// A text from the description as a message shows it: quoted, control
// characters escaped (the message is one line), long texts cut.
std::string shownText(const std::string &text)
{
    constexpr size_t shown = 60;
    std::string result;
    for (size_t i = 0; i < text.size() && i < shown; ++i) {
        if (text[i] == '"' || text[i] == '\\')
            result += '\\';
        result += text[i];
    }
    return "\"" + printable(result) + (text.size() > shown ? "...\"" : "\"");
}

// Walks a description and keeps the first problem with the place it was met.
class Reader
{
public:
    bool failed() const { return !m_error.empty(); }
    const std::string &error() const { return m_error; }

    void fail(const std::string &where, const std::string &what)
    {
        if (m_error.empty())
            m_error = (where.empty() ? std::string("top level") : where) + ": " + what;
    }

    bool expectObject(const json &value, const std::string &where,
                      std::initializer_list<const char *> keys)
    {
        if (!value.is_object()) {
            fail(where, "expected an object");
            return false;
        }
        for (const auto &item : value.items()) {
            bool known = item.key() == "comment";
            for (const char *key : keys)
                known = known || item.key() == key;
            if (!known) {
                fail(where, "unknown key " + shownText(item.key()));
                return false;
            }
        }
        return true;
    }

    // An integer given as a JSON number or as a text in decimal or 0x-hexadecimal.
    bool integer(const json &value, const std::string &where, long long min, long long max,
                 long long *out)
    {
        long long result = 0;
        if (value.is_number_integer()) {
            if (value.is_number_unsigned()) {
                const auto u = value.get<unsigned long long>();
                if (u > static_cast<unsigned long long>(std::numeric_limits<long long>::max())) {
                    fail(where, "value is out of range " + range(min, max));
                    return false;
                }
                result = static_cast<long long>(u);
            } else {
                result = value.get<long long>();
            }
        } else if (value.is_string()) {
            const std::string text = value.get<std::string>();
            errno = 0;
            char *end = nullptr;
            result = std::strtoll(text.c_str(), &end, 0);
            if (text.empty() || *end != '\0' || errno == ERANGE) {
                fail(where, shownText(text) + " is not an integer");
                return false;
            }
        } else {
            fail(where, "expected an integer");
            return false;
        }
        if (result < min || result > max) {
            fail(where, "value " + std::to_string(result) + " is out of range " + range(min, max));
            return false;
        }
        *out = result;
        return true;
    }

    bool text(const json &value, const std::string &where, std::string *out)
    {
        if (!value.is_string()) {
            fail(where, "expected a text");
            return false;
        }
        *out = value.get<std::string>();
        return true;
    }

private:
    static std::string range(long long min, long long max)
    {
        return std::to_string(min) + ".." + std::to_string(max);
    }

    std::string m_error;
};

bool readFault(Reader &reader, const json &value, const std::string &where, FaultRule *rule)
{
    if (!reader.expectObject(value, where, {"operation", "status", "count", "after", "attribute"}))
        return false;
    if (!value.contains("operation") || !value.contains("status")) {
        reader.fail(where, "a fault rule needs \"operation\" and \"status\"");
        return false;
    }
    if (!reader.text(value["operation"], where + ".operation", &rule->operation))
        return false;
    if (!isKnownOperation(rule->operation)) {
        reader.fail(where + ".operation", "unknown operation " + shownText(rule->operation));
        return false;
    }
    long long status = 0;
    // Statuses are signed 32-bit; the usual hexadecimal spelling 0xBFFF0011
    // is taken as the same bit pattern.
    if (!reader.integer(value["status"], where + ".status", std::numeric_limits<ViInt32>::min(),
                        std::numeric_limits<ViUInt32>::max(), &status))
        return false;
    rule->status = static_cast<ViStatus>(static_cast<ViUInt32>(status & 0xFFFFFFFFLL));
    if (rule->status == VI_SUCCESS) {
        reader.fail(where + ".status", "a fault needs a non-zero status");
        return false;
    }
    long long number = 1;
    if (value.contains("count")) {
        if (!reader.integer(value["count"], where + ".count", -1, 1000000000, &number))
            return false;
        if (number == 0) {
            reader.fail(where + ".count", "count must be at least 1, or -1 for every call");
            return false;
        }
    }
    rule->count = static_cast<int>(number);
    number = 0;
    if (value.contains("after")
        && !reader.integer(value["after"], where + ".after", 0, 1000000000, &number))
        return false;
    rule->after = static_cast<int>(number);
    if (value.contains("attribute")) {
        if (rule->operation != "viGetAttribute") {
            reader.fail(where + ".attribute", "only a viGetAttribute rule can name an attribute");
            return false;
        }
        if (!reader.integer(value["attribute"], where + ".attribute", 0,
                            std::numeric_limits<ViUInt32>::max(), &number))
            return false;
        rule->hasAttribute = true;
        rule->attribute = static_cast<ViUInt32>(number);
    }
    return true;
}

bool readFaults(Reader &reader, const json &value, const std::string &where,
                std::vector<FaultRule> *rules)
{
    if (!value.is_array()) {
        reader.fail(where, "expected an array of fault rules");
        return false;
    }
    for (size_t i = 0; i < value.size(); ++i) {
        FaultRule rule;
        if (!readFault(reader, value[i], where + "[" + std::to_string(i) + "]", &rule))
            return false;
        rules->push_back(rule);
    }
    return true;
}

bool readMotherboard(Reader &reader, const json &value, const std::string &where,
                     Motherboard *board)
{
    if (!reader.expectObject(value, where, {"code", "positions", "cards"}))
        return false;
    long long number = 0;
    if (!value.contains("code")) {
        reader.fail(where, "a motherboard needs \"code\"");
        return false;
    }
    if (!reader.integer(value["code"], where + ".code", 0, 0xFFFF, &number))
        return false;
    board->rawCode = static_cast<ViUInt16>(number);
    board->positions = maxPositions;
    if (value.contains("positions")) {
        if (!reader.integer(value["positions"], where + ".positions", 0, maxPositions, &number))
            return false;
        board->positions = static_cast<int>(number);
    }
    if (!value.contains("cards"))
        return true;
    const json &cards = value["cards"];
    if (!cards.is_array()) {
        reader.fail(where + ".cards", "expected an array of cards");
        return false;
    }
    for (size_t i = 0; i < cards.size(); ++i) {
        const std::string at = where + ".cards[" + std::to_string(i) + "]";
        const json &card = cards[i];
        if (!reader.expectObject(card, at, {"position", "code", "variant"}))
            return false;
        if (!card.contains("position") || !card.contains("code")) {
            reader.fail(at, "a card needs \"position\" and \"code\"");
            return false;
        }
        if (!reader.integer(card["position"], at + ".position", 1, board->positions, &number))
            return false;
        Card &slot = board->cards[static_cast<size_t>(number)];
        if (slot.rawCode != 0) {
            reader.fail(at + ".position", "position " + std::to_string(number) + " is taken twice");
            return false;
        }
        if (!reader.integer(card["code"], at + ".code", 1, 0xFFFF, &number))
            return false;
        slot.rawCode = static_cast<ViUInt16>(number);
        if (card.contains("variant")) {
            const json &variant = card["variant"];
            // Two characters ("B1") or the word itself (0x4231).
            if (variant.is_string() && variant.get<std::string>().size() == 2
                && variant.get<std::string>().rfind("0x", 0) != 0) {
                const std::string chars = variant.get<std::string>();
                slot.variantWord = static_cast<ViUInt16>((static_cast<unsigned char>(chars[0]) << 8)
                                                         | static_cast<unsigned char>(chars[1]));
            } else {
                if (!reader.integer(variant, at + ".variant", 0, 0xFFFF, &number))
                    return false;
                slot.variantWord = static_cast<ViUInt16>(number);
            }
        }
    }
    return true;
}

bool readResource(Reader &reader, const json &value, const std::string &where, System *system,
                  std::set<std::string> *seen)
{
    if (!reader.expectObject(value, where,
                             {"descriptor", "slot", "address", "hostname", "deviceName",
                              "openTimeMs", "motherboard", "sameBoxAs", "faults"}))
        return false;
    Resource resource;
    if (!value.contains("descriptor")) {
        reader.fail(where, "a resource needs \"descriptor\"");
        return false;
    }
    if (!reader.text(value["descriptor"], where + ".descriptor", &resource.descriptor))
        return false;
    const auto parsed = parseDescriptor(resource.descriptor);
    if (!parsed) {
        reader.fail(where + ".descriptor",
                    shownText(resource.descriptor) + " is not a VISA resource descriptor");
        return false;
    }
    resource.canonical = canonicalDescriptor(*parsed);
    resource.interfaceType = parsed->interfaceType;
    if (!seen->insert(resource.canonical).second) {
        reader.fail(where + ".descriptor",
                    shownText(resource.descriptor) + " names a resource listed before");
        return false;
    }
    const bool tcpip = resource.interfaceType == VI_INTF_TCPIP;

    if (value.contains("sameBoxAs")) {
        if (value.contains("motherboard")) {
            reader.fail(where, "\"sameBoxAs\" and \"motherboard\" exclude each other");
            return false;
        }
        std::string other;
        if (!reader.text(value["sameBoxAs"], where + ".sameBoxAs", &other))
            return false;
        const auto otherParsed = parseDescriptor(other);
        const Resource *box = nullptr;
        for (const Resource &r : system->resources) {
            if (otherParsed && r.canonical == canonicalDescriptor(*otherParsed))
                box = &r;
        }
        if (!box) {
            reader.fail(where + ".sameBoxAs", "no resource " + shownText(other) + " listed before");
            return false;
        }
        resource.motherboard = box->motherboard;
        resource.hasSlot = box->hasSlot;
        resource.slot = box->slot;
        resource.address = box->address;
        resource.hasHostname = box->hasHostname;
        resource.hostname = box->hostname;
        resource.deviceName = box->deviceName;
    } else if (tcpip) {
        // The host part of the descriptor and its LAN device name (inst0 when
        // the descriptor names none), unless the description says otherwise.
        const std::string afterBoard
            = resource.descriptor.substr(resource.descriptor.find("::") + 2);
        const size_t sep = afterBoard.find("::");
        resource.address = afterBoard.substr(0, sep);
        const std::string device = sep == std::string::npos ? "" : afterBoard.substr(sep + 2);
        const std::string deviceName = device.substr(0, device.find("::"));
        resource.deviceName = deviceName.empty() || deviceName == "INSTR" ? "inst0" : deviceName;
    }

    long long number = 0;
    if (value.contains("slot")) {
        const bool slotted = resource.interfaceType == VI_INTF_VXI
            || resource.interfaceType == VI_INTF_GPIB_VXI || resource.interfaceType == VI_INTF_PXI;
        if (!slotted) {
            reader.fail(where + ".slot", "only VXI, GPIB-VXI and PXI resources have a slot");
            return false;
        }
        if (!reader.integer(value["slot"], where + ".slot", 0, 255, &number))
            return false;
        resource.hasSlot = true;
        resource.slot = static_cast<ViInt16>(number);
    } else if (resource.interfaceType == VI_INTF_VXI || resource.interfaceType == VI_INTF_GPIB_VXI
               || resource.interfaceType == VI_INTF_PXI) {
        resource.hasSlot = true;
    }

    for (const char *key : {"address", "hostname", "deviceName"}) {
        if (!value.contains(key))
            continue;
        if (!tcpip) {
            reader.fail(where + "." + key, "only TCPIP resources have a network address or name");
            return false;
        }
        std::string textValue;
        if (!reader.text(value[key], where + "." + key, &textValue))
            return false;
        if (textValue.size() > 255) {
            reader.fail(where + "." + key, "longer than 255 characters");
            return false;
        }
        if (std::string(key) == "address") {
            resource.address = textValue;
        } else if (std::string(key) == "hostname") {
            resource.hostname = textValue;
            resource.hasHostname = true;
        } else {
            resource.deviceName = textValue;
        }
    }

    if (value.contains("openTimeMs")) {
        if (!reader.integer(value["openTimeMs"], where + ".openTimeMs", 0, 600000, &number))
            return false;
        resource.openTimeMs = static_cast<int>(number);
    }
    if (value.contains("motherboard")) {
        Motherboard board;
        if (!readMotherboard(reader, value["motherboard"], where + ".motherboard", &board))
            return false;
        board.ownerDescriptor = resource.descriptor;
        resource.motherboard = static_cast<int>(system->motherboards.size());
        system->motherboards.push_back(board);
    }
    if (value.contains("faults")
        && !readFaults(reader, value["faults"], where + ".faults", &resource.faults))
        return false;
    system->resources.push_back(resource);
    return true;
}

// Line and column of a byte offset, for parse errors.
std::string lineAndColumn(const std::string &text, size_t offset)
{
    size_t line = 1;
    size_t column = 1;
    for (size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

} // namespace

bool isKnownOperation(const std::string &operation)
{
    return std::any_of(std::begin(knownOperations), std::end(knownOperations),
                       [&operation](const char *known) { return operation == known; });
}

bool parseSystem(const std::string &text, System *system, std::string *error)
{
    *system = System();
    json root;
    try {
        root = json::parse(text);
    } catch (const json::parse_error &e) {
        // The parser's message carries its own position prefix; keep only the reason.
        std::string what = e.what();
        const size_t reason = what.rfind(": ");
        *error = lineAndColumn(text, e.byte == 0 ? 0 : e.byte - 1) + ": not valid JSON ("
            + printable(reason == std::string::npos ? what : what.substr(reason + 2)) + ")";
        return false;
    } catch (const json::exception &e) {
        // Numbers beyond what a double holds, and the like.
        *error = "line 1, column 1: not a usable description (" + printable(e.what()) + ")";
        return false;
    }

    Reader reader;
    System result;
    std::set<std::string> seen;
    if (reader.expectObject(root, "", {"resources", "faults"})) {
        if (!root.contains("resources") || !root["resources"].is_array()) {
            reader.fail("resources", "expected an array of resources");
        } else {
            const json &resources = root["resources"];
            for (size_t i = 0; i < resources.size() && !reader.failed(); ++i)
                readResource(reader, resources[i], "resources[" + std::to_string(i) + "]", &result,
                             &seen);
        }
        if (!reader.failed() && root.contains("faults"))
            readFaults(reader, root["faults"], "faults", &result.faults);
    }
    if (reader.failed()) {
        *error = reader.error();
        return false;
    }
    *system = std::move(result);
    return true;
}

} // namespace sfpsim
