#include "common/ui/PasswordQuery.h"
#include "common/ui/QtPrompt.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QPushButton *button(const PasswordQuery &box, QDialogButtonBox::StandardButton which)
{
    auto *buttons = box.findChild<QDialogButtonBox *>();
    return buttons ? buttons->button(which) : nullptr;
}

// Runs `act` on the password box once it is up.
void whenShown(QObject *context, const std::function<void(PasswordQuery *)> &act)
{
    QTimer::singleShot(0, context, [context, act] {
        if (auto *box = qobject_cast<PasswordQuery *>(QApplication::activeModalWidget()))
            act(box);
        else
            whenShown(context, act);
    });
}

} // namespace

// The password box before the import and the data clearing: what it shows
// and what each way of closing it answers.
class TestPasswordQuery : public QObject
{
    Q_OBJECT

private slots:
    void showsCaptionPromptAndMaskedDefault();
    void answers_data();
    void answers();
    void promptAsksThroughIt();
};

void TestPasswordQuery::showsCaptionPromptAndMaskedDefault()
{
    const QString longPrompt = QString(u"请输入管理员密码后再继续操作"_s).repeated(6);
    PasswordQuery box(u"请输入正确的密码"_s, longPrompt, u"abc"_s, u'#');
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.windowTitle(), u"请输入正确的密码"_s);
    auto *label = box.findChild<QLabel *>();
    QVERIFY(label);
    QCOMPARE(label->text(), longPrompt);
    QVERIFY(label->wordWrap());
    QLineEdit *entry = box.entry();
    QCOMPARE(entry->maxLength(), 255);
    QCOMPARE(entry->text(), u"abc"_s);
    QCOMPARE(entry->selectedText(), u"abc"_s);
    QCOMPARE(entry->displayText(), u"###"_s);
    QVERIFY(entry->hasFocus());
    QCOMPARE(button(box, QDialogButtonBox::Ok)->text(), u"OK"_s);
    QCOMPARE(button(box, QDialogButtonBox::Cancel)->text(), u"Cancel"_s);
    QVERIFY(button(box, QDialogButtonBox::Ok)->isDefault());
    // Fixed size, centred on the screen.
    QCOMPARE(box.minimumSize(), box.maximumSize());
    QCOMPARE(box.frameGeometry().center(), box.screen()->availableGeometry().center());
}

void TestPasswordQuery::answers_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QString>("text");
    QTest::newRow("Enter") << u"enter"_s << true << u"tupo"_s;
    QTest::newRow("OK") << u"ok"_s << true << u"tupo"_s;
    QTest::newRow("Esc keeps the default") << u"escape"_s << false << u"默认"_s;
    QTest::newRow("Cancel keeps the default") << u"cancel"_s << false << u"默认"_s;
}

void TestPasswordQuery::answers()
{
    QFETCH(QString, how);
    QFETCH(bool, confirmed);
    QFETCH(QString, text);
    PasswordQuery box(u"请输入正确的密码"_s, u"密码:"_s, u"默认"_s, u'*');
    whenShown(this, [&how](PasswordQuery *shown) {
        // Typing replaces the selected default.
        QTest::keyClicks(shown->entry(), u"tupo"_s);
        if (how == u"enter")
            QTest::keyClick(shown->entry(), Qt::Key_Return);
        else if (how == u"escape")
            QTest::keyClick(shown->entry(), Qt::Key_Escape);
        else
            button(*shown, how == u"ok" ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    });
    const PasswordQuery::Answer answer = box.ask();
    QCOMPARE(answer.confirmed, confirmed);
    QCOMPARE(answer.text, text);
}

void TestPasswordQuery::promptAsksThroughIt()
{
    QtPrompt prompt;
    QString title, shown;
    whenShown(this, [&](PasswordQuery *box) {
        title = box->windowTitle();
        QTest::keyClicks(box->entry(), u"tupo"_s);
        shown = box->entry()->displayText();
        QTest::keyClick(box->entry(), Qt::Key_Return);
    });
    QCOMPARE(prompt.maskedInput(u"请输入正确的密码"_s, u"密码:"_s, {}), std::optional<QString>(u"tupo"_s));
    QCOMPARE(title, u"请输入正确的密码"_s);
    QCOMPARE(shown, u"****"_s);

    whenShown(this, [](PasswordQuery *box) { QTest::keyClick(box->entry(), Qt::Key_Escape); });
    QCOMPARE(prompt.maskedInput(u"请输入正确的密码"_s, u"密码:"_s, {}), std::optional<QString>());
}

QTEST_MAIN(TestPasswordQuery)
#include "tst_password_query.moc"
