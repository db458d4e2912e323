// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The socket side of the remote control with a handler of the test's own:
// lines that wait for the handler, a line the handler holds half run, a
// line too long that ends in a later packet, the lines of a client that left before they could run,
// line ends that come in packets of their own, a server at rest; how it looks after its connections
// (keepalive, acknowledgements, small packets), clients that vanish or fall silent, one client too
// many, and the addresses it takes clients on.
#include "accessrules.h"
#include "endpoint.h"
#include "linkednamespaces.h"
#include "scpiserver.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>

namespace {

// Records what the server hands it, one text per event; answers a query
// (a line with '?') with the line itself.
class RecordingHandler final : public sfp::ScpiHandler
{
public:
    bool isReady() const override
    {
        ++readyAsked;
        return ready;
    }
    void clientJoined(quint64 client) override
    {
        events.append(QStringLiteral("joined %1").arg(client));
    }
    void clientLeft(quint64 client) override
    {
        waits.remove(client);
        events.append(QStringLiteral("left %1").arg(client));
    }
    QByteArray execute(quint64 client, QByteArrayView line) override
    {
        const QByteArray text = line.toByteArray();
        events.append(QStringLiteral("%1: %2").arg(client).arg(QString::fromLatin1(text)));
        if (whileRunning)
            whileRunning(text);
        if (holding && text.contains("*OPC?")) {
            const int count = int(text.count("*OPC?"));
            waits.insert(client, count);
            answers.insert(client, QByteArray("1;").repeated(count).chopped(1) + '\n');
            return QByteArray();
        }
        return text.contains('?') ? text + '\n' : QByteArray();
    }
    bool isHeld(quint64 client) const override { return waits.value(client) > 0 && !letGo; }
    QByteArray resume(quint64 client) override
    {
        events.append(QStringLiteral("%1: resumed").arg(client));
        letGo = false;
        if (--waits[client] > 0)
            return QByteArray();
        waits.remove(client);
        return answers.take(client);
    }
    void lineTooLong(quint64 client) override
    {
        events.append(QStringLiteral("%1: too long").arg(client));
    }

    bool ready = true;
    // With holding, each "*OPC?" of a line waits until the test lets it go
    // (letGo), as one waits for a scan of the card; a line of two "*OPC?"
    // answers "1;1" once both are over.
    bool holding = false;
    bool letGo = false;
    QHash<quint64, int> waits;
    QHash<quint64, QByteArray> answers;
    QStringList events;
    // Called while a line runs, as a client that goes on sending would.
    std::function<void(const QByteArray &)> whileRunning;
    // How often the server asked: it asks once a line has come.
    mutable int readyAsked = 0;
};

// An option of the server's end of a connection, or -1.
int tcpOption(const QTcpSocket *socket, int level, int name)
{
    int value = -1;
    socklen_t size = sizeof value;
    if (::getsockopt(int(socket->socketDescriptor()), level, name, &value, &size) != 0)
        return -1;
    return value;
}

// What a client reads until the server closes the connection; "<reset>"
// when it ends in a reset instead, "<open>" when it is still open after
// `timeoutMs`. Read without blocking: the server runs in this thread.
QByteArray readToTheEnd(int socket, int timeoutMs = 5000)
{
    QByteArray received;
    bool ended = false;
    const bool done = QTest::qWaitFor(
        [&] {
            char chunk[256];
            while (true) {
                const ssize_t n = ::recv(socket, chunk, sizeof chunk, MSG_DONTWAIT);
                if (n > 0) {
                    received.append(chunk, n);
                    continue;
                }
                if (n == 0) {
                    ended = true;
                } else if (errno != EAGAIN && errno != EINTR) {
                    received += "<reset>";
                    ended = true;
                }
                return ended;
            }
        },
        timeoutMs);
    return done ? received : received + "<open>";
}

// A plain socket connected to `address`, or -1.
int connectPlain(const QHostAddress &address, quint16 port)
{
    bool ok = false;
    const quint32 ipv4 = address.toIPv4Address(&ok);
    if (!ok)
        return -1;
    const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in peer = {};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr.s_addr = htonl(ipv4);
    if (::connect(socket, reinterpret_cast<const sockaddr *>(&peer), sizeof peer) != 0) {
        ::close(socket);
        return -1;
    }
    return socket;
}

// Counts the turns of the timers that belong to one object.
class TimerTurns final : public QObject
{
public:
    explicit TimerTurns(const QObject *owner)
        : m_owner(owner)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~TimerTurns() override { QCoreApplication::instance()->removeEventFilter(this); }

    int count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Timer && qobject_cast<QTimer *>(watched) != nullptr
            && watched->parent() == m_owner)
            ++count;
        return false;
    }

private:
    const QObject *m_owner;
};

} // namespace

