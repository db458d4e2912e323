// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
#include "qx5170_sfprelaypair.h"

#include "cardsession.h"
#include "messageboxreporter.h"
#include "relayicons.h"
#include "relaywear.h"

#include <QAbstractButton>
#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QIcon>
#include <QIconEngine>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyle>
#include <QStyleOptionGroupBox>

namespace {

const QSize relayIconSize(19, 12);

QIcon relayIcon(bool on)
{
    // Made once: a remote burst of switches asks for thousands of pictures.
    static const QIcon closed {QPixmap(relayClosedXpm)};
    static const QIcon open {QPixmap(relayOpenXpm)};
    return on ? closed : open;
}

// The contact picture of a relay button as the button stands: closed while
// it is checked, open otherwise. Set once, so that a switch only repaints
// the button; setting another icon on each switch would lay the whole
// window out again, a cost a remote burst pays thousands of times.
class ContactIconEngine final : public QIconEngine
{
public:
    explicit ContactIconEngine(const QAbstractButton *button)
        : m_button(button)
    { }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        current().paint(painter, rect, Qt::AlignCenter, mode, state);
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return current().pixmap(size, mode, state);
    }

    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override
    {
        return current().pixmap(size, scale, mode, state);
    }

    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return current().actualSize(size, mode, state);
    }

    QIconEngine *clone() const override { return new ContactIconEngine(m_button); }

    QString key() const override { return QStringLiteral("qx5170fp-relay-contact"); }

private:
    QIcon current() const { return relayIcon(m_button && m_button->isChecked()); }

    QPointer<const QAbstractButton> m_button;
};

//: %1 is the relay's letter in its pair, A or B
const char relayHelp[] = QT_TRANSLATE_NOOP("qx5170_sfpRelayPair", "Switch on or off relay %1");

QPushButton *newRelayButton(const QString &help)
{
    auto *button = new QPushButton;
    button->setIcon(QIcon(new ContactIconEngine(button)));
    // Shown at the pictures' own size: scaled to the style's 16 x 16 they
    // would blur.
    button->setIconSize(relayIconSize);
    button->setCheckable(true);
    button->setWhatsThis(help);
    button->setToolTip(help);
    return button;
}

} // namespace

// The pairs that show one card hear of its switches through one connection
// per signal: a script switches thousands of relays a second, and a signal
// delivered to each of the sixteen pairs, fifteen of which have nothing to
// do with it, cost the card more than the pair's own work. Pairs hear of
// a relay in the order they joined, as their own connections had them.
class qx5170_sfpRelayPair::Hub final : public QObject
{
public:
    static Hub *of(sfp::CardSession *card)
    {
        for (QObject *child : card->children()) {
            if (auto *hub = dynamic_cast<Hub *>(child))
                return hub;
        }
        return new Hub(card);
    }

    void add(qx5170_sfpRelayPair *pair) { m_pairs.append(pair); }
    void remove(qx5170_sfpRelayPair *pair) { m_pairs.removeOne(pair); }

private:
    explicit Hub(sfp::CardSession *card)
        : QObject(card)
    {
        connect(card, &sfp::CardSession::relayChanged, this, [this](int relay, bool closed) {
            // A copy: a pair may come or go while another shows a change.
            const QList<qx5170_sfpRelayPair *> pairs = m_pairs;
            for (qx5170_sfpRelayPair *pair : pairs) {
                if (sfp::pairOf(relay) == pair->m_pairNo)
                    pair->showRelay(relay, closed);
            }
        });
        connect(card, &sfp::CardSession::relaySwitched, this, [this](int relay) {
            const QList<qx5170_sfpRelayPair *> pairs = m_pairs;
            for (qx5170_sfpRelayPair *pair : pairs) {
                if (sfp::pairOf(relay) == pair->m_pairNo)
                    pair->relaySwitched(relay);
            }
        });
    }

    QList<qx5170_sfpRelayPair *> m_pairs;
};

