// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// The fixture file: every file of the reader's rows taken or refused with
// its place and reason, what a fixture holds once read, the rules' texts,
// the card's own file name, and files that are not what they seem.
#include "fixture.h"
#include "sfpcoretest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using sfp::Fixture;
using sfp::FixtureRule;
using sfptest::writeFile;

namespace {

std::array<bool, 32> closedRelays(std::initializer_list<int> relays)
{
    std::array<bool, 32> closed = {};
    for (int relay : relays)
        closed[size_t(relay - 1)] = true;
    return closed;
}

Fixture withLabels(const std::array<QString, 32> &labels)
{
    Fixture fixture;
    fixture.labels = labels;
    return fixture;
}

} // namespace

class tst_Fixture final : public QObject
{
    Q_OBJECT

private slots:
    void rows_data();
    void rows();
    void fullFixture();
    void brokenRuleTexts();
    void fileNames();
    void filesThatAreNotFixtures();
    void writeLabels();
    void writeLabelsOnAFullDisk();
    void writeKeepsTheFilesOwnForm();
    void writeNothingTheReaderWouldRefuse();
};

void tst_Fixture::rows_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("error");

    const QDir rows(QStringLiteral(SFP_FIXTURE_ROWS));
    for (const QString &kind : {QStringLiteral("valid"), QStringLiteral("invalid")}) {
        const QDir folder(rows.filePath(kind));
        const QStringList names = folder.entryList({QStringLiteral("*.json")}, QDir::Files);
        QVERIFY2(names.size() >= 3, qPrintable(folder.path()));
        for (const QString &name : names) {
            QString error;
            if (kind == QLatin1String("invalid")) {
                QString errorFile = folder.filePath(name);
                errorFile.replace(QLatin1String(".json"), QLatin1String(".error"));
                error = QString::fromUtf8(sfptest::fileContents(errorFile)).trimmed();
                QVERIFY2(!error.isEmpty(), qPrintable(errorFile));
            }
            QTest::newRow(qPrintable(kind + '/' + name)) << folder.filePath(name) << error;
        }
    }
}

void tst_Fixture::rows()
{
    QFETCH(QString, path);
    QFETCH(QString, error);

    bool absent = true;
    const sfp::fixture::Reading reading = sfp::fixture::read(path, &absent);
    QVERIFY(!absent);
    QCOMPARE(reading.error, error);
    QCOMPARE(reading.warnings, QStringList());
    // Nothing of a refused fixture is kept, not even what came before the
    // fault.
    if (!error.isEmpty())
        QVERIFY(reading.fixture == Fixture());
}