class tst_ScpiServer final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void linesWaitUntilResumed();
    void heldLineKeepsItsClientWaiting_data();
    void heldLineKeepsItsClientWaiting();
    void heldClientIsNotSilent();
    void heldClientThatLeavesIsForgotten();
    void overlongLineEndingInALaterPacket();
    void linesOfAClientThatLeftStillRun();
    void lineEndsInPacketsOfTheirOwn();
    void linesThatComeWhileOneRunsFollowIt();
    void restsOnceTheLinesHaveRun();
    void connectionsAreWatched();
    void readsAreAcknowledgedAtOnce();
    void vanishedClientIsDropped();
    void strangerReadsWhyAndTheEnd();
    void clientThatStopsReadingIsDropped();
    void silentClientIsDropped();
    void clientThatHoardsResponsesIsDropped();
    void fifthClientReadsWhyAndTheEnd();
    void everyAddressTakesBothKinds();

private:
    bool connectClient(QTcpSocket &socket);
    // The server's end of its only client's connection.
    QTcpSocket *serverEnd() const;

    RecordingHandler m_handler;
    std::unique_ptr<sfp::ScpiServer> m_server;
};

void tst_ScpiServer::init()
{
    m_handler = RecordingHandler();
    m_server = std::make_unique<sfp::ScpiServer>(&m_handler);
    QVERIFY(m_server->listen(QHostAddress::LocalHost, 0));
    m_server->start();
}

void tst_ScpiServer::cleanup()
{
    m_server.reset();
}

bool tst_ScpiServer::connectClient(QTcpSocket &socket)
{
    socket.connectToHost(QHostAddress::LocalHost, m_server->port());
    return socket.waitForConnected(5000)
        && QTest::qWaitFor([this] { return m_server->clientCount() == 1; });
}

QTcpSocket *tst_ScpiServer::serverEnd() const
{
    const QList<QTcpSocket *> sockets = m_server->findChildren<QTcpSocket *>();
    return sockets.size() == 1 ? sockets.constFirst() : nullptr;
}

void tst_ScpiServer::linesWaitUntilResumed()
{
    QTcpSocket client;
    QVERIFY(connectClient(client));
    m_handler.ready = false;
    client.write("*RST\r\nROUT:CLOS (@1)\nROUT:CLOS? (@1)\n");
    QVERIFY(client.waitForBytesWritten(5000));
    // The lines arrive and are kept, in order, while the handler is busy.
    QTest::qWait(200);
    QCOMPARE(m_handler.events, QStringList("joined 1"));

    // Resumed, they run at once, before the event loop gets its turn.
    m_handler.ready = true;
    m_server->resume();
    QCOMPARE(m_handler.events,
             QStringList({"joined 1", "1: *RST", "1: ROUT:CLOS (@1)", "1: ROUT:CLOS? (@1)"}));
    QVERIFY(QTest::qWaitFor([&client] { return client.canReadLine(); }));
    QCOMPARE(client.readLine(), QByteArray("ROUT:CLOS? (@1)\n"));
}

void tst_ScpiServer::heldLineKeepsItsClientWaiting_data()
{
    QTest::addColumn<bool>("told");
    QTest::newRow("told by the handler") << true;
    QTest::newRow("found by the server") << false;
}

void tst_ScpiServer::heldLineKeepsItsClientWaiting()
{
    // A line that waits for the card: nothing of its response goes and the
    // client's next line waits behind it, while another client is served.
    // Its end is found by the server or told by the handler; then the
    // response goes whole, and the next line runs after it.
    QFETCH(bool, told);
    m_handler.holding = true;
    QTcpSocket held;
    QVERIFY(connectClient(held));
    QTcpSocket other;
    other.connectToHost(QHostAddress::LocalHost, m_server->port());
    QVERIFY(other.waitForConnected(5000));
    QVERIFY(QTest::qWaitFor([this] { return m_server->clientCount() == 2; }));
    held.write("INIT;*OPC?;*OPC?\n*IDN?\n");
    QVERIFY(QTest::qWaitFor([this] { return m_handler.waits.value(1) == 2; }));
    other.write("ROUT:CLOS? (@1)\n");
    QVERIFY(QTest::qWaitFor([&other] { return other.canReadLine(); }));
    QCOMPARE(other.readLine(), QByteArray("ROUT:CLOS? (@1)\n"));

    // The first wait is over; the line's second one holds it on.
    const auto letGo = [this, told] {
        m_handler.letGo = true;
        if (told)
            m_server->resumeHeld();
    };
    letGo();
    QVERIFY(QTest::qWaitFor([this] { return !m_handler.letGo; }));
    QTest::qWait(100);
    QCOMPARE(held.bytesAvailable(), qint64(0));
    QCOMPARE(m_handler.events,
             QStringList({"joined 1", "joined 2", "1: INIT;*OPC?;*OPC?", "2: ROUT:CLOS? (@1)",
                          "1: resumed"}));

    letGo();
    // Told, the server goes on at once, not at its next look.
    if (told)
        QCOMPARE(m_handler.events.constLast(), QStringLiteral("1: *IDN?"));
    QVERIFY(QTest::qWaitFor([&held] { return held.bytesAvailable() >= 10; }));
    QCOMPARE(held.readAll(), QByteArray("1;1\n*IDN?\n"));
    QCOMPARE(m_handler.events.mid(4), QStringList({"1: resumed", "1: resumed", "1: *IDN?"}));
}

