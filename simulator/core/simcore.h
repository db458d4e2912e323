// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// Internal interface of the simulated platform, shared by the three stand-in
// libraries. Not part of the program's view of the platform.
#pragma once

#include "visatype.h"

#include <functional>
#include <string>

#define SFPSIM_EXPORT __attribute__((visibility("default")))

namespace sfpsim {

// Formats the arguments of a trace line: integers in decimal, strings in
// double quotes with C escapes, null strings as NULL.
class SFPSIM_EXPORT Args
{
public:
    Args();
    Args &operator<<(long long value);
    Args &operator<<(const char *text);
    Args &operator<<(const std::string &text) { return *this << text.c_str(); }
    Args &addUnsigned(unsigned long long value);
    // Bytes written to an instrument: shown as a quoted string of `length` bytes.
    Args &addBytes(const void *data, size_t length);
    const std::string &text() const { return m_text; }

private:
    void separate();
    Args &appendQuoted(const void *data, size_t length);
    std::string m_text;
    bool m_traced;
};

// Runs one call of a stand-in operation. Only the outermost call on a thread
// is traced and can be hit by an injected fault: the driver's and the common
// library's own VISA traffic is an inner detail, as it is with real vendor
// libraries. `resource` is the index of the resource the call concerns, or
// -1; a resource's own fault rules apply only to calls concerning it.
// A negative injected status replaces the call; a positive one is returned
// after the call did its work, unless the call itself failed.
SFPSIM_EXPORT ViStatus runCall(const char *operation, int resource, const Args &args,
                               const std::function<ViStatus()> &body);
// As runCall, but for an operation whose fault rules may name an attribute.
SFPSIM_EXPORT ViStatus runAttributeCall(const char *operation, int resource, ViUInt32 attribute,
                                        const Args &args, const std::function<ViStatus()> &body);

// A change that a simulated instrument applied; written after the line of the
// call that caused it.
void traceEvent(std::string line);
// Whether anyone reads the trace: a trace file, or a process that reads it
// back. Without one, a stand-in need not describe what it did.
bool traceWanted();

// Index of the resource that `descriptor` names, or -1.
SFPSIM_EXPORT int resourceOfDescriptor(const char *descriptor);
// Index of the resource an open instrument session belongs to, or -1.
SFPSIM_EXPORT int resourceOfSession(ViSession session);

// Text of a status code known to the platform's libraries, or null.
// `ownPrefix` selects which library's own codes are known ("qx5170" or
// "qx2010"); standard VISA and instrument driver codes are always known.
SFPSIM_EXPORT const char *statusText(ViStatus status, const char *ownPrefix);

} // namespace sfpsim
