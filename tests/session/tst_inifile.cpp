#include "common/GbkText.h"
#include "session/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void readsWithoutRegardToCase_data();
    void readsWithoutRegardToCase();
    void missingReadsZero();
    void writeKeepsOtherLinesAndComments();
    void writeAddsMissingKeyAndSection();
    void readsAndKeepsGbkFiles();
    void reportsUnwritableFile();
    void readsEachLineInItsOwnEncoding_data();
    void readsEachLineInItsOwnEncoding();
    void writeKeepsTheBytesOfOtherLines_data();
    void writeKeepsTheBytesOfOtherLines();
    void refusesFolderInPlaceOfFile();
    void refusesFileWithoutReadPermission();

private:
    QString writeFile(const QByteArray &bytes);
    QByteArray contents() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestIniFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(u"system.ini"_s);
}

QString TestIniFile::writeFile(const QByteArray &bytes)
{
    QFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write the test file");
    file.write(bytes);
    return m_path;
}

QByteArray TestIniFile::contents() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void TestIniFile::readsWithoutRegardToCase_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("as written") << u"TARVIK"_s << u"softname"_s << u"美容美发管理系统"_s;
    QTest::newRow("lower-case section") << u"tarvik"_s << u"softname"_s << u"美容美发管理系统"_s;
    QTest::newRow("mixed-case key") << u"Tarvik"_s << u"SoftName"_s << u"美容美发管理系统"_s;
    QTest::newRow("capital section header, lower ask") << u"part1"_s << u"ABC"_s << u"s"_s;
    QTest::newRow("value keeps its own case") << u"part1"_s << u"cs"_s << u"Data Source=Host;X=Y"_s;
}

void TestIniFile::readsWithoutRegardToCase()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    writeFile("[TARVIK]\nsoftname=美容美发管理系统\n\n[PART1]\nabc=s\ncs=Data Source=Host;X=Y\n");
    QCOMPARE(IniFile(m_path).read(section, key), expected);
}

void TestIniFile::missingReadsZero()
{
    QCOMPARE(IniFile(m_path).read(u"part1"_s, u"abc"_s), u"0"_s);
    writeFile("[part1]\nabc=a\n");
    const IniFile ini(m_path);
    QCOMPARE(ini.read(u"part1"_s, u"csaccess"_s), u"0"_s);
    QCOMPARE(ini.read(u"PosPrt"_s, u"port"_s), u"0"_s);
}

void TestIniFile::writeKeepsOtherLinesAndComments()
{
    writeFile("; shop settings\r\n[part1]\r\n; which database\r\nABC=s\r\ncs=x\r\n\r\n[PosPrt]\r\nport=LPT1\r\n");
    IniFile ini(m_path);
    ini.write(u"part1"_s, u"abc"_s, u"a"_s);
    QCOMPARE(contents(), QByteArray("; shop settings\r\n[part1]\r\n; which database\r\nABC=a\r\ncs=x\r\n\r\n"
                                    "[PosPrt]\r\nport=LPT1\r\n"));
    // Reaches the file at once: a second reader sees it.
    QCOMPARE(IniFile(m_path).read(u"PART1"_s, u"abc"_s), u"a"_s);
}

void TestIniFile::writeAddsMissingKeyAndSection()
{
    writeFile("[part1]\nabc=a\n\n[PosPrt]\nport=LPT1\n");
    IniFile ini(m_path);
    ini.write(u"part1"_s, u"cs"_s, u"Data Source=db1"_s);
    ini.write(u"TARVIK"_s, u"memo"_s, u"备注"_s);
    QCOMPARE(QString::fromUtf8(contents()),
             u"[part1]\nabc=a\ncs=Data Source=db1\n\n[PosPrt]\nport=LPT1\n\n[TARVIK]\nmemo=备注\n"_s);

    // A file that does not exist yet is created.
    QFile::remove(m_path);
    IniFile fresh(m_path);
    fresh.write(u"part1"_s, u"abc"_s, u"a"_s);
    QCOMPARE(fresh.read(u"part1"_s, u"abc"_s), u"a"_s);
}

void TestIniFile::readsAndKeepsGbkFiles()
{
    writeFile(GbkText::encode(u"[TARVIK]\nsoftname=美发管理\n[part1]\nabc=a\n"_s));
    IniFile ini(m_path);
    QCOMPARE(ini.read(u"tarvik"_s, u"softname"_s), u"美发管理"_s);
    ini.write(u"part1"_s, u"abc"_s, u"s"_s);
    QCOMPARE(contents(), GbkText::encode(u"[TARVIK]\nsoftname=美发管理\n[part1]\nabc=s\n"_s));
}

void TestIniFile::reportsUnwritableFile()
{
    IniFile ini(m_dir->filePath(u"no/such/folder/system.ini"_s));
    try {
        ini.write(u"part1"_s, u"abc"_s, u"a"_s);
        QFAIL("writing should have failed");
    } catch (const std::runtime_error &error) {
        QVERIFY(QString::fromUtf8(error.what()).contains(u"system.ini"_s));
    }
}

void TestIniFile::readsEachLineInItsOwnEncoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("UTF-8 value beside a stray byte in a comment")
        << QByteArray("; caf\xE9 au lait\n[TARVIK]\nsoftname=美容美发\n") << u"tarvik"_s << u"softname"_s
        << u"美容美发"_s;
    QTest::newRow("GBK line beside a UTF-8 line")
        << QByteArray("[TARVIK]\nmemo=备注\n" + GbkText::encode(u"softname=美容美发\n"_s)) << u"tarvik"_s
        << u"softname"_s << u"美容美发"_s;
    QTest::newRow("byte-order mark before the first section")
        << QByteArray("\xEF\xBB\xBF[part1]\r\nabc=s") << u"part1"_s << u"abc"_s << u"s"_s;
    QTest::newRow("GBK section name")
        << GbkText::encode(u"[设置]\nport=LPT2\n"_s) << u"设置"_s << u"port"_s << u"LPT2"_s;
}