void tst_ScpiServer::heldClientIsNotSilent()
{
    // A client whose line is held waits for the card, longer than the idle
    // timeout; once its response has gone, its silence counts again.
    sfp::ScpiServer::ClientTimeouts timeouts;
    timeouts.idle = std::chrono::milliseconds(1000);
    m_server->setClientTimeouts(timeouts);
    m_handler.holding = true;
    QTcpSocket client;
    QVERIFY(connectClient(client));
    client.write("*OPC?\n");
    QVERIFY(QTest::qWaitFor([this] { return m_handler.waits.contains(1); }));
    QTest::qWait(2500);
    QCOMPARE(client.state(), QAbstractSocket::ConnectedState);

    m_handler.letGo = true;
    QVERIFY(QTest::qWaitFor([&client] { return client.canReadLine(); }));
    QCOMPARE(client.readLine(), QByteArray("1\n"));
    QVERIFY(QTest::qWaitFor(
        [&client] { return client.state() == QAbstractSocket::UnconnectedState; }, 5000));
    QCOMPARE(m_handler.events, QStringList({"joined 1", "1: *OPC?", "1: resumed", "left 1"}));
}

void tst_ScpiServer::heldClientThatLeavesIsForgotten()
{
    // A client that goes while its line is held: the lines behind that line
    // never run, the handler hears it has left (and lets the line go)
    // without its line ending, and nothing of it stays.
    m_handler.holding = true;
    QTcpSocket client;
    QVERIFY(connectClient(client));
    client.write("*OPC?\nROUT:CLOS (@1)\n");
    QVERIFY(QTest::qWaitFor([this] { return m_handler.waits.contains(1); }));
    client.disconnectFromHost();
    QVERIFY(QTest::qWaitFor([this] { return m_handler.events.constLast() == "left 1"; }));
    QCOMPARE(m_handler.events, QStringList({"joined 1", "1: *OPC?", "left 1"}));
    QCOMPARE(m_server->clientCount(), 0);
    QTRY_VERIFY(m_server->findChildren<QTcpSocket *>().isEmpty());
}

void tst_ScpiServer::overlongLineEndingInALaterPacket()
{
    QTcpSocket client;
    QVERIFY(connectClient(client));

    // More than the limit with no line end yet: dropped as soon as it is
    // too long; the rest of it, when its line end comes, is no line.
    client.write(QByteArray(sfp::ScpiServer::maxLineLength + 100, 'x'));
    QVERIFY(client.waitForBytesWritten(5000));
    QVERIFY(QTest::qWaitFor([this] { return m_handler.events.size() == 2; }));
    QCOMPARE(m_handler.events.at(1), QStringLiteral("1: too long"));
    client.write(QByteArray(500, 'y') + "\n*IDN?\n");
    QVERIFY(QTest::qWaitFor([&client] { return client.canReadLine(); }));
    QCOMPARE(client.readLine(), QByteArray("*IDN?\n"));
    QCOMPARE(m_handler.events, QStringList({"joined 1", "1: too long", "1: *IDN?"}));
}

void tst_ScpiServer::linesOfAClientThatLeftStillRun()
{
    QTcpSocket client;
    QVERIFY(connectClient(client));
    m_handler.ready = false;

    // More lines than the server reads ahead of running, then the end of
    // the connection, with the last line incomplete.
    QByteArray lines;
    for (int i = 0; i < 1500; ++i)
        lines += QStringLiteral("ROUT:CLOS (@%1)  ;  *OPC\n")
                     .arg(i, 4, 10, QLatin1Char('0'))
                     .toLatin1();
    client.write(lines + "*RST");
    QVERIFY(client.waitForBytesWritten(5000));
    client.disconnectFromHost();
    QVERIFY(QTest::qWaitFor([this] { return m_server->clientCount() == 0; }));
    QCOMPARE(m_handler.events, QStringList("joined 1"));

    m_handler.ready = true;
    m_server->resume();
    QCOMPARE(m_handler.events.size(), 1 + 1500 + 1);
    QCOMPARE(m_handler.events.at(1), QStringLiteral("1: ROUT:CLOS (@0000)  ;  *OPC"));
    QCOMPARE(m_handler.events.at(1500), QStringLiteral("1: ROUT:CLOS (@1499)  ;  *OPC"));
    QCOMPARE(m_handler.events.constLast(), QStringLiteral("left 1"));
    // Nothing of the client stays behind: a server that runs for weeks
    // does not grow with every client that came and went.
    QTRY_VERIFY(m_server->findChildren<QTcpSocket *>().isEmpty());
}

