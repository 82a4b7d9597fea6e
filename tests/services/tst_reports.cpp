// The report store and runner on real engines: the template rows, the variables and look-ups
// the engine asks for, the designer's open and save commands, the chooser window driven as
// an operator would, and the delivered templates rendered over real archive and lending lists.

#include "Archive.h"
#include "LayoutCheck.h"
#include "Paths.h"
#include "ReportChooser.h"
#include "ReportEngine.h"
#include "ReportModel.h"
#include "ReportStore.h"
#include "ReportWindows.h"
#include "ServicesTest.h"
#include "Settings.h"
#include "TestMain.h"

#include <QAction>
#include <QBuffer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

using ServicesTest::OpenFresh;
using ServicesTest::Scalar;

using LayoutCheck::EnlargeFont;

namespace {

const QString NoSelectionText = QStringLiteral("请先从左框列表中选中您要操作的项目.");
const QString RefusedPrintText = QStringLiteral("\r\n对不起,您没有该功能的操作权限,请与管理员联系(10002).\t");

// A template whose only page header prints the given text.
QByteArray TemplateShowing(const QString &text, const QString &documentName = {})
{
    Report::Document document;
    document.name = documentName;
    Report::Band *header =
        document.pages.front()->AddBand(Report::BandKind::PageHeader, QStringLiteral("Header"));
    Report::Object *object = header->AddObject(Report::ObjectKind::Text, QStringLiteral("Text1"));
    object->rect = QRectF(0, 0, 190, 8);
    object->text = text;
    return document.SaveToXml();
}

void InsertTemplate(int id, int group, const QString &title, const QByteArray &bytes = {})
{
    Database->ExecSql(QStringLiteral("insert into report(Id,GrpId,Title)values(:Id,:GroupId,:Title)"),
                      {DBParam(QStringLiteral("Id"), id), DBParam(QStringLiteral("GroupId"), group),
                       DBParam(QStringLiteral("Title"), title)});
    if (bytes.isEmpty())
        return;
    QByteArray copy = bytes;
    QBuffer stream(&copy);
    stream.open(QIODevice::ReadOnly);
    Database->ExecSql(QStringLiteral("update report set Fr3File=:Fr3File where Id=:Id"),
                      {DBParam(QStringLiteral("Id"), id)},
                      {TxDBParameter{QStringLiteral("Fr3File"), &stream}});
}

QByteArray StoredBytes(int id)
{
    return Scalar(QStringLiteral("select Fr3File from report where Id=:Id"),
                  {DBParam(QStringLiteral("Id"), id)})
        .toByteArray();
}

QStringList Titles(const QListWidget &list)
{
    QStringList titles;
    for (int i = 0; i < list.count(); ++i)
        titles << list.item(i)->text();
    return titles;
}

// Every text drawn on every prepared page, in page order.
QStringList AllPageTexts(const TReportEngine &report)
{
    QStringList texts;
    for (int page = 0; page < report.PageCount(); ++page)
        texts += report.PageTexts(page);
    return texts;
}

bool AnyContains(const QStringList &texts, const QString &part)
{
    for (const QString &text : texts)
        if (text.contains(part))
            return true;
    return false;
}

void SetCompany(const QString &name, const QString &tel)
{
    Company->Clear();
    Company->CompanyName = name;
    Company->Tel = tel;
    Company->Fax = QStringLiteral("0532-7654321");
    Company->Address = QStringLiteral("青岛市崂山区");
    Company->Zip = QStringLiteral("266100");
}

void SetOperator(const QString &loginId, const QString &rights)
{
    CurrentOperator->Clear();
    CurrentOperator->LoginId = loginId;
    CurrentOperator->Rights = rights;
}

} // namespace

class TReportsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        InstallReportWindows();
        InitDataModule();
        StartServices();
    }
    void cleanupTestCase()
    {
        StopServices();
        Database->SetConnected(false);
        DoneDataModule();
    }
    void init()
    {
        SetCompany(QStringLiteral("青岫档案馆"), QStringLiteral("0532-1234567"));
        SetOperator(QStringLiteral("sa"), QString());
    }

    // ---- the store ----

    void addReportTakesTheHighestIdOfAnyGroup_data() { TestDb::AddEngineRows(); }
    void addReportTakesTheHighestIdOfAnyGroup()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, QStringLiteral("rep_ids_") + engine))
            return;
        Database->ExecSql(QStringLiteral("delete from report"));
        TRep rep;
        struct Step
        {
            const char *action; // "add" or "delete"
            int id;             // the id added, or deleted
            int group;
            QString title;
        };
        const Step steps[] = {
            {"add", 1, 1002, QStringLiteral("档案目录")}, // an empty table starts at 1
            {"add", 2, 1001, QStringLiteral("借阅登记表")},
            {"add", 3, 1002, QString()}, // an empty title is kept as empty text
            {"add", 4, 1002, QStringLiteral("档案目录")},
            {"delete", 2, 0, {}},
            {"add", 5, 1001, QStringLiteral("借阅")}, // a gap below the highest id is not reused
            {"delete", 5, 0, {}},
            {"add", 5, 1002, QStringLiteral("又一")}, // the highest id deleted is given again
        };
        for (const Step &step : steps) {
            if (QLatin1String(step.action) == QLatin1String("delete")) {
                rep.DeleteReport(step.id);
                continue;
            }
            QCOMPARE(rep.AddReport(step.title, step.group), step.id);
            TRecordSet row;
            QCOMPARE(row.Open(QStringLiteral("select GrpId,Title,Fr3File from report where Id=:Id"),
                              {DBParam(QStringLiteral("Id"), step.id)}),
                     1);
            QCOMPARE(row.DataSet()->Field(0)->AsInteger(), step.group);
            QVERIFY(!row.DataSet()->Field(1)->IsNull());
            QCOMPARE(row.DataSet()->Field(1)->AsString(), step.title);
            // A template added in the chooser has no design until the designer saves one.
            QVERIFY(row.DataSet()->Field(2)->IsNull());
        }
        QCOMPARE(Scalar(QStringLiteral("select count(*) from report")).toInt(), 4);
    }

    void renameAndDeleteTouchOnlyTheirRow_data() { TestDb::AddEngineRows(); }
    void renameAndDeleteTouchOnlyTheirRow()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, QStringLiteral("rep_rename_") + engine))
            return;
        Database->ExecSql(QStringLiteral("delete from report"));
        InsertTemplate(7, 1002, QStringLiteral("甲"), TemplateShowing(QStringLiteral("seven")));
        InsertTemplate(8, 1002, QStringLiteral("乙"), TemplateShowing(QStringLiteral("eight")));
        TRep rep;
        rep.RenameReport(7, QStringLiteral("甲改"));
        QCOMPARE(Scalar(QStringLiteral("select Title from report where Id=7")).toString(),
                 QStringLiteral("甲改"));
        QCOMPARE(Scalar(QStringLiteral("select Title from report where Id=8")).toString(),
                 QStringLiteral("乙"));
        rep.RenameReport(8, QString());
        QVERIFY(!Scalar(QStringLiteral("select Title from report where Id=8")).isNull());
        QCOMPARE(Scalar(QStringLiteral("select Title from report where Id=8")).toString(), QString());

        rep.DeleteReport(7);
        QCOMPARE(Scalar(QStringLiteral("select count(*) from report where Id=7")).toInt(), 0);
        QCOMPARE(StoredBytes(8), TemplateShowing(QStringLiteral("eight")));
    }

    void openGroupListsOneGroupByTitle_data() { TestDb::AddEngineRows(); }
    void openGroupListsOneGroupByTitle()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, QStringLiteral("rep_group_") + engine))
            return;
        Database->ExecSql(QStringLiteral("delete from report"));
        InsertTemplate(1, 1002, QStringLiteral("Gamma"));
        InsertTemplate(2, 1002, QStringLiteral("Alpha"));
        InsertTemplate(3, 1001, QStringLiteral("Beta"));
        InsertTemplate(4, 1002, QStringLiteral("Beta"));
        InsertTemplate(5, 1002, QStringLiteral("Alpha"));

        struct Case
        {
            int group;
            QStringList titles;
            QList<int> ids; // in list order; equal titles in either order
        };
        const Case cases[] = {
            {1002, {"Alpha", "Alpha", "Beta", "Gamma"}, {2, 5, 4, 1}},
            {1001, {"Beta"}, {3}},
            {1003, {}, {}},
        };
        for (const Case &c : cases) {
            TRepSet set;
            QCOMPARE(set.OpenGroup(c.group), int(c.titles.size()));
            QCOMPARE(set.IdField()->DisplayLabel(), QStringLiteral("Id"));
            QCOMPARE(set.TitleField()->DisplayLabel(), QStringLiteral("标题"));
            QStringList titles;
            QList<int> ids;
            for (set.DataSet()->First(); !set.DataSet()->Eof(); set.DataSet()->Next()) {
                titles << set.TitleField()->AsString();
                ids << set.IdField()->AsInteger();
            }
            QCOMPARE(titles, c.titles);
            std::sort(ids.begin(), ids.end());
            QList<int> expectedIds = c.ids;
            std::sort(expectedIds.begin(), expectedIds.end());
            QCOMPARE(ids, expectedIds);
        }
    }

    // ---- variables and look-ups ----

    void projectRunnerTakesCompanyAndOperatorAtCreation()
    {
        SetCompany(QStringLiteral("青岫档案馆"), QString());
        SetOperator(QStringLiteral("张三"), QStringLiteral(",10002,"));
        TProjRep rep;
        // A change after the runner exists shows in the next runner only.
        Company->CompanyName = QStringLiteral("后来的名字");
        QCOMPARE(rep.VariableNames(),
                 (QStringList{"u_Company", "u_Tel", "u_Fax", "u_Address", "u_Zip", "u_Operator"}));
        QCOMPARE(rep.VariableValues(),
                 (QStringList{"青岫档案馆", " ", "0532-7654321", "青岛市崂山区", "266100", "张三"}));
        TProjRep later;
        QCOMPARE(later.VariableValues().first(), QStringLiteral("后来的名字"));
    }

    void addVariable_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("added");
        QTest::addColumn<QString>("stored");
        QTest::newRow("plain") << "v_Title"
                               << "档案" << true << "档案";
        QTest::newRow("empty value is a blank") << "v_Empty"
                                                << "" << true << " ";
        QTest::newRow("null value is a blank") << "v_Null" << QString() << true << " ";
        QTest::newRow("blank value stays") << "v_Blank"
                                           << "  " << true << "  ";
        QTest::newRow("empty name adds nothing") << ""
                                                 << "x" << false << "";
    }
    void addVariable()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(bool, added);
        QFETCH(QString, stored);
        TRep rep;
        rep.AddVariable(QStringLiteral("first"), QStringLiteral("1"));
        rep.AddVariable(name, value);
        QCOMPARE(rep.VariableNames().size(), added ? 2 : 1);
        if (!added)
            return;
        QCOMPARE(rep.VariableNames().last(), name);
        QCOMPARE(rep.VariableValues().last(), stored);
        bool handled = false;
        QCOMPARE(rep.VariableValue(name.toUpper(), handled).toString(), stored);
        QVERIFY(handled);
    }

    void lookUps_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("known");
        QTest::addColumn<QString>("value");
        QTest::newRow("exact") << "u_Company" << true << "青岫档案馆";
        QTest::newRow("other case") << "U_COMPANY" << true << "青岫档案馆";
        QTest::newRow("empty telephone") << "u_tel" << true << " ";
        QTest::newRow("operator") << "u_Operator" << true << "clerk";
        QTest::newRow("unknown") << "u_Nothing" << false << "";
        QTest::newRow("prefix of a known name") << "u_Comp" << false << "";
    }
    void lookUps()
    {
        QFETCH(QString, name);
        QFETCH(bool, known);
        QFETCH(QString, value);
        SetCompany(QStringLiteral("青岫档案馆"), QString());
        SetOperator(QStringLiteral("clerk"), QString());
        TProjRep rep;
        bool handled = !known;
        const QVariant answer = rep.VariableValue(name, handled);
        QCOMPARE(handled, known);
        if (known)
            QCOMPARE(answer.toString(), value);
        // The user data set answers an unknown field with its own name.
        QCOMPARE(rep.UserValue(name).toString(), known ? value : name);
    }

    void show1_data()
    {
        QTest::addColumn<QStringList>("table");
        QTest::addColumn<QString>("fieldName");
        QTest::addColumn<int>("l1");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty table") << QStringList() << "Code" << 3 << 1;
        QTest::newRow("empty table, empty name") << QStringList() << "" << 0 << 1;
        QTest::newRow("empty table, negative") << QStringList() << "Name" << -2 << 1;
        QTest::newRow("entry for the key") << QStringList{"Code3=7"} << "Code" << 3 << 7;
        QTest::newRow("key in other case") << QStringList{"CODE3=0"} << "code" << 3 << 0;
        QTest::newRow("other number") << QStringList{"Code3=7"} << "Code" << 4 << 1;
        QTest::newRow("name and number run together") << QStringList{"Code31=5"} << "Code3" << 1 << 5;
    }
    void show1()
    {
        QFETCH(QStringList, table);
        QFETCH(QString, fieldName);
        QFETCH(int, l1);
        QFETCH(int, expected);
        TRep rep;
        rep.Show1Table() = table;
        QCOMPARE(rep.Show1(fieldName, l1), expected);
    }

    // An entry that is no number is an error of the call; inside a report it is shown and
    // the call answers 1, as without the entry.
    void show1EntryThatIsNoNumber()
    {
        TRep rep;
        rep.Show1Table() = {QStringLiteral("Code3=x")};
        QVERIFY_THROWS_EXCEPTION(EConvertError, rep.Show1(QStringLiteral("Code"), 3));
        rep.Report().LoadFromBytes(TemplateShowing(QStringLiteral("S=[Show1('Code', 3)]")));
        ScriptedPrompter prompts;
        QString error;
        QVERIFY2(rep.Report().Prepare(&error), qPrintable(error));
        QCOMPARE(rep.Report().PageTexts(0), QStringList{QStringLiteral("S=1")});
        QCOMPARE(prompts.Texts(), QStringList{QStringLiteral("\"x\" 不是有效的整数.")});
    }

    // The same answers reach a template through the engine: variables by name, the user
    // data set "u" and the script function Show1.
    void templateExpressionsSeeTheRunner_data() { TestDb::AddEngineRows(); }
    void templateExpressionsSeeTheRunner()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, QStringLiteral("rep_expr_") + engine))
            return;
        SetCompany(QStringLiteral("青岫档案馆"), QString());
        SetOperator(QStringLiteral("clerk"), QString());
        InsertTemplate(
            50, 1002, QStringLiteral("expressions"),
            TemplateShowing(QStringLiteral("C=[u_Company];T=[u_Tel];O=[u.u_Operator];X=[u.Nothing];"
                                           "S=[Show1('Code', 3)];s=[show1('x', -1)]")));
        TProjRep rep;
        rep.LoadReport(50);
        QString error;
        QVERIFY2(rep.Report().Prepare(&error), qPrintable(error));
        QCOMPARE(rep.Report().PageTexts(0),
                 QStringList{QStringLiteral("C=青岫档案馆;T= ;O=clerk;X=Nothing;S=1;s=1")});
    }

    void setDataSetsNamesThemInOrder()
    {
        TPzClientDataSet first;
        TPzClientDataSet second;
        TPzClientDataSet third;
        TRep rep;
        rep.SetDataSets({first.DataSet(), second.DataSet()});
        QCOMPARE(rep.Report().DataSetNames(), (QStringList{"d0", "d1"}));
        QCOMPARE(rep.Report().DataSetByName(QStringLiteral("d1")), second.DataSet());
        rep.ClearDataSets();
        QVERIFY(rep.Report().DataSetNames().isEmpty());
        QVERIFY(rep.DataSets().isEmpty());
        // Numbering starts again after clearing.
        rep.SetDataSets({third.DataSet()});
        QCOMPARE(rep.Report().DataSetNames(), QStringList{"d0"});
        QCOMPARE(rep.Report().DataSetByName(QStringLiteral("d0")), third.DataSet());
    }

    // ---- loading and the designer's commands ----

    void loadReportKeepsTheIdInTheTag_data() { TestDb::AddEngineRows(); }
    void loadReportKeepsTheIdInTheTag()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, QStringLiteral("rep_load_") + engine))
            return;
        InsertTemplate(20, 1002, QStringLiteral("有设计"),
                       TemplateShowing(QStringLiteral("designed"), QStringLiteral("D20")));
        InsertTemplate(21, 1002, QStringLiteral("无设计"));
        InsertTemplate(22, 1002, QStringLiteral("坏的"), QByteArray("<pzreport version=\"1\"><page>"));
        TRep rep;
        ScriptedPrompter prompts;
        struct Case
        {
            int id;
            QString documentName; // empty: the cleared report
            bool damaged;         // the operator is told why the report is empty
        };
        // Each load starts from a cleared report, so nothing of the one before survives.
        const Case cases[] = {{20, "D20", false}, {21, "", false},    {20, "D20", false},
                              {22, "", true},     {20, "D20", false}, {999, "", false}};
        for (const Case &c : cases) {
            prompts.Clear();
            rep.LoadReport(c.id);
            QCOMPARE(rep.Report().Tag().toInt(), c.id);
            QCOMPARE(rep.Report().Document().name, c.documentName);
            if (c.documentName.isEmpty())
                QCOMPARE(rep.Report().Document().SaveToXml(), Report::Document().SaveToXml());
            QCOMPARE(prompts.History().size(), c.damaged ? 1 : 0);
            if (c.damaged)
                QCOMPARE(prompts.History().first().icon, MsgIcon::Error);
        }
    }

    void designerSaveWritesTheTaggedRow_data() { TestDb::AddEngineRows(); }
    void designerSaveWritesTheTaggedRow()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, QStringLiteral("rep_save_") + engine))
            return;
        TRep rep;
        const int id = rep.AddReport(QStringLiteral("新样式"), 1002);
        rep.LoadReport(id);
        rep.Report().Document().name = QStringLiteral("first design");
        QVERIFY(rep.DesignerSave(false));
        QCOMPARE(StoredBytes(id), rep.Report().SaveToBytes());

        // The row vanished while the designer was open: the save puts it back under its id,
        // without group or title.
        rep.DeleteReport(id);
        rep.Report().Document().name = QStringLiteral("second design");
        QVERIFY(rep.DesignerSave(false));
        QCOMPARE(Scalar(QStringLiteral("select count(*) from report where Id=:Id"),
                        {DBParam(QStringLiteral("Id"), id)})
                     .toInt(),
                 1);
        QVERIFY(Scalar(QStringLiteral("select GrpId from report where Id=:Id"),
                       {DBParam(QStringLiteral("Id"), id)})
                    .isNull());
        TRep reader;
        reader.LoadReport(id);
        QCOMPARE(reader.Report().Document().name, QStringLiteral("second design"));
    }

    void designerFileCommands_data() { TestDb::AddEngineRows(); }
    void designerFileCommands()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, QStringLiteral("rep_files_") + engine))
            return;
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("saved.pzr"));
        const QString other = dir.filePath(QStringLiteral("other.pzr"));
        const QString notTemplate = dir.filePath(QStringLiteral("notes.txt"));
        QFile file(other);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(TemplateShowing(QStringLiteral("from the file"), QStringLiteral("file design")));
        file.close();
        QFile text(notTemplate);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("plain words");
        text.close();

        InsertTemplate(30, 1002, QStringLiteral("样式"),
                       TemplateShowing(QStringLiteral("stored"), QStringLiteral("stored design")));
        const QByteArray storedBefore = StoredBytes(30);
        TRep rep;
        rep.LoadReport(30);
        ScriptedPrompter prompts;

        // Saving under a file name writes the file and never the database; cancelling the
        // dialog writes nothing and still counts as done.
        prompts.Answer(saved);
        QVERIFY(rep.DesignerSave(true));
        QCOMPARE(prompts.History().last().kind, QStringLiteral("save"));
        QCOMPARE(prompts.History().last().text, ReportFileFilter);
        QVERIFY(QFile::exists(saved));
        TReportEngine check;
        QVERIFY(check.LoadFromFile(saved));
        QCOMPARE(check.Document().name, QStringLiteral("stored design"));
        prompts.Answer(QVariant());
        QVERIFY(rep.DesignerSave(true));
        QCOMPARE(StoredBytes(30), storedBefore);

        struct OpenCase
        {
            const char *what;
            QVariant answer;
            bool opened;
            QString documentName; // after the command
            bool errorShown;
        };
        const OpenCase cases[] = {
            {"cancelled", QVariant(), false, "stored design", false},
            {"missing file", dir.filePath(QStringLiteral("gone.pzr")), true, "stored design", false},
            {"not a template", notTemplate, false, "stored design", true},
            {"a template", other, true, "file design", false},
        };
        for (const OpenCase &c : cases) {
            prompts.Clear();
            prompts.Answer(c.answer);
            QVERIFY2(rep.DesignerOpen() == c.opened, c.what);
            QCOMPARE(prompts.History().first().kind, QStringLiteral("open"));
            QCOMPARE(prompts.History().first().text, ReportFileFilter);
            QVERIFY2(rep.Report().Document().name == c.documentName, c.what);
            QVERIFY2(rep.Report().Tag().toInt() == 30, c.what);
            bool errorShown = false;
            for (const auto &shown : prompts.History())
                errorShown = errorShown || shown.icon == MsgIcon::Error;
            QVERIFY2(errorShown == c.errorShown, c.what);
        }

        // The file's design is saved into the template being edited, under its own id.
        QVERIFY(rep.DesignerSave(false));
        TRep reader;
        reader.LoadReport(30);
        QCOMPARE(reader.Report().Document().name, QStringLiteral("file design"));
        QCOMPARE(Scalar(QStringLiteral("select Title from report where Id=30")).toString(),
                 QStringLiteral("样式"));
    }

    // ---- the chooser ----

    void showReporterTestsThePrintRights_data()
    {
        QTest::addColumn<QString>("loginId");
        QTest::addColumn<QString>("rights");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<bool>("canDesign");
        QTest::newRow("no rights") << "clerk"
                                   << "" << false << false;
        QTest::newRow("design only") << "clerk"
                                     << ",10003," << false << false;
        QTest::newRow("print only") << "clerk"
                                    << ",10002," << true << false;
        QTest::newRow("print and design") << "clerk"
                                          << ",10002,,10003," << true << true;
        QTest::newRow("superuser") << "sa"
                                   << "" << true << true;
    }
    void showReporterTestsThePrintRights()
    {
        QFETCH(QString, loginId);
        QFETCH(QString, rights);
        QFETCH(bool, opens);
        QFETCH(bool, canDesign);
        if (!OpenFresh(QStringLiteral("sqlite"), QStringLiteral("rep_rights")))
            return;
        Database->ExecSql(QStringLiteral("delete from report"));
        InsertTemplate(1, 1002, QStringLiteral("乙"));
        InsertTemplate(2, 1002, QStringLiteral("甲"));
        InsertTemplate(3, 1001, QStringLiteral("丙"));
        SetOperator(loginId, rights);

        ScriptedPrompter prompts;
        bool seen = false;
        prompts.OnDialog([&](QDialog &dialog) {
            auto *frm = qobject_cast<TReporterFrm *>(&dialog);
            seen = frm != nullptr;
            if (!frm)
                return int(QDialog::Rejected);
            [&] {
                QCOMPARE(frm->windowTitle(), QStringLiteral("打印"));
                QCOMPARE(frm->size(), QSize(326, 324));
                const auto *caption = frm->findChild<QLabel *>(QStringLiteral("Label1"));
                QVERIFY(caption);
                QCOMPARE(caption->text(), QStringLiteral("请选择一种打印样式"));
                QStringList buttons;
                for (const QAction *action : frm->ToolBar1->actions())
                    buttons << (action->isSeparator() ? QStringLiteral("-") : action->text());
                QCOMPARE(buttons, (QStringList{"新建", "-", "删除", "重命名", "设计"}));
                QCOMPARE(frm->PreviewButton->text(), QStringLiteral("预览"));
                QCOMPARE(frm->GroupId(), 1002);
                QVERIFY(frm->Reper() != nullptr);
                QCOMPARE(frm->Reper()->DataSets().size(), 1);
                QCOMPARE(frm->TemplateList->count(), 2);
                QCOMPARE(frm->TemplateList->currentRow(), 0);
                for (QAction *action : {frm->tbNew1, frm->tbDelete1, frm->tbRename1, frm->tbDesign1})
                    QCOMPARE(action->isEnabled(), canDesign);
                QVERIFY(frm->PreviewButton->isEnabled());
            }();
            return int(QDialog::Rejected);
        });
        TPzClientDataSet list;
        bool aborted = false;
        try {
            ShowReporter({list.DataSet()}, 1002);
        } catch (const EAbort &) {
            aborted = true;
        }
        QCOMPARE(aborted, !opens);
        QCOMPARE(seen, opens);
        QCOMPARE(prompts.Texts(), opens ? QStringList() : QStringList{RefusedPrintText});
    }

    void chooserCommands_data() { TestDb::AddEngineRows(); }
    void chooserCommands()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, QStringLiteral("rep_chooser_") + engine))
            return;
        Database->ExecSql(QStringLiteral("delete from report"));
        InsertTemplate(1, 1002, QStringLiteral("Beta"));
        InsertTemplate(2, 1002, QStringLiteral("Alpha"));
        InsertTemplate(3, 1001, QStringLiteral("Other group"));

        ScriptedPrompter prompts;
        prompts.OnDialog([&](QDialog &dialog) {
            auto &frm = static_cast<TReporterFrm &>(dialog);
            [&] {
                QCOMPARE(Titles(*frm.TemplateList), (QStringList{"Alpha", "Beta"}));

                // New: the typed title joins the list of the window's group.
                prompts.Answer(QStringLiteral("Gamma"));
                frm.tbNew1->trigger();
                const ScriptedPrompter::Shown asked = prompts.History().last();
                QCOMPARE(asked.kind, QStringLiteral("input"));
                QCOMPARE(asked.caption, QStringLiteral("添加报表"));
                QCOMPARE(asked.text, QStringLiteral("请输入报表名称:\t\t"));
                QCOMPARE(asked.buttons, QStringList{QString()});
                QCOMPARE(Titles(*frm.TemplateList), (QStringList{"Alpha", "Beta", "Gamma"}));
                QCOMPARE(Scalar(QStringLiteral("select GrpId from report where Id=4")).toInt(), 1002);
                // Cancelled, nothing is added; an empty title is accepted.
                prompts.Answer(QVariant());
                frm.tbNew1->trigger();
                prompts.Answer(QString());
                frm.tbNew1->trigger();
                QCOMPARE(Titles(*frm.TemplateList), (QStringList{"", "Alpha", "Beta", "Gamma"}));

                // Rename offers the current title.
                frm.TemplateList->setCurrentRow(2);
                prompts.Answer(QStringLiteral("Delta"));
                frm.tbRename1->trigger();
                QCOMPARE(prompts.History().last().caption, QStringLiteral("修改报表标题"));
                QCOMPARE(prompts.History().last().text, QStringLiteral("请输入新的报表名称:\t\t"));
                QCOMPARE(prompts.History().last().buttons, QStringList{QStringLiteral("Beta")});
                QCOMPARE(Titles(*frm.TemplateList), (QStringList{"", "Alpha", "Delta", "Gamma"}));
                QCOMPARE(Scalar(QStringLiteral("select Title from report where Id=1")).toString(),
                         QStringLiteral("Delta"));

                // Delete asks first; Cancel keeps the template.
                frm.TemplateList->setCurrentRow(1);
                prompts.Answer(1);
                frm.tbDelete1->trigger();
                QCOMPARE(prompts.History().last().icon, MsgIcon::Warning);
                QCOMPARE(prompts.History().last().text, QStringLiteral("确定要删除Alpha吗?"));
                QCOMPARE(prompts.History().last().buttons, (QStringList{"确定", "取消"}));
                QCOMPARE(frm.TemplateList->count(), 4);
                frm.TemplateList->setCurrentRow(1);
                prompts.Answer(0);
                frm.tbDelete1->trigger();
                QCOMPARE(Titles(*frm.TemplateList), (QStringList{"", "Delta", "Gamma"}));
                QCOMPARE(Scalar(QStringLiteral("select count(*) from report where Id=2")).toInt(), 0);
                QCOMPARE(Scalar(QStringLiteral("select count(*) from report where GrpId=1001")).toInt(), 1);

                // Without a selection every command on a template stops at the plain box.
                frm.TemplateList->setCurrentRow(-1);
                prompts.Clear();
                const int rows = Scalar(QStringLiteral("select count(*) from report")).toInt();
                frm.tbDelete1->trigger();
                frm.tbRename1->trigger();
                frm.tbDesign1->trigger();
                frm.PreviewButton->click();
                QCOMPARE(prompts.Texts(), QStringList(4, NoSelectionText));
                QCOMPARE(prompts.History().first().icon, MsgIcon::None);
                QCOMPARE(prompts.History().first().buttons, QStringList{QStringLiteral("确定")});
                QCOMPARE(Scalar(QStringLiteral("select count(*) from report")).toInt(), rows);
                QVERIFY(prompts.Dialogs().size() == 1);
                QVERIFY(frm.isVisible());
            }();
            return int(QDialog::Rejected);
        });
        TPzClientDataSet list;
        ShowReporter({list.DataSet()}, 1002);
        QCOMPARE(prompts.Dialogs().size(), 1);
    }

    void chooserPreviewClosesAndDesignStays_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("staysOpen");
        QTest::newRow("预览") << "preview" << false;
        QTest::newRow("double click") << "double click" << false;
        QTest::newRow("Enter in the list") << "enter" << false;
        QTest::newRow("设计") << "design" << true;
    }
    void chooserPreviewClosesAndDesignStays()
    {
        QFETCH(QString, command);
        QFETCH(bool, staysOpen);
        if (!OpenFresh(QStringLiteral("sqlite"), QStringLiteral("rep_preview")))
            return;
        Database->ExecSql(QStringLiteral("delete from report"));
        InsertTemplate(1, 1002, QStringLiteral("Alpha"), TemplateShowing(QStringLiteral("first")));
        InsertTemplate(2, 1002, QStringLiteral("Beta"),
                       TemplateShowing(QStringLiteral("second [u_Company]")));

        ScriptedPrompter prompts;
        QStringList shownTexts;
        int shownTag = 0;
        bool visibleAfter = false;
        prompts.OnDialog([&](QDialog &dialog) {
            auto &frm = static_cast<TReporterFrm &>(dialog);
            frm.TemplateList->setCurrentRow(1);
            // The preview or the designer comes next, with the selected template loaded.
            prompts.OnDialog([&](QDialog &) {
                shownTag = frm.Reper()->Report().Tag().toInt();
                if (command != QLatin1String("design")) {
                    QString error;
                    frm.Reper()->Report().Prepare(&error);
                    shownTexts = frm.Reper()->Report().PageTexts(0);
                } else {
                    shownTexts = {frm.Reper()->Report().Document().SaveToXml()};
                }
                return int(QDialog::Rejected);
            });
            if (command == QLatin1String("preview"))
                frm.PreviewButton->click();
            else if (command == QLatin1String("double click"))
                emit frm.TemplateList->itemDoubleClicked(frm.TemplateList->item(1));
            else if (command == QLatin1String("enter"))
                QTest::keyClick(frm.TemplateList, Qt::Key_Return);
            else
                frm.tbDesign1->trigger();
            visibleAfter = frm.isVisible();
            return int(QDialog::Rejected);
        });
        ShowReporter({}, 1002);
        QCOMPARE(prompts.Dialogs().size(), 2);
        QCOMPARE(shownTag, 2);
        if (command == QLatin1String("design"))
            QCOMPARE(shownTexts, QStringList{TemplateShowing(QStringLiteral("second [u_Company]"))});
        else
            QCOMPARE(shownTexts, QStringList{QStringLiteral("second 青岫档案馆")});
        QCOMPARE(visibleAfter, staysOpen);
        QVERIFY(prompts.Texts().isEmpty());
    }

    // The chooser clips no caption or control at its own font and, once shown, when its font
    // grows by half: the window grows with its layout.
    void chooserClipsNothing()
    {
        TReporterFrm w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QStringList clipped = LayoutCheck::Clipped(&w);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
        const QSize before = w.size();
        EnlargeFont(w);
        QCoreApplication::processEvents();
        clipped = LayoutCheck::Clipped(&w);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
        QVERIFY(w.width() >= before.width() && w.height() >= before.height());
    }

    // The designer opened from the chooser: no new-report command; a file opened there and
    // saved goes into the template being edited; stay-on-top windows step back meanwhile.
    void designerFromTheChooser_data() { TestDb::AddEngineRows(); }
    void designerFromTheChooser()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, QStringLiteral("rep_designer_") + engine))
            return;
        Database->ExecSql(QStringLiteral("delete from report"));
        InsertTemplate(1, 1002, QStringLiteral("Alpha"), TemplateShowing(QStringLiteral("old")));
        InsertTemplate(2, 1002, QStringLiteral("Beta"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("other.pzr"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(TemplateShowing(QStringLiteral("from the file"), QStringLiteral("file design")));
        file.close();

        QWidget onTop(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
        onTop.setGeometry(40, 50, 200, 100);
        onTop.show();
        const QRect placed = onTop.geometry();

        ScriptedPrompter prompts;
        bool onTopDuringDesign = true;
        bool chooserOpenAfter = false;
        prompts.OnDialog([&](QDialog &dialog) {
            auto &frm = static_cast<TReporterFrm &>(dialog);
            frm.TemplateList->setCurrentRow(1);
            prompts.OnDialog([&](QDialog &designer) {
                onTopDuringDesign = onTop.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
                auto *actNew = designer.findChild<QAction *>(QStringLiteral("actNew"));
                auto *actOpen = designer.findChild<QAction *>(QStringLiteral("actOpen"));
                auto *actSave = designer.findChild<QAction *>(QStringLiteral("actSave"));
                if (!actNew || !actOpen || !actSave)
                    return int(QDialog::Rejected);
                [&] { QVERIFY(!actNew->isEnabled()); }();
                prompts.Answer(path);
                actOpen->trigger();
                actSave->trigger();
                return int(QDialog::Rejected);
            });
            frm.tbDesign1->trigger();
            chooserOpenAfter = frm.isVisible();
            return int(QDialog::Rejected);
        });
        ShowReporter({}, 1002);
        QCOMPARE(prompts.Dialogs().size(), 2);
        QVERIFY(chooserOpenAfter);
        QVERIFY(!onTopDuringDesign);
        QVERIFY(onTop.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(onTop.isVisible());
        QCOMPARE(onTop.geometry(), placed);

        TRep reader;
        reader.LoadReport(2);
        QCOMPARE(reader.Report().Document().name, QStringLiteral("file design"));
        QCOMPARE(Scalar(QStringLiteral("select Title from report where Id=2")).toString(),
                 QStringLiteral("Beta"));
        QCOMPARE(StoredBytes(1), TemplateShowing(QStringLiteral("old")));
    }

    // A failing statement reaches the top-level handler and the chooser stays open.
    void chooserShowsDatabaseErrors()
    {
        if (!OpenFresh(QStringLiteral("sqlite"), QStringLiteral("rep_errors")))
            return;
        ScriptedPrompter prompts;
        bool visibleAfter = false;
        prompts.OnDialog([&](QDialog &dialog) {
            auto &frm = static_cast<TReporterFrm &>(dialog);
            Database->ExecSql(QStringLiteral("drop table report"));
            prompts.Answer(QStringLiteral("Gamma"));
            frm.tbNew1->trigger();
            visibleAfter = frm.isVisible();
            return int(QDialog::Rejected);
        });
        ShowReporter({}, 1002);
        QVERIFY(visibleAfter);
        QVERIFY(!prompts.Texts().isEmpty());
        QVERIFY(
            prompts.Texts().first().contains(QStringLiteral("select top 1 Id from report order by Id desc")));
    }

    // ---- the delivered templates ----

    void deliveredTemplatesAreTheShippedFiles_data() { TestDb::AddEngineRows(); }
    void deliveredTemplatesAreTheShippedFiles()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, QStringLiteral("rep_delivered_") + engine))
            return;
        struct Case
        {
            int group;
            QString title;
            QString file;
        };
        const Case cases[] = {
            {1002, QStringLiteral("档案目录"), QStringLiteral("archives.pzr")},
            {1001, QStringLiteral("借阅登记表"), QStringLiteral("lends.pzr")},
        };
        for (const Case &c : cases) {
            TRepSet set;
            QCOMPARE(set.OpenGroup(c.group), 1);
            QCOMPARE(set.TitleField()->AsString(), c.title);
            QFile file(Paths::ShareDir() + QStringLiteral("/reports/") + c.file);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
            // A stale script (the generator not run after a change) shows here.
            QCOMPARE(StoredBytes(set.IdField()->AsInteger()), file.readAll());
        }
        // Templates added later continue after the delivered ones.
        TRep rep;
        QCOMPARE(rep.AddReport(QStringLiteral("自定义"), 1002), 3);
    }

    void archiveListTemplate_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<int>("archives");
        for (const QString &engine : TestDb::Engines())
            for (int archives : {0, 3, 75})
                QTest::addRow("%s, %d archives", qPrintable(engine), archives) << engine << archives;
    }
    void archiveListTemplate()
    {
        QFETCH(QString, engine);
        QFETCH(int, archives);
        if (!OpenFresh(engine, QStringLiteral("rep_archives_%1_%2").arg(engine).arg(archives)))
            return;
        Database->ExecSql(
            QStringLiteral("insert into catas (Id,Code,Name,SlfId,PrtId) values (1,'1.','文书',1,0)"));
        QStringList codes;
        for (int i = 1; i <= archives; ++i) {
            RArchive archive;
            archive.CataId = i % 2 ? QVariant(1) : QVariant();
            archive.Code = QStringLiteral("A-%1").arg(i, 3, 10, QLatin1Char('0'));
            archive.Name = QStringLiteral("档案%1").arg(i);
            archive.Arcdate = QDateTime(QDate(2013, 3, 1).addDays(i), QTime(0, 0));
            archive.Security = i % 3 ? QStringLiteral("秘密") : QStringLiteral("机密");
            archive.Copys = i % 4 + 1;
            archive.Layplace = QStringLiteral("%1号柜").arg(i % 5);
            QVERIFY(TArchiveSet::SaveArchive(archive));
            codes << archive.Code;
        }
        SetCompany(QStringLiteral("青岫档案馆"), QString());
        SetOperator(QStringLiteral("clerk"), QStringLiteral(",10002,"));
        TArchiveSet list;
        list.Query();
        QCOMPARE(list.DataSet()->RecordCount(), archives);

        TProjRep rep;
        rep.SetDataSets({list.DataSet()});
        TRepSet templates;
        QCOMPARE(templates.OpenGroup(1002), 1);
        rep.LoadReport(templates.IdField()->AsInteger());
        QString error;
        QVERIFY2(rep.Report().Prepare(&error), qPrintable(error));

        const int pages = rep.Report().PageCount();
        QVERIFY(archives > 40 ? pages > 1 : pages == 1);
        const QString today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
        for (int page = 0; page < pages; ++page) {
            const QStringList texts = rep.Report().PageTexts(page);
            for (const QString &expected :
                 {QStringLiteral("青岫档案馆"), QStringLiteral("档案目录"), QStringLiteral("档案编号"),
                  QStringLiteral("档案名称"), QStringLiteral("分类"), QStringLiteral("归档日期"),
                  QStringLiteral("保密级别"), QStringLiteral("档案份数"), QStringLiteral("存放地点"),
                  QStringLiteral("制表人: clerk"), QStringLiteral("打印日期: ") + today,
                  QStringLiteral("第 %1 页 共 %2 页").arg(page + 1).arg(pages)})
                QVERIFY2(texts.contains(expected),
                         qPrintable(QStringLiteral("page %1: %2").arg(page + 1).arg(expected)));
        }
        // Every archive once, in list order, across the pages.
        QStringList printedCodes;
        const QStringList all = AllPageTexts(rep.Report());
        for (const QString &text : all)
            if (text.startsWith(QLatin1String("A-")))
                printedCodes << text;
        QCOMPARE(printedCodes, codes);
        QVERIFY(all.contains(QStringLiteral("共 %1 件").arg(archives)));
        if (archives == 3) {
            // The first row, column by column; the second has no category.
            const int at = int(all.indexOf(QStringLiteral("A-001")));
            QCOMPARE(all.mid(at, 7),
                     (QStringList{"A-001", "档案1", "文书", "2013-03-02", "秘密", "2", "1号柜"}));
            QVERIFY(!AnyContains(all.mid(all.indexOf(QStringLiteral("A-002")), 7), QStringLiteral("文书")));
        }

        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("archives.pdf"));
        QVERIFY2(rep.Report().ExportPdf(pdf, &error), qPrintable(error));
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("%PDF"));
        QCOMPARE(
            int(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page ")),
            pages);
    }

    void lendingTemplate_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("conditions");
        for (const QString &engine : TestDb::Engines()) {
            QTest::addRow("%s, every lending", qPrintable(engine)) << engine << false;
            QTest::addRow("%s, borrower and date from", qPrintable(engine)) << engine << true;
        }
    }
    void lendingTemplate()
    {
        QFETCH(QString, engine);
        QFETCH(bool, conditions);
        if (!OpenFresh(engine, QStringLiteral("rep_lends_%1_%2").arg(engine).arg(conditions)))
            return;
        RArchive archive;
        archive.Code = QStringLiteral("A-001");
        archive.Name = QStringLiteral("年度报告");
        archive.Copys = 3;
        QVERIFY(TArchiveSet::SaveArchive(archive));
        struct Lending
        {
            QString borrower;
            QDate lent;
            QDate returned;
        };
        const Lending lendings[] = {
            {QStringLiteral("张三"), QDate(2013, 2, 1), QDate(2013, 2, 20)},
            {QStringLiteral("李四"), QDate(2013, 3, 5), QDate()},
            {QStringLiteral("张三"), QDate(2013, 3, 10), QDate()},
        };
        for (const Lending &l : lendings) {
            RLend lend;
            lend.ArcId = archive.Id;
            lend.Lendate = QDateTime(l.lent, QTime(0, 0));
            lend.Borrower = l.borrower;
            lend.Bordept = QStringLiteral("办公室");
            lend.Checkman = QStringLiteral("王五");
            if (l.returned.isValid())
                lend.Returndate = QDateTime(l.returned, QTime(0, 0));
            QVERIFY(TLendSet::SaveLend(lend));
        }
        TLendSet list;
        list.Where()->Reset();
        if (conditions) {
            list.Where()->BorrowerFld()->SetValue(QStringLiteral("张三"));
            list.Where()->Lendate1Fld()->SetValue(QDateTime(QDate(2013, 3, 1), QTime(0, 0)));
        }
        list.Query();
        QCOMPARE(list.DataSet()->RecordCount(), conditions ? 1 : 3);

        SetCompany(QStringLiteral("青岫档案馆"), QString());
        TProjRep rep;
        rep.SetDataSets({list.DataSet(), list.Where()->DataSet()});
        TRepSet templates;
        QCOMPARE(templates.OpenGroup(1001), 1);
        rep.LoadReport(templates.IdField()->AsInteger());
        QString error;
        QVERIFY2(rep.Report().Prepare(&error), qPrintable(error));
        QCOMPARE(rep.Report().PageCount(), 1);
        const QStringList texts = rep.Report().PageTexts(0);
        QVERIFY(texts.contains(QStringLiteral("青岫档案馆")));
        QVERIFY(texts.contains(QStringLiteral("借阅登记表")));
        QVERIFY(texts.contains(QStringLiteral("第 1 页 共 1 页")));
        // The search conditions come from "d1", the condition record of the query.
        QVERIFY2(texts.contains(conditions ? QStringLiteral("借阅日期: 2013-03-01 至 不限")
                                           : QStringLiteral("借阅日期: 不限 至 不限")),
                 qPrintable(texts.join(QLatin1Char('|'))));
        QVERIFY(texts.contains(conditions ? QStringLiteral("借阅人: 张三") : QStringLiteral("借阅人: 全部")));
        QVERIFY(texts.contains(QStringLiteral("借阅部门: 全部")));
        QCOMPARE(texts.contains(QStringLiteral("2013-02-01")), !conditions);
        QCOMPARE(texts.contains(QStringLiteral("李四")), !conditions);
        QVERIFY(texts.contains(QStringLiteral("2013-03-10")));
        const int at = int(texts.lastIndexOf(QStringLiteral("A-001")));
        QCOMPARE(texts.mid(at, 6),
                 (QStringList{"A-001", "年度报告", "张三", "办公室", "2013-03-10", "王五"}));
        QVERIFY(texts.contains(QStringLiteral("共 %1 条借阅记录").arg(conditions ? 1 : 3)));
        if (!conditions)
            QVERIFY(texts.contains(QStringLiteral("2013-02-20")));
    }

    void placement_data()
    {
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QPoint>("expected");
        const QSize screen(1024, 768);
        // The window is 326 x 324: a quarter of its height is 81, half its width 163.
        QTest::newRow("fits: a little above the cursor") << QPoint(500, 300) << screen << QPoint(337, 219);
        QTest::newRow("fits exactly at the bottom right") << QPoint(698, 444) << screen << QPoint(535, 363);
        QTest::newRow("too low: centred") << QPoint(500, 445) << screen << QPoint(349, 222);
        QTest::newRow("too far right: centred") << QPoint(699, 10) << screen << QPoint(349, 222);
        QTest::newRow("near the top left corner") << QPoint(50, 50) << screen << QPoint(10, 10);
        QTest::newRow("at the origin") << QPoint(0, 0) << screen << QPoint(10, 10);
        QTest::newRow("small screen: centred, then kept on it")
            << QPoint(5, 5) << QSize(300, 300) << QPoint(10, 10);
        QTest::newRow("odd screen size") << QPoint(1000, 1000) << QSize(801, 601) << QPoint(237, 138);
    }
    void placement()
    {
        QFETCH(QPoint, cursor);
        QFETCH(QSize, screen);
        QFETCH(QPoint, expected);
        QCOMPARE(ReporterPlacement(cursor, QSize(326, 324), screen), expected);
    }
};

PZ_TEST(TReportsTest)
#include "tst_reports.moc"
