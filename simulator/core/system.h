// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The simulated system: resources, motherboards, cards and fault rules, as a
// system description gives them.
#pragma once

#include "visatype.h"

#include <array>
#include <string>
#include <vector>

namespace sfpsim {

constexpr int maxPositions = 8;
constexpr int relayCount = 32;

struct FaultRule
{
    std::string operation;
    ViStatus status = 0;
    int count = 1; // -1: every call
    int after = 0; // calls that pass before the rule takes effect
    bool hasAttribute = false;
    ViUInt32 attribute = 0; // only for viGetAttribute
};

// One position of a motherboard. A relay card keeps its relay and mode state
// here; any other card model only answers its identity.
struct Card
{
    ViUInt16 rawCode = 0; // 0: empty position
    ViUInt16 variantWord = 0; // word at offset 252
    int mode = 1;
    std::array<bool, relayCount> applied {};
    std::array<bool, relayCount> commanded {};
    std::array<bool, relayCount> pending {};
};

struct Motherboard
{
    ViUInt16 rawCode = 0;
    int positions = 0;
    std::array<Card, maxPositions + 1> cards {}; // index = position, 0 unused
    std::string ownerDescriptor; // the resource that names the box in the trace
};

struct Resource
{
    std::string descriptor; // as viFindRsrc reports it
    std::string canonical; // as descriptors are matched
    ViUInt16 interfaceType = 0;
    bool hasSlot = false;
    ViInt16 slot = 0;
    std::string address; // TCP/IP only
    bool hasHostname = false;
    std::string hostname;
    std::string deviceName;
    int openTimeMs = 0;
    int motherboard = -1; // index into System::motherboards, -1: none answers
    std::vector<FaultRule> faults;
};

struct System
{
    std::vector<Resource> resources;
    std::vector<Motherboard> motherboards;
    std::vector<FaultRule> faults; // for calls on any resource
};

// Reads a system description. On error returns false and puts into *error
// where in the description the problem is and what it is; *system is then
// empty.
bool parseSystem(const std::string &text, System *system, std::string *error);

// The operations a fault rule can name.
bool isKnownOperation(const std::string &operation);

} // namespace sfpsim
