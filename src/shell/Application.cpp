#include "Application.h"

#include "Navigator.h"

#include "board/ui/TMainFm.h"
#include "common/Clock.h"
#include "common/ui/Attempt.h"
#include "db/ChangeFeed.h"
#include "common/ui/DesktopFileOpener.h"
#include "common/ui/FocusFrameStyle.h"
#include "common/ui/QtPrompt.h"
#include "common/ui/WindowPlacement.h"
#include "maintenance/ui/TSetDataFm.h"
#include "operators/ui/TLgFm.h"
#include "session/AppContext.h"
#include "session/IniFile.h"
#include "session/Session.h"
#include "session/Startup.h"
#include "shell/QtChinese.h"
#include "shell/SingleInstance.h"

#include <QApplication>
#include <QDir>


using namespace Qt::StringLiterals;

int runSalonDesk(int argc, char **argv)
{
    QApplication app(argc, argv);
    // No display name: Qt would append it to every window's caption. The
    // task bar groups the windows by the application's name.
    QApplication::setApplicationName(u"salondesk"_s);
    // Without the file Qt's dialogs stay English; the program still runs.
    QtChinese::install();

    // The focus frame shows where Enter and Space go, however the focus came.
    QApplication::setStyle(new FocusFrameStyle);
    // Every window opens on the screen and where this user last left it.
    WindowPlacement placement;
    app.installEventFilter(&placement);

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
    // A system.ini that is there but cannot be read says which file and why.
    if (!attempt(prompt, [&] { Startup::readConfiguration(ini, context); }))
        return 1;

    Startup::Opened opened = Startup::openDatabase(context, ini);
    // A database that answered but is not a usable shop says why; the
    // sign-in window shows the reason in either case.
    if (!opened.database) {
        prompt.message(opened.connectionFailed ? u"数据库连接失败：%1"_s.arg(opened.error)
                                               : opened.error,
                       {}, Prompt::Kind::Error);
    }

    SystemClock clock;
    DesktopFileOpener opener;
    Session session{context, opened.database.get(), opened.error, ini, prompt, clock, opener};
    std::unique_ptr<ChangeFeed> changes;
    if (opened.database) {
        changes = std::make_unique<ChangeFeed>(*opened.database);
        session.changes = changes.get();
    }
    if (opened.database)
        attempt(prompt, [&] { Startup::readShop(*opened.database, context); });
    // The server could not be reached: the operator can correct it for the
    // next start (this one goes on with the embedded database's sign-in).
    if (opened.connectionFailed)
        TSetDataFm(session).exec();

    TLgFm signIn(session);
    signIn.loadOperators();
    if (signIn.exec() != QDialog::Accepted)
        return 0;

    TMainFm board(session);
    Navigator navigator(session, board);
    board.show();
    return app.exec();
}
