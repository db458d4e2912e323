// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The resource scan held against a plain model of it: random simulated
// systems of up to 64 resources (VXI, GPIB-VXI and PXI motherboards in
// slots, LXI boxes by address and by host name, the same box under a second
// descriptor anywhere in the list, serial and USB resources, resources
// without a motherboard or that cannot be examined), scanned by the
// selection dialog, and the tree compared with what the model expects.
#include "descriptormodel.h"
#include "qx2010fp_fcselect.h"
#include "recordingfc.h"
#include "sfptest.h"
#include "sim_control.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSet>
#include <QTreeWidget>

#include <algorithm>
#include <utility>

namespace {

// Card codes a motherboard may report, the FC Model column they show, and
// whether the relay card's own model is among them.
struct CardKind
{
    int code;
    int variant; // the word the card holds at its variant offset, -1: none given
    const char *shown;
    bool supported;
};

constexpr CardKind cardKinds[] = {
    {0x5170, -1, "5170", true},         {0x5170, -1, "5170", true},  {0x5E5E, -1, "4720", false},
    {0x8D48, -1, "4921", false},        {0x8E48, -1, "4921", false}, {0x4720, -1, "4720", false},
    {0x6052, 0x4231, "6052-B1", false}, {0x0ABC, -1, " abc", false}, {0x5171, -1, "5171", false},
};

struct BoardKind
{
    int code;
    const char *shown;
};

constexpr BoardKind boardKinds[] = {{2898, "3394"}, {3394, "3394"}, {4660, "4660"}, {291, "291"}};

// Addresses LXI boxes report, with parts that sort differently as numbers
// and as texts.
constexpr const char *addressPool[]
    = {"10.0.0.1",      "10.0.0.2",  "10.0.0.10",  "10.0.1.1",  "10.1.0.2",
       "192.168.2.100", "9.200.0.1", "172.16.5.4", "10.0.0.20", "100.0.0.1"};

enum class Failure {
    None,
    Open, // viOpen fails
    Motherboard, // the motherboard cannot be opened
    Address, // the box's address cannot be read
};

struct Card
{
    int position = 0;
    CardKind kind {};
};

struct Resource
{
    QString descriptor;
    bool network = false;
    int slot = -1; // the slot given in the description, -1: none
    QString address; // what a network box reports as its address
    QString sameBoxAs; // an earlier descriptor of the same network box
    bool hasMotherboard = false;
    BoardKind board {};
    int positions = 8;
    QList<Card> cards;
    Failure failure = Failure::None;
};

// ---- The description the simulated platform is loaded with ----

QJsonObject resourceJson(const QList<Resource> &resources, qsizetype index)
{
    const Resource &r = resources.at(index);
    QJsonObject object {{"descriptor", r.descriptor}};
    // The second descriptor names the box found before it; without that
    // one in the list (after shrinking) it describes the box itself.
    bool viaBox = false;
    for (qsizetype j = 0; j < index; ++j)
        viaBox = viaBox || (!r.sameBoxAs.isEmpty() && resources.at(j).descriptor == r.sameBoxAs);
    if (viaBox) {
        object.insert("sameBoxAs", r.sameBoxAs);
    } else if (r.hasMotherboard) {
        QJsonArray cards;
        for (const Card &card : r.cards) {
            QJsonObject c {{"position", card.position}, {"code", card.kind.code}};
            if (card.kind.variant >= 0)
                c.insert("variant", card.kind.variant);
            cards.append(c);
        }
        object.insert(
            "motherboard",
            QJsonObject {{"code", r.board.code}, {"positions", r.positions}, {"cards", cards}});
    }
    if (r.network)
        object.insert("address", r.address);
    if (r.slot >= 0)
        object.insert("slot", r.slot);
    QJsonObject fault {{"status", -1}, {"count", -1}};
    switch (r.failure) {
    case Failure::None:
        break;
    case Failure::Open:
        fault.insert("operation", "viOpen");
        object.insert("faults", QJsonArray {fault});
        break;
    case Failure::Motherboard:
        fault.insert("operation", "qx2010_mb_open");
        object.insert("faults", QJsonArray {fault});
        break;
    case Failure::Address:
        fault.insert("operation", "viGetAttribute");
        fault.insert("attribute", 0xBFFF0195LL); // VI_ATTR_TCPIP_ADDR
        object.insert("faults", QJsonArray {fault});
        break;
    }
    return object;
}

std::string description(const QList<Resource> &resources)
{
    QJsonArray list;
    for (qsizetype i = 0; i < resources.size(); ++i)
        list.append(resourceJson(resources, i));
    return QJsonDocument(QJsonObject {{"resources", list}})
        .toJson(QJsonDocument::Compact)
        .toStdString();
}

// One line per resource, for failure messages.
QString listing(const QList<Resource> &resources)
{
    static const char *const failures[]
        = {"", ", open fails", ", motherboard fails", ", address unreadable"};
    QStringList lines;
    for (const Resource &r : resources) {
        QString line = r.descriptor;
        if (r.network)
            line += QStringLiteral(" at ") + r.address;
        if (!r.sameBoxAs.isEmpty())
            line += QStringLiteral(" (same box as ") + r.sameBoxAs + QLatin1Char(')');
        if (r.slot >= 0)
            line += QStringLiteral(", slot %1").arg(r.slot);
        if (r.hasMotherboard) {
            line += QStringLiteral(", board %1/%2:").arg(r.board.code).arg(r.positions);
            for (const Card &card : r.cards)
                line += QStringLiteral(" %1=0x%2").arg(card.position).arg(card.kind.code, 0, 16);
        } else {
            line += QStringLiteral(", no motherboard");
        }
        line += QLatin1String(failures[int(r.failure)]);
        lines << line;
    }
    return lines.join(QStringLiteral("\n    "));
}

// ---- Drawing a system ----

class SystemDraw
{
public:
    explicit SystemDraw(QRandomGenerator &random)
        : m_random(random)
    { }

