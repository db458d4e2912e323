// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The VXI-11 side of the remote control on the relay panel and the
// simulated card, driven by the system's ONC RPC client (libtirpc) straight
// to the core channel's port: links, messages in pieces, reads by size and
// by end character, the status byte, device clear and trigger, the lock
// shared with SCPI clients, the client limit shared with the socket, calls
// that wait for the operator or for a line held half run, and clients that
// misbehave.
#include "accessrules.h"
#include "cardsession.h"
#include "linkednamespaces.h"
#include "panelsetup.h"
#include "qx5170_fc.h"
#include "qx5170_sfprelaypair.h"
#include "qx5170fp_app.h"
#include "remotecontrol.h"
#include "scpiclient.h"
#include "sfptest.h"
#include "switchinglog.h"
#include "vxi11.h"
#include "vxi11server.h"

#include "sim_control.h"

#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QtConcurrent>
#include <QtEndian>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <memory>

namespace {

const char oneCardSystem[] = R"({"resources": [
    {"descriptor": "VXI0::1::INSTR", "slot": 5,
     "motherboard": {"code": "0x0B52", "positions": 4,
                     "cards": [{"position": 2, "code": "0x5170"}]}}]})";

constexpr char identity[] = "Orbelan,5170,VXI0::1::INSTR/FC2,1.4.0\n";
constexpr char lockedText[] = "-221,\"Settings conflict;another client holds the lock\"";

template<typename Routine>
xdrproc_t coder(Routine routine)
{
    return reinterpret_cast<xdrproc_t>(reinterpret_cast<void (*)()>(routine));
}

// A blocking call made on another thread while this one runs the panel's
// event loop, where the server answers. The threads are the test's own: the
// toolkit's painting waits for threads of the global pool.
template<typename Work>
auto offThread(Work work) -> decltype(work())
{
    static QThreadPool callers;
    auto future = QtConcurrent::run(&callers, work);
    // The calls' own time limits end them sooner; the result waits anyway.
    [[maybe_unused]] const bool finished
        = QTest::qWaitFor([&future] { return future.isFinished(); }, 60000);
    return future.result();
}

struct ReadResult
{
    long error = -1;
    long reason = 0;
    QByteArray data;
};

// One connection to the core channel (or the abort channel), with the link
// it makes.
class Vxi11Client
{
public:
    explicit Vxi11Client(quint16 port, rpcprog_t program = DEVICE_CORE,
                         rpcvers_t version = DEVICE_CORE_VERSION)
    {
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(port);
        int socket = RPC_ANYSOCK;
        m_rpc = clnttcp_create(&address, program, version, &socket, 0, 0);
        m_socket = socket;
    }
    ~Vxi11Client() { close(); }
    Vxi11Client(const Vxi11Client &) = delete;
    Vxi11Client &operator=(const Vxi11Client &) = delete;
    Vxi11Client(Vxi11Client &&) = delete;
    Vxi11Client &operator=(Vxi11Client &&) = delete;

    bool isOpen() const { return m_rpc != nullptr; }
    // The port of this side of the connection, as the server sees it.
    quint16 localPort() const
    {
        sockaddr_in address {};
        socklen_t length = sizeof address;
        if (m_rpc == nullptr
            || ::getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return 0;
        return ntohs(address.sin_port);
    }
    void close()
    {
        if (m_rpc != nullptr)
            clnt_destroy(m_rpc);
        m_rpc = nullptr;
    }

    // `wait` zero: the call is sent and its reply never read.
    template<typename In, typename Out>
    clnt_stat call(rpcproc_t procedure, xdrproc_t inCoder, In *in, xdrproc_t outCoder, Out *out,
                   int waitSeconds = 25)
    {
        CLIENT *rpc = m_rpc;
        return offThread([=] {
            const timeval wait {waitSeconds, 0};
            return clnt_call(rpc, procedure, inCoder, reinterpret_cast<char *>(in), outCoder,
                             reinterpret_cast<char *>(out), wait);
        });
    }

    Create_LinkResp createLink(const char *device = "inst0", bool lock = false,
                               unsigned long lockTimeout = 0)
    {
        Create_LinkParms in {};
        in.clientId = 7;
        in.lockDevice = lock;
        in.lock_timeout = lockTimeout;
        in.device = const_cast<char *>(device);
        Create_LinkResp out {};
        out.error = -1;
        if (call(create_link, coder(xdr_Create_LinkParms), &in, coder(xdr_Create_LinkResp), &out)
                == RPC_SUCCESS
            && out.error == 0)
            lid = out.lid;
        return out;
    }

    long write(const QByteArray &data, long flags = sfp::vxi11::End, unsigned long ioTimeout = 5000,
               unsigned long lockTimeout = 0, unsigned long *size = nullptr)
    {
        QByteArray copy = data;
        Device_WriteParms in {};
        in.lid = lid;
        in.io_timeout = ioTimeout;
        in.lock_timeout = lockTimeout;
        in.flags = flags;
        in.data.data_len = u_int(copy.size());
        in.data.data_val = copy.data();
        Device_WriteResp out {};
        out.error = -1;
        if (call(device_write, coder(xdr_Device_WriteParms), &in, coder(xdr_Device_WriteResp), &out)
            != RPC_SUCCESS)
            return -1;
        if (size != nullptr)
            *size = out.size;
        return out.error;
    }

    ReadResult read(unsigned long requestSize = 4096, long flags = 0, char termChar = 0,
                    unsigned long ioTimeout = 2000)
    {
        Device_ReadParms in {};
        in.lid = lid;
        in.requestSize = requestSize;
        in.io_timeout = ioTimeout;
        in.flags = flags;
        in.termChar = termChar;
        Device_ReadResp out {};
        ReadResult result;
        if (call(device_read, coder(xdr_Device_ReadParms), &in, coder(xdr_Device_ReadResp), &out)
            != RPC_SUCCESS)
            return result;
        result.error = out.error;
        result.reason = out.reason;
        result.data = QByteArray(out.data.data_val, qsizetype(out.data.data_len));
        xdr_free(coder(xdr_Device_ReadResp), reinterpret_cast<char *>(&out));
        return result;
    }

    // The whole response to a query, "<error N>" when a call fails.
    QByteArray ask(const QByteArray &query)
    {
        const long written = write(query);
        if (written != 0)
            return "<error " + QByteArray::number(written) + '>';
        const ReadResult result = read();
        if (result.error != 0)
            return "<error " + QByteArray::number(result.error) + '>';
        return result.data;
    }

    long generic(rpcproc_t procedure, long flags = 0, unsigned long lockTimeout = 0,
                 unsigned long ioTimeout = 5000)
    {
        Device_GenericParms in {lid, flags, lockTimeout, ioTimeout};
        Device_Error out {-1};
        if (call(procedure, coder(xdr_Device_GenericParms), &in, coder(xdr_Device_Error), &out)
            != RPC_SUCCESS)
            return -1;
        return out.error;
    }

    // The status byte, or -1 - the error code.
    int readStb()
    {
        Device_GenericParms in {lid, 0, 0, 5000};
        Device_ReadStbResp out {};
        out.error = -1;
        if (call(device_readstb, coder(xdr_Device_GenericParms), &in, coder(xdr_Device_ReadStbResp),
                 &out)
            != RPC_SUCCESS)
            return -1000;
        return out.error == 0 ? int(out.stb) : int(-1 - out.error);
    }

    long lock(long flags = 0, unsigned long lockTimeout = 0)
    {
        Device_LockParms in {lid, flags, lockTimeout};
        Device_Error out {-1};
        if (call(device_lock, coder(xdr_Device_LockParms), &in, coder(xdr_Device_Error), &out)
            != RPC_SUCCESS)
            return -1;
        return out.error;
    }

    long onLink(rpcproc_t procedure, long link)
    {
        Device_Link in = link;
        Device_Error out {-1};
        if (call(procedure, coder(xdr_Device_Link), &in, coder(xdr_Device_Error), &out)
            != RPC_SUCCESS)
            return -1;
        return out.error;
    }
    long unlock() { return onLink(device_unlock, lid); }
    long destroy() { return onLink(destroy_link, lid); }

    long lid = 0;

private:
    CLIENT *m_rpc = nullptr;
    int m_socket = -1;
};

// A plain SCPI client on the socket.
using SocketClient = sfptest::ScpiClient;

// A handler with nothing behind it, for a server of the test's own.
class NullHandler final : public sfp::Vxi11Handler
{
public:
    bool isReady() const override { return true; }
    void clientJoined(quint64 /*client*/) override { }
    void clientLeft(quint64 /*client*/) override { }
    QByteArray execute(quint64 /*client*/, QByteArrayView /*line*/) override
    {
        return QByteArray();
    }
    void lineTooLong(quint64 /*client*/) override { }
    bool hasRoomForClient() override { return true; }
    bool takeLock(quint64 /*client*/) override { return true; }
    bool releaseLock(quint64 /*client*/) override { return true; }
    bool isLockedByOther(quint64 /*client*/) const override { return false; }
    void clearErrors(quint64 /*client*/) override { }
    void queryInterrupted(quint64 /*client*/) override { }
    int statusByte(quint64 /*client*/, bool /*messageAvailable*/) override { return 0; }
};

// Holds a line with "*OPC?" or "*WAI" until the test lets it go (letGo),
// as the remote control holds one while the card scans; answers another
// query with the line itself, and records what it is told.
class HoldingHandler final : public sfp::Vxi11Handler
{
public:
    bool isReady() const override { return true; }
    void clientJoined(quint64 /*client*/) override { }
    void clientLeft(quint64 client) override
    {
        answers.remove(client);
        events.append(QStringLiteral("left"));
    }
    QByteArray execute(quint64 client, QByteArrayView line) override
    {
        const QByteArray text = line.toByteArray();
        events.append(QString::fromLatin1(text));
        if (text.contains("*OPC?") || text.contains("*WAI")) {
            answers.insert(client, text.contains("*OPC?") ? QByteArray("1\n") : QByteArray());
            return QByteArray();
        }
        return text.contains('?') ? text + '\n' : QByteArray();
    }
    bool isHeld(quint64 client) const override { return answers.contains(client) && !letGo; }
    QByteArray resume(quint64 client) override
    {
        events.append(QStringLiteral("resumed"));
        letGo = false;
        return answers.take(client);
    }
    void lineTooLong(quint64 /*client*/) override { }
    bool hasRoomForClient() override { return true; }
    bool takeLock(quint64 /*client*/) override { return true; }
    bool releaseLock(quint64 /*client*/) override { return true; }
    bool isLockedByOther(quint64 /*client*/) const override { return false; }
    void clearErrors(quint64 client) override
    {
        answers.remove(client);
        events.append(QStringLiteral("cleared"));
    }
    void queryInterrupted(quint64 /*client*/) override
    {
        events.append(QStringLiteral("interrupted"));
    }
    int statusByte(quint64 /*client*/, bool messageAvailable) override
    {
        return messageAvailable ? 0x10 : 0;
    }

