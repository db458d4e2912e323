// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// One relay pair widget switching the simulated card's relays.
#include "qx5170_sfprelaypair.h"
#include "relayicons.h"
#include "sfptest.h"

#include "qx5170.h"
#include "sim_control.h"

#include <QApplication>
#include <QGridLayout>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QMetaMethod>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>

namespace {

const char cardDescriptor[] = "VXI0::1::INSTR";
constexpr ViUInt16 cardPosition = 2;

// clang-format off
QStringList openContactRows()
{
    return {
        QStringLiteral("..................."),
        QStringLiteral("...........##......"),
        QStringLiteral(".........###......."),
        QStringLiteral(".......###........."),
        QStringLiteral("....####.....##...."),
        QStringLiteral("####..#.....#..####"),
        QStringLiteral("...#..#.....#..#..."),
        QStringLiteral("....##.......##...."),
        QStringLiteral("..................."),
        QStringLiteral("..................."),
        QStringLiteral("..................."),
        QStringLiteral("..................."),
    };
}

QStringList closedContactRows()
{
    return {
        QStringLiteral("..................."),
        QStringLiteral("..................."),
        QStringLiteral("..................."),
        QStringLiteral(".....#########....."),
        QStringLiteral("....###########...."),
        QStringLiteral("####..#.....#..####"),
        QStringLiteral("...#..#.....#..#..."),
        QStringLiteral("....##.......##...."),
        QStringLiteral("..................."),
        QStringLiteral("..................."),
        QStringLiteral("..................."),
        QStringLiteral("..................."),
    };
}
// clang-format on

// Where the image differs from the rows ('#' opaque black, '.' transparent);
// empty when it matches.
QString pictureMismatch(const QImage &picture, const QStringList &rows)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    if (image.size() != QSize(19, 12))
        return QStringLiteral("size %1x%2").arg(image.width()).arg(image.height());
    for (int y = 0; y < rows.size(); ++y) {
        for (int x = 0; x < rows.at(y).size(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const bool black = rows.at(y).at(x) == QLatin1Char('#');
            const bool ok = black ? pixel == qRgba(0, 0, 0, 255) : qAlpha(pixel) == 0;
            if (!ok)
                return QStringLiteral("pixel %1,%2 is #%3").arg(x).arg(y).arg(pixel, 8, 16);
        }
    }
    return QString();
}

QString iconMismatch(const QPushButton *button, const QStringList &rows)
{
    return pictureMismatch(button->icon().pixmap(QSize(19, 12)).toImage(), rows);
}

// The picture a button shows at the moment a message box appears.
class IconWhenBoxShows final : public QObject
{
public:
    explicit IconWhenBoxShows(const QPushButton *button)
        : m_button(button)
    {
        qApp->installEventFilter(this);
    }

    QString mismatchWith(const QStringList &rows) const { return pictureMismatch(m_image, rows); }
    bool seen = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!seen && event->type() == QEvent::Show && qobject_cast<QMessageBox *>(watched)) {
            seen = true;
            m_image = m_button->icon().pixmap(QSize(19, 12)).toImage();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QPushButton *m_button;
    QImage m_image;
};

sfpsim::CardState cardState()
{
    sfpsim::CardState state;
    if (!sfpsim::cardState(cardDescriptor, cardPosition, &state))
        qWarning("the simulated relay card is missing");
    return state;
}

QString switchLine(ViSession vi, int relay, bool on, ViStatus status = VI_SUCCESS)
{
    return QStringLiteral("qx5170_switchRelay(%1, %2, %3) = %4")
        .arg(vi)
        .arg(relay)
        .arg(on ? 1 : 0)
        .arg(status);
}

QString errorMessageLine(ViStatus status, ViStatus result = VI_SUCCESS)
{
    return QStringLiteral("qx5170_error_message(0, %1) = %2").arg(status).arg(result);
}

QString driverText(ViStatus status)
{
    char text[qx5170_ERROR_MESSAGE_BUFLEN] = {};
    qx5170_error_message(VI_NULL, status, text);
    return QString::fromLatin1(text);
}

const QLatin1String clicked("buttonClicked()");

// Records the driver calls interleaved with the widget's buttonClicked().
struct CallLog
{
    explicit CallLog(qx5170_sfpRelayPair *pair)
        : log({QStringLiteral("qx5170_")})
    {
        QObject::connect(pair, &qx5170_sfpRelayPair::buttonClicked, pair,
                         [this] { log.mark(clicked); });
    }
    sfptest::TraceLog log;
};

ViSession openRelayCard()
{
    ViSession vi = VI_NULL;
    if (qx5170_init(const_cast<char *>(cardDescriptor), cardPosition, VI_TRUE, VI_TRUE, &vi)
        != VI_SUCCESS)
        return VI_NULL;
    qx5170_setSwitchingMode(vi, qx5170_MODE_ASYNCHRONOUS, qx5170_ITRIG_NONE);
    return vi;
}

} // namespace

