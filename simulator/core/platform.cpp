// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "platform.h"

#include "default_system.h"
#include "descriptor.h"
#include "instruments.h"
#include "trace.h"

#include "visa.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace sfpsim {

namespace {

constexpr ViStatus warnNullObject = static_cast<ViStatus>(0x3FFF0082L);

// Copies a text into a caller's buffer of VISA's fixed length, cut to fit.
void copyText(const std::string &text, char *buffer, size_t size)
{
    const size_t length = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

System loadInitialSystem()
{
    System system;
    std::string error;
    const char *path = std::getenv("SFP_SIM_CONFIG");
    if (!path || !*path) {
        if (!parseSystem(defaultSystemText, &system, &error))
            std::fprintf(stderr, "sfpsim: built-in default system: %s\n", error.c_str());
        return system;
    }
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    if (!file || !(text << file.rdbuf())) {
        std::fprintf(stderr,
                     "sfpsim: %s: cannot read the system description: %s; "
                     "the platform has no resources\n",
                     path, std::strerror(errno));
        return system;
    }
    if (!parseSystem(text.str(), &system, &error))
        std::fprintf(stderr, "sfpsim: %s: %s; the platform has no resources\n", path,
                     error.c_str());
    return system;
}

} // namespace

// Built on first use and never destroyed: a scan worker may still sleep in
// open() while the process exits, and wakes to find its platform gone.
Platform &Platform::instance()
{
    static auto *platform = new Platform;
    return *platform;
}

Platform::Platform()
    : m_system(loadInitialSystem())
{
    openTraceFileFromEnvironment();
}

void Platform::setSystem(System system)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_system = std::move(system);
    m_sessions.clear();
    m_injected.clear();
}

Platform::Session *Platform::sessionLocked(ViObject object)
{
    const auto it = m_sessions.find(object);
    return it == m_sessions.end() ? nullptr : &it->second;
}

ViSession Platform::addSessionLocked(const Session &session)
{
    while (m_nextHandle == VI_NULL || m_sessions.count(m_nextHandle))
        ++m_nextHandle;
    const ViSession handle = m_nextHandle++;
    m_sessions.emplace(handle, session);
    return handle;
}

int Platform::resourceOfDescriptorLocked(const char *descriptor) const
{
    if (!descriptor)
        return -1;
    const auto parsed = parseDescriptor(descriptor);
    if (!parsed)
        return -1;
    const std::string canonical = canonicalDescriptor(*parsed);
    for (size_t i = 0; i < m_system.resources.size(); ++i) {
        if (m_system.resources[i].canonical == canonical)
            return static_cast<int>(i);
    }
    return -1;
}

int Platform::resourceOfDescriptor(const char *descriptor)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return resourceOfDescriptorLocked(descriptor);
}

int Platform::resourceOfSession(ViSession session)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Session *s = sessionLocked(session);
    return s ? s->resource : -1;
}

ViStatus Platform::openDefaultRM(ViSession *rm)
{
    if (!rm)
        return VI_ERROR_USER_BUF;
    std::lock_guard<std::mutex> lock(m_mutex);
    *rm = addSessionLocked(Session());
    return VI_SUCCESS;
}

ViStatus Platform::findResources(ViSession rm, const char *expression, ViFindList *list,
                                 ViUInt32 *count, char *descriptor)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (list)
        *list = VI_NULL;
    if (count)
        *count = 0;
    const Session *manager = sessionLocked(rm);
    if (!manager || manager->kind != Kind::ResourceManager)
        return VI_ERROR_INV_OBJECT;
    if (!expression)
        return VI_ERROR_INV_EXPR;

    Session found;
    found.kind = Kind::FindList;
    found.parent = rm;
    for (const Resource &resource : m_system.resources) {
        const auto match = matchesExpression(expression, resource.descriptor);
        if (!match)
            return VI_ERROR_INV_EXPR;
        if (*match)
            found.found.push_back(resource.descriptor);
    }
    if (found.found.empty())
        return VI_ERROR_RSRC_NFOUND;

    if (count)
        *count = static_cast<ViUInt32>(found.found.size());
    if (descriptor)
        copyText(found.found[0], descriptor, VI_FIND_BUFLEN);
    found.next = 1;
    // Without a place for the list, VISA closes it at once.
    if (list)
        *list = addSessionLocked(found);
    return VI_SUCCESS;
}

ViStatus Platform::findNext(ViFindList list, char *descriptor)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Session *found = sessionLocked(list);
    if (!found || found->kind != Kind::FindList)
        return VI_ERROR_INV_OBJECT;
    if (found->next >= found->found.size())
        return VI_ERROR_RSRC_NFOUND;
    if (!descriptor)
        return VI_ERROR_USER_BUF;
    copyText(found->found[found->next++], descriptor, VI_FIND_BUFLEN);
    return VI_SUCCESS;
}

