// SPDX-FileCopyrightText: 2026 Tarvex
// SPDX-License-Identifier: MIT
// DefaultInstrDescr.ini without the dialog: where it lives and how stored
// numbers are read.
#include "connectiontest.h"
#include "descriptorstore.h"
#include "sfptest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTest>

#include <climits>

using namespace connectiontest;
namespace store = sfp::descriptorStore;

class tst_DescriptorStore final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    // where the file lives
    void windowsPath_data();
    void windowsPath();
    void otherSystemsPath_data();
    void otherSystemsPath();
    void pathFromEnvironment();

    // what is stored and how it is read back
    void fcNumberIndex_data();
    void fcNumberIndex();
    void countIndex_data();
    void countIndex();
    void storedNumbers_data();
    void storedNumbers();

private:
    std::unique_ptr<TemporaryProfile> m_profile;
};

void tst_DescriptorStore::initTestCase()
{
    m_profile = std::make_unique<TemporaryProfile>();
    QVERIFY(m_profile->isValid());
}

void tst_DescriptorStore::init()
{
    m_profile->clear();
    qputenv("ALLUSERSPROFILE", m_profile->allUsersFolder().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_profile->configFolder().toLocal8Bit());
}

void tst_DescriptorStore::windowsPath_data()
{
    QTest::addColumn<QString>("allUsersProfile");
    QTest::addColumn<QString>("path");
    QTest::newRow("common folder") << "C:\\ProgramData"
                                   << "C:\\ProgramData\\Tarvex\\DefaultInstrDescr.ini";
    QTest::newRow("not set") << ""
                             << "c:\\vxipnp\\Tarvex\\DefaultInstrDescr.ini";
}

void tst_DescriptorStore::windowsPath()
{
    QFETCH(QString, allUsersProfile);
    QFETCH(QString, path);
    QCOMPARE(store::windowsIniFilePath(allUsersProfile), path);
}

void tst_DescriptorStore::otherSystemsPath_data()
{
    QTest::addColumn<QString>("allUsersProfile");
    QTest::addColumn<QString>("configFolder");
    QTest::addColumn<QString>("path");
    QTest::newRow("common folder") << "/srv/all-users"
                                   << "/home/op/.config"
                                   << "/srv/all-users/Tarvex/DefaultInstrDescr.ini";
    QTest::newRow("common folder with slash") << "/srv/all-users/"
                                              << "/home/op/.config"
                                              << "/srv/all-users/Tarvex/DefaultInstrDescr.ini";
    QTest::newRow("not set") << ""
                             << "/home/op/.config"
                             << "/home/op/.config/Tarvex/DefaultInstrDescr.ini";
}

void tst_DescriptorStore::otherSystemsPath()
{
    QFETCH(QString, allUsersProfile);
    QFETCH(QString, configFolder);
    QFETCH(QString, path);
    QCOMPARE(store::otherSystemsIniFilePath(allUsersProfile, configFolder),
             QDir::toNativeSeparators(path));
}

void tst_DescriptorStore::pathFromEnvironment()
{
#ifdef Q_OS_WIN
    QSKIP("The Windows rule is checked through windowsIniFilePath");
#else
    QCOMPARE(store::iniFilePath(), m_profile->iniFile());

    // Set but empty, and not set at all: the user's configuration folder.
    const QString inConfig = m_profile->configFolder() + "/Tarvex/DefaultInstrDescr.ini";
    qputenv("ALLUSERSPROFILE", QByteArray());
    QCOMPARE(store::iniFilePath(), inConfig);
    qunsetenv("ALLUSERSPROFILE");
    QCOMPARE(store::iniFilePath(), inConfig);
    QVERIFY(!store::iniFilePath().contains(QLatin1Char('\\')));
#endif
}

void tst_DescriptorStore::fcNumberIndex_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("index");
    QTest::newRow("Select") << 0 << 0;
    QTest::newRow("FC 1") << 1 << 1;
    QTest::newRow("FC 8") << 8 << 8;
    QTest::newRow("9") << 9 << 0;
    QTest::newRow("-1") << -1 << 0;
    QTest::newRow("INT_MAX") << INT_MAX << 0;
    QTest::newRow("INT_MIN") << INT_MIN << 0;
}

void tst_DescriptorStore::fcNumberIndex()
{
    QFETCH(int, stored);
    QFETCH(int, index);
    QCOMPARE(store::fcNumberIndex(stored), index);
}

void tst_DescriptorStore::countIndex_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("index");
    QTest::newRow("1") << 1 << 0;
    QTest::newRow("2") << 2 << 1;
    QTest::newRow("8") << 8 << 7;
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("9") << 9 << 0;
    QTest::newRow("-1") << -1 << 0;
    QTest::newRow("INT_MIN") << INT_MIN << 0;
    QTest::newRow("INT_MAX") << INT_MAX << 0;
}

void tst_DescriptorStore::countIndex()
{
    QFETCH(int, stored);
    QFETCH(int, index);
    QCOMPARE(store::countIndex(stored), index);
}

void tst_DescriptorStore::storedNumbers_data()
{
    QTest::addColumn<QByteArray>("line"); // in [5170]
    QTest::addColumn<int>("number"); // of "n", default 7

    QTest::newRow("missing") << QByteArray("other=1") << 7;
    QTest::newRow("decimal") << QByteArray("n=3") << 3;
    QTest::newRow("negative") << QByteArray("n=-2") << -2;
    QTest::newRow("quoted") << QByteArray("n=\"4\"") << 4;
    QTest::newRow("int limits high") << QByteArray("n=2147483647") << 2147483647;
    QTest::newRow("int limits low") << QByteArray("n=-2147483648") << int(-2147483647 - 1);
    QTest::newRow("empty") << QByteArray("n=") << 0;
    QTest::newRow("words") << QByteArray("n=two") << 0;
    QTest::newRow("fraction") << QByteArray("n=2.5") << 0;
    QTest::newRow("exponent") << QByteArray("n=1e1") << 0;
    QTest::newRow("hexadecimal") << QByteArray("n=0x5") << 0;
    // Numbers that QVariant would wrap into small ones.
    QTest::newRow("2^32 + 2") << QByteArray("n=4294967298") << 0;
    QTest::newRow("huge negative") << QByteArray("n=-99999999999999999999999") << 0;
    QTest::newRow("list") << QByteArray("n=1,2") << 0;
    QTest::newRow("variant int") << "n=@Variant(" + QByteArray("\0\0\0\x02\0\0\0\x05", 8) + ")"
                                 << 5;
    QTest::newRow("rectangle") << QByteArray("n=@Rect(1 2 3 4)") << 0;
}

void tst_DescriptorStore::storedNumbers()
{
    QFETCH(QByteArray, line);
    QFETCH(int, number);

    QVERIFY(writeFile(m_profile->iniFile(), "[5170]\n" + line + "\n"));
    QSettings file(m_profile->iniFile(), QSettings::IniFormat);
    file.beginGroup("5170");
    QCOMPARE(store::storedNumber(file, "n", 7), number);
}

SFPTEST_MAIN(tst_DescriptorStore)
#include "tst_descriptorstore.moc"