    bool letGo = false;
    QHash<quint64, QByteArray> answers;
    QStringList events;
};

} // namespace

class tst_Vxi11Server : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void linksAndMessages();
    void readsBySizeAndEndCharacter();
    void statusClearAndTrigger();
    void lockSharedWithScpi();
    void lockWaitsAndTimesOut();
    void clientLimitShared();
    void silentConnectionsGiveWay();
    void waitsForTheOperator();
    void misbehavingClients();
    void oneServerAtATime();
    void callsThatCannotBeRead();
    void clientGoneWhileItsCallWaits();
    void heldLineKeepsItsLinkWaiting_data();
    void heldLineKeepsItsLinkWaiting();
    void addressesOfBothKinds();
    void strangersMakeNoLink();

private:
    QPushButton *relayButton(int relay) const;
    QString remoteLine() const;
    QString call(const char *pattern) const
    {
        return QString::fromLatin1(pattern).arg(m_panel->card()->vi());
    }
    // A client with a link, or a failure.
    std::unique_ptr<Vxi11Client> linked();

    QTemporaryDir m_folder;
    std::unique_ptr<qx5170_fc> m_fc;
    std::unique_ptr<qx5170fp_App> m_panel;
    std::unique_ptr<sfp::RemoteControl> m_remote;
    bool m_operatorAsked = false;
};

void tst_Vxi11Server::initTestCase()
{
    QVERIFY(m_folder.isValid());
    qputenv("ALLUSERSPROFILE", QFile::encodeName(m_folder.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_folder.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_folder.path()));
    sfptest::dismissStrayModals();
}

void tst_Vxi11Server::init()
{
    std::string error;
    QVERIFY2(sfpsim::loadDescription(oneCardSystem, &error), error.c_str());
    sfpsim::clearFaults();
    m_operatorAsked = false;
    m_fc = std::make_unique<qx5170_fc>();
    m_panel = sfptest::openPanel(m_fc.get(), QStringLiteral("Auto Find"));
    QVERIFY(m_panel);
    m_remote = std::make_unique<sfp::RemoteControl>(QByteArray(), QString());
    QVERIFY(m_remote->listen(QHostAddress::LocalHost, 0));
    QVERIFY2(m_remote->listenVxi11(), qPrintable(m_remote->vxi11ErrorString()));
    QVERIFY(m_remote->vxi11Port() != 0);
    m_panel->followRemote(m_remote.get());
    m_remote->setIdentity(sfp::RemoteControl::identity(m_panel->cardId(), m_fc->driverRevision()));
    m_remote->setOperatorAsked([this] { return m_operatorAsked; });
    m_remote->start(m_panel->card());
    sfptest::clearTrace();
}

void tst_Vxi11Server::cleanup()
{
    m_remote.reset();
    m_panel.reset();
    m_fc.reset();
    QCOMPARE(sfptest::takeStrayModals(), QStringList());
    QCOMPARE(sfpsim::openSessionCount(), 0);
}

QPushButton *tst_Vxi11Server::relayButton(int relay) const
{
    for (qx5170_sfpRelayPair *pair : m_panel->findChildren<qx5170_sfpRelayPair *>()) {
        if (pair->pairNo() == (relay - 1) / 2)
            return relay % 2 == 1 ? pair->relayAButton() : pair->relayBButton();
    }
    return nullptr;
}

QString tst_Vxi11Server::remoteLine() const
{
    const auto *label = m_panel->findChild<QLabel *>(QStringLiteral("remoteInfo"));
    return label != nullptr ? label->text() : QStringLiteral("<no line>");
}