    QList<Resource> draw()
    {
        m_resources.clear();
        m_names.clear();
        m_supportedCards = 0;
        // One list in four mixes the spellings of TCPIP; no word then sorts
        // between them as text (VXI, USB), which would make the order of
        // the list depend on the sort's steps.
        m_mixedCase = m_random.bounded(4) == 0;
        const int n = m_random.bounded(1, 65);
        while (m_resources.size() < n)
            m_resources.append(next());
        return m_resources;
    }

private:
    // Of a hundred resources: 22 VXI (none in a list that mixes the
    // spellings: GPIB-VXI instead), 8 GPIB-VXI, 6 PXI, 20 LXI boxes by
    // address, 14 by host name, 12 a second descriptor of a box listed
    // before, 10 serial ports and 8 USB resources.
    Resource next()
    {
        const int kind = m_random.bounded(100);
        if (kind < 22 && !m_mixedCase)
            return slotted(QStringLiteral("VXI%1").arg(m_random.bounded(2)));
        if (kind < 30)
            return slotted(QStringLiteral("GPIB-VXI0"));
        if (kind < 36)
            return slotted(QStringLiteral("PXI0"));
        if (kind >= 56 && kind < 70)
            return hostName();
        if (kind >= 70 && kind < 82) {
            QList<qsizetype> boxes;
            for (qsizetype i = 0; i < m_resources.size(); ++i) {
                if (m_resources.at(i).network)
                    boxes << i;
            }
            if (!boxes.isEmpty())
                return secondDescriptor(m_resources.at(boxes.at(m_random.bounded(boxes.size()))));
        }
        if (kind < 82)
            return dotted();
        if (kind < 92 || m_mixedCase)
            return other(QStringLiteral("ASRL%1::INSTR"), 25);
        return other(QStringLiteral("USB0::0x1234::%1::INSTR"), 50);
    }

    // True, and the name taken, when no resource has it yet (the simulated
    // platform refuses two descriptors of one resource).
    bool take(const QString &descriptor)
    {
        const QString canonical = descriptor.toUpper();
        if (m_names.contains(canonical))
            return false;
        m_names.insert(canonical);
        return true;
    }

    void addMotherboard(Resource &r, int absentInHundred)
    {
        r.hasMotherboard = m_random.bounded(100) >= absentInHundred;
        if (!r.hasMotherboard)
            return;
        r.board = boardKinds[m_random.bounded(int(std::size(boardKinds)))];
        r.positions = m_random.bounded(1, 9);
        QList<int> free;
        for (int p = 1; p <= r.positions; ++p)
            free << p;
        const int count = m_random.bounded(qMin(4, r.positions) + 1);
        for (int c = 0; c < count; ++c) {
            Card card;
            card.position = free.takeAt(m_random.bounded(free.size()));
            // Below the scan's limit of 256 selectable cards, whatever the
            // list holds.
            do
                card.kind = cardKinds[m_random.bounded(int(std::size(cardKinds)))];
            while (card.kind.supported && m_supportedCards >= 200);
            m_supportedCards += card.kind.supported ? 1 : 0;
            r.cards << card;
        }
        std::sort(r.cards.begin(), r.cards.end(),
                  [](const Card &a, const Card &b) { return a.position < b.position; });
    }

