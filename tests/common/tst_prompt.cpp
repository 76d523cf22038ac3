#include "common/ui/QtPrompt.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

// The program's dialogs: what they show and what they answer.
class TestPrompt : public QObject
{
    Q_OBJECT

private slots:
    void messageShowsTextCaptionAndOk();
    void questionAnswersYesAndNo_data();
    void questionAnswersYesAndNo();
    void inputReturnsTextOrNothing_data();
    void inputReturnsTextOrNothing();
    void maskedInputShowsStars();
    void failureKeepsTheReasonAsDetail();

private:
    // Runs `act` on the first modal dialog of type T once it is up.
    template <typename T, typename Act>
    void whenShown(Act act)
    {
        QTimer::singleShot(0, this, [this, act] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (auto *dialog = qobject_cast<T *>(widget); dialog && dialog->isVisible()) {
                    act(dialog);
                    return;
                }
            }
            whenShown<T>(act);
        });
    }
};

void TestPrompt::messageShowsTextCaptionAndOk()
{
    QtPrompt prompt;
    QString text, caption, button;
    whenShown<QMessageBox>([&](QMessageBox *box) {
        text = box->text();
        caption = box->windowTitle();
        button = box->button(QMessageBox::Ok)->text();
        box->button(QMessageBox::Ok)->click();
    });
    prompt.message(u"程序已经运行"_s, u"提示"_s, Prompt::Kind::Information);
    QCOMPARE(text, u"程序已经运行"_s);
    QCOMPARE(caption, u"提示"_s);
    QCOMPARE(button, u"确定"_s);
}

void TestPrompt::questionAnswersYesAndNo_data()
{
    QTest::addColumn<bool>("yes");
    QTest::newRow("是") << true;
    QTest::newRow("否") << false;
}

void TestPrompt::questionAnswersYesAndNo()
{
    QFETCH(bool, yes);
    QtPrompt prompt;
    QStringList buttons;
    whenShown<QMessageBox>([&](QMessageBox *box) {
        buttons = {box->button(QMessageBox::Yes)->text(), box->button(QMessageBox::No)->text()};
        box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    QCOMPARE(prompt.question(u"确认要退出吗?"_s, u"请确认"_s), yes);
    QCOMPARE(buttons, (QStringList{u"是"_s, u"否"_s}));
}

void TestPrompt::inputReturnsTextOrNothing_data()
{
    QTest::addColumn<bool>("masked");
    QTest::addColumn<bool>("accept");
    QTest::newRow("typed, OK") << false << true;
    QTest::newRow("typed, cancelled") << false << false;
    QTest::newRow("masked, OK") << true << true;
}

void TestPrompt::inputReturnsTextOrNothing()
{
    QFETCH(bool, masked);
    QFETCH(bool, accept);
    QtPrompt prompt;
    QLineEdit::EchoMode echo = QLineEdit::Normal;
    whenShown<QInputDialog>([&](QInputDialog *dialog) {
        echo = dialog->textEchoMode();
        dialog->setTextValue(u"pmtr"_s);
        accept ? dialog->accept() : dialog->reject();
    });
    const std::optional<QString> answer = masked
        ? prompt.maskedInput(u"请输入正确的密码"_s, u"密码:"_s, {})
        : prompt.input(u"输入"_s, u"号牌:"_s, {});
    QCOMPARE(echo, masked ? QLineEdit::Password : QLineEdit::Normal);
    QCOMPARE(answer.has_value(), accept);
    if (accept)
        QCOMPARE(*answer, u"pmtr"_s);
}

// Whatever the style's own mask, a password box shows one "*" per character.
void TestPrompt::maskedInputShowsStars()
{
    QtPrompt prompt;
    QString shown;
    whenShown<QInputDialog>([&](QInputDialog *dialog) {
        if (auto *edit = dialog->findChild<QLineEdit *>()) {
            QTest::keyClicks(edit, u"abc"_s);
            shown = edit->displayText();
        }
        dialog->accept();
    });
    const std::optional<QString> answer = prompt.maskedInput(u"请输入正确的密码"_s, u"密码:"_s, {});
    QCOMPARE(shown, u"***"_s);
    QCOMPARE(answer, std::optional<QString>(u"abc"_s));
}

// A database error as the operator sees it: the sentence in the box, the
// database's own words behind the details button, nothing of the
// connection text anywhere.
void TestPrompt::failureKeepsTheReasonAsDetail()
{
    QtPrompt prompt;
    QString text, detail, caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenShown<QMessageBox>([&](QMessageBox *box) {
        text = box->text();
        detail = box->detailedText();
        caption = box->windowTitle();
        icon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    const FailureText::Explained explained = FailureText::explain(
        u"connection to server at \"db\" failed: FATAL:  password authentication failed for user "
        "\"salon\" (host=db port=5432 dbname=salon user=salon password=Geheim42)"_s,
        {}, FailureText::Stage::Connecting);
    Prompt &asked = prompt;
    asked.failure(explained.sentence, explained.detail);
    QVERIFY2(text.startsWith(u"数据库服务器拒绝登录"_s), qPrintable(text));
    QVERIFY2(detail.contains(u"password authentication failed"_s), qPrintable(detail));
    QVERIFY(!text.contains(u"Geheim42"_s));
    QVERIFY2(!detail.contains(u"Geheim42"_s), qPrintable(detail));
    QCOMPARE(caption, u"管理系统"_s);
    QCOMPARE(icon, QMessageBox::Critical);
}

QTEST_MAIN(TestPrompt)
#include "tst_prompt.moc"
