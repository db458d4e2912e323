// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "endpoint.h"

namespace sfp {

QString endpointText(const QHostAddress &address, quint16 port)
{
    QString host = address.toString();
    if (address.protocol() == QAbstractSocket::IPv6Protocol)
        host = QStringLiteral("[%1]").arg(host);
    // Every address of both kinds; the toolkit writes it as IPv4's.
    else if (address.protocol() == QAbstractSocket::AnyIPProtocol)
        host = QStringLiteral("[::]");
    return QStringLiteral("%1:%2").arg(host).arg(port);
}

} // namespace sfp
