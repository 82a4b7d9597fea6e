#include "Startup.h"

#include "DBConfig.h"
#include "Globals.h"
#include "Login.h"
#include "Paths.h"
#include "Schema.h"
#include "Splash.h"
#include "pzProj.h"

#include <QApplication>

#include <memory>

int RunStartup(const QStringList &arguments, const std::function<void(TSplashFrm &)> &watchSplash)
{
    QApplication::setApplicationDisplayName(QStringLiteral("青岫档案管理系统"));
    QCoreApplication::processEvents();
    SetProductGlobals();

    // A first start finds neither "cfg.ini" nor the database; both are laid down so that
    // the connection below opens the delivered database.
    Schema::EnsureDeliveredFiles();

    auto splash = std::make_unique<TSplashFrm>(Paths::ProgramDir());
    if (watchSplash)
        watchSplash(*splash);
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

    splash.reset();

    return Login(true, arguments) ? 0 : 1;
}