std::unique_ptr<Vxi11Client> tst_Vxi11Server::linked()
{
    auto client = std::make_unique<Vxi11Client>(m_remote->vxi11Port());
    if (!client->isOpen() || client->createLink().error != 0)
        return nullptr;
    return client;
}

void tst_Vxi11Server::linksAndMessages()
{
    Vxi11Client client(m_remote->vxi11Port());
    QVERIFY(client.isOpen());
    const QString none = QStringLiteral("Remote: 127.0.0.1:%1, 0 clients").arg(m_remote->port());
    QCOMPARE(remoteLine(), none);

    // Only the instrument's own name makes a link.
    for (const char *device : {"inst1", "gpib0,5", "", "inst0x"}) {
        const Create_LinkResp refused = client.createLink(device);
        QCOMPARE(refused.error, 21L);
    }
    QCOMPARE(remoteLine(), none);
    const Create_LinkResp link = client.createLink("inst0");
    QCOMPARE(link.error, 0L);
    QVERIFY(link.lid != 0);
    QCOMPARE(link.maxRecvSize, 65536UL);
    QVERIFY(link.abortPort != 0);
    QCOMPARE(remoteLine(), QStringLiteral("Remote: 127.0.0.1:%1, 1 client").arg(m_remote->port()));

    QCOMPARE(client.ask("*IDN?"), QByteArray(identity));

    // A message in pieces runs once its END comes; its line ends are line
    // ends.
    unsigned long size = 0;
    QCOMPARE(client.write("ROUT:CL", 0, 5000, 0, &size), 0L);
    QCOMPARE(size, 7UL);
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_switchRelay")}), QStringList());
    QCOMPARE(client.write("OS (@1,3)"), 0L);
    QVERIFY(relayButton(1)->isChecked());
    QVERIFY(relayButton(3)->isChecked());
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_switchRelay")}),
             QStringList({call("qx5170_switchRelay(%1, 1, 1) = 0"),
                          call("qx5170_switchRelay(%1, 3, 1) = 0")}));
    QCOMPARE(client.write("ROUT:OPEN (@1)\r\nROUT:CLOS? (@1:4)\n", 0), 0L);
    QCOMPARE(client.read().data, QByteArray("0,0,1,0\n"));
    QVERIFY(!relayButton(1)->isChecked());

    // A second link of the same connection is a second client, with its
    // own error queue.
    Vxi11Client second(m_remote->vxi11Port());
    QCOMPARE(second.createLink().error, 0L);
    QVERIFY(second.lid != client.lid);
    QCOMPARE(remoteLine(), QStringLiteral("Remote: 127.0.0.1:%1, 2 clients").arg(m_remote->port()));
    QCOMPARE(client.write("NOSUCH"), 0L);
    QCOMPARE(second.ask("SYST:ERR?"), QByteArray("0,\"No error\"\n"));
    QCOMPARE(client.ask("SYST:ERR?"), QByteArray("-113,\"Undefined header\"\n"));

    // A link is its connection's: another one cannot use or end it.
    const long own = second.lid;
    second.lid = client.lid;
    QCOMPARE(second.write("*RST"), 4L);
    QCOMPARE(second.read().error, 4L);
    QCOMPARE(second.destroy(), 4L);
    second.lid = own;

    QCOMPARE(client.destroy(), 0L);
    QCOMPARE(client.destroy(), 4L);
    QCOMPARE(client.write("*IDN?"), 4L);
    QCOMPARE(remoteLine(), QStringLiteral("Remote: 127.0.0.1:%1, 1 client").arg(m_remote->port()));
    // Its connection ends: the link goes with it.
    second.close();
    QVERIFY(QTest::qWaitFor([&] { return remoteLine() == none; }));
}

void tst_Vxi11Server::readsBySizeAndEndCharacter()
{
    const auto client = linked();
    QVERIFY(client);
    QCOMPARE(client->write("*IDN?"), 0L);
    // By the size asked for: the message goes on, then ends.
    ReadResult part = client->read(8);
    QCOMPARE(part.error, 0L);
    QCOMPARE(part.data, QByteArray("Orbelan,"));
    QCOMPARE(part.reason, 1L);
    // Up to the end character, with it.
    part = client->read(100, sfp::vxi11::TermCharSet, ',');
    QCOMPARE(part.data, QByteArray("5170,"));
    QCOMPARE(part.reason, 2L);
    part = client->read(100);
    QCOMPARE(part.data, QByteArray("VXI0::1::INSTR/FC2,1.4.0\n"));
    QCOMPARE(part.reason, 4L);
    // Nothing was asked: the read times out at once.
    part = client->read(100);
    QCOMPARE(part.error, 15L);
    QCOMPARE(part.data, QByteArray());

    // The end character as the last byte ends the message too.
    QCOMPARE(client->write("ROUT:MODE?"), 0L);
    part = client->read(100, sfp::vxi11::TermCharSet, '\n');
    QCOMPARE(part.data, QByteArray("ASYN\n"));
    QCOMPARE(part.reason, 6L);

    // A query while a response is unread: that response is gone, as
    // IEEE 488.2 has it, and the queue says so.
    QCOMPARE(client->write("ROUT:MODE?"), 0L);
    QCOMPARE(client->write("ROUT:EXCL?"), 0L);
    QCOMPARE(client->read().data, QByteArray("0\n"));
    QCOMPARE(client->ask("SYST:ERR?"), QByteArray("-410,\"Query INTERRUPTED\"\n"));

    // A line longer than the socket's limit is refused whole, in order.
    QByteArray longLine = "ROUT:CLOS (@1)" + QByteArray(qsizetype(70) * 1024, ' ');
    for (qsizetype from = 0; from < longLine.size(); from += 60000)
        QCOMPARE(client->write(longLine.mid(from, 60000), 0), 0L);
    QCOMPARE(client->write("\n*IDN?"), 0L);
    QCOMPARE(client->read().data, QByteArray(identity));
    QVERIFY(!relayButton(1)->isChecked());
    QCOMPARE(client->ask("SYST:ERR?"), QByteArray("-223,\"Too much data\"\n"));
}

