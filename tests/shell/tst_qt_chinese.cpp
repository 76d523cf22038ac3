#include "shell/QtChinese.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QInputDialog>
#include <QPushButton>
#include <QTest>

using namespace Qt::StringLiterals;

// Qt's own dialogs speak Chinese once the program has loaded Qt's
// translations, whatever language the machine is set to.
class TestQtChinese : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The machine's language plays no part.
        QLocale::setDefault(QLocale::c());
        if (!QFileInfo::exists(QtChinese::translationFile()))
            QSKIP(qPrintable(u"Qt's Chinese translations are not installed (%1; Debian package "
                             "qt6-translations-l10n)"_s.arg(QtChinese::translationFile())));
        QVERIFY(QtChinese::install());
    }

    void qtTextsAreChinese_data()
    {
        QTest::addColumn<QByteArray>("context");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("chinese");
        QTest::newRow("OK button") << "QPlatformTheme"_ba << "OK"_ba << u"确定"_s;
        QTest::newRow("Cancel button") << "QPlatformTheme"_ba << "Cancel"_ba << u"取消"_s;
        QTest::newRow("Yes button") << "QPlatformTheme"_ba << "&Yes"_ba << u"是"_s;
        QTest::newRow("Save button") << "QPlatformTheme"_ba << "Save"_ba << u"保存"_s;
        QTest::newRow("print preview's Print") << "QPrintPreviewDialog"_ba << "Print"_ba << u"打印"_s;
        QTest::newRow("print dialog") << "QPrintDialog"_ba << "Print"_ba << u"打印"_s;
        QTest::newRow("file dialog's Look in") << "QFileDialog"_ba << "Look in:"_ba << u"查找范围"_s;
    }

    void qtTextsAreChinese()
    {
        QFETCH(QByteArray, context);
        QFETCH(QByteArray, source);
        QFETCH(QString, chinese);
        const QString shown = QCoreApplication::translate(context.constData(), source.constData());
        QVERIFY2(shown.contains(chinese), qPrintable(shown));
    }

    // What the operator sees: the buttons of a dialog that sets none of
    // its own texts.
    void dialogButtonsAreChinese()
    {
        QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Ok)->text(), u"确定"_s);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), u"取消"_s);

        QInputDialog input;
        input.setLabelText(u"数量"_s);
        input.show();
        QStringList texts;
        for (auto *button : input.findChildren<QPushButton *>())
            texts.append(button->text().remove(u'&'));
        texts.sort();
        QCOMPARE(texts, (QStringList{u"取消"_s, u"确定"_s}));
    }

    void defaultLocaleIsChinese()
    {
        QCOMPARE(QLocale().language(), QLocale::Chinese);
    }
};

QTEST_MAIN(TestQtChinese)
#include "tst_qt_chinese.moc"