void tst_ScpiServer::lineEndsInPacketsOfTheirOwn()
{
    // A terminal in character mode sends a line's end on its own; and a
    // line of exactly the limit may have its "\r" and "\n" come apart.
    QTcpSocket client;
    QVERIFY(connectClient(client));
    const auto send = [&client](const QByteArray &bytes) {
        client.write(bytes);
        const bool written = client.waitForBytesWritten(5000);
        QTest::qWait(50); // read by the server before the next piece comes
        return written;
    };
    const QByteArray longest(sfp::ScpiServer::maxLineLength, 'z');
    for (const QByteArray &piece :
         {QByteArray("*IDN?"), QByteArray("\n"), QByteArray("ROUT:CLOS (@1)\r"), QByteArray("\n"),
          longest + '\r', QByteArray("\n")})
        QVERIFY(send(piece));
    QVERIFY(QTest::qWaitFor([this] { return m_handler.events.size() >= 4; }));
    QCOMPARE(m_handler.events,
             QStringList({"joined 1", "1: *IDN?", "1: ROUT:CLOS (@1)",
                          QStringLiteral("1: ") + QString::fromLatin1(longest)}));
}

void tst_ScpiServer::linesThatComeWhileOneRunsFollowIt()
{
    // What a client sends while its line runs (the next line of a script
    // that does not wait, a line's first half, the connection's end) is
    // taken in the same pass: in order, a half line kept for its end, and
    // the end still heard, after which the client leaves.
    const int client = connectPlain(QHostAddress::LocalHost, m_server->port());
    QVERIFY(client >= 0);
    const auto send = [client](const char *bytes) {
        return ::send(client, bytes, std::strlen(bytes), MSG_NOSIGNAL)
            == ssize_t(std::strlen(bytes));
    };
    bool sent = true;
    m_handler.whileRunning = [&](const QByteArray &line) {
        if (line == "ROUT:CLOS (@1)")
            sent = send("ROUT:OPEN (@1)\n*OPC?\nROUT:CL") && sent;
        else if (line == "*OPC?")
            sent = send("OS? (@1)\n") && sent;
        else if (line == "ROUT:CLOS? (@1)")
            sent = ::shutdown(client, SHUT_WR) == 0 && sent;
    };
    QVERIFY(send("ROUT:CLOS (@1)\n"));
    QCOMPARE(readToTheEnd(client), QByteArray("*OPC?\nROUT:CLOS? (@1)\n"));
    ::close(client);
    QVERIFY(sent);
    QTRY_COMPARE(m_handler.events,
                 QStringList({"joined 1", "1: ROUT:CLOS (@1)", "1: ROUT:OPEN (@1)", "1: *OPC?",
                              "1: ROUT:CLOS? (@1)", "left 1"}));
}

void tst_ScpiServer::restsOnceTheLinesHaveRun()
{
    // While the handler is busy the server looks again now and then; once
    // the lines have run it waits for the next client's word without a
    // turn of its own, so an idle panel takes no processor time.
    QTcpSocket client;
    QVERIFY(connectClient(client));
    m_handler.ready = false;
    client.write("*RST\nROUT:CLOS (@1)\n");
    QVERIFY(client.waitForBytesWritten(5000));
    TimerTurns turns(m_server.get());
    QTest::qWait(100);
    QVERIFY(turns.count > 0);

    m_handler.ready = true;
    m_server->resume();
    QCOMPARE(m_handler.events, QStringList({"joined 1", "1: *RST", "1: ROUT:CLOS (@1)"}));
    QTest::qWait(50);
    turns.count = 0;
    QTest::qWait(300);
    QCOMPARE(turns.count, 0);
}