void tst_Fixture::fullFixture()
{
    const sfp::fixture::Reading reading = sfp::fixture::parse(R"({
        "labels": {"3": "PSU rail", "32": "Ω sense → DUT"},
        "rules": [{"name": "PSU/GND", "mutual": [7, 3, 12]}, {"name": "HV", "forbidden": [31]}],
        "life": {"relays": {"31": 20000}, "cycles": 1000000, "warningPercent": 90,
                 "spare": 1},
        "states": [{"name": "idle", "closed": []},
                   {"name": "measure", "closed": [4, 1], "mode": "sync-trigger",
                    "exclusive": true, "note": "x"}],
        "colour": "blue"
    })");
    QCOMPARE(reading.error, QString());
    // Unknown keys are left out with a warning each, wherever they are.
    QCOMPARE(reading.warnings,
             QStringList({"/colour: unknown key \"colour\", ignored",
                          "/life/spare: unknown key \"spare\", ignored",
                          "/states/1/note: unknown key \"note\", ignored"}));
    const Fixture &fixture = reading.fixture;
    QCOMPARE(fixture.labels[2], QString("PSU rail"));
    QCOMPARE(fixture.labels[31], QString("Ω sense → DUT"));
    QCOMPARE(fixture.labels[0], QString());
    QCOMPARE(fixture.rules.size(), 2);
    QCOMPARE(fixture.rules[0].name, QString("PSU/GND"));
    QCOMPARE(fixture.rules[0].kind, FixtureRule::Kind::Mutual);
    QCOMPARE(fixture.rules[0].relays, QList<int>({3, 7, 12}));
    QCOMPARE(fixture.rules[1].kind, FixtureRule::Kind::Forbidden);
    QCOMPARE(fixture.rules[1].relays, QList<int>({31}));
    // A relay's own rated life wins over the one for all, wherever it
    // stands.
    QCOMPARE(fixture.ratedCycles[30], qint64(20000));
    QCOMPARE(fixture.ratedCycles[0], qint64(1000000));
    QCOMPARE(fixture.ratedCycles[31], qint64(1000000));
    QCOMPARE(fixture.warningPercent, 90);
    QCOMPARE(fixture.states.size(), 2);
    QCOMPARE(fixture.states[0].name, QString("idle"));
    QVERIFY(fixture.states[0].state == sfp::CardState());
    QCOMPARE(fixture.states[1].state.closed, closedRelays({1, 4}));
    QCOMPARE(fixture.states[1].state.mode, sfp::SwitchingMode::SyncTrigger);
    QVERIFY(fixture.states[1].state.exclusive);

    // Without a life, relays are not rated and the warning share is 80 %.
    const sfp::fixture::Reading plain = sfp::fixture::parse("{}");
    QCOMPARE(plain.error, QString());
    QCOMPARE(plain.fixture.ratedCycles[5], qint64(0));
    QCOMPARE(plain.fixture.warningPercent, 80);
    const sfp::fixture::Reading onlyOwn = sfp::fixture::parse(R"({"life": {"relays": {"1": 5}}})");
    QCOMPARE(onlyOwn.fixture.ratedCycles[0], qint64(5));
    QCOMPARE(onlyOwn.fixture.ratedCycles[1], qint64(0));
    const sfp::fixture::Reading modes = sfp::fixture::parse(
        R"({"states": [{"name": "a", "closed": [], "mode": "sync-command"},
                       {"name": "b", "closed": [], "mode": "asynchronous"}]})");
    QCOMPARE(modes.fixture.states[0].state.mode, sfp::SwitchingMode::SyncCommand);
    QCOMPARE(modes.fixture.states[1].state.mode, sfp::SwitchingMode::Asynchronous);

    // Relays 1 and 32 are the card's first and last; 0 and 33 are none.
    const sfp::fixture::Reading edges
        = sfp::fixture::parse(R"({"rules": [{"name": "edges", "mutual": [1, 32]}]})");
    QCOMPARE(edges.error, QString());
    QCOMPARE(edges.fixture.rules.size(), 1);
    for (const char *outside : {R"({"rules": [{"name": "x", "mutual": [1, 33]}]})",
                                R"({"rules": [{"name": "x", "mutual": [0, 32]}]})"})
        QVERIFY(sfp::fixture::parse(outside).error.endsWith(
            QLatin1String(": a relay is a whole number from 1 to 32")));

    // A huge number is no relay and no life.
    QCOMPARE(
        sfp::fixture::parse(R"({"rules": [{"name": "x", "forbidden": [18446744073709551615]}]})")
            .error,
        QString("/rules/0/forbidden/0: a relay is a whole number from 1 to 32"));
    QCOMPARE(sfp::fixture::parse(R"({"life": {"cycles": 18446744073709551615}})").error,
             QString("/life/cycles: a rated life is a whole number of closing cycles, 1 or more"));
    QCOMPARE(sfp::fixture::parse(R"({"life": {"cycles": 1e400}})").error,
             QString("/: a number is too large to be read"));
    // A key with / or ~ is named as a JSON pointer writes it.
    QCOMPARE(sfp::fixture::parse(R"({"a/b~": 1})").warnings,
             QStringList({"/a~1b~0: unknown key \"a/b~\", ignored"}));
    // A key's control characters are shown escaped: a newline would break
    // the one line, an escape (or a C1 control) would steer the terminal.
    QCOMPARE(sfp::fixture::parse(R"({"a\nb\u001b[2J\u0085": 1})").warnings,
             QStringList({"/a\\u000Ab\\u001B[2J\\u0085: unknown key "
                          "\"a\\u000Ab\\u001B[2J\\u0085\", ignored"}));
    // Letters beyond ASCII stay as they are, also those whose UTF-8 bytes
    // after the first fall where a C1 control's do ("€" is E2 82 AC, "Ā"
    // C4 80).
    QCOMPARE(sfp::fixture::parse(R"({"Last \u20ac \u0100": 1})").warnings,
             QStringList({QString::fromUtf8("/Last \xe2\x82\xac \xc4\x80: unknown key \"Last "
                                            "\xe2\x82\xac \xc4\x80\", ignored")}));
    QCOMPARE(sfp::fixture::parse(R"({"labels": {"3\n": "x"}})").error,
             QString("/labels/3\\u000A: \"3\\u000A\" is not a relay of the card (\"1\" to "
                     "\"32\")"));
    QCOMPARE(sfp::fixture::parse(R"({"x": {"a\tb": 1, "a\tb": 2}})").error,
             QString("/x/a\\u0009b: the key is given twice in one object"));
    QCOMPARE(sfp::fixture::parse(R"({"rules": [{"name": "a", "forbidden": [1]},
                                               {"name": "b", "forbidden": [2], "name": "c"}]})")
                 .error,
             QString("/rules/1/name: the key is given twice in one object"));
    QCOMPARE(sfp::fixture::parse("").error.left(22), QString("line 1, column 1: not "));
    QCOMPARE(sfp::fixture::parse("{}\n\n  x").error.left(31),
             QString("line 3, column 3: not JSON: syn"));
}

