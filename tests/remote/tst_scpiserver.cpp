// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The socket side of the remote control with a handler of the test's own:
// lines that wait for the handler, a line too long that ends in a later
// packet, the lines of a client that left before they could run, line ends
// that come in packets of their own, and a server at rest.
#include "scpiserver.h"

#include <QCoreApplication>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

// Records what the server hands it, one text per event; answers a query
// (a line with '?') with the line itself.
class RecordingHandler final : public sfp::ScpiHandler
{
public:
    bool isReady() const override { return ready; }
    void clientJoined(quint64 client) override
    {
        events.append(QStringLiteral("joined %1").arg(client));
    }
    void clientLeft(quint64 client) override
    {
        events.append(QStringLiteral("left %1").arg(client));
    }
    QByteArray execute(quint64 client, QByteArrayView line) override
    {
        const QByteArray text = line.toByteArray();
        events.append(QStringLiteral("%1: %2").arg(client).arg(QString::fromLatin1(text)));
        return text.contains('?') ? text + '\n' : QByteArray();
    }
    void lineTooLong(quint64 client) override
    {
        events.append(QStringLiteral("%1: too long").arg(client));
    }

    bool ready = true;
    QStringList events;
};

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
    void overlongLineEndingInALaterPacket();
    void linesOfAClientThatLeftStillRun();
    void lineEndsInPacketsOfTheirOwn();
    void restsOnceTheLinesHaveRun();

private:
    bool connectClient(QTcpSocket &socket);

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

QTEST_GUILESS_MAIN(tst_ScpiServer)
#include "tst_scpiserver.moc"