    void addFailure(Resource &r)
    {
        if (m_random.bounded(100) >= 12)
            return;
        const int which = m_random.bounded(r.network ? 3 : 2);
        r.failure = which == 0 ? Failure::Open
            : which == 1       ? Failure::Motherboard
                               : Failure::Address;
    }

    Resource slotted(const QString &interface)
    {
        Resource r;
        do
            r.descriptor
                = QStringLiteral("%1::%2::INSTR").arg(interface).arg(m_random.bounded(256));
        while (!take(r.descriptor));
        if (m_random.bounded(10) < 7)
            r.slot = m_random.bounded(13);
        addMotherboard(r, 8);
        addFailure(r);
        return r;
    }

    QString tcpipWord()
    {
        if (!m_mixedCase)
            return QStringLiteral("TCPIP");
        static const char *const words[] = {"TCPIP", "tcpip", "Tcpip"};
        return QLatin1String(words[m_random.bounded(3)]);
    }

    QString poolAddress()
    {
        return QLatin1String(addressPool[m_random.bounded(int(std::size(addressPool)))]);
    }

    Resource dotted()
    {
        Resource r;
        r.network = true;
        for (int attempt = 0; attempt < 20 && r.descriptor.isEmpty(); ++attempt) {
            const QString address = poolAddress();
            const QString descriptor = QStringLiteral("%1%2::%3::INSTR")
                                           .arg(tcpipWord())
                                           .arg(m_random.bounded(2))
                                           .arg(address);
            if (take(descriptor)) {
                r.descriptor = descriptor;
                r.address = address;
            }
        }
        if (r.descriptor.isEmpty())
            return hostName();
        addMotherboard(r, 8);
        addFailure(r);
        return r;
    }

    // Host names all read as the address 0.0.0.0 and so tie with each
    // other: they are written in one spelling, so that tied descriptors
    // always fall into one group.
    Resource hostName()
    {
        Resource r;
        r.network = true;
        r.descriptor = QStringLiteral("TCPIP%1::box%2.lab::INSTR")
                           .arg(m_random.bounded(2))
                           .arg(m_resources.size());
        take(r.descriptor);
        r.address = m_random.bounded(2) ? poolAddress()
                                        : QStringLiteral("10.9.%1.1").arg(m_resources.size());
        addMotherboard(r, 8);
        addFailure(r);
        return r;
    }

    // The box `box` once more, under a host name or its address on the
    // other board.
    Resource secondDescriptor(const Resource &box)
    {
        Resource r = box;
        r.sameBoxAs = box.descriptor;
        r.failure = Failure::None;
        r.descriptor = QStringLiteral("TCPIP%1::%2::INSTR")
                           .arg(m_random.bounded(2))
                           .arg(box.address.startsWith(QLatin1String("10.9."))
                                    ? box.address
                                    : QStringLiteral("alias%1").arg(m_resources.size()));
        if (!take(r.descriptor)) {
            r.descriptor = QStringLiteral("TCPIP0::alias%1::INSTR").arg(m_resources.size());
            take(r.descriptor);
        }
        addFailure(r);
        return r;
    }

    Resource other(const QString &pattern, int motherboardInHundred)
    {
        Resource r;
        do
            r.descriptor = pattern.arg(m_random.bounded(1, 41));
        while (!take(r.descriptor));
        addMotherboard(r, 100 - motherboardInHundred);
        addFailure(r);
        return r;
    }

