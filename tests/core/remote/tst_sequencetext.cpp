// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// A stored sequence as a script writes it: the switching commands read
// into steps and written back, and the commands refused with their names.
#include "sequencetext.h"

#include <QTest>

namespace sequenceText = sfp::sequenceText;
using Kind = sfp::SequenceStep::Kind;

class tst_SequenceText final : public QObject
{
    Q_OBJECT

private slots:
    void commands_data();
    void commands();
};

void tst_SequenceText::commands_data()
{
    QTest::addColumn<QString>("commands");
    QTest::addColumn<QString>("written"); // empty: refused
    QTest::addColumn<QString>("error");

    QTest::newRow("every step, short and long forms")
        << "ROUT:CLOS (@3,1);:ROUTe:SEQuence:WAIT 250; rout:clos:excl (@5:7);ROUT:UPD;"
           "*TRG;ROUT:OPEN (@1);ROUT:OPEN:ALL"
        << "ROUT:CLOS (@3,1);ROUT:SEQ:WAIT 250;ROUT:CLOS:EXCL (@5,6,7);ROUT:UPD;ROUT:UPD;"
           "ROUT:OPEN (@1);ROUT:OPEN "
           "(@1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,"
           "31,32)"
        << QString();
    // Each command stands on its own: no header path carries over.
    QTest::newRow("header path") << "ROUT:CLOS (@1);ROUT:OPEN (@1)"
                                 << "ROUT:CLOS (@1);ROUT:OPEN (@1)" << QString();
    QTest::newRow("not switching") << "ROUT:CLOS (@1);ROUT:MODE COMM" << QString()
                                   << "\"ROUT:MODE\" is not a switching command";
    QTest::newRow("a query") << "ROUT:CLOS? (@1)" << QString()
                             << "\"ROUT:CLOS?\" is not a switching command";
    QTest::newRow("a label's quotes") << R"(ROUT:CHAN:LAB "a;b",(@1))" << QString()
                                      << "\"ROUT:CHAN:LAB\" is not a switching command";
    QTest::newRow("undefined") << "ROUT:CLOS (@1);BOGUS" << QString()
                               << "\"BOGUS\": Undefined header";
    QTest::newRow("relay 33") << "ROUT:CLOS (@33)" << QString()
                              << "\"ROUT:CLOS\": Data out of range";
    QTest::newRow("wait too long")
        << "ROUT:SEQ:WAIT 60001" << QString() << "\"ROUT:SEQ:WAIT\": Data out of range";
    QTest::newRow("empty command")
        << "ROUT:CLOS (@1);;ROUT:OPEN (@1)" << QString() << "\"\": Syntax error";
    QTest::newRow("no command") << "  " << QString() << "a sequence has at least one step";
    QTest::newRow("1001 steps") << QStringList(1001, QStringLiteral("ROUT:UPD")).join(';')
                                << QString() << "a sequence has at most 1000 steps";
}

void tst_SequenceText::commands()
{
    QFETCH(QString, commands);
    QFETCH(QString, written);
    QFETCH(QString, error);
    QString why = QStringLiteral("stale");
    const QList<sfp::SequenceStep> steps = sequenceText::parse(commands, &why);
    QCOMPARE(why, error);
    QCOMPARE(steps.isEmpty(), !error.isEmpty());
    if (!error.isEmpty())
        return;
    QCOMPARE(sequenceText::text(steps), written);
    // What is written back reads back to the same steps.
    QCOMPARE(sequenceText::parse(written, &why), steps);
    QCOMPARE(steps.first().kind, Kind::Close);
}

QTEST_GUILESS_MAIN(tst_SequenceText)
#include "tst_sequencetext.moc"