void tst_ScpiServer::connectionsAreWatched()
{
    // By default: the first keepalive probe after 20 s of silence, then one
    // every 5 s, given up after 6 unanswered ones, or after 50 s with a
    // response unacknowledged; responses go out without waiting for the
    // acknowledgement of the one before.
    {
        QTcpSocket client;
        QVERIFY(connectClient(client));
        QTcpSocket *end = serverEnd();
        QVERIFY(end != nullptr);
        QCOMPARE(tcpOption(end, SOL_SOCKET, SO_KEEPALIVE), 1);
        QCOMPARE(tcpOption(end, IPPROTO_TCP, TCP_KEEPIDLE), 20);
        QCOMPARE(tcpOption(end, IPPROTO_TCP, TCP_KEEPINTVL), 5);
        QCOMPARE(tcpOption(end, IPPROTO_TCP, TCP_KEEPCNT), 6);
        QCOMPARE(tcpOption(end, IPPROTO_TCP, TCP_USER_TIMEOUT), 50000);
        QCOMPARE(tcpOption(end, IPPROTO_TCP, TCP_NODELAY), 1);
        client.disconnectFromHost();
        QTRY_COMPARE(m_server->findChildren<QTcpSocket *>().size(), 0);
    }

    // Other times, for the clients that come after.
    sfp::ScpiServer::ClientTimeouts timeouts;
    timeouts.keepAliveIdle = std::chrono::seconds(7);
    timeouts.keepAliveInterval = std::chrono::seconds(3);
    timeouts.keepAliveProbes = 4;
    m_server->setClientTimeouts(timeouts);
    QTcpSocket client;
    QVERIFY(connectClient(client));
    QTcpSocket *end = serverEnd();
    QVERIFY(end != nullptr);
    QCOMPARE(tcpOption(end, SOL_SOCKET, SO_KEEPALIVE), 1);
    QCOMPARE(tcpOption(end, IPPROTO_TCP, TCP_KEEPIDLE), 7);
    QCOMPARE(tcpOption(end, IPPROTO_TCP, TCP_KEEPINTVL), 3);
    QCOMPARE(tcpOption(end, IPPROTO_TCP, TCP_KEEPCNT), 4);
    QCOMPARE(tcpOption(end, IPPROTO_TCP, TCP_USER_TIMEOUT), 19000);
    QCOMPARE(tcpOption(end, IPPROTO_TCP, TCP_NODELAY), 1);
}

void tst_ScpiServer::readsAreAcknowledgedAtOnce()
{
    // Answered queries put the system's end into its interactive mode, in
    // which it delays acknowledgements to send them with a response. A
    // line without a response would then wait for its acknowledgement, and
    // a client that holds small packets back until then (most do) would
    // wait with it. After every read the server has it acknowledged at once.
    QTcpSocket client;
    QVERIFY(connectClient(client));
    QTcpSocket *end = serverEnd();
    QVERIFY(end != nullptr);
    for (int round = 0; round < 5; ++round) {
        for (int query = 0; query < 5; ++query) {
            client.write("*IDN?\n");
            QVERIFY(QTest::qWaitFor([&client] { return client.canReadLine(); }));
            QCOMPARE(client.readLine(), QByteArray("*IDN?\n"));
        }
        const qsizetype seen = m_handler.events.size();
        client.write("ROUT:CLOS (@1)\n");
        QVERIFY(QTest::qWaitFor([this, seen] { return m_handler.events.size() > seen; }));
        QCOMPARE(m_handler.events.constLast(), QStringLiteral("1: ROUT:CLOS (@1)"));
        QCOMPARE(tcpOption(end, IPPROTO_TCP, TCP_QUICKACK), 1);
    }
}

void tst_ScpiServer::vanishedClientIsDropped()
{
    // Clients whose cable is pulled send no end of their connections. An
    // idle one is found gone by the keepalive probes (here after 1 s + 2 x
    // 1 s), one whose response stays unacknowledged after as long; the
    // lines that had come still run, and then they leave.
    sfptest::LinkedNamespaces cable;
    if (!cable.error().isEmpty())
        QSKIP(qPrintable(QStringLiteral("no network namespaces: ") + cable.error()));
    sfp::ScpiServer server(&m_handler);
    sfp::ScpiServer::ClientTimeouts timeouts;
    timeouts.keepAliveIdle = std::chrono::seconds(1);
    timeouts.keepAliveInterval = std::chrono::seconds(1);
    timeouts.keepAliveProbes = 2;
    server.setClientTimeouts(timeouts);
    QString error;
    server.setAccess(*sfp::AccessRules::parse(QStringLiteral("10.77.0.0/24"), &error));
    bool listening = false;
    QVERIFY(cable.inServer([&] { listening = server.listen(cable.serverAddress(), 0); }));
    QVERIFY2(listening, qPrintable(server.errorString()));
    server.start();

    QTcpSocket idle;
    QVERIFY(idle.setSocketDescriptor(cable.connectFromClient(server.port())));
    idle.write("*IDN?\nROUT:CLOS (@2)\n");
    QVERIFY(QTest::qWaitFor([&idle] { return idle.canReadLine(); }));
    QCOMPARE(idle.readLine(), QByteArray("*IDN?\n"));
    QTcpSocket waiting;
    QVERIFY(waiting.setSocketDescriptor(cable.connectFromClient(server.port())));
    QVERIFY(QTest::qWaitFor([&server] { return server.clientCount() == 2; }));
    m_handler.ready = false;
    const int asked = m_handler.readyAsked;
    waiting.write("ROUT:CLOS? (@2)\n");
    QVERIFY(QTest::qWaitFor([this, asked] { return m_handler.readyAsked > asked; }));

    QVERIFY(cable.cut());
    m_handler.ready = true;
    server.resume();
    QVERIFY(QTest::qWaitFor([&server] { return server.clientCount() == 0; }, 15000));
    // Which of them is found first is the system's business.
    QStringList events = m_handler.events;
    std::sort(events.begin() + 5, events.end());
    QCOMPARE(events,
             QStringList({"joined 1", "1: *IDN?", "1: ROUT:CLOS (@2)", "joined 2",
                          "2: ROUT:CLOS? (@2)", "left 1", "left 2"}));
}