    QRandomGenerator &m_random;
    QList<Resource> m_resources;
    QSet<QString> m_names;
    int m_supportedCards = 0;
    bool m_mixedCase = false;
};

// ---- The model ----

bool listed(const Resource &r)
{
    return r.hasMotherboard && r.failure != Failure::Open && r.failure != Failure::Motherboard;
}

QString lxiAddress(const Resource &r)
{
    return listed(r) && r.network && r.failure != Failure::Address ? r.address : QString();
}

QString cardLine(const QString &fc, const QString &model, const QString &state, int number,
                 const QString &descriptor)
{
    return QStringLiteral("\n      %1 | %2 | %3 | %4 | %5")
        .arg(fc, model, state)
        .arg(number)
        .arg(descriptor);
}

// A system and its cards as one text, the same for the model and the tree.
QString modelSystem(const Resource &r)
{
    const QString text = r.network
        ? QStringLiteral("%1 - %2 LXI")
              .arg(r.failure == Failure::Address ? QString() : r.address,
                   QLatin1String(r.board.shown))
        : QStringLiteral("Slot %1 - %2 MB").arg(qMax(r.slot, 0)).arg(QLatin1String(r.board.shown));
    const bool anySupported = std::any_of(r.cards.cbegin(), r.cards.cend(),
                                          [](const Card &c) { return c.kind.supported; });
    QString system
        = text + (anySupported ? QStringLiteral(" (expanded)") : QStringLiteral(" (collapsed)"));
    for (const Card &card : r.cards)
        system += cardLine(
            QStringLiteral("FC %1").arg(card.position), QLatin1String(card.kind.shown),
            card.kind.supported ? QStringLiteral("selectable") : QStringLiteral("greyed"),
            card.kind.supported ? card.position : 0, r.descriptor);
    return system;
}

struct ExpectedGroup
{
    QString key;
    QList<QStringList> runs; // the systems of each run of tied descriptors
};

struct Expected
{
    QList<ExpectedGroup> groups;
    int selectable = 0;
    // The scan's own choice (the last selectable card listed): any of
    // these, as tied descriptors come in either order.
    QList<std::pair<QString, int>> choices;
};

Expected model(const QList<Resource> &resources)
{
    // One resource per box address, the first found; unknown addresses
    // all stay.
    QList<const Resource *> kept;
    for (const Resource &r : resources) {
        const QString address = lxiAddress(r);
        const bool seen = !address.isEmpty()
            && std::any_of(kept.cbegin(), kept.cend(),
                           [&address](const Resource *k) { return lxiAddress(*k) == address; });
        if (!seen)
            kept << &r;
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Resource *a, const Resource *b) {
        return descriptormodel::before(a->descriptor, b->descriptor);
    });

    Expected expected;
    QList<std::pair<QString, int>> runChoices;
    for (qsizetype i = 0; i < kept.size(); ++i) {
        const Resource &r = *kept.at(i);
        const QString key = r.descriptor.left(r.descriptor.indexOf(QLatin1Char(':')));
        const bool newRun
            = i == 0 || descriptormodel::before(kept.at(i - 1)->descriptor, r.descriptor);
        if (expected.groups.isEmpty() || expected.groups.constLast().key != key)
            expected.groups.append({key, {}});
        if (newRun || expected.groups.constLast().runs.isEmpty())
            expected.groups.last().runs.append(QStringList());
        if (newRun)
            runChoices.clear();
        if (!listed(r))
            continue;
        expected.groups.last().runs.last() << modelSystem(r);
        int last = 0;
        for (const Card &card : r.cards) {
            if (card.kind.supported) {
                ++expected.selectable;
                last = card.position;
            }
        }
        if (last) {
            runChoices.append({r.descriptor, last});
            expected.choices = runChoices;
        }
    }
    return expected;
}

// ---- The tree ----

QString flagsText(Qt::ItemFlags flags)
{
    if (flags == (Qt::ItemIsSelectable | Qt::ItemIsEnabled))
        return QStringLiteral("selectable");
    if (flags == Qt::NoItemFlags)
        return QStringLiteral("greyed");
    return QStringLiteral("flags 0x%1").arg(int(flags), 0, 16);
}

QString treeSystem(const QTreeWidgetItem *system)
{
    QString text = system->text(0);
    if (!system->text(1).isEmpty())
        text += QStringLiteral(" [") + system->text(1) + QLatin1Char(']');
    if (system->flags() != Qt::ItemIsEnabled)
        text += QStringLiteral(" [") + flagsText(system->flags()) + QLatin1Char(']');
    text += system->isExpanded() ? QStringLiteral(" (expanded)") : QStringLiteral(" (collapsed)");
    for (int c = 0; c < system->childCount(); ++c) {
        const QTreeWidgetItem *card = system->child(c);
        const QVariant number = card->data(0, Qt::StatusTipRole);
        QString fc = card->text(0);
        if (card->childCount() != 0)
            fc += QStringLiteral(" [with children]");
        if (number.typeId() != QMetaType::Int)
            fc += QStringLiteral(" [number of type %1]").arg(QLatin1String(number.typeName()));
        text += cardLine(fc, card->text(1), flagsText(card->flags()), number.toInt(),
                         card->data(1, Qt::StatusTipRole).toString());
    }
    return text;
}