SFPTEST_CHILD(errorYesEndsTheProgram)
{
    sfpsim::loadDefaultSystem();
    const ViSession vi = openRelayCard();
    qx5170_sfpRelayPair pair(vi, 4, false);
    sfpsim::injectFault("qx5170_switchRelay", qx5170_ERROR_NO_CARD);
    const auto answer = sfptest::answerNextModal(QStringLiteral("Yes"));
    pair.relayAButton()->click();
    std::fputs("the handler returned\n", stdout);
}

class tst_RelayPair final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // construction
    void construction_data();
    void construction() const;
    void metaObjectOrder();
    void contactPicturesFollowTheButtons() const;
    void picturesAsTheWindowPaintsThem() const;

    // switching through the driver
    void switchesItsChannels_data();
    void switchesItsChannels() const;
    void cardFollowsTheButtons();
    void exclusiveRule_data();
    void exclusiveRule() const;
    void demoModeCallsNothing();

    // status reports
    void reportsDriverStatus_data();
    void reportsDriverStatus() const;
    void reportWithoutDriverText() const;
    void failedSwitchStillRunsTheExclusiveRule() const;
    void errorYesEndsTheProgram();

private:
    ViSession m_vi = VI_NULL;
};

void tst_RelayPair::initTestCase()
{
    sfptest::dismissStrayModals();
}

void tst_RelayPair::init()
{
    sfpsim::loadDefaultSystem();
    sfpsim::clearFaults();
    m_vi = openRelayCard();
    QVERIFY(m_vi != VI_NULL);
    sfptest::clearTrace();
}

void tst_RelayPair::cleanup()
{
    QCOMPARE(sfptest::takeStrayModals(), QStringList());
    sfpsim::clearFaults();
    if (m_vi != VI_NULL)
        qx5170_close(m_vi);
    m_vi = VI_NULL;
}

void tst_RelayPair::construction_data()
{
    QTest::addColumn<int>("pairNo");
    QTest::addColumn<QString>("title");
    QTest::newRow("first") << 0 << QStringLiteral("Pair 1");
    QTest::newRow("tenth") << 9 << QStringLiteral("Pair 10");
    QTest::newRow("last") << 15 << QStringLiteral("Pair 16");
}

