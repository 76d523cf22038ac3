#include "common/ui/FocusFrameStyle.h"
#include "common/ui/GridLook.h"
#include "common/ui/QtPrompt.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QVBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

// What every window shares: grids that can be read, captions as given.
class TestWindowLook : public QObject
{
    Q_OBJECT

private slots:
    void gridsFitTheirColumnsAndRows();
    void messagesWithoutCaptionShowTheProgramsTitle();
    void focusFrameShowsWithoutTab_data();
    void focusFrameShowsWithoutTab();
};

void TestWindowLook::gridsFitTheirColumnsAndRows()
{
    // The plate grid of the settings window: a short number column and a
    // room name that must not be squeezed.
    QStandardItemModel model(20, 3);
    model.setHorizontalHeaderLabels({u"序号"_s, u"所属包厢"_s, u"号牌"_s});
    for (int row = 0; row < 20; ++row) {
        model.setItem(row, 0, new QStandardItem(QString::number(row + 1)));
        model.setItem(row, 1, new QStandardItem(u"二楼贵宾包厢（靠窗）"_s));
        model.setItem(row, 2, new QStandardItem(u"SP%1"_s.arg(row + 1, 3, 10, QChar(u'0'))));
    }
    QTableView view;
    view.setModel(&model);
    GridLook::setUp(&view);
    view.resize(600, 560);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    const QFontMetrics metrics = view.fontMetrics();
    QVERIFY(view.columnWidth(0) < view.width() / 4);
    QVERIFY(view.columnWidth(1) >= metrics.horizontalAdvance(u"二楼贵宾包厢（靠窗）"_s));
    // The last column takes what is left.
    const int used = view.columnWidth(0) + view.columnWidth(1) + view.columnWidth(2);
    QVERIFY(used >= view.viewport()->width() - 1);
    // Rows follow the font, so twenty plates fit where fourteen did.
    QCOMPARE(view.rowHeight(0), metrics.height() + 8);
    QVERIFY(20 * view.rowHeight(0) <= 560 - view.horizontalHeader()->height());
}

void TestWindowLook::messagesWithoutCaptionShowTheProgramsTitle()
{
    QApplication::setApplicationName(u"salondesk"_s);
    QtPrompt prompt;
    QString caption;
    QTimer::singleShot(0, this, [&caption] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            caption = box->windowTitle();
            box->accept();
        }
    });
    prompt.message(u"保存成功!"_s, {}, Prompt::Kind::Information);
    QCOMPARE(caption, u"管理系统"_s);
}

void TestWindowLook::focusFrameShowsWithoutTab_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("button") << u"button"_s;
    QTest::newRow("tick box") << u"tick"_s;
}

// The focus set by the program or by a click, not by Tab: the control must
// look different from the same control without the focus.
void TestWindowLook::focusFrameShowsWithoutTab()
{
    QFETCH(QString, kind);
    FocusFrameStyle style;
    QWidget window;
    window.setStyle(&style);
    auto *layout = new QVBoxLayout(&window);
    QWidget *focused = nullptr;
    QWidget *other = nullptr;
    for (QWidget **made : {&focused, &other}) {
        if (kind == u"button")
            *made = new QPushButton(u"结帐"_s, &window);
        else
            *made = new QCheckBox(u"参与打折"_s, &window);
        (*made)->setStyle(&style);
        (*made)->setFixedSize(160, 80);
        layout->addWidget(*made);
    }
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    focused->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(focused->hasFocus());
    QVERIFY(focused->grab().toImage() != other->grab().toImage());
}

QTEST_MAIN(TestWindowLook)
#include "tst_window_look.moc"
