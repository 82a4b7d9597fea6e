#include "ToolCommands.h"

#include "Archive.h"
#include "ArchiveImporter.h"
#include "DBConfig.h"
#include "DataSet.h"
#include "Database.h"
#include "Paths.h"
#include "Schema.h"
#include "Settings.h"
#include "SheetImport.h"
#include "TextExport.h"
#include "WorkbookReader.h"
#include "WorkbookWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <cstdio>
#include <iostream>
#include <string>

#include <termios.h>
#include <unistd.h>

namespace Tool {

namespace {

enum class ExportKind { Workbook, Tab, Csv, Html };

const QString ExportCommand = QStringLiteral("export");
const QString ImportCommand = QStringLiteral("import");
const QString ArchivesObject = QStringLiteral("archives");

QString Suffix(const QString &file)
{
    return QFileInfo(file).suffix().toLower();
}

ExportKind ExportKindOf(const QString &file)
{
    const QString suffix = Suffix(file);
    if (suffix == QLatin1String("xlsx"))
        return ExportKind::Workbook;
    if (suffix == QLatin1String("csv"))
        return ExportKind::Csv;
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm"))
        return ExportKind::Html;
    if (suffix == QLatin1String("txt"))
        return ExportKind::Tab;
    throw EUsage(QStringLiteral("导出文件的扩展名须为 .xlsx、.csv、.html 或 .txt: %1").arg(file));
}

bool IsImportFile(const QString &file)
{
    const QString suffix = Suffix(file);
    return suffix == QLatin1String("xlsx") || suffix == QLatin1String("xls") ||
           suffix == QLatin1String("csv");
}

// Comma-separated text is read by spreadsheet programs, which recognise UTF-8 only by its
// byte-order mark; the other text files keep the Chinese code page the office's tools expect.
Exchange::TextEncoding EncodingFor(const Options &options, ExportKind kind)
{
    if (options.Encoding.isEmpty())
        return kind == ExportKind::Csv ? Exchange::TextEncoding::Utf8 : Exchange::TextEncoding::Gbk;
    const QString name = options.Encoding.toLower();
    if (name == QLatin1String("gbk"))
        return Exchange::TextEncoding::Gbk;
    return Exchange::TextEncoding::Utf8;
}

// ---- arguments ----

bool TakesValue(const QString &name)
{
    static const QStringList valued = {QStringLiteral("user"),     QStringLiteral("password-file"),
                                       QStringLiteral("category"), QStringLiteral("keyword"),
                                       QStringLiteral("encoding"), QStringLiteral("sheet")};
    return valued.contains(name);
}

void SetValue(Options &options, const QString &name, const QString &value)
{
    if (name == QLatin1String("user"))
        options.User = value;
    else if (name == QLatin1String("password-file"))
        options.PasswordFile = value;
    else if (name == QLatin1String("category"))
        options.Category = value;
    else if (name == QLatin1String("keyword"))
        options.Keyword = value;
    else if (name == QLatin1String("encoding"))
        options.Encoding = value;
    else if (name == QLatin1String("sheet"))
        options.Sheet = value;
}

// Options of the other command are refused rather than ignored, so that a script never
// believes a condition was applied.
void RefuseFor(const QString &command, const QStringList &given, const QStringList &foreign)
{
    for (const QString &name : given) {
        if (foreign.contains(name))
            throw EUsage(QStringLiteral("选项 --%1 不能用于 %2 命令.").arg(name, command));
    }
}

// ---- password and login ----

QString ReadPasswordFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFileError(QStringLiteral("无法读取密码文件 %1: %2")
                             .arg(fileName, Paths::FailureReason(file.errorString())));
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

QString ObtainPassword(const Options &options, const Io &io)
{
    if (!options.PasswordFile.isEmpty())
        return ReadPasswordFile(options.PasswordFile);
    std::optional<QString> typed = io.AskPassword ? io.AskPassword() : std::nullopt;
    if (!typed)
        throw EUsage(QStringLiteral("没有可输入密码的终端: 请用 --password-file 给出密码文件."));
    return *typed;
}

void Connect()
{
    // The program lays down a new register on its first start; the tool never does, so that
    // a data directory named by mistake is not silently given an empty register.
    if (!QFileInfo::exists(TConfiger::FileName()))
        throw Exception(QStringLiteral("数据目录中没有设置文件 %1: 请先启动一次程序, 设置数据库连接.")
                            .arg(TConfiger::FileName()));
    const TConfiger settings;
    const QString connection = settings.ConnectionString();
    if (connection.isEmpty())
        throw Exception(QStringLiteral("没有可用的数据库连接设置: %1").arg(TConfiger::FileName()));
    // A failed open has already told why.
    if (!Database->Open(connection))
        Abort();
    const QStringList missing = Schema::MissingTables(Database->Connection());
    if (!missing.isEmpty())
        throw Exception(QStringLiteral("数据库缺少数据表: %1").arg(missing.join(QStringLiteral(", "))));
}

void LogIn(const Options &options, const QString &password)
{
    CurrentOperator->LoadByLoginId(options.User);
    if (!CurrentOperator->CheckPasswd(password)) {
        CurrentOperator->Clear();
        throw Exception(QStringLiteral("登录名或密码不正确."));
    }
}

// ---- the commands ----

void CheckCategory(const QString &code)
{
    if (code == CataCodeAll || code == CataCodeNulled)
        return;
    TCataSet catas;
    catas.LoadAll();
    const TDataSet &rows = *catas.DataSet();
    const int column = catas.CodeFld()->Index();
    for (int row = 0; row < rows.RecordCount(); ++row) {
        if (rows.ValueAt(row, column).toString() == code)
            return;
    }
    throw Exception(QStringLiteral("找不到编号为\"%1\"的分类.").arg(code));
}

void ExportArchives(const Options &options, const Io &io)
{
    CurrentOperator->CheckRight(RightDataExport);
    const ExportKind kind = ExportKindOf(options.File);

    if (!options.Category.isEmpty())
        CheckCategory(options.Category);
    TArchiveSet archives;
    TArchiveWhere &where = *archives.Where();
    where.Reset();
    if (!options.Category.isEmpty())
        where.CataCodeFld()->SetValue(options.Category);
    if (!options.Keyword.isEmpty())
        where.KeywordFld()->SetValue(options.Keyword);
    archives.Query();

    // The columns the archive list shows, in its order.
    const TDataSet &rows = *archives.DataSet();
    QList<int> columns;
    for (int i = 0; i < rows.FieldCount(); ++i) {
        if (rows.Field(i)->Visible())
            columns.append(i);
    }
    const QStringList header = Exchange::DataSetHeader(rows, columns);
    const Exchange::RowSource source = Exchange::DataSetRows(rows, columns);
    const QString file = QFileInfo(options.File).absoluteFilePath();

    qint64 written = 0;
    switch (kind) {
    case ExportKind::Workbook:
        written = ExportWorkbook(file, header, source);
        break;
    case ExportKind::Tab:
        written =
            Exchange::ExportText(file, Exchange::TextFormat::Tab, EncodingFor(options, kind), header, source);
        break;
    case ExportKind::Csv:
        written =
            Exchange::ExportText(file, Exchange::TextFormat::Csv, EncodingFor(options, kind), header, source);
        break;
    case ExportKind::Html:
        written = Exchange::ExportText(file, Exchange::TextFormat::Html, EncodingFor(options, kind), header,
                                       source);
        break;
    }
    io.Out(QStringLiteral("已导出 %1 条档案到 %2").arg(written).arg(file));
}

void ImportArchives(const Options &options, const Io &io)
{
    const TWorkbookReader reader(options.File);
    if (reader.SheetNames().isEmpty())
        throw EFileError(QStringLiteral("文件中没有工作表: %1").arg(options.File));
    const TSheet sheet = options.Sheet.isEmpty() ? reader.ReadSheet(0) : reader.ReadSheet(options.Sheet);

    TArchiveImporter importer;
    QList<TField *> targets;
    importer.ListTargetFields(targets);
    const QList<Exchange::TFieldMapping> mapping = Exchange::PresetMapping(targets, sheet.Titles);
    QStringList captions;
    bool anyMapped = false;
    for (const Exchange::TFieldMapping &row : mapping) {
        captions << row.Target->DisplayLabel();
        anyMapped = anyMapped || !row.Source.isEmpty();
    }
    if (!anyMapped)
        throw Exception(QStringLiteral("工作表\"%1\"中没有可导入的列: 列标题须为 %2 之一.")
                            .arg(sheet.Name, captions.join(QStringLiteral("、"))));

    // A category name that matches no category still imports the archive, without category;
    // the operator is told how many, since the sheet's text is lost in the process.
    TArchiveSet &review = *importer.ReviewList();
    int unmatched = 0;
    const auto setValue = [&](TField *field, const QVariant &value) {
        importer.SetTargetValue(field, value);
        if (field == review.CataNameFld() && !CellText(value).trimmed().isEmpty() &&
            review.CataIdFld()->IsNull())
            ++unmatched;
    };
    const int count = Exchange::AppendSheetRows(sheet, mapping, *review.DataSet(), setValue);

    if (options.DryRun) {
        io.Out(QStringLiteral("工作表\"%1\"的列对应:").arg(sheet.Name));
        for (const Exchange::TFieldMapping &row : mapping) {
            io.Out(QStringLiteral("  %1 <- %2")
                       .arg(row.Target->DisplayLabel(),
                            row.Source.isEmpty() ? QStringLiteral("(无)") : row.Source));
        }
        if (unmatched > 0)
            io.Out(QStringLiteral("其中 %1 条档案的分类在系统中不存在,将作为未分类导入.").arg(unmatched));
        io.Out(QStringLiteral("将导入 %1 条档案(试运行,数据库未改动).").arg(count));
        return;
    }

    if (!importer.SaveRows())
        throw Exception(
            QStringLiteral("第 %1 条档案保存失败,没有导入任何档案.").arg(importer.FailedRow() + 1));
    if (unmatched > 0)
        io.Out(QStringLiteral("其中 %1 条档案的分类在系统中不存在,已作为未分类导入.").arg(unmatched));
    io.Out(QStringLiteral("已导入 %1 条档案.").arg(count));
}

// ---- the terminal ----

std::optional<QString> AskTerminalPassword()
{
    if (!isatty(STDIN_FILENO))
        return std::nullopt;
    std::fputs(QStringLiteral("密码: ").toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    termios shown{};
    const bool quiet = tcgetattr(STDIN_FILENO, &shown) == 0;
    if (quiet) {
        termios hidden = shown;
        hidden.c_lflag &= ~tcflag_t(ECHO);
        // Without flushing: a password typed ahead is still read.
        tcsetattr(STDIN_FILENO, TCSANOW, &hidden);
    }
    // The echo comes back even when reading fails, or the operator's shell stays blind.
    const auto restore = qScopeGuard([&] {
        if (quiet)
            tcsetattr(STDIN_FILENO, TCSANOW, &shown);
        std::fputs("\n", stderr);
    });
    std::string line;
    if (!std::getline(std::cin, line))
        throw Exception(QStringLiteral("没有读到密码."));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromLocal8Bit(line.data(), qsizetype(line.size()));
}

void WriteLine(FILE *stream, const QString &text)
{
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

Options ParseArguments(const QStringList &arguments)
{
    Options options;
    QStringList positional;
    QStringList given;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--")) {
            positional += arguments.mid(i + 1);
            break;
        }
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            options.Help = true;
            continue;
        }
        if (!argument.startsWith(QLatin1String("--"))) {
            if (argument.size() > 1 && argument.startsWith(QLatin1Char('-')))
                throw EUsage(QStringLiteral("未知的选项: %1").arg(argument));
            positional << argument;
            continue;
        }
        QString name = argument.mid(2);
        std::optional<QString> value;
        if (const qsizetype eq = name.indexOf(QLatin1Char('=')); eq >= 0) {
            value = name.mid(eq + 1);
            name.truncate(eq);
        }
        // A password on the command line is visible to every user of the machine.
        if (name == QLatin1String("password"))
            throw EUsage(QStringLiteral("密码不能写在命令行上: 请用 --password-file 给出密码文件,"
                                        "或在终端上按提示输入."));
        if (name == QLatin1String("dry-run")) {
            if (value)
                throw EUsage(QStringLiteral("选项 --%1 不带值.").arg(name));
            options.DryRun = true;
            given << name;
            continue;
        }
        if (!TakesValue(name))
            throw EUsage(QStringLiteral("未知的选项: %1").arg(argument));
        if (!value) {
            if (i + 1 >= arguments.size())
                throw EUsage(QStringLiteral("选项 --%1 缺少值.").arg(name));
            value = arguments[++i];
        }
        SetValue(options, name, *value);
        given << name;
    }
    if (options.Help)
        return options;