// What differs between the tree and the model, empty when nothing does.
QString compare(const QTreeWidget *tree, const Expected &expected)
{
    const auto groupNames = [tree, &expected] {
        QStringList found;
        QStringList wanted;
        for (int g = 0; g < tree->topLevelItemCount(); ++g)
            found << tree->topLevelItem(g)->text(0);
        for (const ExpectedGroup &group : expected.groups)
            wanted << group.key;
        return QStringLiteral("groups %1, expected %2").arg(found.join(u','), wanted.join(u','));
    };
    if (tree->topLevelItemCount() != expected.groups.size())
        return groupNames();
    for (int g = 0; g < tree->topLevelItemCount(); ++g) {
        const QTreeWidgetItem *group = tree->topLevelItem(g);
        const ExpectedGroup &wanted = expected.groups.at(g);
        if (group->text(0) != wanted.key)
            return groupNames();
        if (!group->text(1).isEmpty() || group->flags() != Qt::ItemIsEnabled
            || !group->isExpanded())
            return QStringLiteral("group %1: \"%2\", %3, %4")
                .arg(wanted.key, group->text(1), flagsText(group->flags()),
                     group->isExpanded() ? QStringLiteral("expanded")
                                         : QStringLiteral("collapsed"));
        QStringList found;
        for (int s = 0; s < group->childCount(); ++s)
            found << treeSystem(group->child(s));
        QStringList all;
        for (const QStringList &run : wanted.runs)
            all << run;
        if (found.size() != all.size())
            return QStringLiteral("group %1 lists:\n    %2\nexpected:\n    %3")
                .arg(wanted.key, found.join(QStringLiteral("\n    ")),
                     all.join(QStringLiteral("\n    ")));
        // Tied descriptors may come in either order: each run is compared
        // as a set.
        qsizetype at = 0;
        for (const QStringList &run : wanted.runs) {
            QStringList got = found.mid(at, run.size());
            QStringList want = run;
            got.sort();
            want.sort();
            if (got != want)
                return QStringLiteral(
                           "group %1 lists:\n    %2\nexpected (tied ones in any order):\n    %3")
                    .arg(wanted.key, found.join(QStringLiteral("\n    ")),
                         all.join(QStringLiteral("\n    ")));
            at += run.size();
        }
    }
    return QString();
}

} // namespace

class tst_ScanModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void scanAgreesWithModel();

private:
    QString check(const QList<Resource> &resources);

    RecordingFC m_fc;
};

void tst_ScanModel::initTestCase()
{
    sfptest::dismissStrayModals();
}

void tst_ScanModel::cleanup()
{
    QCOMPARE(sfptest::takeStrayModals(), QStringList());
    sfpsim::loadDefaultSystem();
}

// Scans the system `resources` describes; what differs from the model,
// empty when nothing does.
QString tst_ScanModel::check(const QList<Resource> &resources)
{
    std::string error;
    if (!sfpsim::loadDescription(description(resources), &error))
        return QStringLiteral("the description was refused: ") + QString::fromStdString(error);
    const Expected expected = model(resources);
    qx2010fp_fcSelect dialog(&m_fc, 0);
    const QString untouched = QStringLiteral("untouched");
    dialog.m_descriptors = untouched;
    dialog.m_fcNumbers[0] = -1;
    const int selectable = dialog.findFunctionCards();
    if (sfpsim::openSessionCount() != 0)
        return QStringLiteral("%1 sessions left open").arg(sfpsim::openSessionCount());
    QString tree = compare(dialog.m_tree, expected);
    if (!tree.isEmpty())
        return tree;
    if (selectable != expected.selectable)
        return QStringLiteral("%1 selectable cards, expected %2")
            .arg(selectable)
            .arg(expected.selectable);
    const std::pair<QString, int> choice {dialog.m_descriptors, dialog.m_fcNumbers[0]};
    const bool chosenRight = expected.choices.isEmpty()
        ? dialog.m_descriptors == untouched && dialog.m_fcNumbers[0] == -1
        : expected.choices.contains(choice);
    if (!chosenRight)
        return QStringLiteral("the scan chose %1 card %2").arg(choice.first).arg(choice.second);
    return QString();
}

void tst_ScanModel::scanAgreesWithModel()
{
    const quint32 seed = sfptest::testSeed();
    QRandomGenerator random(seed);
    SystemDraw draw(random);
    for (int round = 0; round < 150; ++round) {
        const QList<Resource> resources = draw.draw();
        const QString difference = check(resources);
        if (difference.isEmpty())
            continue;
        const QList<Resource> smallest = descriptormodel::shrink(
            resources, [this](const QList<Resource> &list) { return !check(list).isEmpty(); });
        QFAIL(qPrintable(QStringLiteral("seed %1, round %2, %3 resources: %4\n"
                                        "Shrunk to these resources in discovery order:\n    %5\n"
                                        "where %6")
                             .arg(seed)
                             .arg(round)
                             .arg(resources.size())
                             .arg(difference, listing(smallest), check(smallest))));
    }
}

SFPTEST_MAIN(tst_ScanModel)
#include "tst_scanmodel.moc"
