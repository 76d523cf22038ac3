#include "support/ScriptedPrompt.h"

#include "common/ui/Attempt.h"

#include <QTest>

#include <stdexcept>

using namespace Qt::StringLiterals;

// How windows run what the user asked for: whatever goes wrong is shown
// and ends the operation, never the program.
class TestAttempt : public QObject
{
    Q_OBJECT

private slots:
    void showsEveryKindOfFailure_data();
    void showsEveryKindOfFailure();
    void fetchHandsBackWhatItRead();
};

void TestAttempt::showsEveryKindOfFailure_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("caption");
    QTest::newRow("refusal keeps its caption") << 0 << u"没有权限!"_s << u"提示"_s;
    QTest::newRow("database error") << 1 << u"duplicate key value"_s << QString();
    QTest::newRow("a bad amount read") << 2 << u"not an amount: abc"_s << QString();
    QTest::newRow("anything else") << 3 << u"操作失败!"_s << QString();
}

void TestAttempt::showsEveryKindOfFailure()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(QString, caption);
    auto fail = [&] {
        switch (kind) {
        case 0:
            throw Refusal(text, caption);
        case 1:
            throw DbError(text);
        case 2:
            throw std::invalid_argument(text.toStdString());
        default:
            throw 42;
        }
    };
    ScriptedPrompt prompt;
    QVERIFY(!attempt(prompt, fail));
    QCOMPARE(prompt.shown.size(), 1);
    QCOMPARE(prompt.shown.first().text, text);
    QCOMPARE(prompt.shown.first().caption, caption);

    prompt.clear();
    const std::optional<int> read = fetch(prompt, [&] {
        fail();
        return 1;
    });
    QVERIFY(!read);
    QCOMPARE(prompt.messages(), QStringList{text});
}

void TestAttempt::fetchHandsBackWhatItRead()
{
    ScriptedPrompt prompt;
    const std::optional<QStringList> rooms = fetch(prompt, [] { return QStringList{u"大厅"_s}; });
    QCOMPARE(rooms.value(), QStringList{u"大厅"_s});
    bool ran = false;
    QVERIFY(attempt(prompt, [&] { ran = true; }));
    QVERIFY(ran);
    QVERIFY(prompt.shown.isEmpty());
}

QTEST_APPLESS_MAIN(TestAttempt)
#include "tst_attempt.moc"