ViStatus Platform::open(ViSession rm, const char *descriptor, ViSession *session)
{
    int openTimeMs = 0;
    int resource = -1;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (session)
            *session = VI_NULL;
        const Session *manager = sessionLocked(rm);
        if (!manager || manager->kind != Kind::ResourceManager)
            return VI_ERROR_INV_OBJECT;
        if (!descriptor || !parseDescriptor(descriptor))
            return VI_ERROR_INV_RSRC_NAME;
        resource = resourceOfDescriptorLocked(descriptor);
        if (resource < 0)
            return VI_ERROR_RSRC_NFOUND;
        if (!session)
            return VI_ERROR_USER_BUF;
        openTimeMs = m_system.resources[static_cast<size_t>(resource)].openTimeMs;
    }

    // Reaching an instrument takes its time, without holding up other sessions.
    if (openTimeMs > 0) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_peakOpening = std::max(m_peakOpening, ++m_opening);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(openTimeMs));
        std::lock_guard<std::mutex> lock(m_mutex);
        --m_opening;
    }

    std::lock_guard<std::mutex> lock(m_mutex);
    const Session *manager = sessionLocked(rm);
    if (!manager || manager->kind != Kind::ResourceManager)
        return VI_ERROR_INV_OBJECT; // closed meanwhile
    if (static_cast<size_t>(resource) >= m_system.resources.size())
        return VI_ERROR_RSRC_NFOUND; // the system was replaced meanwhile
    Session instrument;
    instrument.kind = Kind::Instrument;
    instrument.parent = rm;
    instrument.resource = resource;
    *session = addSessionLocked(instrument);
    return VI_SUCCESS;
}

void Platform::closeLocked(ViObject object)
{
    const auto it = m_sessions.find(object);
    if (it == m_sessions.end())
        return;
    const bool manager = it->second.kind == Kind::ResourceManager;
    m_sessions.erase(it);
    if (!manager)
        return;
    // Closing a resource manager closes everything opened through it.
    for (auto child = m_sessions.begin(); child != m_sessions.end();) {
        if (child->second.parent == object)
            child = m_sessions.erase(child);
        else
            ++child;
    }
}

ViStatus Platform::close(ViObject object)
{
    if (object == VI_NULL)
        return warnNullObject;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!sessionLocked(object))
        return VI_ERROR_INV_OBJECT;
    closeLocked(object);
    return VI_SUCCESS;
}

ViStatus Platform::getAttribute(ViObject object, ViAttr attribute, void *value)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const Session *session = sessionLocked(object);
    if (!session)
        return VI_ERROR_INV_OBJECT;
    if (!value)
        return VI_ERROR_USER_BUF;
    // What a resource manager tells of the VISA implementation.
    if (session->kind == Kind::ResourceManager && attribute == VI_ATTR_RSRC_MANF_NAME) {
        copyText("Orbelan simulated VISA", static_cast<char *>(value), 256);
        return VI_SUCCESS;
    }
    if (session->kind == Kind::ResourceManager && attribute == VI_ATTR_RSRC_IMPL_VERSION) {
        *static_cast<ViVersion *>(value) = 0x00100000; // 1.0.0
        return VI_SUCCESS;
    }
    if (session->kind != Kind::Instrument)
        return VI_ERROR_NSUP_ATTR;

    const Resource &resource = m_system.resources[static_cast<size_t>(session->resource)];
    const bool tcpip = resource.interfaceType == VI_INTF_TCPIP;
    switch (attribute) {
    case VI_ATTR_INTF_TYPE:
        *static_cast<ViUInt16 *>(value) = resource.interfaceType;
        return VI_SUCCESS;
    case VI_ATTR_INTF_NUM:
        *static_cast<ViUInt16 *>(value)
            = static_cast<ViUInt16>(parseDescriptor(resource.descriptor)->board);
        return VI_SUCCESS;
    case VI_ATTR_RSRC_NAME:
        copyText(resource.descriptor, static_cast<char *>(value), VI_FIND_BUFLEN);
        return VI_SUCCESS;
    case VI_ATTR_SLOT:
        if (!resource.hasSlot)
            return VI_ERROR_NSUP_ATTR;
        *static_cast<ViInt16 *>(value) = resource.slot;
        return VI_SUCCESS;
    case VI_ATTR_TCPIP_ADDR:
        if (!tcpip)
            return VI_ERROR_NSUP_ATTR;
        copyText(resource.address, static_cast<char *>(value), 256);
        return VI_SUCCESS;
    case VI_ATTR_TCPIP_HOSTNAME:
        if (!tcpip || !resource.hasHostname)
            return VI_ERROR_NSUP_ATTR;
        copyText(resource.hostname, static_cast<char *>(value), 256);
        return VI_SUCCESS;
    case VI_ATTR_TCPIP_DEVICE_NAME:
        if (!tcpip)
            return VI_ERROR_NSUP_ATTR;
        copyText(resource.deviceName, static_cast<char *>(value), 256);
        return VI_SUCCESS;
    default:
        return VI_ERROR_NSUP_ATTR;
    }
}