void tst_Vxi11Server::statusClearAndTrigger()
{
    const auto client = linked();
    QVERIFY(client);
    QCOMPARE(client->readStb(), 0);
    // An error waits: bit 2; a response waits: bit 4.
    QCOMPARE(client->write("NOSUCH"), 0L);
    QCOMPARE(client->readStb(), 4);
    QCOMPARE(client->write("*IDN?"), 0L);
    QCOMPARE(client->readStb(), 20);
    // The service request enable register summarises it.
    QCOMPARE(client->write("*SRE 16"), 0L);
    QCOMPARE(client->ask("SYST:ERR?"), QByteArray("-113,\"Undefined header\"\n"));
    QCOMPARE(client->readStb(), 4);
    QCOMPARE(client->write("*IDN?"), 0L);
    QCOMPARE(client->readStb(), 84);

    // Device clear: the input, the response and the error queue go.
    QCOMPARE(client->write("ROUT:CLOS (@7", 0), 0L);
    QCOMPARE(client->generic(device_clear), 0L);
    QCOMPARE(client->readStb(), 0);
    QCOMPARE(client->read().error, 15L);
    QCOMPARE(client->write(")"), 0L);
    QCOMPARE(client->ask("SYST:ERR?"), QByteArray("-102,\"Syntax error\"\n"));
    QVERIFY(!relayButton(7)->isChecked());

    // The trigger is *TRG: in Sync. Trigger mode it applies what waits...
    QCOMPARE(client->write("ROUT:MODE TRIG;:ROUT:CLOS (@2)"), 0L);
    QVERIFY(relayButton(2)->isChecked());
    sfptest::clearTrace();
    QCOMPARE(client->generic(device_trigger), 0L);
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_")}),
             QStringList(call("qx5170_pulseSynchTrigger(%1) = 0")));
    QCOMPARE(client->ask("SYST:ERR?"), QByteArray("0,\"No error\"\n"));
    // ... and elsewhere it is refused like *TRG, nothing called.
    QCOMPARE(client->write("ROUT:MODE ASYN"), 0L);
    sfptest::clearTrace();
    QCOMPARE(client->generic(device_trigger), 0L);
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_")}), QStringList());
    QCOMPARE(client->ask("SYST:ERR?"),
             QByteArray("-221,\"Settings conflict;a trigger is taken in Sync. Trigger mode "
                        "only\"\n"));

    // Remote and local are answered; no service requests, no commands.
    QCOMPARE(client->generic(device_remote), 0L);
    QCOMPARE(client->generic(device_local), 0L);
    Device_EnableSrqParms srq {};
    srq.lid = client->lid;
    Device_Error out {-1};
    QCOMPARE(client->call(device_enable_srq, coder(xdr_Device_EnableSrqParms), &srq,
                          coder(xdr_Device_Error), &out),
             RPC_SUCCESS);
    QCOMPARE(out.error, 8L);
    Device_RemoteFunc interrupt {};
    out.error = -1;
    QCOMPARE(client->call(create_intr_chan, coder(xdr_Device_RemoteFunc), &interrupt,
                          coder(xdr_Device_Error), &out),
             RPC_SUCCESS);
    QCOMPARE(out.error, 8L);
}

void tst_Vxi11Server::lockSharedWithScpi()
{
    const auto owner = linked();
    const auto other = linked();
    QVERIFY(owner && other);
    SocketClient socket;
    QVERIFY(socket.connectTo(m_remote->port()));
    QVERIFY(QTest::qWaitFor([&] { return remoteLine().endsWith(QLatin1String("3 clients")); }));

    QCOMPARE(owner->lock(), 0L);
    QCOMPARE(owner->lock(), 0L);
    QVERIFY(remoteLine().endsWith(QLatin1String("3 clients, locked")));
    QVERIFY(!relayButton(5)->isEnabled());
    // Another link: every call refused at once, nothing reaches the card.
    QCOMPARE(other->lock(), 11L);
    QCOMPARE(other->write("ROUT:CLOS (@5)"), 11L);
    QCOMPARE(other->generic(device_trigger), 11L);
    QCOMPARE(other->readStb(), -1 - 11);
    QCOMPARE(other->unlock(), 12L);
    // A socket client: the changes refused as under SYSTem:LOCK, the
    // owner named by its connection's address.
    QCOMPARE(socket.ask("ROUT:CLOS (@5);*OPC?"), QByteArray("1"));
    QCOMPARE(socket.ask("SYST:ERR?"), QByteArray(lockedText));
    QCOMPARE(socket.ask("SYST:LOCK:REQ?"), QByteArray("0"));
    // A link is named by its connection's address and its number, as
    // the switching log names it.
    const QString ownerName
        = QStringLiteral("vxi11 127.0.0.1:%1 link %2").arg(owner->localPort()).arg(owner->lid);
    QCOMPARE(socket.ask("SYST:LOCK:OWN?"), '"' + ownerName.toLatin1() + '"');
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_switchRelay")}), QStringList());
    // The owner switches.
    sfp::SwitchingLog log;
    m_panel->card()->setLog(&log, m_panel->cardId());
    const auto unset = qScopeGuard([this] { m_panel->card()->setLog(nullptr, QString()); });
    QCOMPARE(owner->write("ROUT:CLOS (@5)"), 0L);
    QVERIFY(relayButton(5)->isChecked());
    QVERIFY(!log.recent().empty());
    QCOMPARE(log.recent().back().source, ownerName);
    QCOMPARE(log.recent().back().change(), QStringLiteral("relay 5 closed"));

    QCOMPARE(owner->unlock(), 0L);
    QCOMPARE(owner->unlock(), 12L);
    QVERIFY(relayButton(5)->isEnabled());
    QCOMPARE(other->write("ROUT:OPEN (@5)"), 0L);
    QVERIFY(!relayButton(5)->isChecked());

    // Taken over SCPI: a link is refused the same way.
    QCOMPARE(socket.ask("SYST:LOCK:REQ?"), QByteArray("1"));
    QCOMPARE(owner->lock(), 11L);
    QCOMPARE(owner->write("ROUT:CLOS (@5)"), 11L);
    QCOMPARE(socket.ask("SYST:LOCK:REL;*OPC?"), QByteArray("1"));

    // A link's lock goes with the link, and with its connection.
    QCOMPARE(other->lock(), 0L);
    QCOMPARE(other->destroy(), 0L);
    QCOMPARE(socket.ask("SYST:LOCK:OWN?"), QByteArray("NONE"));
    QCOMPARE(owner->lock(), 0L);
    owner->close();
    QVERIFY(QTest::qWaitFor([&] { return socket.ask("SYST:LOCK:OWN?") == "NONE"; }));
    QVERIFY(relayButton(5)->isEnabled());

    // A link that asks for the lock with its creation is refused while
    // another holds it, and not made.
    QCOMPARE(socket.ask("SYST:LOCK:REQ?"), QByteArray("1"));
    Vxi11Client late(m_remote->vxi11Port());
    QCOMPARE(late.createLink("inst0", true, 0).error, 11L);
    QVERIFY(remoteLine().endsWith(QLatin1String("1 client, locked")));
    QCOMPARE(socket.ask("SYST:LOCK:REL;*OPC?"), QByteArray("1"));
    QCOMPARE(late.createLink("inst0", true, 0).error, 0L);
    QCOMPARE(socket.ask("SYST:LOCK:REQ?"), QByteArray("0"));

    // device_local lets the lock go as SYSTem:LOCal does; device_remote
    // leaves it.
    QCOMPARE(late.generic(device_remote), 0L);
    QCOMPARE(socket.ask("SYST:LOCK:REQ?"), QByteArray("0"));
    QCOMPARE(late.generic(device_local), 0L);
    QCOMPARE(socket.ask("SYST:LOCK:OWN?"), QByteArray("NONE"));
    QVERIFY(relayButton(5)->isEnabled());

    // A link that asks for the lock with its creation, and may wait: made
    // once the lock is free.
    QCOMPARE(socket.ask("SYST:LOCK:REQ?"), QByteArray("1"));
    Vxi11Client patient(m_remote->vxi11Port());
    QTimer::singleShot(300, this, [&socket] { socket.socket().write("SYST:LOCK:REL\n"); });
    QCOMPARE(patient.createLink("inst0", true, 20000).error, 0L);
    QCOMPARE(socket.ask("SYST:LOCK:REQ?"), QByteArray("0"));
    QCOMPARE(patient.write("ROUT:CLOS (@5)"), 0L);
    QVERIFY(relayButton(5)->isChecked());
}