qx5170_sfpRelayPair::qx5170_sfpRelayPair(sfp::CardSession *card, int pairNo, QWidget *parent)
    : QGroupBox(tr("Pair %1").arg(pairNo + 1, 0, 10), parent)
    , m_card(card)
    //: the label of a pair's relay A
    , relayAlbl(new QLabel(tr("A:")))
    //: the label of a pair's relay B
    , relayBlbl(new QLabel(tr("B:")))
    , relayAbtn(newRelayButton(tr(relayHelp).arg(QLatin1Char('A'))))
    , relayBbtn(newRelayButton(tr(relayHelp).arg(QLatin1Char('B'))))
    , m_pairNo(pairNo)
{
    auto *layout = new QGridLayout(this);
    layout->addWidget(relayAlbl, 0, 0);
    layout->addWidget(relayAbtn, 0, 1);
    layout->addWidget(relayBlbl, 1, 0);
    layout->addWidget(relayBbtn, 1, 1);

    // The buttons show only pictures: screen readers and automation find
    // them by these names.
    //: %1 is the pair's number
    relayAbtn->setAccessibleName(tr("Pair %1 relay A").arg(pairNo + 1));
    //: %1 is the pair's number
    relayBbtn->setAccessibleName(tr("Pair %1 relay B").arg(pairNo + 1));

    // The buttons forward what the operator did: a click, the keyboard's
    // space, an assistive tool's press or toggle (which toggles without a
    // click). What they show comes from the card alone, and setting them to
    // show it asks the card for nothing.
    connect(relayAbtn, &QPushButton::toggled, this, &qx5170_sfpRelayPair::btnAstateChanged_slot);
    connect(relayBbtn, &QPushButton::toggled, this, &qx5170_sfpRelayPair::btnBstateChanged_slot);
    m_hub = Hub::of(m_card);
    m_hub->add(this);
    // A click the fixture's rules refuse leaves the button as the card is.
    connect(m_card, &sfp::CardSession::changeRefused, this,
            [this](int relay) { showRelay(relay, m_card->isClosed(relay)); });

    // The fixture's labels, edited from the buttons' context menus.
    const QList<QPushButton *> buttons {relayAbtn, relayBbtn};
    for (int side = 0; side < 2; ++side) {
        const int relay = side == 0 ? sfp::relayA(pairNo) : sfp::relayB(pairNo);
        m_labelActions[side] = new QAction(tr("Label..."), buttons[side]);
        buttons[side]->addAction(m_labelActions[side]);
        connect(m_labelActions[side], &QAction::triggered, this,
                [this, relay] { editLabel(relay); });
    }
    connect(m_card, &sfp::CardSession::labelsChanged, this, &qx5170_sfpRelayPair::showLabels);
    connect(m_card, &sfp::CardSession::wearChanged, this, &qx5170_sfpRelayPair::showWear);
    showLabels();
}

qx5170_sfpRelayPair::qx5170_sfpRelayPair(ViSession vi, int pairNo, bool demo, QWidget *parent)
    : qx5170_sfpRelayPair(new sfp::CardSession(vi, demo), pairNo, parent)
{
    m_card->setParent(this);
    m_ownReporter = std::make_unique<sfp::MessageBoxReporter>();
    m_card->setReporter(m_ownReporter.get());
}

qx5170_sfpRelayPair::~qx5170_sfpRelayPair()
{
    if (m_hub)
        m_hub->remove(this);
}

bool qx5170_sfpRelayPair::isExclusive() const
{
    return m_card->isExclusive();
}

bool qx5170_sfpRelayPair::isDemo() const
{
    return m_card->isDemo();
}

ViSession qx5170_sfpRelayPair::session() const
{
    return m_card->vi();
}

void qx5170_sfpRelayPair::exclusiveToggle_slot(bool on)
{
    m_card->setExclusive(on);
}

void qx5170_sfpRelayPair::btnAstateChanged_slot(bool state)
{
    if (!m_showingCard)
        m_card->setRelay(sfp::relayA(m_pairNo), state);
}

