// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "vxi11roundtrips.h"

#include "vxi11.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <chrono>

namespace {

template<typename Routine>
xdrproc_t coder(Routine routine)
{
    return reinterpret_cast<xdrproc_t>(reinterpret_cast<void (*)()>(routine));
}

constexpr timeval callTimeout {30, 0};

} // namespace

Vxi11RoundTrips::~Vxi11RoundTrips()
{
    if (m_client != nullptr)
        clnt_destroy(static_cast<CLIENT *>(m_client));
}

bool Vxi11RoundTrips::open(quint16 port, std::string *error)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    int socket = RPC_ANYSOCK;
    CLIENT *client = clnttcp_create(&address, DEVICE_CORE, DEVICE_CORE_VERSION, &socket, 0, 0);
    if (client == nullptr) {
        *error = "no connection to the VXI-11 core channel";
        return false;
    }
    m_client = client;
    char device[] = "inst0";
    Create_LinkParms in {};
    in.device = device;
    Create_LinkResp out {};
    if (clnt_call(client, create_link, coder(xdr_Create_LinkParms), reinterpret_cast<char *>(&in),
                  coder(xdr_Create_LinkResp), reinterpret_cast<char *>(&out), callTimeout)
            != RPC_SUCCESS
        || out.error != 0) {
        *error = "the VXI-11 core channel made no link";
        return false;
    }
    m_link = out.lid;
    m_abortPort = quint16(out.abortPort);
    return true;
}

bool Vxi11RoundTrips::roundTrip(double *micros, std::string *error)
{
    auto *client = static_cast<CLIENT *>(m_client);
    char query[] = "*OPC?";
    const auto start = std::chrono::steady_clock::now();
    Device_WriteParms write {};
    write.lid = m_link;
    write.io_timeout = 30000;
    write.flags = 8; // END
    write.data.data_len = sizeof query - 1;
    write.data.data_val = query;
    Device_WriteResp written {};
    if (clnt_call(client, device_write, coder(xdr_Device_WriteParms),
                  reinterpret_cast<char *>(&write), coder(xdr_Device_WriteResp),
                  reinterpret_cast<char *>(&written), callTimeout)
            != RPC_SUCCESS
        || written.error != 0) {
        *error = "device_write failed";
        return false;
    }
    Device_ReadParms read {};
    read.lid = m_link;
    read.requestSize = 1024;
    read.io_timeout = 30000;
    Device_ReadResp answer {};
    const bool ok = clnt_call(client, device_read, coder(xdr_Device_ReadParms),
                              reinterpret_cast<char *>(&read), coder(xdr_Device_ReadResp),
                              reinterpret_cast<char *>(&answer), callTimeout)
            == RPC_SUCCESS
        && answer.error == 0 && answer.data.data_len == 2 && answer.data.data_val[0] == '1';
    xdr_free(coder(xdr_Device_ReadResp), reinterpret_cast<char *>(&answer));
    if (!ok) {
        *error = "device_read gave no \"1\"";
        return false;
    }
    *micros = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                  .count();
    return true;
}