void tst_RelayPair::construction() const
{
    QFETCH(int, pairNo);
    QFETCH(QString, title);
    qx5170_sfpRelayPair pair(m_vi, pairNo, false);
    QCOMPARE(pair.title(), title);
    QCOMPARE(pair.parentWidget(), nullptr);
    QCOMPARE(pair.pairNo(), pairNo);
    QCOMPARE(pair.session(), m_vi);
    QVERIFY(!pair.isExclusive());
    QVERIFY(!pair.isDemo());

    auto *grid = qobject_cast<QGridLayout *>(pair.layout());
    QVERIFY(grid);
    QCOMPARE(grid->itemAtPosition(0, 0)->widget(), pair.relayALabel());
    QCOMPARE(grid->itemAtPosition(0, 1)->widget(), pair.relayAButton());
    QCOMPARE(grid->itemAtPosition(1, 0)->widget(), pair.relayBLabel());
    QCOMPARE(grid->itemAtPosition(1, 1)->widget(), pair.relayBButton());
    QCOMPARE(pair.relayALabel()->text(), QStringLiteral("A:"));
    QCOMPARE(pair.relayBLabel()->text(), QStringLiteral("B:"));

    const QString help[]
        = {QStringLiteral("Switch on or off relay A"), QStringLiteral("Switch on or off relay B")};
    const QPushButton *buttons[] = {pair.relayAButton(), pair.relayBButton()};
    for (int i = 0; i < 2; ++i) {
        QVERIFY(buttons[i]->isCheckable());
        QVERIFY(!buttons[i]->isChecked());
        QCOMPARE(buttons[i]->text(), QString());
        QCOMPARE(buttons[i]->whatsThis(), help[i]);
        QCOMPARE(buttons[i]->toolTip(), help[i]);
        QCOMPARE(buttons[i]->parentWidget(), &pair);
    }
    // Screen readers and automation find the picture buttons by name.
    QCOMPARE(pair.relayAButton()->accessibleName(), title + QStringLiteral(" relay A"));
    QCOMPARE(pair.relayBButton()->accessibleName(), title + QStringLiteral(" relay B"));
    // Building the widget talks to nobody.
    QVERIFY(sfptest::trace().isEmpty());
}

void tst_RelayPair::metaObjectOrder()
{
    const QMetaObject &meta = qx5170_sfpRelayPair::staticMetaObject;
    QStringList methods;
    QList<QByteArrayList> names;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        methods.append(QString::fromLatin1(meta.method(i).methodSignature()));
        names.append(meta.method(i).parameterNames());
    }
    QCOMPARE(methods,
             QStringList({QStringLiteral("buttonClicked()"),
                          QStringLiteral("exclusiveToggle_slot(bool)"),
                          QStringLiteral("btnAstateChanged_slot(bool)"),
                          QStringLiteral("btnBstateChanged_slot(bool)")}));
    QCOMPARE(meta.method(meta.methodOffset()).methodType(), QMetaMethod::Signal);
    QCOMPARE(names.at(1), QByteArrayList {"on"});
    QCOMPARE(names.at(2), QByteArrayList {"state"});
    QCOMPARE(names.at(3), QByteArrayList {"state"});
}

void tst_RelayPair::contactPicturesFollowTheButtons() const
{
    qx5170_sfpRelayPair pair(m_vi, 0, false);
    QPushButton *buttons[] = {pair.relayAButton(), pair.relayBButton()};
    for (QPushButton *button : buttons) {
        // Shown at the pictures' own size.
        QCOMPARE(button->iconSize(), QSize(19, 12));
        for (int press = 0; press < 3; ++press) {
            const QStringList rows = button->isChecked() ? closedContactRows() : openContactRows();
            const QString mismatch = iconMismatch(button, rows);
            QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
            button->click();
        }
    }
}

namespace {

// The middle of a painted button, where its picture goes; the face around
// it is the style's.
QImage iconArea(QPushButton *button)
{
    const QImage painted
        = button->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QRect middle(QPoint(0, 0), QSize(19, 12));
    middle.moveCenter(painted.rect().center());
    return painted.copy(middle);
}

} // namespace

