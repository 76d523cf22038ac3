#include "Application.h"

#include "Navigator.h"

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

#include <stdexcept>

using namespace Qt::StringLiterals;

int runSalonDesk(int argc, char **argv)
{
    QApplication app(argc, argv);
    // No display name: Qt would append it to every window's caption. The
    // task bar groups the windows by the application's name.
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
    try {
        Startup::readConfiguration(ini, context);
    } catch (const std::runtime_error &error) {
        // system.ini is there but unreadable: say which file and why.
        prompt.message(QString::fromUtf8(error.what()), {}, Prompt::Kind::Error);
        return 1;
    }

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
    Navigator navigator(session, board);
    board.show();
    return app.exec();
}
