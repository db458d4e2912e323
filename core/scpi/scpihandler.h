// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The other side of the SCPI server: what runs the lines its clients send.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

namespace sfp {

// What the server hands its lines to. Clients are told apart by a number
// that the server never gives twice.
class ScpiHandler
{
public:
    virtual ~ScpiHandler();

    // False while no line may run; the lines wait, in order, until the
    // server is told to resume().
    virtual bool isReady() const = 0;
    virtual void clientJoined(quint64 client) = 0;
    // After the client's last line has run.
    virtual void clientLeft(quint64 client) = 0;
    // Runs one line (without its line end) and returns the response message
    // to send, with its line end, or nothing.
    virtual QByteArray execute(quint64 client, QByteArrayView line) = 0;
    // Whether the client's latest line waits half run (an *OPC? while the
    // card scans): nothing of its response is sent and none of the client's
    // next lines runs while it is.
    virtual bool isHeld(quint64 /*client*/) const { return false; }
    // Called once a line that was held is no longer: runs the rest of it
    // and gives its response message as execute() does (the rest may hold
    // the line again).
    virtual QByteArray resume(quint64 /*client*/) { return {}; }
    // A line longer than the limit was dropped, in its place among the
    // client's lines.
    virtual void lineTooLong(quint64 client) = 0;
    // Clients the same card has elsewhere (links of the VXI-11 server),
    // counted in the server's limit.
    virtual int clientsElsewhere() const { return 0; }
};

} // namespace sfp
