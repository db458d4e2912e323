// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// *OPC? round trips through VXI-11, with the system's RPC client (libtirpc)
// as VXI-11 clients make them: a device_write, then a device_read.
#pragma once

#include <QtGlobal>

#include <string>
#include <vector>

class Vxi11RoundTrips
{
public:
    Vxi11RoundTrips() = default;
    ~Vxi11RoundTrips();
    Vxi11RoundTrips(const Vxi11RoundTrips &) = delete;
    Vxi11RoundTrips &operator=(const Vxi11RoundTrips &) = delete;
    Vxi11RoundTrips(Vxi11RoundTrips &&) = delete;
    Vxi11RoundTrips &operator=(Vxi11RoundTrips &&) = delete;

    // Connects to the core channel on the loopback and makes a link.
    bool open(quint16 port, std::string *error);
    // The abort channel's port, as the link's reply names it.
    quint16 abortPort() const { return m_abortPort; }
    // One *OPC? and its "1"; the time it took, in microseconds.
    bool roundTrip(double *micros, std::string *error);

private:
    void *m_client = nullptr; // CLIENT *
    long m_link = 0;
    quint16 m_abortPort = 0;
};
