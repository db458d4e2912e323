// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "sim_control.h"

#include "default_system.h"
#include "platform.h"
#include "simcore.h"
#include "system.h"
#include "trace.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace sfpsim {

namespace {

bool install(const std::string &json, const std::string &origin, std::string *error)
{
    System system;
    std::string problem;
    const bool ok = parseSystem(json, &system, &problem);
    if (!ok) {
        const std::string line
            = "sfpsim: " + origin + ": " + problem + "; the platform has no resources";
        std::fprintf(stderr, "%s\n", line.c_str());
        if (error)
            *error = line;
    }
    Platform::instance().setSystem(std::move(system));
    clearTraceMemory();
    return ok;
}

} // namespace

bool loadDescription(const std::string &json, std::string *error)
{
    return install(json, "description", error);
}

bool loadDescriptionFile(const std::string &path, std::string *error)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    if (!file || !(text << file.rdbuf())) {
        const std::string line = "sfpsim: " + path
            + ": cannot read the system description; the platform has no resources";
        std::fprintf(stderr, "%s\n", line.c_str());
        if (error)
            *error = line;
        Platform::instance().setSystem(System());
        clearTraceMemory();
        return false;
    }
    return install(text.str(), path, error);
}

void loadDefaultSystem()
{
    install(defaultSystemText, "built-in default system", nullptr);
}

std::string defaultSystemJson()
{
    return defaultSystemText;
}

void injectFault(const std::string &operation, ViStatus status, int count)
{
    FaultRule rule;
    rule.operation = operation;
    rule.status = status;
    rule.count = count;
    Platform::instance().addFault(rule);
}

void clearFaults()
{
    Platform::instance().clearFaults();
}

bool cardState(const std::string &descriptor, int position, CardState *state)
{
    Card card;
    if (!Platform::instance().cardState(descriptor, position, &card))
        return false;
    state->rawCode = card.rawCode;
    state->mode = card.mode;
    state->applied = card.applied;
    state->commanded = card.commanded;
    state->pending = card.pending;
    return true;
}

std::vector<std::string> traceLines()
{
    Platform::instance(); // the trace starts with the platform
    return traceSnapshot();
}

void clearTrace()
{
    clearTraceMemory();
}

int openSessionCount()
{
    return Platform::instance().openSessionCount();
}

int peakOpensInProgress()
{
    return Platform::instance().peakOpensInProgress();
}

void resetPeakOpensInProgress()
{
    Platform::instance().resetPeakOpensInProgress();
}

} // namespace sfpsim
