#include "Application.h"

#include "app/AppContext.h"
#include "app/IniFile.h"
#include "app/Session.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "board/ui/TMainFm.h"
#include "common/Clock.h"
#include "common/ui/DesktopFileOpener.h"
#include "common/ui/QtPrompt.h"
#include "operators/ui/TLgFm.h"

#include <QApplication>
#include <QDir>

using namespace Qt::StringLiterals;

int runSalonDesk(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(u"管理系统"_s);
    QApplication::setApplicationName(u"salondesk"_s);

    QtPrompt qtPrompt;
    Prompt &prompt = qtPrompt;
    SingleInstance instance;
    if (!instance.acquire()) {
        prompt.message(u"程序已经运行"_s, u"提示"_s);
        return 0;
    }

    AppContext context;
    context.ProgramDir = QCoreApplication::applicationDirPath();
    IniFile ini(QDir(context.ProgramDir).filePath(u"system.ini"_s));
    Startup::readConfiguration(ini, context);

    Startup::Opened opened = Startup::openDatabase(context, ini);
    // A database that answered but is not a usable shop says why; the
    // sign-in window shows the reason in either case.
    if (!opened.database) {
        prompt.message(opened.connectionFailed ? u"数据库连接失败!."_s : opened.error, {},
                       Prompt::Kind::Error);
    }

    SystemClock clock;
    DesktopFileOpener opener;
    Session session{context, opened.database.get(), opened.error, ini, prompt, clock, opener};
    if (opened.database) {
        try {
            Startup::readShop(*opened.database, context);
        } catch (const DbError &error) {
            prompt.message(error.text(), {}, Prompt::Kind::Error);
        }
    }

    TLgFm signIn(session);
    signIn.loadOperators();
    if (signIn.exec() != QDialog::Accepted)
        return 0;

    TMainFm board(session);
    board.show();
    return app.exec();
}