void tst_Vxi11Server::lockWaitsAndTimesOut()
{
    const auto owner = linked();
    const auto waiter = linked();
    QVERIFY(owner && waiter);
    QCOMPARE(owner->lock(), 0L);
    sfptest::clearTrace();

    // Waiting is asked for: refused only when the lock's time is up.
    QCOMPARE(waiter->lock(sfp::vxi11::WaitLock, 300), 11L);
    QCOMPARE(waiter->write("ROUT:CLOS (@6)", sfp::vxi11::End | sfp::vxi11::WaitLock, 5000, 300),
             11L);
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_switchRelay")}), QStringList());

    // Released while the other waits: the waiting call goes through, and the
    // owner was served meanwhile.
    QTimer::singleShot(400, this, [&] { owner->unlock(); });
    QCOMPARE(waiter->write("ROUT:CLOS (@6)", sfp::vxi11::End | sfp::vxi11::WaitLock, 5000, 20000),
             0L);
    QVERIFY(relayButton(6)->isChecked());
    QCOMPARE(waiter->lock(sfp::vxi11::WaitLock, 20000), 0L);
}

void tst_Vxi11Server::clientLimitShared()
{
    SocketClient socket;
    QVERIFY(socket.connectTo(m_remote->port()));
    QCOMPARE(socket.ask("*OPC?"), QByteArray("1"));
    std::vector<std::unique_ptr<Vxi11Client>> links;
    for (int i = 0; i < 3; ++i) {
        links.push_back(linked());
        QVERIFY(links.back());
    }
    QCOMPARE(remoteLine(), QStringLiteral("Remote: 127.0.0.1:%1, 4 clients").arg(m_remote->port()));
    // A fifth client of either kind is refused.
    Vxi11Client fifth(m_remote->vxi11Port());
    QCOMPARE(fifth.createLink().error, 9L);
    SocketClient refused;
    QVERIFY(refused.connectTo(m_remote->port()));
    QVERIFY(QTest::qWaitFor([&] { return refused.socket().canReadLine(); }, 10000));
    QCOMPARE(refused.socket().readLine(), QByteArray("-310,\"System error;too many clients\"\n"));
    // One leaves: the next is taken.
    QCOMPARE(links.back()->destroy(), 0L);
    QCOMPARE(fifth.createLink().error, 0L);
    QCOMPARE(fifth.ask("*IDN?"), QByteArray(identity));
}

void tst_Vxi11Server::silentConnectionsGiveWay()
{
    // Four socket connections that never say a word hold the places only
    // until a link wants one and they have been silent for 5 s: the oldest
    // goes.
    std::vector<std::unique_ptr<QTcpSocket>> silent;
    for (int i = 0; i < 4; ++i) {
        silent.push_back(std::make_unique<QTcpSocket>());
        silent.back()->connectToHost(QHostAddress::LocalHost, m_remote->port());
        QVERIFY(silent.back()->waitForConnected(5000));
    }
    QVERIFY(QTest::qWaitFor([&] { return remoteLine().endsWith(QLatin1String(", 4 clients")); }));
    Vxi11Client newcomer(m_remote->vxi11Port());
    QVERIFY(QTest::qWaitFor([&] { return newcomer.createLink().error == 0; }, 30000));
    QCOMPARE(newcomer.ask("*IDN?"), QByteArray(identity));
    QVERIFY(QTest::qWaitFor(
        [&] { return silent.front()->state() == QAbstractSocket::UnconnectedState; }));
    for (size_t i = 1; i < silent.size(); ++i)
        QCOMPARE(silent[i]->state(), QAbstractSocket::ConnectedState);
    silent.clear();
    QCOMPARE(newcomer.destroy(), 0L);

    // Connections of both channels that make no call hold no place against
    // a newcomer either, once they have been quiet for 5 s.
    std::vector<std::unique_ptr<Vxi11Client>> quiet;
    const Create_LinkResp ports = newcomer.createLink();
    QCOMPARE(ports.error, 0L);
    newcomer.close();
    for (int i = 0; i < sfp::Vxi11Server::maxConnections; ++i) {
        quiet.push_back(i % 2 == 0 ? std::make_unique<Vxi11Client>(m_remote->vxi11Port())
                                   : std::make_unique<Vxi11Client>(ports.abortPort, DEVICE_ASYNC,
                                                                   DEVICE_ASYNC_VERSION));
        QVERIFY(quiet.back()->isOpen());
    }
    QVERIFY(QTest::qWaitFor(
        [&] {
            Vxi11Client late(m_remote->vxi11Port());
            return late.isOpen() && late.createLink().error == 0;
        },
        30000));

    // With an idle timeout, a link's connection that makes no call for that
    // long goes with its link; bytes of a call that trickle in are no call;
    // a link that keeps calling stays.
    quiet.clear();
    sfp::ClientTimeouts timeouts;
    timeouts.idle = std::chrono::milliseconds(1000);
    m_remote->setClientTimeouts(timeouts);
    const auto talking = linked();
    const auto silentLink = linked();
    QVERIFY(talking && silentLink);
    QTcpSocket trickling;
    trickling.connectToHost(QHostAddress::LocalHost, m_remote->vxi11Port());
    QVERIFY(trickling.waitForConnected(5000));
    const QByteArray record = QByteArray::fromHex("80000100") + QByteArray(256, '\0');
    int sent = 0;
    while (remoteLine().endsWith(QLatin1String(", 2 clients")) && sent < 200) {
        QCOMPARE(talking->readStb(), 0);
        trickling.write(record.mid(sent, 1));
        ++sent;
        QTest::qWait(100);
    }
    QCOMPARE(remoteLine(), QStringLiteral("Remote: 127.0.0.1:%1, 1 client").arg(m_remote->port()));
    QVERIFY(QTest::qWaitFor([&] { return trickling.state() == QAbstractSocket::UnconnectedState; },
                            10000));
    QCOMPARE(talking->ask("*IDN?"), QByteArray(identity));
    QCOMPARE(silentLink->readStb(), -1000);
}

void tst_Vxi11Server::waitsForTheOperator()
{
    const auto client = linked();
    QVERIFY(client);
    // While the operator is asked something, a call waits for the answer...
    m_operatorAsked = true;
    QTimer::singleShot(300, this, [this] {
        QCOMPARE(sfptest::trace({QStringLiteral("qx5170_switchRelay")}), QStringList());
        m_operatorAsked = false;
    });
    QCOMPARE(client->write("ROUT:CLOS (@9)"), 0L);
    QVERIFY(relayButton(9)->isChecked());
    QVERIFY(!m_operatorAsked);

    // ... as long as its time allows, then does nothing at all.
    m_operatorAsked = true;
    QCOMPARE(client->write("ROUT:CLOS (@10)", sfp::vxi11::End, 200), 15L);
    QCOMPARE(client->readStb(), -1 - 15);
    m_operatorAsked = false;
    QVERIFY(!relayButton(10)->isChecked());
    QCOMPARE(client->ask("SYST:ERR?"), QByteArray("0,\"No error\"\n"));

    // The abort channel ends a waiting call; the link goes on.
    const auto first = linked();
    QVERIFY(first);
    Create_LinkResp again = first->createLink();
    QCOMPARE(again.error, 0L);
    Vxi11Client abortChannel(again.abortPort, DEVICE_ASYNC, DEVICE_ASYNC_VERSION);
    QVERIFY(abortChannel.isOpen());
    QCOMPARE(abortChannel.onLink(device_abort, 999999), 4L);
    m_operatorAsked = true;
    const long waitingLink = client->lid;
    QTimer::singleShot(300, this, [&] { abortChannel.onLink(device_abort, waitingLink); });
    QCOMPARE(client->write("ROUT:CLOS (@11)", sfp::vxi11::End, 20000), 23L);
    m_operatorAsked = false;
    QVERIFY(!relayButton(11)->isChecked());
    QCOMPARE(client->ask("*IDN?"), QByteArray(identity));
}

