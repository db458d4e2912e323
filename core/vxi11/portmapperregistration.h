// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A registration with the system's port mapper (rpcbind), made and
// withdrawn on a thread of its own: the library's client waits up to a
// minute for a port mapper that takes calls and never answers, and the
// panel must not freeze meanwhile, nor take that long to end.
#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>

namespace sfp {

class PortMapperRegistration final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PortMapperRegistration)

public:
    // How long the end waits for the port mapper: for a registration still
    // under way, then for its withdrawal.
    static constexpr std::chrono::seconds endWait {3};

    explicit PortMapperRegistration(QObject *parent = nullptr);
    // Withdraws the registration, if it was made.
    ~PortMapperRegistration() override;

    // Registers the program's version on the TCP port; finished() tells
    // how it went. Once only.
    void start(quint32 program, quint32 version, quint16 port);
    bool isRegistered() const;

signals:
    // Empty when registered, else why not.
    void finished(const QString &why);

private:
    struct State;
    std::shared_ptr<State> m_state;
};

} // namespace sfp
