#include "Startup.h"

#include "ConnectionDialog.h"
#include "DBConfig.h"
#include "Facade.h"
#include "Globals.h"
#include "MainFrm.h"
#include "Paths.h"
#include "Prompter.h"
#include "Schema.h"
#include "Settings.h"
#include "SharedImages.h"
#include "Splash.h"

#include <QApplication>

#include <memory>

int RunStartup(const QStringList &arguments, const TStartupHooks &hooks)
{
    // The product's name captions the program's own boxes only: as Qt's application display
    // name it would be appended to every window title the window manager shows.
    QCoreApplication::processEvents();
    SetProductGlobals();
    SetProgramCaption(ProductName);
    if (!Mall)
        Mall = new Tmall(qApp);

    // A first start finds no "cfg.ini"; it and (when missing) the database are laid down so
    // that the connection below opens the delivered database. A database missing beside an
    // existing "cfg.ini" is the connect loop's question, never silently replaced here.
    Schema::EnsureDeliveredFiles();

    auto splash = std::make_unique<TSplashFrm>(Paths::ProgramDir());
    if (hooks.WatchSplash)
        hooks.WatchSplash(*splash);
    splash->show();
    // Nothing else processes window messages until the login; the splash is drawn now.
    QCoreApplication::processEvents();
    splash->SetStatus(QStringLiteral("正在连接数据库,请稍候..."));

    if (!ConnectDatabase())
        return 1;

    splash->SetStatus(QStringLiteral("正在创建公共对象,请稍候..."));
    Company->LoadCompany();
    splash->SetStatus(QString());
    splash->SetStatus(QStringLiteral("正在创建主程序,请稍候..."));

    // The image module first: the main window's tree and tool bar take their pictures from it.
    // Declared in this order, the window goes before the images it shows.
    const auto images = std::make_unique<TPubFrm>();
    const auto mainFrm = std::make_unique<TmainFrm>();
    mainFrm->SetCommandLine(arguments);

    splash.reset();

    if (!mainFrm->Login(true)) {
        // Never shown, the window still runs its closing steps: feedback, backup, disconnect.
        mainFrm->close();
        return 1;
    }

    mainFrm->show();
    // An error in the start-up prompts is shown like any other; the work goes on.
    Guard([] { Mall->Welcome(); });
    if (hooks.InsteadOfEventLoop)
        hooks.InsteadOfEventLoop(*mainFrm);
    // Closed during the prompts, the window has already ended the program.
    else if (!mainFrm->ClosingStepsDone())
        QApplication::exec();
    mainFrm->close();
    return 0;
}