void tst_Vxi11Server::misbehavingClients()
{
    const auto good = linked();
    QVERIFY(good);

    // A thousand links made and dropped, and two hundred connections
    // opened with a link and closed without a word: nothing stays.
    const QString oneClient
        = QStringLiteral("Remote: 127.0.0.1:%1, 1 client").arg(m_remote->port());
    Vxi11Client busy(m_remote->vxi11Port());
    for (int i = 0; i < 1000; ++i) {
        QCOMPARE(busy.createLink().error, 0L);
        QCOMPARE(busy.destroy(), 0L);
    }
    busy.close();
    for (int i = 0; i < 200; ++i) {
        QVERIFY(linked());
        QVERIFY(QTest::qWaitFor([&] { return remoteLine() == oneClient; }));
    }

    // A record longer than a call can be, and bytes that are no call: the
    // connection ends; the others go on.
    QTcpSocket huge;
    huge.connectToHost(QHostAddress::LocalHost, m_remote->vxi11Port());
    QVERIFY(huge.waitForConnected(5000));
    huge.write(QByteArray::fromHex("8fffffff") + QByteArray(1000, 'x'));
    QVERIFY(QTest::qWaitFor([&] { return huge.state() == QAbstractSocket::UnconnectedState; }));
    QTcpSocket junk;
    junk.connectToHost(QHostAddress::LocalHost, m_remote->vxi11Port());
    QVERIFY(junk.waitForConnected(5000));
    junk.write(QByteArray::fromHex("80000010") + QByteArray(16, '\xff'));
    QVERIFY(QTest::qWaitFor([&] { return junk.state() == QAbstractSocket::UnconnectedState; }));
    // Half a record holds nobody up.
    QTcpSocket half;
    half.connectToHost(QHostAddress::LocalHost, m_remote->vxi11Port());
    QVERIFY(half.waitForConnected(5000));
    half.write(QByteArray::fromHex("80000100") + QByteArray(10, '\0'));
    QVERIFY(half.waitForBytesWritten(5000));
    QCOMPARE(good->ask("*IDN?"), QByteArray(identity));

    // A link that never reads its replies: served all the same, and the
    // others with it.
    const auto deaf = linked();
    QVERIFY(deaf);
    QByteArray query = "*IDN?";
    Device_WriteParms in {};
    in.lid = deaf->lid;
    in.io_timeout = 1000;
    in.flags = sfp::vxi11::End;
    in.data.data_len = u_int(query.size());
    in.data.data_val = query.data();
    Device_WriteResp out {};
    for (int i = 0; i < 2000; ++i) {
        deaf->call(device_write, coder(xdr_Device_WriteParms), &in, coder(xdr_Device_WriteResp),
                   &out, 0);
    }
    QCOMPARE(good->ask("*IDN?"), QByteArray(identity));
    deaf->close();

    // A client that sends its next call before the reply to one that
    // waits: the next is read only after that reply, and both run in order.
    const auto eager = linked();
    QVERIFY(eager);
    m_operatorAsked = true;
    QByteArray first = "ROUT:CLOS (@13)";
    QByteArray second = "ROUT:OPEN (@13);CLOS (@14)";
    for (QByteArray *command : {&first, &second}) {
        in.lid = eager->lid;
        in.io_timeout = 20000;
        in.data.data_len = u_int(command->size());
        in.data.data_val = command->data();
        eager->call(device_write, coder(xdr_Device_WriteParms), &in, coder(xdr_Device_WriteResp),
                    &out, 0);
    }
    QTest::qWait(200);
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_switchRelay")}), QStringList());
    m_operatorAsked = false;
    QVERIFY(QTest::qWaitFor([&] { return relayButton(14)->isChecked(); }));
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_switchRelay")}),
             QStringList({call("qx5170_switchRelay(%1, 13, 1) = 0"),
                          call("qx5170_switchRelay(%1, 13, 0) = 0"),
                          call("qx5170_switchRelay(%1, 14, 1) = 0")}));
}

void tst_Vxi11Server::oneServerAtATime()
{
    // The RPC library has one table of services per process.
    sfp::RemoteControl second {QByteArray(), QString()};
    QVERIFY(second.listen(QHostAddress::LocalHost, 0));
    QVERIFY(!second.listenVxi11());
    QCOMPARE(second.vxi11ErrorString(),
             QStringLiteral("another VXI-11 server listens in this program"));
    QCOMPARE(second.vxi11Port(), quint16(0));
    // The first serves on.
    const auto client = linked();
    QVERIFY(client);
    QCOMPARE(client->ask("*IDN?"), QByteArray(identity));
}

// One record: a call of `program` with AUTH_NONE and the given arguments.
QByteArray rawCall(quint32 xid, quint32 program, quint32 procedure, const QByteArray &arguments)
{
    QByteArray body;
    const auto put = [&body](quint32 word) {
        const quint32 big = qToBigEndian(word);
        body.append(reinterpret_cast<const char *>(&big), 4);
    };
    for (quint32 word : {xid, 0U, 2U, program, 1U, procedure, 0U, 0U, 0U, 0U})
        put(word);
    body += arguments;
    QByteArray record;
    const quint32 mark = qToBigEndian(0x80000000U | quint32(body.size()));
    record.append(reinterpret_cast<const char *>(&mark), 4);
    return record + body;
}

// The accept status of a reply (0 success, 3 no such procedure, 4
// arguments that cannot be decoded), or -1.
int acceptStatus(const QByteArray &reply)
{
    // Record mark, xid, REPLY, MSG_ACCEPTED, verifier (2 words), status.
    if (reply.size() < 28)
        return -1;
    return int(qFromBigEndian<quint32>(reply.constData() + 24));
}