void qx5170_sfpRelayPair::btnBstateChanged_slot(bool state)
{
    if (!m_showingCard)
        m_card->setRelay(sfp::relayB(m_pairNo), state);
}

void qx5170_sfpRelayPair::showRelay(int relay, bool closed)
{
    if (sfp::pairOf(relay) != m_pairNo)
        return;
    // The button shows what was commanded, by a click or from elsewhere.
    // The button still says it toggled, to anyone listening; the card,
    // which the change came from, is not asked again.
    QPushButton *button = relay == sfp::relayA(m_pairNo) ? relayAbtn : relayBbtn;
    const QScopedValueRollback<bool> showing(m_showingCard, true);
    button->setChecked(closed);
}

void qx5170_sfpRelayPair::relaySwitched(int relay)
{
    if (sfp::pairOf(relay) == m_pairNo)
        emit buttonClicked();
}

QAction *qx5170_sfpRelayPair::labelAction(int relay) const
{
    if (sfp::pairOf(relay) != m_pairNo)
        return nullptr;
    return m_labelActions[relay == sfp::relayA(m_pairNo) ? 0 : 1];
}

void qx5170_sfpRelayPair::showLabels()
{
    const QString pairName = plainTitle();
    const QString labelA = m_card->label(sfp::relayA(m_pairNo));
    const QString labelB = m_card->label(sfp::relayB(m_pairNo));
    for (int side = 0; side < 2; ++side) {
        QPushButton *button = side == 0 ? relayAbtn : relayBbtn;
        const QString &label = side == 0 ? labelA : labelB;
        QString name = side == 0 ? tr("Pair %1 relay A").arg(m_pairNo + 1)
                                 : tr("Pair %1 relay B").arg(m_pairNo + 1);
        if (!label.isEmpty())
            name += QStringLiteral(": ") + label;
        button->setAccessibleName(name);
        showWear(side == 0 ? sfp::relayA(m_pairNo) : sfp::relayB(m_pairNo));
        // The menu only where there is a fixture: without one the buttons
        // are as they always were.
        button->setContextMenuPolicy(m_card->hasFixtureFile() ? Qt::ActionsContextMenu
                                                              : Qt::DefaultContextMenu);
    }
    m_labelledTitle.clear();
    if (!labelA.isEmpty() || !labelB.isEmpty()) {
        const QString none = QStringLiteral("\u2013");
        m_labelledTitle = pairName + QStringLiteral(" \u00b7 ") + (labelA.isEmpty() ? none : labelA)
            + QStringLiteral(" / ") + (labelB.isEmpty() ? none : labelB);
    }
    setToolTip(m_labelledTitle);
    updateTitle();
}

void qx5170_sfpRelayPair::showWear(int relay)
{
    if (sfp::pairOf(relay) != m_pairNo)
        return;
    const int side = relay == sfp::relayA(m_pairNo) ? 0 : 1;
    QPushButton *button = side == 0 ? relayAbtn : relayBbtn;
    const QString label = m_card->label(relay);
    QString tip = tr(relayHelp).arg(QLatin1Char(side == 0 ? 'A' : 'B'));
    if (!label.isEmpty())
        tip.prepend(label + QLatin1Char('\n'));

    const sfp::RelayWear *wear = m_card->wear();
    const Level level = wear ? wear->level(relay, m_card->fixture()) : Level::Fresh;
    if (level != Level::Fresh)
        //: %1 is "Worn out" or "Wearing", %2 and %3 counts of closings
        tip += tr("\n%1: closed %2 times of a rated %3")
                   .arg(level == Level::Worn ? tr("Worn out") : tr("Wearing"))
                   .arg(wear->cycles(relay))
                   .arg(m_card->fixture().ratedCycles[size_t(relay - 1)]);
    button->setToolTip(tip);
    // A frame in the warning's colour, stronger once the rated life is
    // spent; set only when the level changes, since a style sheet lays the
    // button out again.
    if (level == m_wearLevel[side])
        return;
    m_wearLevel[side] = level;
    button->setProperty(
        "wear",
        level == Level::Fresh ? QVariant() : QVariant(level == Level::Worn ? "worn" : "warning"));
    switch (level) {
    case Level::Fresh:
        button->setStyleSheet(QString());
        break;
    case Level::Warning:
        button->setStyleSheet(QStringLiteral(
            "QPushButton { border: 2px solid #d4a000; border-radius: 3px; background: #fff4cc; "
            "padding: 2px 6px; } QPushButton:checked { background: #f0dc90; }"));
        break;
    case Level::Worn:
        button->setStyleSheet(QStringLiteral(
            "QPushButton { border: 3px solid #c00000; border-radius: 3px; background: #ffd6d6; "
            "padding: 1px 5px; } QPushButton:checked { background: #f0a0a0; }"));
        break;
    }
}

