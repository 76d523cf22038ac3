#include "common/GbkText.h"
#include "goods/PinYin.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray pairOf(unsigned code)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(code >> 8));
    bytes.append(static_cast<char>(code & 0xFF));
    return bytes;
}

} // namespace

// Pinyin initials from GBK codes: the range table's edges, and how names
// are cut into pairs and where the code ends.
class TestPinYin : public QObject
{
    Q_OBJECT

private slots:
    void initialOfCode_data();
    void initialOfCode();
    void rangeEdgesAreTheNamedCharacters_data();
    void rangeEdgesAreTheNamedCharacters();
    void initialNeedsExactlyTwoBytes();
    void initialsOfName_data();
    void initialsOfName();
};

void TestPinYin::initialOfCode_data()
{
    QTest::addColumn<uint>("code");
    QTest::addColumn<QString>("letter"); // empty: no letter
    struct Edge
    {
        char letter;
        uint first;
        uint last;
    };
    const Edge edges[] = {
        {'A', 0xB0A1, 0xB0C4}, {'B', 0xB0C5, 0xB2C0}, {'C', 0xB2C1, 0xB4ED}, {'D', 0xB4EE, 0xB6E9},
        {'E', 0xB6EA, 0xB7A1}, {'F', 0xB7A2, 0xB8C0}, {'G', 0xB8C1, 0xB9FD}, {'H', 0xB9FE, 0xBBF6},
        {'J', 0xBBF7, 0xBFA5}, {'K', 0xBFA6, 0xC0AB}, {'L', 0xC0AC, 0xC2E7}, {'M', 0xC2E8, 0xC4C2},
        {'N', 0xC4C3, 0xC5B5}, {'O', 0xC5B6, 0xC5BD}, {'P', 0xC5BE, 0xC6D9}, {'Q', 0xC6DA, 0xC8BA},
        {'R', 0xC8BB, 0xC8F5}, {'S', 0xC8F6, 0xCBF9}, {'T', 0xCBFA, 0xCDD9}, {'W', 0xCDDA, 0xCEF3},
        {'X', 0xCEF4, 0xD1B8}, {'Y', 0xD1B9, 0xD4D0}, {'Z', 0xD4D1, 0xD7F9},
    };
    for (const Edge &edge : edges) {
        const QString letter(QLatin1Char(edge.letter));
        QTest::addRow("%c first %X", edge.letter, edge.first) << edge.first << letter;
        QTest::addRow("%c last %X", edge.letter, edge.last) << edge.last << letter;
    }
    QTest::newRow("just below A") << 0xB0A0u << QString();
    QTest::newRow("just above Z") << 0xD7FAu << QString();
    QTest::newRow("second level 亍") << 0xD8A1u << QString();
    QTest::newRow("GBK extension") << 0x8140u << QString();
    QTest::newRow("full-width comma") << 0xA3ACu << QString();
    QTest::newRow("ASCII pair") << uint('A' * 256 + 'B') << QString();
    QTest::newRow("top of GBK") << 0xFEFEu << QString();
    // GBK codes inside a range but not GB2312 characters still count.
    QTest::newRow("low second byte in B") << 0xB140u << u"B"_s;
    QTest::newRow("low second byte in Y") << 0xD440u << u"Y"_s;
}

void TestPinYin::initialOfCode()
{
    QFETCH(uint, code);
    QFETCH(QString, letter);
    const std::optional<char> initial = PinYinInitial(pairOf(code));
    QCOMPARE(initial.has_value(), !letter.isEmpty());
    if (initial)
        QCOMPARE(QString(QLatin1Char(*initial)), letter);
}

void TestPinYin::rangeEdgesAreTheNamedCharacters_data()
{
    QTest::addColumn<QString>("character");
    QTest::addColumn<uint>("code");
    QTest::addColumn<QString>("letter");
    QTest::newRow("啊") << u"啊"_s << 0xB0A1u << u"A"_s;
    QTest::newRow("澳") << u"澳"_s << 0xB0C4u << u"A"_s;
    QTest::newRow("芭") << u"芭"_s << 0xB0C5u << u"B"_s;
    QTest::newRow("哈") << u"哈"_s << 0xB9FEu << u"H"_s;
    QTest::newRow("击") << u"击"_s << 0xBBF7u << u"J"_s;
    QTest::newRow("哦") << u"哦"_s << 0xC5B6u << u"O"_s;
    QTest::newRow("沤") << u"沤"_s << 0xC5BDu << u"O"_s;
    QTest::newRow("昔") << u"昔"_s << 0xCEF4u << u"X"_s;
    QTest::newRow("匝") << u"匝"_s << 0xD4D1u << u"Z"_s;
    QTest::newRow("座") << u"座"_s << 0xD7F9u << u"Z"_s;
}

void TestPinYin::rangeEdgesAreTheNamedCharacters()
{
    QFETCH(QString, character);
    QFETCH(uint, code);
    QFETCH(QString, letter);
    QCOMPARE(GbkText::encode(character), pairOf(code));
    QCOMPARE(PinYinInitials(character), letter);
}

void TestPinYin::initialNeedsExactlyTwoBytes()
{
    QVERIFY(!PinYinInitial(QByteArray("\xCF")));
    QVERIFY(!PinYinInitial(QByteArray("\xCF\xB4\xB7")));
    QVERIFY(!PinYinInitial(QByteArray()));
    QCOMPARE(PinYinInitial(QByteArray("\xCF\xB4")), std::optional<char>('X'));
}

void TestPinYin::initialsOfName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("initials");
    QTest::newRow("洗发水") << u"洗发水"_s << u"XFS"_s;
    QTest::newRow("染发") << u"染发"_s << u"RF"_s;
    QTest::newRow("学生卡") << u"学生卡"_s << u"XSK"_s;
    QTest::newRow("digits end it") << u"洗发水500ml"_s << u"XFS"_s;
    QTest::newRow("ASCII first") << u"A500"_s << QString();
    QTest::newRow("digit then Chinese") << u"1号"_s << QString();
    QTest::newRow("ASCII shifts the pairs") << u"洗A发"_s << u"X"_s;
    QTest::newRow("second level ends it") << u"洗亍发"_s << u"X"_s;
    QTest::newRow("full-width symbol ends it") << u"洗，发"_s << u"X"_s;
    QTest::newRow("later letters stay dropped") << u"洗AB发水"_s << u"X"_s;
    QTest::newRow("lone last byte") << u"洗A"_s << u"X"_s;
    QTest::newRow("one byte") << u"A"_s << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("extension character") << u"丂洗"_s << QString();
    QTest::newRow("low second byte") << GbkText::decode("\xB1\x40\xCF\xB4") << u"BX"_s;
}

void TestPinYin::initialsOfName()
{
    QFETCH(QString, name);
    QFETCH(QString, initials);
    QCOMPARE(PinYinInitials(name), initials);
}

QTEST_GUILESS_MAIN(TestPinYin)
#include "tst_pinyin.moc"