void tst_Vxi11Server::callsThatCannotBeRead()
{
    // Arguments cut short, for each procedure that takes any: the protocol's
    // "garbage arguments", and the connection serves on.
    QTcpSocket raw;
    raw.connectToHost(QHostAddress::LocalHost, m_remote->vxi11Port());
    QVERIFY(raw.waitForConnected(5000));
    const auto ask = [&raw](const QByteArray &record) {
        raw.write(record);
        if (!QTest::qWaitFor([&raw] { return raw.bytesAvailable() >= 28; }, 10000))
            return QByteArray();
        QTest::qWait(20);
        return raw.readAll();
    };
    quint32 xid = 100;
    for (quint32 procedure : {10U, 11U, 12U, 13U, 14U, 15U, 16U, 17U, 18U, 19U, 23U})
        QCOMPARE(acceptStatus(ask(rawCall(++xid, DEVICE_CORE, procedure, QByteArray(2, '\0')))), 4);
    // The null procedure answers; one the protocol does not have is refused.
    QCOMPARE(acceptStatus(ask(rawCall(++xid, DEVICE_CORE, 0, QByteArray()))), 0);
    QCOMPARE(acceptStatus(ask(rawCall(++xid, DEVICE_CORE, 99, QByteArray()))), 3);
    // The abort channel's procedure, cut short, on the core channel's port.
    QCOMPARE(acceptStatus(ask(rawCall(++xid, DEVICE_ASYNC, 1, QByteArray(2, '\0')))), 4);

    // Two calls in one piece while the first must wait: the second is
    // already read when the first is answered, and runs right after it,
    // although nothing more comes from the client.
    QByteArray linkArguments;
    for (quint32 word : {7U, 0U, 0U, 5U}) {
        const quint32 big = qToBigEndian(word);
        linkArguments.append(reinterpret_cast<const char *>(&big), 4);
    }
    linkArguments += QByteArray("inst0\0\0\0", 8);
    const QByteArray made = ask(rawCall(++xid, DEVICE_CORE, 10, linkArguments));
    QCOMPARE(acceptStatus(made), 0);
    const quint32 lid = qFromBigEndian<quint32>(made.constData() + 32);
    const auto writeOf = [lid](const QByteArray &command) {
        QByteArray arguments;
        for (quint32 word : {lid, 20000U, 0U, 8U, quint32(command.size())}) {
            const quint32 big = qToBigEndian(word);
            arguments.append(reinterpret_cast<const char *>(&big), 4);
        }
        return arguments + command + QByteArray((4 - command.size() % 4) % 4, '\0');
    };
    m_operatorAsked = true;
    const QByteArray first = rawCall(xid + 1, DEVICE_CORE, 11, writeOf("ROUT:CLOS (@16)"));
    const QByteArray second
        = rawCall(xid + 2, DEVICE_CORE, 11, writeOf("ROUT:OPEN (@16);CLOS (@17)"));
    xid += 2;
    raw.write(first + second);
    QTest::qWait(200);
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_switchRelay")}), QStringList());
    m_operatorAsked = false;
    QVERIFY(QTest::qWaitFor([this] { return relayButton(17)->isChecked(); }, 10000));
    QVERIFY(!relayButton(16)->isChecked());
    QVERIFY(QTest::qWaitFor([&raw] { return raw.bytesAvailable() >= qint64(2) * 36; }, 10000));
    raw.readAll();

    // device_docmd: not supported, whatever it carries.
    const auto client = linked();
    QVERIFY(client);
    Device_DocmdParms docmd {};
    docmd.lid = client->lid;
    Device_DocmdResp reply {};
    reply.error = -1;
    QCOMPARE(client->call(device_docmd, coder(xdr_Device_DocmdParms), &docmd,
                          coder(xdr_Device_DocmdResp), &reply),
             RPC_SUCCESS);
    QCOMPARE(reply.error, 8L);
    QCOMPARE(client->ask("*IDN?"), QByteArray(identity));
}

void tst_Vxi11Server::clientGoneWhileItsCallWaits()
{
    // A call waits for the operator; its client goes away meanwhile: the
    // link goes with the connection, and the call never runs.
    const QString none = QStringLiteral("Remote: 127.0.0.1:%1, 0 clients").arg(m_remote->port());
    {
        auto client = linked();
        QVERIFY(client);
        auto other = linked();
        QVERIFY(other);
        m_operatorAsked = true;
        QByteArray command = "ROUT:CLOS (@15)";
        for (Vxi11Client *each : {client.get(), other.get()}) {
            Device_WriteParms in {};
            in.lid = each->lid;
            in.io_timeout = 20000;
            in.flags = sfp::vxi11::End;
            in.data.data_len = u_int(command.size());
            in.data.data_val = command.data();
            Device_WriteResp out {};
            each->call(device_write, coder(xdr_Device_WriteParms), &in, coder(xdr_Device_WriteResp),
                       &out, 0);
        }
        QTest::qWait(200);
        // An abort of the second link's call passes over the first's.
        Create_LinkResp made = linked()->createLink();
        Vxi11Client abortChannel(made.abortPort, DEVICE_ASYNC, DEVICE_ASYNC_VERSION);
        QCOMPARE(abortChannel.onLink(device_abort, other->lid), 0L);
        client->close();
        other->close();
    }
    QVERIFY(QTest::qWaitFor([&] { return remoteLine() == none; }, 10000));
    m_operatorAsked = false;
    QTest::qWait(100);
    QVERIFY(!relayButton(15)->isChecked());
    QCOMPARE(sfptest::trace({QStringLiteral("qx5170_switchRelay")}), QStringList());

    // More connections than the server keeps: the one too many is closed.
    std::vector<std::unique_ptr<QTcpSocket>> crowd;
    for (int i = 0; i < sfp::Vxi11Server::maxConnections + 1; ++i) {
        crowd.push_back(std::make_unique<QTcpSocket>());
        crowd.back()->connectToHost(QHostAddress::LocalHost, m_remote->vxi11Port());
        QVERIFY(crowd.back()->waitForConnected(5000));
    }
    QVERIFY(QTest::qWaitFor(
        [&] { return crowd.back()->state() == QAbstractSocket::UnconnectedState; }, 10000));
    QCOMPARE(crowd.front()->state(), QAbstractSocket::ConnectedState);
}

void tst_Vxi11Server::heldLineKeepsItsLinkWaiting_data()
{
    QTest::addColumn<bool>("told");
    QTest::newRow("told by the handler") << true;
    QTest::newRow("found by the server") << false;
}