void tst_Fixture::brokenRuleTexts()
{
    const sfp::fixture::Reading reading = sfp::fixture::parse(R"({"rules": [
        {"name": "PSU/GND", "mutual": [7, 3]},
        {"name": "HV", "forbidden": [31]},
        {"name": "Sense", "forbidden": [20, 9]},
        {"name": "Bus", "mutual": [1, 2, 12]}]})");
    const QList<FixtureRule> &rules = reading.fixture.rules;
    QCOMPARE(sfp::brokenRule(rules, closedRelays({})), QString());
    QCOMPARE(sfp::brokenRule(rules, closedRelays({3, 4, 8, 12})), QString());
    QCOMPARE(sfp::brokenRule(rules, closedRelays({3, 7})),
             QString("\"PSU/GND\" allows one of relays 3, 7"));
    QCOMPARE(sfp::brokenRule(rules, closedRelays({31})), QString("\"HV\" forbids relay 31"));
    QCOMPARE(sfp::brokenRule(rules, closedRelays({9})), QString("\"Sense\" forbids relays 9, 20"));
    QCOMPARE(sfp::brokenRule(rules, closedRelays({2, 12})),
             QString("\"Bus\" allows one of relays 1, 2, 12"));
    // The first rule broken in the file's order is named.
    QCOMPARE(sfp::brokenRule(rules, closedRelays({1, 2, 20, 31})),
             QString("\"HV\" forbids relay 31"));
}

void tst_Fixture::fileNames()
{
    QCOMPARE(sfp::fixture::fileName("/f", "VXI0::1::INSTR/FC2"),
             QString("/f/VXI0::1::INSTR%2FFC2.json"));
    QCOMPARE(sfp::fixture::fileName("/f", "DEMO"), QString("/f/DEMO.json"));
    QCOMPARE(sfp::fixture::fileName("/f", "../x"), QString("/f/..%2Fx.json"));
    QCOMPARE(sfp::fixture::fileName("/f", ".."), QString("/f/%2E%2E.json"));

    const sfptest::EnvironmentChange home("XDG_CONFIG_HOME", "/cfg");
    QCOMPARE(sfp::fixture::defaultFolder(), QString("/cfg/qx5170fp/fixtures"));
    const sfptest::EnvironmentChange relative("XDG_CONFIG_HOME", "cfg");
    QCOMPARE(sfp::fixture::defaultFolder(), QDir::homePath() + "/.config/qx5170fp/fixtures");
}

void tst_Fixture::filesThatAreNotFixtures()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    bool absent = false;

    sfp::fixture::Reading reading = sfp::fixture::read(dir.filePath("none.json"), &absent);
    QVERIFY(absent);
    QCOMPARE(reading.error, QString());

    reading = sfp::fixture::read(dir.path(), &absent);
    QVERIFY(!absent);
    QCOMPARE(reading.error, QString("the file is not a regular file"));

    // A FIFO is refused at once, not waited on.
    const QString fifo = dir.filePath("fifo.json");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    reading = sfp::fixture::read(fifo, &absent);
    QCOMPARE(reading.error, QString("the file is not a regular file"));

    const QString large = dir.filePath("large.json");
    QVERIFY(writeFile(large, "{\"labels\": {}}" + QByteArray(qsizetype(1024) * 1024, ' ')));
    reading = sfp::fixture::read(large, &absent);
    QCOMPARE(reading.error, QString("the file is larger than 1024 KiB"));
    QVERIFY(writeFile(large, "{\"labels\": {}}" + QByteArray(qsizetype(1024) * 1024 - 14, ' ')));
    reading = sfp::fixture::read(large, &absent);
    QCOMPARE(reading.error, QString());

    const QString locked = dir.filePath("locked.json");
    QVERIFY(writeFile(locked, "{}"));
    QVERIFY(QFile::setPermissions(locked, QFile::Permissions()));
    reading = sfp::fixture::read(locked, &absent);
    if (::geteuid() != 0)
        QCOMPARE(reading.error, QString("the file cannot be read (Permission denied)"));
}

