#include "SqliteLocks.h"
#include "support/ShopBuilder.h"

#include "common/ui/QtPrompt.h"
#include "db/Database.h"
#include "db/Schema.h"
#include "maintenance/Backup.h"
#include "maintenance/ui/BackupActions.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::StringLiterals;

// The program's file dialogs, shown for real: what they list, where they
// open, and that listing the shop's folder costs the program none of its
// SQLite locks.
class TestBackupDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void defaultTypeListsEveryProposedName_data();
    void defaultTypeListsEveryProposedName();
    void listingTheShopsFolderKeepsTheLocks_data();
    void listingTheShopsFolderKeepsTheLocks();
    void neverOpensInTheProgramsFolder_data();
    void neverOpensInTheProgramsFolder();

private:
    QTemporaryDir m_home;
};

namespace {

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

// Asks through `ask` and, once the dialog is up, runs `act` on it and
// closes it; what the prompt answered.
QString whileShown(const std::function<QString()> &ask,
                   const std::function<void(QFileDialog *)> &act)
{
    bool done = false;
    std::function<void()> look;
    look = [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) {
            QTimer::singleShot(10, look);
            return;
        }
        act(dialog);
        done = true;
        dialog->reject();
    };
    QTimer::singleShot(0, look);
    const QString answer = ask();
    if (!done)
        qWarning("no file dialog was shown");
    return answer;
}

QFileSystemModel *modelOf(QFileDialog *dialog)
{
    return dialog->findChild<QFileSystemModel *>();
}

// The names the dialog lists in its folder, once it has read the folder
// and fetched each file's icon and type.
QStringList listed(QFileDialog *dialog, int atLeast)
{
    QFileSystemModel *model = modelOf(dialog);
    const QModelIndex root = model->index(dialog->directory().absolutePath());
    if (!QTest::qWaitFor([&] { return model->rowCount(root) >= atLeast; }, 5000))
        qWarning("the dialog listed fewer files than expected");
    QStringList names;
    for (int row = 0; row < model->rowCount(root); ++row) {
        names << model->index(row, 0, root).data().toString();
        // What the list shows beside the name: the icon and the type.
        model->index(row, 0, root).data(Qt::DecorationRole);
        model->index(row, 2, root).data();
    }
    // The icons and types come from a thread of their own.
    QTest::qWait(300);
    names.sort();
    return names;
}

} // namespace

void TestBackupDialogs::initTestCase()
{
    qputenv("HOME", QFile::encodeName(m_home.path()));
}

void TestBackupDialogs::defaultTypeListsEveryProposedName_data()
{
    QTest::addColumn<Backend>("backend");
    QTest::addColumn<QStringList>("backups");
    QTest::addColumn<QStringList>("others");
    const QDate day(2026, 12, 11);
    const QString first = Backup::proposedName({}, day);
    const QString second = Backup::proposedName(first, day.addDays(1));
    QTest::newRow("embedded") << Backend::Sqlite
                              << QStringList{first, second, u"shop.db"_s, u"old.bak"_s}
                              << QStringList{u"notes.txt"_s, u"goods.xls"_s};
    QTest::newRow("server") << Backend::Postgres << QStringList{first, second, u"shop.dump"_s}
                            << QStringList{u"notes.txt"_s, u"shop.db"_s};
}

void TestBackupDialogs::defaultTypeListsEveryProposedName()
{
    QFETCH(Backend, backend);
    QFETCH(QStringList, backups);
    QFETCH(QStringList, others);
    QTemporaryDir folder;
    for (const QString &name : backups + others)
        touch(folder.filePath(name));
    QtPrompt prompt;

    for (const bool saving : {false, true}) {
        QStringList names;
        whileShown(
            [&] {
                const QString types = BackupActions::fileTypes(backend);
                return saving ? prompt.saveFile(u"数据备份"_s, types, folder.filePath(u"x"_s))
                              : prompt.openFile(u"数据恢复"_s, types, folder.path());
            },
            [&](QFileDialog *dialog) { names = listed(dialog, int(backups.size())); });
        backups.sort();
        QCOMPARE(names, backups);
    }
}