ViStatus Platform::write(ViSession session, const ViByte *data, ViUInt32 count, ViUInt32 *written)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (written)
        *written = 0;
    Session *s = sessionLocked(session);
    if (!s)
        return VI_ERROR_INV_OBJECT;
    if (s->kind != Kind::Instrument)
        return VI_ERROR_NSUP_OPER;
    if (!data && count > 0)
        return VI_ERROR_USER_BUF;
    std::string command(reinterpret_cast<const char *>(data), count);
    while (!command.empty() && (command.back() == '\n' || command.back() == '\r'))
        command.pop_back();

    const Resource &resource = m_system.resources[static_cast<size_t>(s->resource)];
    // Where no motherboard sits behind the resource, nothing will answer.
    s->output.clear();
    if (resource.motherboard >= 0)
        s->output = handleMotherboardCommand(
            m_system.motherboards[static_cast<size_t>(resource.motherboard)], command);
    if (written)
        *written = count;
    return VI_SUCCESS;
}

ViStatus Platform::read(ViSession session, ViByte *data, ViUInt32 count, ViUInt32 *received)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (received)
        *received = 0;
    Session *s = sessionLocked(session);
    if (!s)
        return VI_ERROR_INV_OBJECT;
    if (s->kind != Kind::Instrument)
        return VI_ERROR_NSUP_OPER;
    if (!data)
        return VI_ERROR_USER_BUF;
    if (s->output.empty())
        return VI_ERROR_TMO;
    const size_t length = std::min<size_t>(count, s->output.size());
    std::copy_n(s->output.data(), length, data);
    s->output.erase(0, length);
    if (received)
        *received = static_cast<ViUInt32>(length);
    return s->output.empty() ? VI_SUCCESS : VI_SUCCESS_MAX_CNT;
}

bool Platform::takeFault(const std::string &operation, int resource, bool hasAttribute,
                         ViUInt32 attribute, ViStatus *status)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    bool taken = false;
    // Every matching rule counts the call towards its "after"; the first rule
    // that is due decides the status.
    auto consider = [&](std::vector<FaultRule> &rules) {
        for (auto it = rules.begin(); it != rules.end();) {
            FaultRule &rule = *it;
            const bool matches = rule.operation == operation
                && (!rule.hasAttribute || (hasAttribute && rule.attribute == attribute));
            if (matches && rule.after > 0) {
                --rule.after;
            } else if (matches && !taken) {
                taken = true;
                *status = rule.status;
                if (rule.count > 0 && --rule.count == 0) {
                    it = rules.erase(it);
                    continue;
                }
            }
            ++it;
        }
    };
    consider(m_injected);
    if (resource >= 0 && static_cast<size_t>(resource) < m_system.resources.size())
        consider(m_system.resources[static_cast<size_t>(resource)].faults);
    consider(m_system.faults);
    return taken;
}

void Platform::addFault(const FaultRule &rule)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_injected.push_back(rule);
}

void Platform::clearFaults()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_injected.clear();
    m_system.faults.clear();
    for (Resource &resource : m_system.resources)
        resource.faults.clear();
}

bool Platform::cardState(const std::string &descriptor, int position, Card *card)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const int resource = resourceOfDescriptorLocked(descriptor.c_str());
    if (resource < 0)
        return false;
    const int board = m_system.resources[static_cast<size_t>(resource)].motherboard;
    if (board < 0)
        return false;
    const Motherboard &mb = m_system.motherboards[static_cast<size_t>(board)];
    if (position < 1 || position > mb.positions
        || mb.cards[static_cast<size_t>(position)].rawCode == 0)
        return false;
    *card = mb.cards[static_cast<size_t>(position)];
    return true;
}

int Platform::openSessionCount()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_sessions.size());
}

int Platform::peakOpensInProgress()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_peakOpening;
}

void Platform::resetPeakOpensInProgress()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_peakOpening = m_opening;
}

int resourceOfDescriptor(const char *descriptor)
{
    return Platform::instance().resourceOfDescriptor(descriptor);
}

int resourceOfSession(ViSession session)
{
    return Platform::instance().resourceOfSession(session);
}

} // namespace sfpsim