    if (positional.isEmpty())
        throw EUsage(QStringLiteral("缺少命令."));
    options.Command = positional[0];
    if (options.Command != ExportCommand && options.Command != ImportCommand)
        throw EUsage(QStringLiteral("未知的命令: %1").arg(options.Command));
    if (positional.size() < 2 || positional[1] != ArchivesObject)
        throw EUsage(QStringLiteral("%1 命令之后须为 archives.").arg(options.Command));
    if (positional.size() < 3 || positional[2].isEmpty())
        throw EUsage(QStringLiteral("缺少文件名."));
    if (positional.size() > 3)
        throw EUsage(QStringLiteral("多余的参数: %1").arg(positional.mid(3).join(QLatin1Char(' '))));
    options.File = positional[2];

    if (options.Command == ExportCommand) {
        RefuseFor(options.Command, given, {QStringLiteral("sheet"), QStringLiteral("dry-run")});
        const ExportKind kind = ExportKindOf(options.File);
        if (!options.Encoding.isEmpty()) {
            const QString encoding = options.Encoding.toLower();
            if (encoding != QLatin1String("gbk") && encoding != QLatin1String("utf-8") &&
                encoding != QLatin1String("utf8"))
                throw EUsage(QStringLiteral("未知的编码: %1 (可用 gbk 或 utf-8)").arg(options.Encoding));
            if (kind == ExportKind::Workbook)
                throw EUsage(QStringLiteral("选项 --encoding 只用于 .txt、.csv 和 .html 文件."));
        }
    } else {
        RefuseFor(options.Command, given,
                  {QStringLiteral("category"), QStringLiteral("keyword"), QStringLiteral("encoding")});
        if (!IsImportFile(options.File))
            throw EUsage(QStringLiteral("导入文件的扩展名须为 .xlsx、.xls 或 .csv: %1").arg(options.File));
    }
    if (options.User.isEmpty())
        throw EUsage(QStringLiteral("缺少 --user 登录名."));
    return options;
}

QString UsageText()
{
    return QStringLiteral(
        "用法:\n"
        "  pzarc-tool export archives 文件.{xlsx|csv|html|txt} --user 登录名 [--password-file 文件]\n"
        "             [--category 分类编号] [--keyword 关键字] [--encoding gbk|utf-8]\n"
        "  pzarc-tool import archives 文件.{xlsx|xls|csv} --user 登录名 [--password-file 文件]\n"
        "             [--sheet 工作表] [--dry-run]\n"
        "  pzarc-tool --help\n"
        "\n"
        "选项:\n"
        "  --user 登录名          以该操作员的身份执行\n"
        "  --password-file 文件   从文件的第一行读取密码; 不给出时在终端上输入(不回显)\n"
        "  --category 分类编号    只导出该分类及其下级分类的档案\n"
        "                         (sys-all: 全部档案, sys-nulled: 未分类的档案)\n"
        "  --keyword 关键字       只导出编号、名称、归档部门、存放地点或电子文档中含有关键字,\n"
        "                         或归档人、保密级别与关键字相同的档案\n"
        "  --encoding gbk|utf-8   文本文件的编码; 默认 .txt 和 .html 为 GBK, .csv 为带 BOM 的 UTF-8\n"
        "  --sheet 工作表         要导入的工作表; 默认第一个工作表\n"
        "  --dry-run              只检查并报告将导入的档案, 不写入数据库\n"
        "  -h, --help             显示本说明\n"
        "\n"
        "导出需要\"数据导出\"权限. 导入时按列标题对应档案字段, 全部导入或全部不导入.\n"
        "数据库连接与程序相同, 取自数据目录中的 cfg.ini.\n"
        "退出码: 0 成功, 1 失败, 2 命令行有误.");
}

Io StandardIo()
{
    Io io;
    io.Out = [](const QString &text) { WriteLine(stdout, text); };
    io.Err = [](const QString &text) { WriteLine(stderr, text); };
    io.AskPassword = AskTerminalPassword;
    return io;
}

int Run(const QStringList &arguments, const Io &io)
{
    try {
        const Options options = ParseArguments(arguments);
        if (options.Help) {
            io.Out(UsageText());
            return ExitSuccess;
        }
        const QString password = ObtainPassword(options, io);
        const auto disconnect = qScopeGuard([] {
            if (Database)
                Database->SetConnected(false);
        });
        Connect();
        LogIn(options, password);
        if (options.Command == ExportCommand)
            ExportArchives(options, io);
        else
            ImportArchives(options, io);
        return ExitSuccess;
    } catch (const EUsage &error) {
        io.Err(error.Message());
        io.Err(UsageText());
        return ExitUsage;
    } catch (const EAbort &) {
        // The refusal or the failure has already been reported by the prompter.
        return ExitFailure;
    } catch (const Exception &error) {
        io.Err(QStringLiteral("错误: %1").arg(error.Message().trimmed()));
        return ExitFailure;
    } catch (const std::exception &error) {
        io.Err(QStringLiteral("错误: %1").arg(QString::fromLocal8Bit(error.what())));
        return ExitFailure;
    }
}

} // namespace Tool