QString qx5170_sfpRelayPair::plainTitle() const
{
    //: %1 is the pair's number
    return tr("Pair %1").arg(m_pairNo + 1);
}

void qx5170_sfpRelayPair::updateTitle()
{
    if (m_labelledTitle.isEmpty()) {
        setTitle(plainTitle());
        return;
    }
    // As much of the labels as the box's width holds; the size hints
    // ignore the title, so the width is the one the pair has without them.
    const QFontMetrics metrics = fontMetrics();
    const int room = width() - 2 * metrics.averageCharWidth();
    setTitle(metrics.elidedText(m_labelledTitle, Qt::ElideRight, room));
}

QSize qx5170_sfpRelayPair::minimumSizeHint() const
{
    if (m_labelledTitle.isEmpty())
        return QGroupBox::minimumSizeHint();
    // The group box's own hint, worked out for the title without labels:
    // the hint of the title shown would grow with every label.
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const QString title = plainTitle();
    option.text = title;
    const QFontMetrics metrics = fontMetrics();
    const QSize content(metrics.horizontalAdvance(title)
                            + metrics.horizontalAdvance(QLatin1Char(' ')),
                        metrics.height());
    // The layout's own minimum, past the group box's: the group box's hint
    // is the one that counts the labelled title.
    return style()
        ->sizeFromContents(QStyle::CT_GroupBox, &option, content, this)
        .expandedTo(QWidget::minimumSizeHint()); // NOLINT(bugprone-parent-virtual-call)
}

void qx5170_sfpRelayPair::resizeEvent(QResizeEvent *event)
{
    QGroupBox::resizeEvent(event);
    if (!m_labelledTitle.isEmpty())
        updateTitle();
}

void qx5170_sfpRelayPair::changeEvent(QEvent *event)
{
    QGroupBox::changeEvent(event);
    // Another font or style cuts the labels at another place.
    if ((event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        && !m_labelledTitle.isEmpty())
        updateTitle();
}

void qx5170_sfpRelayPair::editLabel(int relay)
{
    const QString letter
        = relay == sfp::relayA(m_pairNo) ? QStringLiteral("A") : QStringLiteral("B");
    bool accepted = false;
    const QString text = QInputDialog::getText(
        this, tr("Relay label"),
        //: %1 is the pair's number, %2 the relay's letter (A, B), %3 the relay's number,
        //: %4 the greatest number of characters of a label
        tr("Label of pair %1 relay %2 (relay %3), up to %4 characters; empty for none:")
            .arg(m_pairNo + 1)
            .arg(letter)
            .arg(relay)
            .arg(sfp::Fixture::labelLength),
        QLineEdit::Normal, m_card->label(relay), &accepted);
    if (!accepted)
        return;
    const sfp::Refusal refusal = m_card->setLabels({relay}, text.trimmed());
    if (!refusal.isNone())
        QMessageBox::warning(this, tr("Relay label"),
                             //: %1 says why
                             tr("The label was not changed: %1.").arg(refusal.operatorReason()));
}