void tst_Vxi11Server::heldLineKeepsItsLinkWaiting()
{
    // A line that waits for the card (an *OPC? while it scans): its write
    // is answered, the status byte too, a read waits for the response as
    // long as its time allows, a write for the line's end; the abort
    // channel ends a waiting read, device clear the hold.
    QFETCH(bool, told);
    m_remote.reset();
    HoldingHandler handler;
    sfp::Vxi11Server server(&handler);
    QVERIFY2(server.listen(QHostAddress::LocalHost), qPrintable(server.errorString()));
    server.start();
    Vxi11Client client(server.port());
    QVERIFY(client.isOpen());
    QCOMPARE(client.createLink().error, 0L);
    const auto letGo = [&handler, &server, told] {
        handler.letGo = true;
        if (told)
            server.resumeHeld();
    };

    // Read before the line's end: "I/O timeout" (15), and the line is still
    // held; a later read has the response.
    QCOMPARE(client.write("INIT;*OPC?"), 0L);
    QCOMPARE(client.readStb(), 0);
    ReadResult read = client.read(4096, 0, 0, 300);
    QCOMPARE(read.error, 15L);
    QCOMPARE(client.readStb(), 0);
    QTimer::singleShot(300, this, letGo);
    read = client.read(4096, 0, 0, 20000);
    QCOMPARE(read.error, 0L);
    QCOMPARE(read.data, QByteArray("1\n"));
    QCOMPARE(read.reason, long(sfp::vxi11::EndOfMessage));
    QCOMPARE(handler.events, QStringList({"INIT;*OPC?", "resumed"}));

    // The abort channel ends a waiting read with "abort" (23); the line is
    // held on, and the message available once it ends.
    handler.events.clear();
    QCOMPARE(client.write("*OPC?"), 0L);
    Vxi11Client abortChannel(server.abortPort(), DEVICE_ASYNC, DEVICE_ASYNC_VERSION);
    QVERIFY(abortChannel.isOpen());
    const long lid = client.lid;
    QTimer::singleShot(300, this, [&abortChannel, lid] { abortChannel.onLink(device_abort, lid); });
    QCOMPARE(client.read(4096, 0, 0, 20000).error, 23L);
    letGo();
    QVERIFY(QTest::qWaitFor([&client] { return client.readStb() == 0x10; }));
    QCOMPARE(client.read().data, QByteArray("1\n"));

    // The lines behind a held one run when it ends, whether the client
    // calls or not. A write while a line is held waits, as long as its time
    // allows: in vain, nothing of it runs; in time, it runs after the line.
    handler.events.clear();
    QCOMPARE(client.write("INIT;*WAI\nROUT:OPEN (@1)\n"), 0L);
    QCOMPARE(client.write("ROUT:CLOS (@2)", sfp::vxi11::End, 300), 15L);
    letGo();
    // Told, the server goes on at once, not at its next look.
    if (told)
        QCOMPARE(handler.events.size(), 3);
    QVERIFY(QTest::qWaitFor([&handler] { return handler.events.size() == 3; }));
    QCOMPARE(client.write("*WAI"), 0L);
    QTimer::singleShot(300, this, letGo);
    QCOMPARE(client.write("ROUT:CLOS (@3)", sfp::vxi11::End, 20000), 0L);
    QCOMPARE(handler.events,
             QStringList(
                 {"INIT;*WAI", "resumed", "ROUT:OPEN (@1)", "*WAI", "resumed", "ROUT:CLOS (@3)"}));

    // Device clear lets the held line go (the handler does): nothing is to
    // be read, and the next line runs at once.
    handler.events.clear();
    QCOMPARE(client.write("*OPC?"), 0L);
    QCOMPARE(client.generic(device_clear), 0L);
    QCOMPARE(client.read(4096, 0, 0, 300).error, 15L);
    QCOMPARE(client.ask("*IDN?"), QByteArray("*IDN?\n"));
    QCOMPARE(handler.events, QStringList({"*OPC?", "cleared", "*IDN?"}));

    // A link that goes while its line is held: the handler hears it.
    QCOMPARE(client.write("*OPC?"), 0L);
    QCOMPARE(client.destroy(), 0L);
    QCOMPARE(handler.events.constLast(), QStringLiteral("left"));
    QVERIFY(handler.answers.isEmpty());
}

void tst_Vxi11Server::addressesOfBothKinds()
{
    // The fixture's server goes: one listens at a time.
    m_remote.reset();
    NullHandler handler;
    {
        sfp::Vxi11Server nowhere(&handler);
        QVERIFY(!nowhere.listen(QHostAddress(QStringLiteral("192.0.2.1"))));
        QCOMPARE(nowhere.errorString(), QStringLiteral("Cannot assign requested address"));
        QCOMPARE(nowhere.port(), quint16(0));
    }
    for (const QHostAddress &address :
         {QHostAddress(QHostAddress::Any), QHostAddress(QHostAddress::LocalHostIPv6)}) {
        sfp::Vxi11Server server(&handler);
        QVERIFY2(server.listen(address), qPrintable(server.errorString()));
        QVERIFY(server.port() != 0 && server.abortPort() != 0);
        QCOMPARE(server.peerName(sfp::Vxi11Server::firstClient + 1), QString());
        server.start();
        // Every address of both kinds takes IPv4 clients too; the IPv6
        // loopback only IPv6 ones.
        QTcpSocket v6;
        v6.connectToHost(QHostAddress::LocalHostIPv6, server.port());
        QVERIFY(v6.waitForConnected(5000));
        v6.write(rawCall(1, DEVICE_CORE, 0, QByteArray()));
        QVERIFY(QTest::qWaitFor([&v6] { return v6.bytesAvailable() >= 28; }, 10000));
        QCOMPARE(acceptStatus(v6.readAll()), 0);
        QTcpSocket v4;
        v4.connectToHost(QHostAddress::LocalHost, server.port());
        QCOMPARE(v4.waitForConnected(5000), address == QHostAddress::Any);
    }
}

SFPTEST_MAIN(tst_Vxi11Server)
void tst_Vxi11Server::strangersMakeNoLink()
{
    // A client from beyond the loopback that the access rules do not name
    // makes no link, and aborts none: "device not accessible" (3), said
    // once for the admin with its address.
    sfptest::LinkedNamespaces cable;
    if (!cable.error().isEmpty())
        QSKIP(qPrintable(QStringLiteral("no network namespaces: ") + cable.error()));
    m_remote.reset();
    NullHandler handler;
    sfp::Vxi11Server server(&handler);
    QSignalSpy refused(&server, &sfp::Vxi11Server::clientRefused);
    QSignalSpy notAllowed(&server, &sfp::Vxi11Server::notAllowed);
    bool listening = false;
    QVERIFY(cable.inServer([&] { listening = server.listen(cable.serverAddress()); }));
    QVERIFY2(listening, qPrintable(server.errorString()));
    server.start();
    // create_link's arguments: client id, no lock, no lock timeout, "inst0".
    const auto words = [](std::initializer_list<quint32> values) {
        QByteArray bytes;
        for (const quint32 value : values) {
            const quint32 big = qToBigEndian(value);
            bytes.append(reinterpret_cast<const char *>(&big), 4);
        }
        return bytes;
    };
    const QByteArray createLink = words({7U, 0U, 0U, 5U}) + QByteArray("inst0\0\0\0", 8);
    const QByteArray someLink = words({1U});
    // The reply's first result, the error, after the accepted status.
    const auto errorOf = [](const QByteArray &reply) {
        return reply.size() < 32 ? -1 : int(qFromBigEndian<quint32>(reply.constData() + 28));
    };
    const auto callFromClient
        = [&](quint16 port, quint32 program, quint32 procedure, const QByteArray &arguments) {
              QTcpSocket client;
              if (!client.setSocketDescriptor(cable.connectFromClient(port)))
                  return -2;
              client.write(rawCall(1, program, procedure, arguments));
              if (!QTest::qWaitFor([&client] { return client.bytesAvailable() >= 32; }, 10000))
                  return -3;
              return errorOf(client.readAll());
          };
    QCOMPARE(callFromClient(server.port(), DEVICE_CORE, create_link, createLink), 3);
    QCOMPARE(callFromClient(server.abortPort(), DEVICE_ASYNC, device_abort, someLink), 3);
    QCOMPARE(server.linkCount(), 0);
    QCOMPARE(notAllowed.count(), 1);
    QCOMPARE(notAllowed.at(0).at(0).value<QHostAddress>(), QHostAddress("10.77.0.2"));
    QCOMPARE(refused.count(), 1);
    QVERIFY(refused.at(0).at(0).toString().startsWith(QLatin1String("10.77.0.2:")));
    QCOMPARE(refused.at(0).at(1).toString(),
             QStringLiteral("its address is not allowed (--allow)"));

    // Named, it links, and learns that a link it names is none.
    server.setAccess(*sfp::AccessRules::parse(QStringLiteral("10.77.0.2"), nullptr));
    QCOMPARE(callFromClient(server.port(), DEVICE_CORE, create_link, createLink), 0);
    QCOMPARE(callFromClient(server.abortPort(), DEVICE_ASYNC, device_abort, someLink), 4);
    QCOMPARE(notAllowed.count(), 1);
}

#include "tst_vxi11server.moc"
