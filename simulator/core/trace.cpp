// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "trace.h"

#include "platform.h"
#include "simcore.h"

#include "visa.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <mutex>
#include <unistd.h>

namespace sfpsim {

namespace {

std::mutex traceMutex;
int traceFd = -1;

// Built on first use and never destroyed: a call from a thread that still
// runs while the process exits is traced instead of writing into the
// remains of a destroyed list.
std::vector<std::string> &memoryTrace()
{
    static auto *lines = new std::vector<std::string>;
    return *lines;
}

// Lines are kept in memory only for a process that reads them back (a
// test, through the control interface, which the program never uses): a
// panel left switching for weeks would otherwise hold every line it ever
// traced. Guarded by traceMutex.
bool keepInMemory = false;

// Calls nest when a stand-in uses another one (the driver's VISA traffic);
// only the outermost call of a thread is traced, and the changes that the
// instruments applied during it follow its line.
thread_local int callDepth = 0;
thread_local std::vector<std::string> deferredEvents;

} // namespace

void openTraceFileFromEnvironment()
{
    static std::once_flag once;
    std::call_once(once, [] {
        const char *path = std::getenv("SFP_SIM_TRACE");
        if (!path || !*path)
            return;
        traceFd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (traceFd < 0)
            std::fprintf(stderr, "sfpsim: %s: cannot open the trace file: %s\n", path,
                         std::strerror(errno));
    });
}

bool traceWanted()
{
    std::lock_guard<std::mutex> lock(traceMutex);
    return keepInMemory || traceFd >= 0;
}

void writeTraceLines(std::vector<std::string> lines)
{
    std::string block;
    std::lock_guard<std::mutex> lock(traceMutex);
    if (traceFd >= 0) {
        for (const std::string &line : lines) {
            block += line;
            block += '\n';
        }
    }
    if (keepInMemory) {
        std::vector<std::string> &trace = memoryTrace();
        trace.insert(trace.end(), std::make_move_iterator(lines.begin()),
                     std::make_move_iterator(lines.end()));
    }
    if (traceFd < 0)
        return;
    // One write per call with O_APPEND keeps lines whole, also between
    // processes that share the file.
    const char *data = block.data();
    size_t left = block.size();
    while (left > 0) {
        const ssize_t written = ::write(traceFd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            break;
        data += written;
        left -= static_cast<size_t>(written);
    }
}

std::vector<std::string> traceSnapshot()
{
    std::lock_guard<std::mutex> lock(traceMutex);
    keepInMemory = true;
    return memoryTrace();
}

void clearTraceMemory()
{
    std::lock_guard<std::mutex> lock(traceMutex);
    keepInMemory = true;
    memoryTrace().clear();
}

void traceEvent(std::string line)
{
    if (callDepth > 0)
        deferredEvents.push_back(std::move(line));
    else
        writeTraceLines({std::move(line)});
}

Args::Args()
    // The arguments of a call made inside another are never traced: only
    // the outermost call of a thread has a line.
    : m_traced(callDepth == 0)
{ }

void Args::separate()
{
    if (!m_text.empty())
        m_text += ", ";
}

Args &Args::operator<<(long long value)
{
    if (!m_traced)
        return *this;
    separate();
    m_text += std::to_string(value);
    return *this;
}

Args &Args::addUnsigned(unsigned long long value)
{
    if (!m_traced)
        return *this;
    separate();
    m_text += std::to_string(value);
    return *this;
}

Args &Args::operator<<(const char *text)
{
    if (!m_traced)
        return *this;
    separate();
    if (!text) {
        m_text += "NULL";
        return *this;
    }
    return appendQuoted(text, std::strlen(text));
}

Args &Args::addBytes(const void *data, size_t length)
{
    if (!m_traced)
        return *this;
    separate();
    if (!data) {
        m_text += "NULL";
        return *this;
    }
    return appendQuoted(data, length);
}

Args &Args::appendQuoted(const void *data, size_t length)
{
    m_text += '"';
    const auto *bytes = static_cast<const unsigned char *>(data);
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = bytes[i];
        switch (c) {
        case '"':
            m_text += "\\\"";
            break;
        case '\\':
            m_text += "\\\\";
            break;
        case '\n':
            m_text += "\\n";
            break;
        case '\r':
            m_text += "\\r";
            break;
        case '\t':
            m_text += "\\t";
            break;
        default:
            if (c < 0x20 || c >= 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\%03o", c);
                m_text += escaped;
            } else {
                m_text += static_cast<char>(c);
            }
        }
    }
    m_text += '"';
    return *this;
}

namespace {

ViStatus run(const char *operation, int resource, bool hasAttribute, ViUInt32 attribute,
             const Args &args, const std::function<ViStatus()> &body)
{
    if (callDepth > 0) {
        ++callDepth;
        const ViStatus status = body();
        --callDepth;
        return status;
    }

    Platform &platform = Platform::instance();
    ViStatus injected = VI_SUCCESS;
    const bool faulty = platform.takeFault(operation, resource, hasAttribute, attribute, &injected);

    ++callDepth;
    ViStatus status = injected;
    if (!faulty || injected > 0) {
        status = body();
        if (faulty && status >= 0)
            status = injected;
    }
    --callDepth;

    // Nobody reads the trace (no file, no test asking for it back): the
    // line and what the instruments applied are not even written down.
    if (!traceWanted()) {
        deferredEvents.clear();
        return status;
    }
    std::string line;
    line.reserve(std::strlen(operation) + args.text().size() + 24);
    line += operation;
    line += '(';
    line += args.text();
    line += ") = ";
    line += std::to_string(status);
    std::vector<std::string> lines;
    lines.reserve(deferredEvents.size() + 1);
    lines.push_back(std::move(line));
    lines.insert(lines.end(), std::make_move_iterator(deferredEvents.begin()),
                 std::make_move_iterator(deferredEvents.end()));
    deferredEvents.clear();
    writeTraceLines(std::move(lines));
    return status;
}

} // namespace

ViStatus runCall(const char *operation, int resource, const Args &args,
                 const std::function<ViStatus()> &body)
{
    return run(operation, resource, false, 0, args, body);
}

ViStatus runAttributeCall(const char *operation, int resource, ViUInt32 attribute, const Args &args,
                          const std::function<ViStatus()> &body)
{
    return run(operation, resource, true, attribute, args, body);
}

} // namespace sfpsim