void TestIniFile::readsEachLineInItsOwnEncoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    writeFile(bytes);
    QCOMPARE(IniFile(m_path).read(section, key), expected);
}

void TestIniFile::writeKeepsTheBytesOfOtherLines_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");
    QTest::newRow("stray byte in another line")
        << QByteArray("; caf\xE9\n[TARVIK]\nsoftname=美发\n[part1]\nabc=a\n") << u"part1"_s << u"abc"_s
        << u"s"_s << QByteArray("; caf\xE9\n[TARVIK]\nsoftname=美发\n[part1]\nabc=s\n");
    QTest::newRow("Chinese value beside a stray byte is UTF-8")
        << QByteArray("; caf\xE9\n[TARVIK]\nsoftname=美发\n") << u"TARVIK"_s << u"memo"_s << u"备注"_s
        << QByteArray("; caf\xE9\n[TARVIK]\nsoftname=美发\nmemo=备注\n");
    QTest::newRow("Chinese value into a GBK file is GBK")
        << GbkText::encode(u"[TARVIK]\r\nsoftname=美发\r\n"_s) << u"TARVIK"_s << u"memo"_s << u"备注"_s
        << GbkText::encode(u"[TARVIK]\r\nsoftname=美发\r\nmemo=备注\r\n"_s);
    QTest::newRow("what GBK cannot hold goes in as UTF-8")
        << GbkText::encode(u"[TARVIK]\nsoftname=美发\n"_s) << u"TARVIK"_s << u"memo"_s << u"美发😀"_s
        << QByteArray(GbkText::encode(u"[TARVIK]\nsoftname=美发\n"_s) + "memo=美发😀\n");
    QTest::newRow("byte-order mark, CRLF and no final newline")
        << QByteArray("\xEF\xBB\xBF[part1]\r\nabc=a\r\nport=LPT1") << u"part1"_s << u"abc"_s << u"s"_s
        << QByteArray("\xEF\xBB\xBF[part1]\r\nabc=s\r\nport=LPT1");
    QTest::newRow("key added after a last line without newline")
        << QByteArray("\xEF\xBB\xBF[part1]\r\nabc=a\r\nport=LPT1") << u"part1"_s << u"cs"_s << u"x"_s
        << QByteArray("\xEF\xBB\xBF[part1]\r\nabc=a\r\nport=LPT1\r\ncs=x");
    QTest::newRow("line ends kept line by line")
        << QByteArray("[part1]\nabc=a\r\nx=1\n") << u"part1"_s << u"abc"_s << u"s"_s
        << QByteArray("[part1]\nabc=s\r\nx=1\n");
    QTest::newRow("new section in a CRLF file")
        << QByteArray("[part1]\r\nabc=a\r\n") << u"PosPrt"_s << u"port"_s << u"LPT1"_s
        << QByteArray("[part1]\r\nabc=a\r\n\r\n[PosPrt]\r\nport=LPT1\r\n");
    QTest::newRow("key spelling and blanks after the equals sign kept")
        << QByteArray("[PART1]\r\n  ABC = a\r\n") << u"part1"_s << u"abc"_s << u"s"_s
        << QByteArray("[PART1]\r\n  ABC = s\r\n");
}

void TestIniFile::writeKeepsTheBytesOfOtherLines()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    writeFile(before);
    IniFile(m_path).write(section, key, value);
    QCOMPARE(contents(), after);
    QCOMPARE(IniFile(m_path).read(section, key), value);
}

void TestIniFile::refusesFolderInPlaceOfFile()
{
    // A folder where the file should be: reading and writing both say which
    // file and why, and the write does not replace it.
    QVERIFY(QDir().mkpath(m_path));
    IniFile ini(m_path);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, ini.read(u"part1"_s, u"abc"_s));
    try {
        ini.write(u"part1"_s, u"abc"_s, u"a"_s);
        QFAIL("writing should have failed");
    } catch (const std::runtime_error &error) {
        QVERIFY(QString::fromUtf8(error.what()).contains(QDir::toNativeSeparators(m_path)));
    }
    QVERIFY(QFileInfo(m_path).isDir());
}

void TestIniFile::refusesFileWithoutReadPermission()
{
    // A file without read permission must not read as empty, or the write
    // would replace the whole file with one section.
    const QByteArray original("[TARVIK]\nsoftname=美发\n[part1]\nabc=s\n");
    writeFile(original);
    IniFile ini(m_path);
    QVERIFY(QFile::setPermissions(m_path, QFileDevice::WriteOwner));
    QFile probe(m_path);
    if (probe.open(QIODevice::ReadOnly)) {
        QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QSKIP("permissions do not stop this user from reading (running as root)");
    }
    try {
        ini.read(u"part1"_s, u"abc"_s);
        QFAIL("reading should have failed");
    } catch (const std::runtime_error &error) {
        QVERIFY(QString::fromUtf8(error.what()).contains(QDir::toNativeSeparators(m_path)));
    }
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, ini.write(u"part1"_s, u"abc"_s, u"a"_s));
    QVERIFY(QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QCOMPARE(contents(), original);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
