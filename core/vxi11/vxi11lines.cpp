// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A link's messages: the lines its device_write calls carry, run in order,
// and a line that the handler holds half run (an *OPC? while the card
// scans), with the lines of the same message behind it.
#include "scpiserver.h"
#include "vxi11serverdetail.h"

#include <QTimer>

#include <algorithm>
#include <utility>

namespace sfp {

void Vxi11Server::takeMessage(Link &link, const QByteArray &data, bool end)
{
    // Lines end at a line feed, and the message at the END flag.
    const qsizetype size = data.size();
    qsizetype from = 0;
    while (from <= size) {
        const qsizetype lineEnd = data.indexOf('\n', from);
        const bool last = lineEnd < 0;
        const qsizetype stop = last ? size : lineEnd;
        if (!link.discarding)
            link.input.append(data.constData() + from, stop - from);
        if (!link.discarding && link.input.size() > ScpiServer::maxLineLength + 1) {
            link.input.clear();
            link.discarding = true;
            link.lines.push_back({QByteArray(), true});
        }
        if (last && !end)
            break;
        if (link.discarding)
            link.discarding = false;
        else if (link.input.endsWith('\r'))
            link.input.chop(1);
        // An empty line asks for nothing, and interrupts nothing.
        if (!link.input.isEmpty())
            link.lines.push_back({std::exchange(link.input, QByteArray()), false});
        if (last)
            break;
        from = lineEnd + 1;
    }
}

void Vxi11Server::runLines(Link &link)
{
    while (!link.held && !link.lines.empty()) {
        const Link::Line line = std::move(link.lines.front());
        link.lines.pop_front();
        if (line.tooLong) {
            m_handler->lineTooLong(link.client);
            continue;
        }
        // A message while a response is unread: the response goes.
        if (!link.response.isEmpty()) {
            link.response.clear();
            m_handler->queryInterrupted(link.client);
        }
        QByteArray response = m_handler->execute(link.client, line.text);
        if (m_handler->isHeld(link.client)) {
            link.held = true;
            link.heldResponse = std::move(response);
        } else {
            link.response = std::move(response);
        }
    }
    // The handler may not say when the line ends: it is asked now and then.
    if (link.held && !m_retry->isActive())
        m_retry->start();
}

bool Vxi11Server::stillHeld(Link &link)
{
    // The rest of the line may change the card, as any line.
    if (!link.held || !m_handler->isReady() || m_handler->isHeld(link.client))
        return link.held;
    link.heldResponse += m_handler->resume(link.client);
    // The rest of the line may have to wait in turn; the response comes
    // whole, once.
    if (m_handler->isHeld(link.client))
        return true;
    link.held = false;
    link.response = std::exchange(link.heldResponse, QByteArray());
    runLines(link);
    return link.held;
}

bool Vxi11Server::anyHeld() const
{
    return std::any_of(m_links.begin(), m_links.end(),
                       [](const std::unique_ptr<Link> &link) { return link->held; });
}

void Vxi11Server::clearMessage(Link &link)
{
    link.input.clear();
    link.discarding = false;
    link.response.clear();
    link.lines.clear();
    m_handler->clearErrors(link.client);
    // The handler lets a held line go when the client's queue is cleared;
    // whatever it would have answered is no longer asked for.
    if (link.held && !m_handler->isHeld(link.client)) {
        link.held = false;
        link.heldResponse.clear();
    }
}

void Vxi11Server::resumeHeld()
{
    // Told while a call or a retry runs (by a line that runs in it): the
    // retry follows right after it.
    if (m_inService || m_inRetry) {
        QTimer::singleShot(0, this, &Vxi11Server::retryParked);
        return;
    }
    retryParked();
}

} // namespace sfp