void tst_RelayPair::picturesAsTheWindowPaintsThem() const
{
    // Painted, the relay buttons look exactly like buttons that carry the
    // plain contact picture of their state: closed, open, and greyed while
    // the panel is locked.
    qx5170_sfpRelayPair pair(m_vi, 0, false);
    QPushButton *button = pair.relayBButton();
    QPushButton reference;
    reference.setCheckable(true);
    reference.setIconSize(QSize(19, 12));
    // Laid out as the pair lays it out.
    reference.resize(button->grab().size());
    for (const bool enabled : {true, false}) {
        for (const bool closed : {true, false, true}) {
            if (button->isChecked() != closed)
                button->toggle();
            reference.setChecked(closed);
            reference.setIcon(QIcon(QPixmap(closed ? relayClosedXpm : relayOpenXpm)));
            button->setEnabled(enabled);
            reference.setEnabled(enabled);
            QCOMPARE(iconArea(button), iconArea(&reference));
        }
    }
    // The picture an icon copy gives is the button's, as it stands.
    const QIcon copy = button->icon();
    QVERIFY(!copy.pixmap(QSize(19, 12)).toImage().isNull());
    QCOMPARE(copy.actualSize(QSize(19, 12)), QSize(19, 12));

    // However a style or a screen asks for the picture (painted, at twice
    // the pixel density, from a copy changed on its own), it is the plain
    // picture of the button's state, also after the button changed.
    const auto painted = [](const QIcon &icon) {
        QImage image(QSize(19, 12), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        icon.paint(&painter, image.rect());
        return image;
    };
    QIcon detached = button->icon();
    QPixmap ignored(1, 1);
    ignored.fill(Qt::black);
    detached.addPixmap(ignored);
    button->setEnabled(true);
    for (const bool closed : {false, true, false}) {
        if (button->isChecked() != closed)
            button->toggle();
        const QIcon plain(QPixmap(closed ? relayClosedXpm : relayOpenXpm));
        QCOMPARE(painted(button->icon()), painted(plain));
        QCOMPARE(button->icon().pixmap(QSize(19, 12), 2.0).toImage(),
                 plain.pixmap(QSize(19, 12), 2.0).toImage());
        QCOMPARE(painted(detached), painted(plain));
    }
}

void tst_RelayPair::switchesItsChannels_data()
{
    QTest::addColumn<int>("pairNo");
    QTest::addColumn<bool>("relayB");
    QTest::addColumn<int>("channel");
    QTest::newRow("pair 1 relay A") << 0 << false << 1;
    QTest::newRow("pair 1 relay B") << 0 << true << 2;
    QTest::newRow("pair 8 relay A") << 7 << false << 15;
    QTest::newRow("pair 8 relay B") << 7 << true << 16;
    QTest::newRow("pair 16 relay A") << 15 << false << 31;
    QTest::newRow("pair 16 relay B") << 15 << true << 32;
}

void tst_RelayPair::switchesItsChannels() const
{
    QFETCH(int, pairNo);
    QFETCH(bool, relayB);
    QFETCH(int, channel);
    qx5170_sfpRelayPair pair(m_vi, pairNo, false);
    QPushButton *button = relayB ? pair.relayBButton() : pair.relayAButton();
    CallLog calls(&pair);

    button->click();
    QVERIFY(button->isChecked());
    sfpsim::CardState card = cardState();
    for (int relay = 1; relay <= 32; ++relay)
        QCOMPARE(card.applied[size_t(relay - 1)], relay == channel);

    button->click();
    QVERIFY(!button->isChecked());
    card = cardState();
    for (int relay = 1; relay <= 32; ++relay)
        QCOMPARE(card.applied[size_t(relay - 1)], false);

    QCOMPARE(calls.log.events(),
             QStringList({switchLine(m_vi, channel, true), clicked,
                          switchLine(m_vi, channel, false), clicked}));
}

void tst_RelayPair::cardFollowsTheButtons()
{
    std::vector<std::unique_ptr<qx5170_sfpRelayPair>> pairs;
    pairs.reserve(16);
    for (int p = 0; p < 16; ++p)
        pairs.push_back(std::make_unique<qx5170_sfpRelayPair>(m_vi, p, false));
    // An irregular pattern over all 32 relays, some pressed twice.
    for (int p = 0; p < 16; ++p) {
        if (p % 3 != 1)
            pairs[size_t(p)]->relayAButton()->click();
        if (p % 2 == 0)
            pairs[size_t(p)]->relayBButton()->click();
        if (p % 5 == 0)
            pairs[size_t(p)]->relayAButton()->click();
    }
    const sfpsim::CardState card = cardState();
    for (int p = 0; p < 16; ++p) {
        QCOMPARE(card.applied[size_t(2 * p)], pairs[size_t(p)]->relayAButton()->isChecked());
        QCOMPARE(card.applied[size_t(2 * p + 1)], pairs[size_t(p)]->relayBButton()->isChecked());
    }
}

void tst_RelayPair::exclusiveRule_data()
{
    QTest::addColumn<int>("pairNo");
    QTest::addColumn<bool>("exclusive"); // before the action
    QTest::addColumn<bool>("aOn"); // before the action
    QTest::addColumn<bool>("bOn");
    QTest::addColumn<QString>("action"); // "A", "B", "exclusive on", "exclusive off"
    QTest::addColumn<QStringList>("expected"); // "A1" / "B0": that relay's call; "clicked"
    QTest::addColumn<bool>("aAfter");
    QTest::addColumn<bool>("bAfter");

    const QString A = QStringLiteral("A");
    const QString B = QStringLiteral("B");
    const QString on = QStringLiteral("exclusive on");
    const QString off = QStringLiteral("exclusive off");
    for (int pairNo : {0, 15}) {
        const QByteArray p = QByteArray::number(pairNo);
        auto row = [&p](const char *name) -> QTestData & {
            return QTest::newRow((p + ": " + name).constData());
        };
        row("pressing A while B is on")
            << pairNo << true << false << true << A
            << QStringList {"A1", "clicked", "B0", "clicked", "clicked"} << true << false;
        row("pressing B while A is on")
            << pairNo << true << true << false << B
            << QStringList {"B1", "clicked", "A0", "clicked", "clicked"} << false << true;
        row("pressing A with both off") << pairNo << true << false << false << A
                                        << QStringList {"A1", "clicked"} << true << false;
        row("switching A off") << pairNo << true << true << false << A
                               << QStringList {"A0", "clicked"} << false << false;
        row("switching B off") << pairNo << true << false << true << B
                               << QStringList {"B0", "clicked"} << false << false;
        row("not exclusive keeps both") << pairNo << false << false << true << A
                                        << QStringList {"A1", "clicked"} << true << true;
        row("turning on with both on") << pairNo << false << true << true << on
                                       << QStringList {"B0", "clicked"} << true << false;
        row("turning on with A on")
            << pairNo << false << true << false << on << QStringList {} << true << false;
        row("turning on with B on")
            << pairNo << false << false << true << on << QStringList {} << false << true;
        row("turning on with both off")
            << pairNo << false << false << false << on << QStringList {} << false << false;
        row("turning off") << pairNo << true << true << false << off << QStringList {} << true
                           << false;
    }
}

void tst_RelayPair::exclusiveRule() const
{
    QFETCH(int, pairNo);
    QFETCH(bool, exclusive);
    QFETCH(bool, aOn);
    QFETCH(bool, bOn);
    QFETCH(QString, action);
    QFETCH(QStringList, expected);
    QFETCH(bool, aAfter);
    QFETCH(bool, bAfter);

    qx5170_sfpRelayPair pair(m_vi, pairNo, false);
    if (aOn)
        pair.relayAButton()->click();
    if (bOn)
        pair.relayBButton()->click();
    pair.exclusiveToggle_slot(exclusive);
    QCOMPARE(pair.relayAButton()->isChecked(), aOn);
    QCOMPARE(pair.relayBButton()->isChecked(), bOn);

    CallLog calls(&pair);
    if (action == QLatin1String("A"))
        pair.relayAButton()->click();
    else if (action == QLatin1String("B"))
        pair.relayBButton()->click();
    else
        pair.exclusiveToggle_slot(action == QLatin1String("exclusive on"));

    QStringList expectedEvents;
    for (const QString &token : expected) {
        if (token == QLatin1String("clicked")) {
            expectedEvents.append(clicked);
            continue;
        }
        const int channel = token.startsWith(QLatin1Char('A')) ? pairNo * 2 + 1 : pairNo * 2 + 2;
        expectedEvents.append(switchLine(m_vi, channel, token.endsWith(QLatin1Char('1'))));
    }
    QCOMPARE(calls.log.events(), expectedEvents);
    QCOMPARE(pair.relayAButton()->isChecked(), aAfter);
    QCOMPARE(pair.relayBButton()->isChecked(), bAfter);
    if (action.startsWith(QLatin1String("exclusive")))
        QCOMPARE(pair.isExclusive(), action == QLatin1String("exclusive on"));

    const sfpsim::CardState card = cardState();
    QCOMPARE(card.applied[size_t(pairNo * 2)], aAfter);
    QCOMPARE(card.applied[size_t(pairNo * 2 + 1)], bAfter);
    QVERIFY(iconMismatch(pair.relayAButton(), aAfter ? closedContactRows() : openContactRows())
                .isEmpty());
    QVERIFY(iconMismatch(pair.relayBButton(), bAfter ? closedContactRows() : openContactRows())
                .isEmpty());
}

void tst_RelayPair::demoModeCallsNothing()
{
    // Demo mode alone keeps the widget off the driver, even with a live
    // session handle.
    for (ViSession vi : {ViSession(VI_NULL), m_vi}) {
        sfptest::clearTrace();
        qx5170_sfpRelayPair pair(vi, 3, true);
        QVERIFY(pair.isDemo());
        QSignalSpy spy(&pair, &qx5170_sfpRelayPair::buttonClicked);
        pair.relayAButton()->click();
        pair.relayBButton()->click();
        QCOMPARE(spy.count(), 2);
        pair.exclusiveToggle_slot(true);
        QCOMPARE(spy.count(), 3);
        QVERIFY(pair.relayAButton()->isChecked());
        QVERIFY(!pair.relayBButton()->isChecked());
        pair.relayBButton()->click();
        QCOMPARE(spy.count(), 6);
        QVERIFY(!pair.relayAButton()->isChecked());
        QVERIFY(pair.relayBButton()->isChecked());
        QVERIFY(iconMismatch(pair.relayAButton(), openContactRows()).isEmpty());
        QVERIFY(iconMismatch(pair.relayBButton(), closedContactRows()).isEmpty());

        QCOMPARE(sfptest::trace(), QStringList());
        const sfpsim::CardState card = cardState();
        for (bool relay : card.commanded)
            QVERIFY(!relay);
    }
}

void tst_RelayPair::reportsDriverStatus_data()
{
    QTest::addColumn<bool>("relayB");
    QTest::addColumn<ViStatus>("status");
    QTest::addColumn<QString>("answer");

    QTest::newRow("A error, No") << false << qx5170_ERROR_NO_CARD << QStringLiteral("No");
    QTest::newRow("A error, Esc") << false << VI_ERROR_TMO << QString();
    QTest::newRow("B error, No") << true << qx5170_ERROR_NO_MOTHERBOARD << QStringLiteral("No");
    QTest::newRow("A warning") << false << VI_WARN_NSUP_RESET << QStringLiteral("OK");
    QTest::newRow("B warning") << true << VI_WARN_NSUP_ID_QUERY << QStringLiteral("OK");
}

void tst_RelayPair::reportsDriverStatus() const
{
    QFETCH(bool, relayB);
    QFETCH(ViStatus, status);
    QFETCH(QString, answer);

    const int pairNo = 6;
    const int channel = relayB ? 14 : 13;
    const QString statusText = driverText(status);
    QVERIFY(!statusText.isEmpty());
    sfptest::clearTrace();

    qx5170_sfpRelayPair pair(m_vi, pairNo, false);
    QPushButton *button = relayB ? pair.relayBButton() : pair.relayAButton();
    CallLog calls(&pair);
    sfpsim::injectFault("qx5170_switchRelay", status);
    // While the box is up, the button already shows the commanded state.
    const IconWhenBoxShows iconWhenAsked(button);
    const auto box = sfptest::answerNextModal(answer);
    button->click();

    QVERIFY(box->answered);
    QVERIFY(iconWhenAsked.seen);
    QCOMPARE(iconWhenAsked.mismatchWith(closedContactRows()), QString());
    if (status < 0) {
        const QString call = relayB
            ? QStringLiteral("qx5170_switchRelay(m_vi, (m_pairNo+1)*2, relayBbtn->isChecked())")
            : QStringLiteral("qx5170_switchRelay(m_vi, m_pairNo*2+1, relayAbtn->isChecked())");
        QCOMPARE(box->title, QStringLiteral("Orbelan  SFP Error message"));
        QCOMPARE(box->icon, QStringLiteral("Critical"));
        QCOMPARE(box->buttons, QStringList({QStringLiteral("Yes"), QStringLiteral("No")}));
        QCOMPARE(
            box->text,
            QStringLiteral("%1 failed due to [%2]\nDo you want to exit?").arg(call, statusText));
    } else {
        QCOMPARE(box->title, QStringLiteral("Orbelan  SFP Warning message"));
        QCOMPARE(box->icon, QStringLiteral("Warning"));
        QCOMPARE(box->buttons, QStringList({QStringLiteral("OK")}));
        QCOMPARE(box->text, QStringLiteral("Warning: [%1]").arg(statusText));
    }

    // The handler went on: the button keeps the operator's state, its icon
    // matches it, and the panel still hears of the change.
    QVERIFY(button->isChecked());
    QVERIFY(iconMismatch(button, closedContactRows()).isEmpty());
    QCOMPARE(
        calls.log.events(),
        QStringList({switchLine(m_vi, channel, true, status), errorMessageLine(status), clicked}));
    // A warning comes from a call that did its work; an error from one that
    // did not.
    QCOMPARE(cardState().applied[size_t(channel - 1)], status > 0);
}

void tst_RelayPair::reportWithoutDriverText() const
{
    qx5170_sfpRelayPair pair(m_vi, 0, false);
    sfpsim::injectFault("qx5170_switchRelay", qx5170_ERROR_NO_CARD);
    sfpsim::injectFault("qx5170_error_message", VI_ERROR_SYSTEM_ERROR);
    const auto box = sfptest::answerNextModal(QStringLiteral("No"));
    pair.relayAButton()->click();
    QVERIFY(box->answered);
    QCOMPARE(box->text,
             QStringLiteral("qx5170_switchRelay(m_vi, m_pairNo*2+1, "
                            "relayAbtn->isChecked()) failed due to []\n"
                            "Do you want to exit?"));
}

void tst_RelayPair::failedSwitchStillRunsTheExclusiveRule() const
{
    const int pairNo = 15;
    qx5170_sfpRelayPair pair(m_vi, pairNo, false);
    pair.relayBButton()->click();
    pair.exclusiveToggle_slot(true);
    CallLog calls(&pair);
    sfpsim::injectFault("qx5170_switchRelay", qx5170_ERROR_NO_CARD);
    const auto box = sfptest::answerNextModal(QStringLiteral("No"));
    pair.relayAButton()->click();
    QVERIFY(box->answered);
    QVERIFY(pair.relayAButton()->isChecked());
    QVERIFY(!pair.relayBButton()->isChecked());
    QCOMPARE(calls.log.events(),
             QStringList({switchLine(m_vi, 31, true, qx5170_ERROR_NO_CARD),
                          errorMessageLine(qx5170_ERROR_NO_CARD), clicked,
                          switchLine(m_vi, 32, false), clicked, clicked}));
}

void tst_RelayPair::errorYesEndsTheProgram()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString tracePath = dir.filePath(QStringLiteral("trace.txt"));
    const sfptest::ChildResult result = sfptest::runInChild(
        QStringLiteral("errorYesEndsTheProgram"), {QStringLiteral("SFP_SIM_TRACE=") + tracePath});
    QVERIFY(result.started);
    QVERIFY2(!result.crashed, result.output.constData());
    QCOMPARE(result.exitStatus, 0);
    QVERIFY(!result.output.contains("the handler returned"));
    // Ended at once: the error text was the last thing asked of the driver,
    // and the session was left open.
    const QStringList calls = sfptest::traceFile(tracePath, {QStringLiteral("qx5170_")});
    QVERIFY(calls.size() >= 2);
    QVERIFY(calls.at(calls.size() - 2).startsWith(QStringLiteral("qx5170_switchRelay(")));
    QCOMPARE(calls.last(), errorMessageLine(qx5170_ERROR_NO_CARD));
}

SFPTEST_MAIN(tst_RelayPair)
#include "tst_relaypair.moc"