void tst_Fixture::writeLabels()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    std::array<QString, 32> labels;
    labels[2] = QStringLiteral("PSU \"rail\"");
    labels[31] = QStringLiteral("Ω sense");

    // A card without a file gets one, with its folder.
    const QString made = dir.filePath("fixtures/DEMO.json");
    QCOMPARE(sfp::fixture::write(made, withLabels(labels)), QString());
    QCOMPARE(sfptest::fileContents(made),
             QByteArray("{\n  \"labels\": {\n    \"3\": \"PSU \\\"rail\\\"\",\n"
                        "    \"32\": \"Ω sense\"\n  }\n}\n"));
    bool absent = true;
    QVERIFY(sfp::fixture::read(made, &absent).fixture.labels == labels);

    // Everything else the file holds stays, in its order, unknown keys and
    // the file's mode too; only the labels change.
    const QString kept = dir.filePath("kept.json");
    QVERIFY(writeFile(kept, R"({"rules": [{"name": "HV", "forbidden": [31]}],
"labels": {"1": "old"}, "note": "by hand", "life": {"cycles": 5}})"));
    QVERIFY(QFile::setPermissions(kept, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QCOMPARE(sfp::fixture::write(kept, withLabels(labels)), QString());
    QCOMPARE(sfptest::fileContents(kept), QByteArray(R"({
  "rules": [
    {
      "name": "HV",
      "forbidden": [
        31
      ]
    }
  ],
  "labels": {
    "3": "PSU \"rail\"",
    "32": "Ω sense"
  },
  "note": "by hand",
  "life": {
    "cycles": 5
  }
}
)"));
    struct stat status
    { };
    QCOMPARE(::stat(QFile::encodeName(kept).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, mode_t(0640));
    // Named states are written as the reader reads them.
    Fixture withStates = withLabels(labels);
    withStates.states.append({QStringLiteral("idle"), sfp::CardState()});
    sfp::CardState measure;
    measure.closed[0] = measure.closed[3] = true;
    measure.mode = sfp::SwitchingMode::SyncTrigger;
    measure.exclusive = true;
    withStates.states.append({QStringLiteral("measure \"1\""), measure});
    QCOMPARE(sfp::fixture::write(made, withStates), QString());
    const sfp::fixture::Reading states = sfp::fixture::read(made, &absent);
    QCOMPARE(states.error, QString());
    QVERIFY(states.fixture.states == withStates.states);
    QVERIFY(sfptest::fileContents(made).contains("\"mode\": \"sync-trigger\""));
    QCOMPARE(sfp::fixture::write(made, withLabels(labels)), QString());
    QVERIFY(!sfptest::fileContents(made).contains("states"));

    // No labels left: no labels key.
    QCOMPARE(sfp::fixture::write(kept, Fixture()), QString());
    QVERIFY(!sfptest::fileContents(kept).contains("labels"));
    QVERIFY(sfptest::fileContents(kept).contains("\"note\": \"by hand\""));

    // A file that is no fixture any more, or no regular file, is left as
    // it is.
    QVERIFY(writeFile(kept, R"({"rules": 5})"));
    QCOMPARE(sfp::fixture::write(kept, withLabels(labels)),
             QString("the file has changed and is no longer a fixture"));
    QCOMPARE(sfptest::fileContents(kept), QByteArray(R"({"rules": 5})"));
    const QString link = dir.filePath("link.json");
    QVERIFY(QFile::link(made, link));
    QCOMPARE(sfp::fixture::write(link, Fixture()),
             QString("it is not a regular file, and was left as it is"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(sfp::fixture::write(dir.path(), withLabels(labels)),
             QString("the file is not a regular file"));
    // Nothing is left beside the files.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System),
             QStringList({"kept.json", "link.json"}));
}

void tst_Fixture::writeLabelsOnAFullDisk()
{
    if (::geteuid() != 0)
        QSKIP("only root mounts a file system of its own");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcess mount;
    mount.start(QStringLiteral("mount"),
                {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                 QStringLiteral("size=12k"), QStringLiteral("tmpfs"), dir.path()});
    if (!mount.waitForFinished() || mount.exitStatus() != QProcess::NormalExit
        || mount.exitCode() != 0)
        QSKIP("no tmpfs can be mounted here");
    const auto unmount
        = qScopeGuard([&dir] { QProcess::execute(QStringLiteral("umount"), {dir.path()}); });

    const QString path = dir.filePath("DEMO.json");
    std::array<QString, 32> labels;
    labels[0] = QStringLiteral("first");
    QCOMPARE(sfp::fixture::write(path, withLabels(labels)), QString());
    const QByteArray before = sfptest::fileContents(path);
    QFile filler(dir.filePath("filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    while (filler.write(QByteArray(512, 'f')) == 512) { }
    filler.close();

    labels.fill(QString(30, QLatin1Char('x')));
    const QString why = sfp::fixture::write(path, withLabels(labels));
    QCOMPARE(why, QString("No space left on device"));
    QCOMPARE(sfptest::fileContents(path), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"DEMO.json", "filler"}));
}

void tst_Fixture::writeKeepsTheFilesOwnForm()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Indented with four spaces, labels out of order, a state without the
    // keys that hold their defaults and with a key of the user's own.
    const QString path = dir.filePath("four.json");
    QVERIFY(writeFile(path,
                      "{\n    \"labels\": {\"9\": \"nine\", \"2\": \"two\"},\n"
                      "    \"states\": [{\"name\": \"idle\", \"closed\": [], "
                      "\"why\": \"by hand\"},\n"
                      "                {\"name\": \"hv\", \"closed\": [3], "
                      "\"mode\": \"sync-trigger\"}]\n}\n"));
    bool absent = true;
    Fixture fixture = sfp::fixture::read(path, &absent).fixture;
    fixture.labels[8] = QStringLiteral("NINE");
    fixture.labels[4] = QStringLiteral("five");
    fixture.states[0].state.closed[0] = true;
    QCOMPARE(sfp::fixture::write(path, fixture), QString());
    QCOMPARE(sfptest::fileContents(path), QByteArray(R"({
    "labels": {
        "9": "NINE",
        "2": "two",
        "5": "five"
    },
    "states": [
        {
            "name": "idle",
            "closed": [
                1
            ],
            "why": "by hand"
        },
        {
            "name": "hv",
            "closed": [
                3
            ],
            "mode": "sync-trigger"
        }
    ]
}
)"));
    // A state made anew says everything; one changed to the defaults loses
    // nothing it had; a file indented with tabs stays so.
    const QString tabs = dir.filePath("tabs.json");
    QVERIFY(writeFile(tabs,
                      "{\n\t\"states\": [{\"name\": \"hv\", \"closed\": [], "
                      "\"exclusive\": true}]\n}\n"));
    fixture = sfp::fixture::read(tabs, &absent).fixture;
    fixture.states[0].state.exclusive = false;
    fixture.states.append({QStringLiteral("new"), sfp::CardState()});
    QCOMPARE(sfp::fixture::write(tabs, fixture), QString());
    QCOMPARE(sfptest::fileContents(tabs),
             QByteArray("{\n\t\"states\": [\n\t\t{\n\t\t\t\"name\": \"hv\",\n"
                        "\t\t\t\"closed\": [],\n\t\t\t\"exclusive\": false\n\t\t},\n"
                        "\t\t{\n\t\t\t\"name\": \"new\",\n\t\t\t\"closed\": [],\n"
                        "\t\t\t\"mode\": \"asynchronous\",\n\t\t\t\"exclusive\": false\n"
                        "\t\t}\n\t]\n}\n"));
    QVERIFY(sfp::fixture::read(tabs, &absent).fixture == fixture);
}

void tst_Fixture::writeNothingTheReaderWouldRefuse()
{
    // A file of exactly the largest size the reader takes is written; one
    // byte more is refused before anything is written, and the file on the
    // disk stays one the program reads.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("large.json");
    QVERIFY(writeFile(path, "{\"note\": \"" + QByteArray(1048527, 'x') + "\"}"));
    std::array<QString, 32> labels;
    labels[0] = QStringLiteral("a");
    QCOMPARE(sfp::fixture::write(path, withLabels(labels)), QString());
    QCOMPARE(QFileInfo(path).size(), qint64(1048576));
    bool absent = true;
    QCOMPARE(sfp::fixture::read(path, &absent).error, QString());
    const QByteArray before = sfptest::fileContents(path);

    labels[0] = QStringLiteral("ab");
    QCOMPARE(sfp::fixture::write(path, withLabels(labels)),
             QString("the new file would have 1048577 bytes, more than the 1024 KiB a fixture "
                     "file may have"));
    QCOMPARE(sfptest::fileContents(path), before);
    const sfp::fixture::Reading reading = sfp::fixture::read(path, &absent);
    QCOMPARE(reading.error, QString());
    QCOMPARE(reading.fixture.labels[0], QString("a"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"large.json"}));
}

QTEST_GUILESS_MAIN(tst_Fixture)
#include "tst_fixture.moc"
