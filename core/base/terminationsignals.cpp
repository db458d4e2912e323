// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "terminationsignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

namespace {

int signalSockets[2] = {-1, -1};
struct sigaction previousTerm
{ };
struct sigaction previousInt
{ };
struct sigaction previousHup
{ };

void onSignal(int number)
{
    const unsigned char byte = static_cast<unsigned char>(number);
    // Nothing to do when the socket is full: a request is pending already.
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
}

} // namespace

namespace sfp {

TerminationSignals::TerminationSignals(QObject *parent, HangUp hangUp)
    : QObject(parent)
{
    if (signalSockets[0] >= 0
        || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSockets) != 0)
        return;
    m_notifier = new QSocketNotifier(qintptr(signalSockets[1]), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::takeSignal);
    struct sigaction action
    { };
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, &previousTerm);
    ::sigaction(SIGINT, &action, &previousInt);
    if (hangUp == HangUp::Taken) {
        ::sigaction(SIGHUP, &action, &previousHup);
        m_hangUpTaken = true;
    }
}

TerminationSignals::~TerminationSignals()
{
    if (m_notifier == nullptr)
        return;
    ::sigaction(SIGTERM, &previousTerm, nullptr);
    ::sigaction(SIGINT, &previousInt, nullptr);
    if (m_hangUpTaken)
        ::sigaction(SIGHUP, &previousHup, nullptr);
    delete m_notifier;
    ::close(signalSockets[0]);
    ::close(signalSockets[1]);
    signalSockets[0] = signalSockets[1] = -1;
}

void TerminationSignals::takeSignal()
{
    unsigned char byte = 0;
    if (::read(signalSockets[1], &byte, 1) != 1)
        return;
    if (byte == SIGHUP) {
        emit hangUp();
        return;
    }
    m_caught = byte;
    // Every event loop ends, a modal box's too.
    QCoreApplication::exit(0);
}

} // namespace sfp
