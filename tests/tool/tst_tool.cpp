// The command-line tool run as its own process against a real register: the data directory
// and its "cfg.ini" point it at a database laid down from the delivered schema and filled
// here, and what it writes is read back from the files and the database.

#include "Archive.h"
#include "ConnectionString.h"
#include "DBConfig.h"
#include "Database.h"
#include "Gbk.h"
#include "ModulesFixture.h"
#include "Operators.h"
#include "TestDb.h"
#include "TestMain.h"
#include "WorkbookReader.h"
#include "WorkbookWriter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QStringList ListCaptions = {"分类",     "档案编号", "档案名称", "归档部门", "归档人", "归档日期",
                                  "保密级别", "档案份数", "存放地点", "电子文档", "备注"};

struct ToolRun
{
    int ExitCode = -1;
    QString Out;
    QString Err;
};

QByteArray ReadBytes(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(fileName));
}

// The codes (second column) of the records of the first sheet of a workbook or .csv file.
QStringList SheetCodes(const QString &fileName, QStringList *titles = nullptr)
{
    const TWorkbookReader reader(fileName);
    const TSheet sheet = reader.ReadSheet(0);
    if (titles)
        *titles = sheet.Titles;
    QStringList codes;
    for (int row = 0; row < sheet.RowCount(); ++row)
        codes << CellText(sheet.Cell(row, 1));
    return codes;
}

QStringList StoredArchives()
{
    TRecordSet rows;
    rows.Open(
        QStringLiteral("select a.Code, a.Name, t.Name as CataName, a.Arcdate, a.Layplace from archives a "
                       "left join catas t on a.CataId=t.Id order by a.Id"));
    QStringList found;
    const TDataSet &data = *rows.DataSet();
    for (int row = 0; row < data.RecordCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < data.FieldCount(); ++column)
            cells << data.DisplayTextAt(row, column);
        found << cells.join(QLatin1Char('|'));
    }
    return found;
}

} // namespace

class TToolTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ModulesFixture> m_modules;
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_wenshuCode; // a category with a child category below it

    QString HomeFile(const QString &name) const { return m_home->filePath(name); }

    // A data directory whose "cfg.ini" names a fresh register of the engine, holding three
    // categories, four archives and two operators besides "sa".
    bool PrepareRegister(const QString &engine, const QString &name)
    {
        if (!TestDb::RequireEngine(engine))
            return false;
        m_home = std::make_unique<QTemporaryDir>();
        const QString connection = TestDb::FreshConnectionString(engine, name);
        qputenv("PZARC_HOME", QFile::encodeName(m_home->path()));
        {
            const auto items = ConnStr::Parse(connection);
            auto value = [&](const char *key) { return ConnStr::Value(items, QLatin1String(key)); };
            TConfiger settings;
            if (engine == QLatin1String("sqlite")) {
                settings.providerIdx = TConfiger::LocalFileProvider;
                settings.defaultCon = false;
                settings.jetfile = value("Data Source");
            } else {
                settings.providerIdx = TConfiger::PgProvider;
                settings.pgServer = value("Data Source");
                const QString port = value("Port");
                settings.pgPort = port.isEmpty() ? 5432 : port.toInt();
                settings.pgDb = value("Initial Catalog");
                settings.pgUser = value("User ID");
                settings.pgPw = value("Password");
            }
            settings.Save();
        }
        qunsetenv("PZARC_HOME");

        if (!Database->Open(connection))
            return false;
        RCata wenshu{0, {}, QStringLiteral("文书档案"), {}, {}, 0, 0};
        RCata kuaiji{0, {}, QStringLiteral("会计档案"), {}, {}, 0, 0};
        if (!TCataSet::AddCata(wenshu) || !TCataSet::AddCata(kuaiji))
            return false;
        RCata hetong{0, {}, QStringLiteral("合同"), {}, {}, 0, wenshu.SlfId};
        if (!TCataSet::AddCata(hetong))
            return false;
        m_wenshuCode = wenshu.Code;

        auto archive = [](const RCata *cata, const char *code, const char *name, const char *notes) {
            RArchive a;
            if (cata) {
                a.CataId = cata->Id;
                a.CataName = cata->Name;
            }
            a.Code = QString::fromUtf8(code);
            a.Name = QString::fromUtf8(name);
            a.Arcman = QStringLiteral("张三");
            a.Arcdate = QDateTime(QDate(2012, 5, 1), QTime());
            a.Security = QStringLiteral("秘密");
            a.Copys = 2;
            a.Layplace = QStringLiteral("一号柜");
            a.Notes = QString::fromUtf8(notes);
            return TArchiveSet::SaveArchive(a);
        };
        if (!archive(&wenshu, "A-001", "年度工作总结", "含逗号,和\"引号\"") ||
            !archive(&hetong, "A-002", "采购合同", "") || !archive(&kuaiji, "B-001", "记账凭证", "") ||
            !archive(nullptr, "C-001", "杂件", ""))
            return false;

        TOperatorSet operators;
        operators.AddOperator(QStringLiteral("clerk"), QStringLiteral("pw-clerk"),
                              AppendRight({}, RightPrint), {}, {}, QStringLiteral("文员"));
        operators.AddOperator(QStringLiteral("exporter"), QStringLiteral("pw-exp"),
                              AppendRight({}, RightDataExport), {}, {}, QStringLiteral("档案员"));
        Database->SetConnected(false);

        WriteBytes(HomeFile(QStringLiteral("sa.pw")), "\n");
        WriteBytes(HomeFile(QStringLiteral("clerk.pw")), "pw-clerk\r\n");
        WriteBytes(HomeFile(QStringLiteral("exporter.pw")), "pw-exp\nsecond line is not read\n");
        WriteBytes(HomeFile(QStringLiteral("wrong.pw")), "pw-wrong\n");
        WriteBytes(HomeFile(QStringLiteral("sheet.csv")),
                   QStringLiteral("档案编号,档案名称\r\nX-1,测试\r\n").toUtf8());
        return true;
    }

    // Runs the tool in the data directory; its standard input is a pipe, never a terminal.
    ToolRun Tool(const QStringList &arguments) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PZARC_HOME"), m_home->path());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_home->path());
        process.start(QStringLiteral(PZARC_TOOL_PATH), arguments);
        process.closeWriteChannel();
        ToolRun run;
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            run.Err = QStringLiteral("<did not finish>");
            return run;
        }
        run.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.Out = QString::fromUtf8(process.readAllStandardOutput());
        run.Err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    QStringList AsSa(const QStringList &arguments) const
    {
        return arguments + QStringList{"--user", "sa", "--password-file", HomeFile(QStringLiteral("sa.pw"))};
    }

    // The archives as the database holds them now, read on the test's own connection.
    QStringList StoredNow()
    {
        const QString file = HomeFile(QStringLiteral("cfg.ini"));
        qputenv("PZARC_HOME", QFile::encodeName(m_home->path()));
        const QString connection = TConfiger().ConnectionString();
        qunsetenv("PZARC_HOME");
        if (!QFile::exists(file) || !Database->Open(connection))
            return {QStringLiteral("<no connection>")};
        const QStringList stored = StoredArchives();
        Database->SetConnected(false);
        return stored;
    }