void TestBackupDialogs::listingTheShopsFolderKeepsTheLocks_data()
{
    QTest::addColumn<bool>("saving");
    QTest::newRow("restore or import") << false;
    QTest::newRow("backup") << true;
}

void TestBackupDialogs::listingTheShopsFolderKeepsTheLocks()
{
    QFETCH(bool, saving);
    QTemporaryDir folder;
    const QString file = folder.filePath(u"data.db"_s);
    ConnectionSettings settings;
    settings.filePath = file;
    const auto database = Database::open(settings);
    Schema::create(*database);
    ShopBuilder(*database).bill({.number = u"A"_s});
    QCOMPARE(SqliteLocks::missing(file), QString());
    QtPrompt prompt;

    QStringList names;
    QString lost;
    whileShown(
        [&] {
            return saving ? prompt.saveFile(u"数据备份"_s, u"所有文件 (*)"_s, file)
                          : prompt.openFile(u"数据恢复"_s, u"所有文件 (*)"_s, folder.path());
        },
        [&](QFileDialog *dialog) {
            // As when the operator browses there.
            dialog->setDirectory(folder.path());
            names = listed(dialog, 3);
            lost = SqliteLocks::missing(file);
        });

    QVERIFY2(names.contains(u"data.db-shm"_s), qPrintable(names.join(u", "_s)));
    QCOMPARE(lost, QString());
    QCOMPARE(SqliteLocks::missing(file), QString());
}

void TestBackupDialogs::neverOpensInTheProgramsFolder_data()
{
    QTest::addColumn<bool>("saving");
    QTest::addColumn<QString>("asked");
    QTest::newRow("open, no folder given") << false << QString();
    QTest::newRow("save, a bare name") << true << u"2026-12-11备份文件"_s;
    QTest::newRow("save, a name in the program's folder") << true << u"PROGRAM/a备份文件"_s;
    QTest::newRow("open, the program's folder") << false << u"PROGRAM"_s;
}

void TestBackupDialogs::neverOpensInTheProgramsFolder()
{
    QFETCH(bool, saving);
    QFETCH(QString, asked);
    QTemporaryDir program;
    touch(program.filePath(u"data.db"_s));
    const QString before = QDir::currentPath();
    // Started from its own folder, as a shortcut does.
    QDir::setCurrent(program.path());
    asked.replace(u"PROGRAM"_s, program.path());
    QtPrompt prompt;
    prompt.setProgramFolder(program.path());
    const auto folderShown = [&] {
        QString folder;
        whileShown(
            [&] {
                return saving ? prompt.saveFile(u"数据备份"_s, u"所有文件 (*)"_s, asked)
                              : prompt.openFile(u"选择Excel"_s, u"所有文件 (*)"_s, asked);
            },
            [&](QFileDialog *dialog) { folder = dialog->directory().canonicalPath(); });
        return folder;
    };

    QCOMPARE(folderShown(), QDir(m_home.path()).canonicalPath());

    // Once a file elsewhere was chosen, the dialogs start where it is.
    QTemporaryDir elsewhere;
    touch(elsewhere.filePath(u"goods.xls"_s));
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->selectFile(elsewhere.filePath(u"goods.xls"_s));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const QString chosen = prompt.openFile(u"选择Excel"_s, u"所有文件 (*)"_s, {});
    QDir::setCurrent(before);
    QCOMPARE(QFileInfo(chosen).canonicalFilePath(), QFileInfo(elsewhere.filePath(u"goods.xls"_s)).canonicalFilePath());
    QCOMPARE(folderShown(), QDir(elsewhere.path()).canonicalPath());
}

QTEST_MAIN(TestBackupDialogs)
#include "tst_backup_dialogs.moc"
