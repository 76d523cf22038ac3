#include "app/IniFile.h"
#include "common/GbkText.h"

#include <QFile>
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

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