void tst_ScpiServer::strangerReadsWhyAndTheEnd()
{
    // A client from beyond the loopback that the access rules do not name
    // reads one line with its address, then the end of the connection;
    // none of what it sent runs, and it never was a client.
    sfptest::LinkedNamespaces cable;
    if (!cable.error().isEmpty())
        QSKIP(qPrintable(QStringLiteral("no network namespaces: ") + cable.error()));
    sfp::ScpiServer server(&m_handler);
    QSignalSpy refused(&server, &sfp::ScpiServer::clientRefused);
    QSignalSpy notAllowed(&server, &sfp::ScpiServer::notAllowed);
    bool listening = false;
    QVERIFY(cable.inServer([&] { listening = server.listen(cable.serverAddress(), 0); }));
    QVERIFY2(listening, qPrintable(server.errorString()));
    server.start();
    for (const char *list : {"10.77.1.0/24,fd00::/64", ""}) {
        QString error;
        if (*list != '\0')
            server.setAccess(*sfp::AccessRules::parse(QLatin1String(list), &error));
        else
            server.setAccess(sfp::AccessRules());
        QTcpSocket stranger;
        QVERIFY(stranger.setSocketDescriptor(cable.connectFromClient(server.port())));
        stranger.write("ROUT:CLOS (@1)\n*IDN?\n");
        QByteArray read;
        QVERIFY(QTest::qWaitFor([&stranger, &read] {
            read += stranger.readAll();
            return stranger.state() == QAbstractSocket::UnconnectedState;
        }));
        read += stranger.readAll();
        QCOMPARE(read, QByteArray("-203,\"Command protected;not allowed from 10.77.0.2\"\n"));
    }
    QCOMPARE(m_handler.events, QStringList());
    QCOMPARE(server.clientCount(), 0);
    QCOMPARE(notAllowed.count(), 2);
    QCOMPARE(notAllowed.at(0).at(0).value<QHostAddress>(), QHostAddress("10.77.0.2"));
    QCOMPARE(refused.count(), 2);
    QVERIFY(refused.at(0).at(0).toString().startsWith(QLatin1String("10.77.0.2:")));
    QCOMPARE(refused.at(0).at(1).toString(),
             QStringLiteral("its address is not allowed (--allow)"));

    // Named, it is a client like any other.
    QString error;
    server.setAccess(*sfp::AccessRules::parse(QStringLiteral("10.77.0.2"), &error));
    QTcpSocket named;
    QVERIFY(named.setSocketDescriptor(cable.connectFromClient(server.port())));
    named.write("*IDN?\n");
    QVERIFY(QTest::qWaitFor([&named] { return named.canReadLine(); }));
    QCOMPARE(named.readLine(), QByteArray("*IDN?\n"));
    QCOMPARE(notAllowed.count(), 2);
}

void tst_ScpiServer::clientThatStopsReadingIsDropped()
{
    // A client that reads none of its responses, with the system's buffers
    // full, is dropped after the time that finds a vanished one (here 1 s
    // + 2 x 1 s): the server cannot tell it from one whose machine hangs.
    // Its lines run, and the other client is answered throughout.
    sfp::ScpiServer::ClientTimeouts timeouts;
    timeouts.keepAliveIdle = std::chrono::seconds(1);
    timeouts.keepAliveInterval = std::chrono::seconds(1);
    timeouts.keepAliveProbes = 2;
    m_server->setClientTimeouts(timeouts);
    QTcpSocket deaf;
    QVERIFY(connectClient(deaf));
    deaf.setReadBufferSize(1);
    deaf.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    QTcpSocket other;
    other.connectToHost(QHostAddress::LocalHost, m_server->port());
    QVERIFY(other.waitForConnected(5000));
    QByteArray lines;
    for (int i = 0; i < 200000; ++i)
        lines += "*IDN?\n";
    deaf.write(lines);
    for (int i = 0; i < 10; ++i) {
        QTest::qWait(200);
        other.write("*OPC?\n");
        QVERIFY(QTest::qWaitFor([&other] { return other.canReadLine(); }));
        QCOMPARE(other.readLine(), QByteArray("*OPC?\n"));
    }
    QVERIFY(QTest::qWaitFor([this] { return m_server->clientCount() == 1; }, 15000));
    // How many of its lines had crossed before the end depends on how busy
    // the machine is; those that had, ran before it left.
    const qsizetype ran = m_handler.events.count(QStringLiteral("1: *IDN?"));
    QVERIFY2(ran > 0 && ran <= 200000, qPrintable(QString::number(ran)));
    // It left once, after its last line; the other client's lines may come
    // either side of that, as busy as the machine is.
    QCOMPARE(m_handler.events.count(QStringLiteral("left 1")), 1);
    const qsizetype left = m_handler.events.indexOf(QStringLiteral("left 1"));
    QVERIFY(m_handler.events.lastIndexOf(QStringLiteral("1: *IDN?")) < left);
}

