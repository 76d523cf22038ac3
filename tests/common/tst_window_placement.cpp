#include "common/UserSettings.h"
#include "common/ui/WindowPlacement.h"

#include <QApplication>
#include <QDialog>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// A window of the program's own, as wide as the checkout once opened.
class WideWindow : public QDialog
{
    Q_OBJECT

public:
    WideWindow() { resize(1150, 640); }
};

// Windows open on the screen and where the operator left them.
class TestWindowPlacement : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fittedKeepsTheFrameOnTheScreen_data();
    void fittedKeepsTheFrameOnTheScreen();
    void aWindowTooWideForTheScreenIsShrunk();
    void aWindowOpensWhereItWasLeft();
    void qtsOwnDialogsAreLeftAlone();

private:
    QTemporaryDir m_config;
    WindowPlacement m_placement;
};

void TestWindowPlacement::initTestCase()
{
    // The operator's own settings must not be touched by a test.
    QVERIFY(m_config.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config.path());
    qApp->installEventFilter(&m_placement);
}

void TestWindowPlacement::fittedKeepsTheFrameOnTheScreen_data()
{
    QTest::addColumn<QRect>("wanted");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QRect>("fitted");

    // The screen's free part: 1024×728 below a 40 px panel.
    QTest::newRow("fits") << QRect(100, 100, 600, 400) << QSize(200, 100)
                          << QRect(100, 100, 600, 400);
    QTest::newRow("too wide and tall") << QRect(-63, 64, 1150, 800) << QSize(600, 300)
                                       << QRect(0, 40, 1024, 728);
    QTest::newRow("off the right and bottom") << QRect(900, 700, 400, 300) << QSize(100, 100)
                                              << QRect(624, 468, 400, 300);
    QTest::newRow("above the panel") << QRect(10, 0, 400, 300) << QSize(100, 100)
                                     << QRect(10, 40, 400, 300);
    // A window that cannot be made smaller keeps its left and top edges on
    // the screen, where the caption and the first buttons are.
    QTest::newRow("least size wider than the screen") << QRect(200, 100, 1300, 500)
                                                      << QSize(1200, 400)
                                                      << QRect(0, 100, 1200, 500);
}

void TestWindowPlacement::fittedKeepsTheFrameOnTheScreen()
{
    QFETCH(QRect, wanted);
    QFETCH(QSize, minimum);
    QFETCH(QRect, fitted);
    QCOMPARE(WindowPlacement::fitted(wanted, QRect(0, 40, 1024, 728), minimum), fitted);
}

void TestWindowPlacement::aWindowTooWideForTheScreenIsShrunk()
{
    WideWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect available = window.screen()->availableGeometry();
    QVERIFY2(available.width() < 1150, "the test screen is wider than the window");
    QVERIFY2(available.contains(window.frameGeometry()),
             qPrintable(u"%1 %2"_s.arg(window.frameGeometry().width())
                            .arg(window.frameGeometry().height())));
    QVERIFY(available.contains(window.geometry()));
}

void TestWindowPlacement::aWindowOpensWhereItWasLeft()
{
    QRect left;
    {
        WideWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.setGeometry(60, 70, 500, 360);
        QTRY_COMPARE(window.geometry().size(), QSize(500, 360));
        left = window.geometry();
        window.hide();
    }
    QVERIFY(userSettings().fileName().startsWith(m_config.path()));
    QVERIFY(userSettings().contains(u"windows/WideWindow"_s));

    WideWindow again;
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QCOMPARE(again.geometry(), left);
}

void TestWindowPlacement::qtsOwnDialogsAreLeftAlone()
{
    QDialog plain;
    plain.resize(300, 200);
    plain.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plain));
    plain.hide();
    QVERIFY(!userSettings().contains(u"windows/QDialog"_s));
}

QTEST_MAIN(TestWindowPlacement)
#include "tst_window_placement.moc"