private slots:
    void initTestCase() { m_modules = std::make_unique<ModulesFixture>(); }
    void cleanupTestCase() { m_modules.reset(); }

    // Every export format holds the list's visible columns in the list's order and the
    // archives of the search; the text files carry the encoding asked for, or the format's
    // own default.
    void exportFormats_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("encoding"); // how the text file's bytes must read; empty: workbook
        QTest::addColumn<bool>("bom");
        for (const QString &engine : TestDb::Engines()) {
            auto row = [&](const char *label) {
                return &QTest::newRow(qPrintable(engine + QLatin1Char(' ') + QLatin1String(label)));
            };
            *row("xlsx") << engine << "list.xlsx" << QStringList() << QString() << false;
            *row("csv default utf-8") << engine << "list.csv" << QStringList() << "utf-8" << true;
            *row("csv gbk") << engine << "list.csv" << QStringList{"--encoding", "gbk"} << "gbk" << false;
            *row("txt default gbk") << engine << "list.txt" << QStringList() << "gbk" << false;
            *row("txt utf-8") << engine << "list.txt" << QStringList{"--encoding=utf-8"} << "utf-8" << false;
            *row("html default gbk") << engine << "list.html" << QStringList() << "gbk" << false;
        }
    }
    void exportFormats()
    {
        QFETCH(QString, engine);
        QFETCH(QString, fileName);
        QFETCH(QStringList, options);
        QFETCH(QString, encoding);
        QFETCH(bool, bom);
        if (!PrepareRegister(engine, QStringLiteral("tool_export")))
            return;

        // A relative name is taken from the working directory.
        const ToolRun run =
            Tool(AsSa(QStringList{"export", "archives", fileName, "--category", m_wenshuCode} + options));
        QCOMPARE(run.Err, QString());
        QCOMPARE(run.ExitCode, 0);
        const QString file = HomeFile(fileName);
        QVERIFY(run.Out.startsWith(QStringLiteral("已导出 2 条档案到 ") + file));

        const QByteArray bytes = ReadBytes(file);
        if (encoding.isEmpty() || fileName.endsWith(QLatin1String(".csv"))) {
            QStringList titles;
            QCOMPARE(SheetCodes(file, &titles), (QStringList{"A-001", "A-002"}));
            QCOMPARE(titles, ListCaptions);
        }
        if (encoding.isEmpty())
            return;

        QCOMPARE(bytes.startsWith("\xEF\xBB\xBF"), bom);
        const QByteArray gbkName = Gbk::Encode(QStringLiteral("年度工作总结"));
        const QByteArray utf8Name = QStringLiteral("年度工作总结").toUtf8();
        QCOMPARE(bytes.contains(gbkName), encoding == QLatin1String("gbk"));
        QCOMPARE(bytes.contains(utf8Name), encoding == QLatin1String("utf-8"));
        QStringDecoder decode(encoding == QLatin1String("gbk") ? "GB18030" : "UTF-8");
        const QString text = decode(bytes);
        QVERIFY(!decode.hasError());
        QVERIFY(text.contains(QStringLiteral("采购合同")));
        QVERIFY(!text.contains(QStringLiteral("记账凭证")));
        QVERIFY(!text.contains(QStringLiteral("杂件")));
        if (fileName.endsWith(QLatin1String(".txt"))) {
            const QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
            QCOMPARE(lines.size(), 3);
            QCOMPARE(lines[0], ListCaptions.join(QLatin1Char('\t')) + QLatin1Char('\t'));
            QVERIFY(
                lines[1].startsWith(QStringLiteral("文书档案\tA-001\t年度工作总结\t\t张三\t2012-05-01\t")));
        }
        if (fileName.endsWith(QLatin1String(".html")))
            QVERIFY(text.contains(QStringLiteral("charset"), Qt::CaseInsensitive));
    }

    // The search conditions of the list: a category takes everything below it, the fixed
    // codes take all archives or those without category, the keyword searches the texts.
    void exportConditions_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("codes");
        for (const QString &engine : TestDb::Engines()) {
            auto row = [&](const char *label) {
                return &QTest::newRow(qPrintable(engine + QLatin1Char(' ') + QLatin1String(label)));
            };
            *row("no condition") << engine << QStringList()
                                 << QStringList{"A-001", "A-002", "B-001", "C-001"};
            *row("all") << engine << QStringList{"--category", "sys-all"}
                        << QStringList{"A-001", "A-002", "B-001", "C-001"};
            *row("without category") << engine << QStringList{"--category", "sys-nulled"}
                                     << QStringList{"C-001"};
            *row("keyword") << engine << QStringList{"--keyword", "合同"} << QStringList{"A-002"};
            *row("keyword and category")
                << engine << QStringList{"--keyword", "a-00", "--category", "sys-all"}
                << QStringList{"A-001", "A-002"};
            *row("keyword without match") << engine << QStringList{"--keyword", "没有这个"} << QStringList();
        }
    }
    void exportConditions()
    {
        QFETCH(QString, engine);
        QFETCH(QStringList, options);
        QFETCH(QStringList, codes);
        if (!PrepareRegister(engine, QStringLiteral("tool_conditions")))
            return;
        const QString file = HomeFile(QStringLiteral("found.csv"));
        const ToolRun run = Tool(AsSa(QStringList{"export", "archives", file} + options));
        QCOMPARE(run.Err, QString());
        QCOMPARE(run.ExitCode, 0);
        QCOMPARE(SheetCodes(file), codes);
    }

    // A sheet's columns are matched by the list's captions; a dry run reports and writes
    // nothing; the import then stores every non-blank row, a category by its whole name.
    void importSheet_data() { TestDb::AddEngineRows(); }
    void importSheet()
    {
        QFETCH(QString, engine);
        if (!PrepareRegister(engine, QStringLiteral("tool_import")))
            return;
        const QStringList before = StoredNow();
        QCOMPARE(before.size(), 4);

        const QString sheet = HomeFile(QStringLiteral("new.xlsx"));
        {
            TWorkbookWriter writer(sheet);
            writer.WriteRow({"档案编号", "档案名称", "分类", "归档日期", "存放地点", "备用"});
            writer.WriteRow({"D-001", "人事任免文件", "会计档案", "2013年7月12日", "二号柜", "x"});
            writer.WriteRow({});
            writer.WriteRow({"D-002", "来信", "不存在的分类", "2013/7/13", "", ""});
            writer.Commit();
        }

        const ToolRun dry = Tool(AsSa({"import", "archives", sheet, "--dry-run"}));
        QCOMPARE(dry.Err, QString());
        QCOMPARE(dry.ExitCode, 0);
        QVERIFY(dry.Out.contains(QStringLiteral("档案名称 <- 档案名称")));
        QVERIFY(dry.Out.contains(QStringLiteral("保密级别 <- (无)")));
        QVERIFY(dry.Out.contains(QStringLiteral("其中 1 条档案的分类在系统中不存在")));
        QVERIFY(dry.Out.contains(QStringLiteral("将导入 2 条档案")));
        QCOMPARE(StoredNow(), before);

        const ToolRun run = Tool(AsSa({"import", "archives", sheet}));
        QCOMPARE(run.Err, QString());
        QCOMPARE(run.ExitCode, 0);
        QVERIFY(run.Out.endsWith(QStringLiteral("已导入 2 条档案.\n")));
        const QStringList imported{QStringLiteral("D-001|人事任免文件|会计档案|2013-07-12|二号柜"),
                                   QStringLiteral("D-002|来信||2013-07-13|")};
        QCOMPARE(StoredNow(), before + imported);

        // A value the field cannot take stops the import before anything is written.
        const QString bad = HomeFile(QStringLiteral("bad.csv"));
        WriteBytes(bad, QStringLiteral("档案编号,档案名称,归档日期\r\nE-001,好的,2013-01-01\r\nE-002,坏的,"
                                       "不是日期\r\n")
                            .toUtf8());
        const ToolRun refused = Tool(AsSa({"import", "archives", bad}));
        QCOMPARE(refused.ExitCode, 1);
        QVERIFY2(refused.Err.contains(QStringLiteral("第 3 行")), qPrintable(refused.Err));
        QCOMPARE(refused.Out, QString());
        QCOMPARE(StoredNow().size(), 6);
    }

    // The login, the rights and the command line: each refusal names its cause on the error
    // stream, ends with its exit code and leaves no file behind.
    void refusals_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message"); // on the error stream, or on the output for 0
        QTest::addColumn<bool>("written");

        const QStringList exportList{"export", "archives", "out.xlsx"};
        auto as = [](const char *user, const char *passwordFile) {
            return QStringList{"--user", user, "--password-file", QString::fromLatin1(passwordFile)};
        };
        QTest::newRow("wrong password")
            << exportList + as("exporter", "wrong.pw") << 1 << "登录名或密码不正确" << false;
        QTest::newRow("unknown operator")
            << exportList + as("nobody", "wrong.pw") << 1 << "登录名或密码不正确" << false;
        QTest::newRow("password of another operator")
            << exportList + as("exporter", "clerk.pw") << 1 << "登录名或密码不正确" << false;
        QTest::newRow("export without its right") << exportList + as("clerk", "clerk.pw") << 1
                                                  << "您没有该功能的操作权限,请与管理员联系(10004)" << false;
        QTest::newRow("export with its right")
            << exportList + as("exporter", "exporter.pw") << 0 << "已导出 4 条" << true;
        QTest::newRow("superuser, empty password")
            << exportList + as("sa", "sa.pw") << 0 << "已导出 4 条" << true;
        QTest::newRow("import needs no right")
            << QStringList{"import", "archives", "sheet.csv", "--dry-run"} + as("clerk", "clerk.pw") << 0
            << "将导入 1 条档案" << false;
        QTest::newRow("unknown category") << exportList + as("sa", "sa.pw") + QStringList{"--category", "9."}
                                          << 1 << "找不到编号为\"9.\"的分类" << false;
        QTest::newRow("missing password file")
            << exportList + as("sa", "none.pw") << 1 << "无法读取密码文件" << false;
        QTest::newRow("password on the command line")
            << exportList + QStringList{"--user", "sa", "--password=x"} << 2 << "密码不能写在命令行上"
            << false;
        QTest::newRow("no terminal for the password")
            << exportList + QStringList{"--user", "sa"} << 2 << "--password-file" << false;
        QTest::newRow("no operator") << exportList << 2 << "缺少 --user" << false;
        QTest::newRow("unknown format")
            << QStringList{"export", "archives", "out.pdf"} + as("sa", "sa.pw") << 2 << "扩展名" << false;
        QTest::newRow("encoding of a workbook")
            << exportList + as("sa", "sa.pw") + QStringList{"--encoding", "gbk"} << 2 << "--encoding"
            << false;
        QTest::newRow("option of the other command")
            << exportList + as("sa", "sa.pw") + QStringList{"--dry-run"} << 2 << "--dry-run" << false;
        QTest::newRow("unknown command")
            << QStringList{"delete", "archives", "x.xlsx"} << 2 << "未知的命令" << false;
        QTest::newRow("help") << QStringList{"--help"} << 0 << "用法:" << false;
    }
    void refusals()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QFETCH(bool, written);
        if (!PrepareRegister(QStringLiteral("sqlite"), QStringLiteral("tool_refusals")))
            return;
        const ToolRun run = Tool(arguments);
        QCOMPARE(run.ExitCode, exitCode);
        const QString &stream = exitCode == 0 ? run.Out : run.Err;
        QVERIFY2(stream.contains(message), qPrintable(run.Out + run.Err));
        if (exitCode == 2)
            QVERIFY(run.Err.contains(QStringLiteral("用法:")));
        if (exitCode != 0)
            QCOMPARE(run.Out, QString());
        QCOMPARE(QFile::exists(HomeFile(QStringLiteral("out.xlsx"))), written);
    }

    // A register that cannot be reached fails with its reason and writes nothing; no window
    // is ever asked for, and no register is laid down in its place.
    void unreachableDatabase_data()
    {
        QTest::addColumn<bool>("configured");
        QTest::addColumn<QString>("message");
        QTest::newRow("no settings file") << false << "cfg.ini";
        QTest::newRow("database file missing") << true << "数据库文件不存在";
    }
    void unreachableDatabase()
    {
        QFETCH(bool, configured);
        QFETCH(QString, message);
        if (!PrepareRegister(QStringLiteral("sqlite"), QStringLiteral("tool_unreachable")))
            return;
        qputenv("PZARC_HOME", QFile::encodeName(m_home->path()));
        if (configured) {
            TConfiger settings;
            settings.jetfile = HomeFile(QStringLiteral("gone.db"));
            settings.Save();
        } else {
            QVERIFY(QFile::remove(TConfiger::FileName()));
        }
        qunsetenv("PZARC_HOME");
        const QStringList before = QDir(m_home->path()).entryList(QDir::Files, QDir::Name);
        const ToolRun run = Tool(AsSa({"export", "archives", "out.csv"}));
        QCOMPARE(run.ExitCode, 1);
        QVERIFY2(run.Err.contains(message), qPrintable(run.Err));
        QCOMPARE(QDir(m_home->path()).entryList(QDir::Files, QDir::Name), before);
    }
};

PZ_TEST(TToolTest)

#include "tst_tool.moc"