void tst_ScpiServer::silentClientIsDropped()
{
    sfp::ScpiServer::ClientTimeouts timeouts;
    timeouts.idle = std::chrono::milliseconds(1000);
    m_server->setClientTimeouts(timeouts);

    // The silent one goes; the one that keeps sending lines, each in two
    // pieces, stays.
    QTcpSocket silent;
    QVERIFY(connectClient(silent));
    QTcpSocket talking;
    talking.connectToHost(QHostAddress::LocalHost, m_server->port());
    QVERIFY(talking.waitForConnected(5000));
    QVERIFY(QTest::qWaitFor([this] { return m_server->clientCount() == 2; }));
    int pieces = 0;
    // Whole lines only, also the last.
    while ((silent.state() != QAbstractSocket::UnconnectedState || pieces % 2 == 1)
           && pieces < 200) {
        talking.write(pieces % 2 == 0 ? "ROUT:CL" : "OS (@3)\n");
        ++pieces;
        QTest::qWait(100);
    }
    QCOMPARE(silent.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(talking.state(), QAbstractSocket::ConnectedState);
    QCOMPARE(m_server->clientCount(), 1);
    const auto comings = [this] {
        return m_handler.events.filter(QRegularExpression(QStringLiteral("^(joined|left) ")));
    };
    QCOMPARE(comings(), QStringList({"joined 1", "joined 2", "left 1"}));
    QVERIFY(m_handler.events.count(QStringLiteral("2: ROUT:CLOS (@3)")) >= 5);

    // Lines that wait for the handler keep their client: it waits for the
    // server, not the other way round. Once they have run, its silence
    // counts again.
    m_handler.ready = false;
    const int asked = m_handler.readyAsked;
    talking.write("*IDN?\n");
    QVERIFY(QTest::qWaitFor([this, asked] { return m_handler.readyAsked > asked; }));
    QTest::qWait(2000);
    QCOMPARE(talking.state(), QAbstractSocket::ConnectedState);
    m_handler.ready = true;
    m_server->resume();
    QVERIFY(QTest::qWaitFor([&talking] { return talking.canReadLine(); }));
    QCOMPARE(talking.readLine(), QByteArray("*IDN?\n"));
    QVERIFY(QTest::qWaitFor(
        [&talking] { return talking.state() == QAbstractSocket::UnconnectedState; }, 5000));
    QCOMPARE(m_handler.events.constLast(), QStringLiteral("left 2"));

    // Bytes of a line that never ends are no word: a client that sends one
    // now and then goes like a silent one, and nothing of it runs.
    QTcpSocket trickling;
    QVERIFY(connectClient(trickling));
    int sent = 0;
    while (trickling.state() != QAbstractSocket::UnconnectedState && sent < 200) {
        trickling.write(QByteArrayLiteral("ROUT:CLOS (@4)").mid(sent % 14, 1));
        ++sent;
        QTest::qWait(100);
    }
    QCOMPARE(trickling.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(m_handler.events.constLast(), QStringLiteral("left 3"));
    QCOMPARE(m_handler.events.filter(QStringLiteral("3: ")), QStringList());
}

void tst_ScpiServer::clientThatHoardsResponsesIsDropped()
{
    // A client that asks and never reads: once more than a megabyte of its
    // responses waits in the server beyond what the system buffers, it is
    // dropped at once (not after the 50 s that find a vanished peer), and
    // its lines that have not run yet never do. The other client goes on.
    QTcpSocket hoarding;
    QVERIFY(connectClient(hoarding));
    hoarding.setReadBufferSize(1);
    hoarding.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    QTcpSocket other;
    other.connectToHost(QHostAddress::LocalHost, m_server->port());
    QVERIFY(other.waitForConnected(5000));
    // 200 queries of 60 KiB each: 12 MB of responses.
    const QByteArray query = QByteArray(qsizetype(60) * 1024, 'Q') + "?\n";
    for (int i = 0; i < 200; ++i)
        hoarding.write(query);
    QVERIFY(QTest::qWaitFor(
        [&hoarding] { return hoarding.state() == QAbstractSocket::UnconnectedState; }, 20000));
    QVERIFY(QTest::qWaitFor([this] { return m_server->clientCount() == 1; }, 5000));
    QCOMPARE(m_handler.events.count(QStringLiteral("left 1")), 1);
    const qsizetype ran
        = m_handler.events.count(QStringLiteral("1: ") + QString(qsizetype(60) * 1024, 'Q') + '?');
    QVERIFY2(ran > 0 && ran < 200, qPrintable(QString::number(ran)));
    other.write("*OPC?\n");
    QVERIFY(QTest::qWaitFor([&other] { return other.canReadLine(); }));
    QCOMPARE(other.readLine(), QByteArray("*OPC?\n"));
}

void tst_ScpiServer::fifthClientReadsWhyAndTheEnd()
{
    std::vector<std::unique_ptr<QTcpSocket>> clients;
    for (int i = 0; i < 4; ++i) {
        clients.push_back(std::make_unique<QTcpSocket>());
        clients.back()->connectToHost(QHostAddress::LocalHost, m_server->port());
        QVERIFY(clients.back()->waitForConnected(5000));
    }
    QVERIFY(QTest::qWaitFor([this] { return m_server->clientCount() == 4; }));

    // The fifth reads one line, then the end of the connection (not a
    // reset, also when it had sent lines that nobody reads); none of its
    // lines runs. Then the sixth, just as well.
    for (int extra = 5; extra <= 6; ++extra) {
        const int socket = connectPlain(QHostAddress(QHostAddress::LocalHost), m_server->port());
        QVERIFY(socket >= 0);
        const char lines[] = "ROUT:CLOS (@1)\n*IDN?\n";
        QCOMPARE(::send(socket, lines, sizeof lines - 1, MSG_NOSIGNAL), ssize_t(sizeof lines - 1));
        QCOMPARE(readToTheEnd(socket), QByteArray("-310,\"System error;too many clients\"\n"));
        ::close(socket);
    }
    QCOMPARE(m_server->clientCount(), 4);
    QCOMPARE(m_handler.events, QStringList({"joined 1", "joined 2", "joined 3", "joined 4"}));
    // What is left of the refused connections goes soon after.
    QTRY_COMPARE_WITH_TIMEOUT(m_server->findChildren<QTcpSocket *>().size(), 4, 5000);

    // Twenty more at once, which keep their connections open: each reads
    // its line and the end, and the server keeps no more than sixteen of
    // them open meanwhile.
    std::vector<int> crowd;
    for (int i = 0; i < 20; ++i) {
        crowd.push_back(connectPlain(QHostAddress(QHostAddress::LocalHost), m_server->port()));
        QVERIFY(crowd.back() >= 0);
    }
    for (const int socket : crowd)
        QCOMPARE(readToTheEnd(socket), QByteArray("-310,\"System error;too many clients\"\n"));
    QVERIFY(m_server->findChildren<QTcpSocket *>().size() <= 4 + 16);
    for (const int socket : crowd)
        ::close(socket);
    QTRY_COMPARE_WITH_TIMEOUT(m_server->findChildren<QTcpSocket *>().size(), 4, 5000);
    QCOMPARE(m_server->clientCount(), 4);
}

void tst_ScpiServer::everyAddressTakesBothKinds()
{
    // Every address (QHostAddress::Any, which --listen [::] binds) takes
    // IPv4 and IPv6 clients, and is written as IPv6's "[::]".
    {
        sfp::ScpiServer server(&m_handler);
        QVERIFY(server.listen(QHostAddress::Any, 0));
        server.start();
        QCOMPARE(sfp::endpointText(server.address(), server.port()),
                 QStringLiteral("[::]:%1").arg(server.port()));
        QTcpSocket ipv4;
        ipv4.connectToHost(QHostAddress::LocalHost, server.port());
        QVERIFY(ipv4.waitForConnected(5000));
        ipv4.write("*IDN?\n");
        QVERIFY(QTest::qWaitFor([&ipv4] { return ipv4.canReadLine(); }));
        QCOMPARE(ipv4.readLine(), QByteArray("*IDN?\n"));
        QTcpServer probe;
        if (probe.listen(QHostAddress::LocalHostIPv6, 0)) {
            QTcpSocket ipv6;
            ipv6.connectToHost(QHostAddress::LocalHostIPv6, server.port());
            QVERIFY(ipv6.waitForConnected(5000));
            ipv6.write("*IDN?\n");
            QVERIFY(QTest::qWaitFor([&ipv6] { return ipv6.canReadLine(); }));
            QCOMPARE(ipv6.readLine(), QByteArray("*IDN?\n"));
        } else {
            qInfo("no IPv6 loopback here: only the IPv4 client was tried");
        }
    }

    // The IPv6 loopback stays what it is: no IPv4 client comes through.
    sfp::ScpiServer server(&m_handler);
    if (!server.listen(QHostAddress::LocalHostIPv6, 0))
        QSKIP("no IPv6 loopback here");
    server.start();
    QCOMPARE(sfp::endpointText(server.address(), server.port()),
             QStringLiteral("[::1]:%1").arg(server.port()));
    QTcpSocket ipv4;
    ipv4.connectToHost(QHostAddress::LocalHost, server.port());
    QVERIFY(!ipv4.waitForConnected(5000));
    QCOMPARE(ipv4.error(), QAbstractSocket::ConnectionRefusedError);
}

QTEST_GUILESS_MAIN(tst_ScpiServer)
#include "tst_scpiserver.moc"
