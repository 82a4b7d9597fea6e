// The main window on a real SQLite database: the start-up that leads to it, the searches of
// the tree and the keyword box, the archive and lending commands with their forms driven as a
// user would, the category toggle, and the closing steps, which run once however it closes.

#include "AppTest.h"
#include "ArchiveControls.h"
#include "ArchiveEdit.h"
#include "ArchiveList.h"
#include "CategoryTree.h"
#include "DataGrids.h"
#include "Database.h"
#include "Facade.h"
#include "Finder.h"
#include "Globals.h"
#include "HelpWindow.h"
#include "LayoutCheck.h"
#include "LendEdit.h"
#include "LendList.h"
#include "Login.h"
#include "MainFrm.h"
#include "ReportChooser.h"
#include "ReportWindows.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "SharedImages.h"
#include "Startup.h"
#include "TestDb.h"
#include "TestMain.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QTabBar>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>

namespace {
// The facade as the program has it, noting when the closing steps ask for feedback and
// whether the database was still connected then.
class TRecordingMall : public Tmall
{
public:
    using Tmall::Tmall;
    void AskFeedback(bool force) override
    {
        FeedbackAsked << QStringLiteral("%1 %2").arg(force ? "force" : "setting",
                                                     Database->Connected() ? "connected" : "disconnected");
        Tmall::AskFeedback(force);
    }
    QStringList FeedbackAsked;
};

void InsertCata(int id, int slfId, int prtId, const QString &code, const QString &name)
{
    Database->ExecSql(QStringLiteral("insert into catas(Id, Code, Name, [Note], SlfId, PrtId) "
                                     "values (:Id, :Code, :Name, '', :SlfId, :PrtId)"),
                      {DBParam(QStringLiteral("Id"), id), DBParam(QStringLiteral("Code"), code),
                       DBParam(QStringLiteral("Name"), name), DBParam(QStringLiteral("SlfId"), slfId),
                       DBParam(QStringLiteral("PrtId"), prtId)});
}

int AddArchive(const QVariant &cataId, const QString &code, const QString &name, int copys = 1)
{
    RArchive archive;
    archive.CataId = cataId;
    archive.Code = code;
    archive.Name = name;
    archive.Copys = copys;
    archive.Arcdate = QDateTime(QDate(2012, 5, 1), QTime());
    if (!TArchiveSet::SaveArchive(archive))
        throw std::runtime_error("archive not saved");
    return archive.Id;
}

void AddLend(int archiveId, const QString &borrower)
{
    RLend lend;
    lend.ArcId = archiveId;
    lend.Lendate = QDateTime(QDate(2012, 6, 1), QTime());
    lend.Borrower = borrower;
    if (!TLendSet::SaveLend(lend))
        throw std::runtime_error("lending not saved");
}

// The values of one field in every row a list shows, in order.
QStringList ColumnOf(TQuerySet &list, const QString &fieldName)
{
    QStringList values;
    TDataSet &rows = *list.DataSet();
    if (!rows.Active())
        return values;
    const int field = rows.FieldByName(fieldName)->Index();
    for (int row = 0; row < rows.RecordCount(); ++row)
        values << rows.ValueAt(row, field).toString();
    return values;
}

// Focuses the grid row that shows the archive of the code, as a click on it would.
bool FocusArchive(TmainFrm &window, const QString &code)
{
    const int row = ColumnOf(*window.ArchiveList(), QStringLiteral("Code")).indexOf(code);
    if (row < 0)
        return false;
    QTableView *grid = window.ArchiveGrid1;
    const QRect cell =
        grid->visualRect(grid->model()->index(row, grid->horizontalHeader()->logicalIndexAt(0)));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    return window.ArchiveList()->CodeFld()->AsString() == code;
}

// Closes a modal form through its OK button and answers its result, or -1 while it refuses.
int PressOk(QDialog &form, QPushButton *ok)
{
    QTest::mouseClick(ok, Qt::LeftButton);
    return form.isVisible() ? -1 : form.result();
}
} // namespace

class TMainFrmTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        InstallReportWindows();
        InitDataModule();
        StartServices();
        SetProductGlobals();
        m_previousMall = Mall;
        m_mall = new TRecordingMall(this);
        Mall = m_mall;
        m_images = std::make_unique<TPubFrm>();
    }
    void cleanupTestCase()
    {
        m_images.reset();
        Mall = m_previousMall;
        Database->SetConnected(false);
        StopServices();
        DoneDataModule();
    }
    void init()
    {
        m_mall->FeedbackAsked.clear();
        QVERIFY(TestDb::OpenFresh(QStringLiteral("sqlite"), QStringLiteral("mainfrm")));
        CurrentOperator->LoadByLoginId(QStringLiteral("sa"));
        // "科技" holds "图纸" below it; two archives have no category at all.
        InsertCata(1, 1, 0, QStringLiteral("1."), QStringLiteral("文书"));
        InsertCata(2, 2, 0, QStringLiteral("2."), QStringLiteral("科技"));
        InsertCata(3, 3, 2, QStringLiteral("2.3."), QStringLiteral("图纸"));
        m_ids.clear();
        m_ids["WS-01"] = AddArchive(1, QStringLiteral("WS-01"), QStringLiteral("年度工作总结"));
        m_ids["KJ-01"] = AddArchive(2, QStringLiteral("KJ-01"), QStringLiteral("科研项目申报"));
        m_ids["TZ-01"] = AddArchive(3, QStringLiteral("TZ-01"), QStringLiteral("办公楼图纸"), 2);
        m_ids["NO-01"] = AddArchive(QVariant(), QStringLiteral("NO-01"), QStringLiteral("来往信函"));
        m_ids["NO-02"] = AddArchive(QVariant(), QStringLiteral("NO-02"), QStringLiteral("会议纪要"));
        AddLend(m_ids["TZ-01"], QStringLiteral("张三"));
        AddLend(m_ids["TZ-01"], QStringLiteral("李四"));
        AddLend(m_ids["WS-01"], QStringLiteral("王五"));
    }
    void cleanup() { Database->SetConnected(false); }

    // The whole start-up with a command-line login: the window is built hidden, shown before
    // the start-up prompts, and closed again at the end with its closing steps.
    void startupReachesMainWindow()
    {
        Database->SetConnected(false);
        AppTest::THome home;
        ScriptedPrompter prompts;
        bool shownBeforeWelcome = false;
        // The delivered database has no company name, so "sa" is asked for it first.
        prompts.OnDialog([&](QDialog &shown) {
            shownBeforeWelcome = TaFrm::MainWindow() && TaFrm::MainWindow()->isVisible();
            return int(shown.result() == QDialog::Accepted);
        });
        QPointer<TmainFrm> seen;
        QString selectedNode;
        QStringList listed{QStringLiteral("-")};
        TStartupHooks hooks;
        hooks.InsteadOfEventLoop = [&](TmainFrm &window) {
            seen = &window;
            selectedNode =
                window.TreeView1->currentItem() ? window.TreeView1->currentItem()->text(0) : QString();
            listed = ColumnOf(*window.ArchiveList(), QStringLiteral("Code"));
            QVERIFY(window.isVisible());
            QVERIFY(Database->Connected());
        };
        QCOMPARE(RunStartup({QStringLiteral("sa"), QString(), QStringLiteral("x")}, hooks), 0);
        QCOMPARE(prompts.Dialogs(), QStringList{QStringLiteral("TCompanyInfoFrm")});
        QVERIFY(shownBeforeWelcome);
        QCOMPARE(selectedNode, QStringLiteral("全部"));
        // The delivered database holds no archives; the list is open and empty.
        QCOMPARE(listed, QStringList());
        QCOMPARE(m_mall->FeedbackAsked, QStringList{QStringLiteral("setting connected")});
        QVERIFY(!Database->Connected());
        QVERIFY(seen.isNull());
        QCOMPARE(TaFrm::MainWindow(), nullptr);
    }

    // Without hooks the start-up runs the event loop, which ends when the main window closes,
    // whatever other window is still open.
    void eventLoopEndsWithMainWindow()
    {
        Database->SetConnected(false);
        AppTest::THome home;
        ScriptedPrompter prompts;
        bool closedByUser = false;
        bool gaveUp = false;
        // The start-up processes events before the window exists and while it welcomes; the user
        // acts once it shows and the loop runs.
        QTimer user;
        connect(&user, &QTimer::timeout, this, [&] {
            if (TaFrm::MainWindow() && TaFrm::MainWindow()->isVisible() &&
                QThread::currentThread()->loopLevel() > 0) {
                closedByUser = true;
                user.stop();
                // A lending query window left open does not keep the program running.
                auto *window = static_cast<TmainFrm *>(TaFrm::MainWindow());
                window->LendQueryItem1->trigger();
                window->close();
            }
        });
        user.start(10);
        // Should the window's closing not end the loop, the test must not hang.
        QTimer::singleShot(20000, this, [&] {
            gaveUp = true;
            QCoreApplication::quit();
        });
        QCOMPARE(RunStartup({QStringLiteral("sa"), QString(), QStringLiteral("x")}), 0);
        QVERIFY(closedByUser);
        QVERIFY(!gaveUp);
        QCOMPARE(m_mall->FeedbackAsked, QStringList{QStringLiteral("setting connected")});
        QVERIFY(!Database->Connected());
    }

    // Cancelling the login at start-up still closes the never-shown window through its steps.
    void cancelledLoginRunsClosingSteps()
    {
        Database->SetConnected(false);
        AppTest::THome home;
        ScriptedPrompter prompts;
        bool reachedEventLoop = false;
        TStartupHooks hooks;
        hooks.InsteadOfEventLoop = [&](TmainFrm &) { reachedEventLoop = true; };
        QCOMPARE(RunStartup({}, hooks), 1);
        QCOMPARE(prompts.Dialogs(), QStringList{QStringLiteral("TLoginFrm")});
        QVERIFY(!reachedEventLoop);
        QCOMPARE(m_mall->FeedbackAsked, QStringList{QStringLiteral("setting connected")});
        QVERIFY(!Database->Connected());
    }

    // "重新登陆" always asks, even when the program was started with a login on its command
    // line; a cancelled login keeps the operator there was.
    void reloginAsks()
    {
        ScriptedPrompter prompts;
        TmainFrm window;
        window.SetCommandLine({QStringLiteral("sa"), QString(), QStringLiteral("x")});
        window.show();
        CurrentOperator->Clear();
        window.ReloginItem1->trigger();
        QCOMPARE(prompts.Dialogs(), QStringList{QStringLiteral("TLoginFrm")});
        QCOMPARE(CurrentOperator->LoginId, QString());
        QVERIFY(window.isVisible());
    }

    // Every picture of the shared list is its own 16 × 16 drawing.
    void sharedImages()
    {
        QCOMPARE(m_images->ImageList1().size(), 26);
        QSet<QByteArray> drawings;
        for (int i = 0; i < TPubFrm::ImageCount; ++i) {
            const QImage image = m_images->ImageAt(i).pixmap(16, 16).toImage();
            QCOMPARE(image.size(), QSize(16, 16));
            drawings.insert(
                QByteArray(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes()));
        }
        QCOMPARE(drawings.size(), TPubFrm::ImageCount);
        QVERIFY(m_images->ImageAt(26).isNull());
        QVERIFY(TPubFrm::DrawImage(-1, 16).isNull());
        QCOMPARE(TPubFrm::DrawImage(TPubFrm::imgFolder, 32).size(), QSize(32, 32));
    }

    void windowAsBuilt()
    {
        ScriptedPrompter prompts;
        TmainFrm window;
        QVERIFY(!window.isVisible());
        QCOMPARE(TaFrm::MainWindow(), &window);
        QCOMPARE(window.windowTitle(), QStringLiteral("青岫档案管理系统 - 单机版 2013.1.10.0712"));
        QVERIFY(window.windowState().testFlag(Qt::WindowMaximized));
        QCOMPARE(window.HelpTopic(), QStringLiteral("main"));
        // "打开" heads the grid's popup, "添加" and "删除" close it, around the grid's own commands.
        QStringList popup;
        for (QAction *item : window.ArchiveGrid1->PopupMenuPz()->actions())
            popup << (item->isSeparator() ? QStringLiteral("-") : item->text());
        QCOMPARE(popup.mid(0, 2), (QStringList{"打开", "-"}));
        QCOMPARE(popup.mid(popup.size() - 4), (QStringList{"-", "添加", "-", "删除"}));
        QVERIFY(popup.contains(QStringLiteral("排序")));
        QCOMPARE(window.TabBar2->count(), 1);
        QCOMPARE(window.TabBar2->tabText(0), QStringLiteral("借阅记录"));
        QVERIFY(prompts.History().isEmpty());
        QVERIFY(prompts.Dialogs().isEmpty());
    }

    void searches_data()
    {
        QTest::addColumn<QString>("cataCode");
        QTest::addColumn<QString>("keyword"); // null: no keyword search
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("全部") << "sys-all" << QString()
                              << QStringList{"WS-01", "KJ-01", "TZ-01", "NO-01", "NO-02"};
        QTest::newRow("未分类") << "sys-nulled" << QString() << QStringList{"NO-01", "NO-02"};
        QTest::newRow("a category and below") << "2." << QString() << QStringList{"KJ-01", "TZ-01"};
        QTest::newRow("a leaf category") << "2.3." << QString() << QStringList{"TZ-01"};
        // The keyword search looks at every archive, whatever node is selected.
        QTest::newRow("keyword beside 未分类") << "sys-nulled"
                                               << "图纸" << QStringList{"TZ-01"};
        QTest::newRow("keyword beside a category")
            << "1."
            << "-01" << QStringList{"WS-01", "KJ-01", "TZ-01", "NO-01"};
        QTest::newRow("empty keyword lists all")
            << "2.3."
            << "" << QStringList{"WS-01", "KJ-01", "TZ-01", "NO-01", "NO-02"};
        QTest::newRow("keyword finding nothing") << "sys-all"
                                                 << "不存在" << QStringList();
    }
    void searches()
    {
        QFETCH(QString, cataCode);
        QFETCH(QString, keyword);
        QFETCH(QStringList, codes);
        ScriptedPrompter prompts;
        TmainFrm window;
        window.show();
        QVERIFY(window.TreeView1->SelectByCode(cataCode));
        if (!keyword.isNull()) {
            window.edtKeyword1->setText(keyword);
            QTest::mouseClick(window.btnSearch1, Qt::LeftButton);
        }
        QCOMPARE(ColumnOf(*window.ArchiveList(), QStringLiteral("Code")), codes);
        QCOMPARE(window.ArchiveGrid1->RowCount(), codes.size());
        QVERIFY(prompts.History().isEmpty());
    }

    // The finder's search replaces the tree's and the keyword's: only its own conditions apply.
    void finderSearchesEverything()
    {
        ScriptedPrompter prompts;
        TmainFrm window;
        window.show();
        QVERIFY(window.TreeView1->SelectByCode(QStringLiteral("sys-nulled")));
        window.edtKeyword1->setText(QStringLiteral("会议"));
        prompts.OnDialog([](QDialog &shown) {
            auto &finder = static_cast<TFinderFrm &>(shown);
            finder.edtName1->setText(QStringLiteral("图"));
            return PressOk(finder, finder.btnOk1);
        });
        QTest::mouseClick(window.tbFind1, Qt::LeftButton);
        QCOMPARE(prompts.Dialogs(), QStringList{QStringLiteral("TFinderFrm")});
        QCOMPARE(ColumnOf(*window.ArchiveList(), QStringLiteral("Code")),
                 QStringList{QStringLiteral("TZ-01")});
    }

    void archiveCommands()
    {
        ScriptedPrompter prompts;
        TmainFrm window;
        window.show();

        // Adding: the new archive joins the list.
        prompts.OnDialog([](QDialog &shown) {
            auto &form = static_cast<TArchiveEditFrm &>(shown);
            form.edtCode1->setText(QStringLiteral("NEW-01"));
            form.edtName1->setText(QStringLiteral("新增档案"));
            return PressOk(form, form.OkButton);
        });
        QTest::mouseClick(window.tbAdd1, Qt::LeftButton);
        QCOMPARE(prompts.Dialogs(), QStringList{QStringLiteral("TArchiveEditFrm")});
        QVERIFY(ColumnOf(*window.ArchiveList(), QStringLiteral("Code")).contains(QStringLiteral("NEW-01")));
        RArchive stored;
        TArchiveSet::LoadArchive(m_ids.value("NO-02") + 1, stored);
        QCOMPARE(stored.Name, QStringLiteral("新增档案"));

        // Opening by a double click on the row: the form shows that archive; a changed name is
        // mirrored in the list.
        QVERIFY(FocusArchive(window, QStringLiteral("KJ-01")));
        QString shownName;
        prompts.OnDialog([&](QDialog &shown) {
            auto &form = static_cast<TArchiveEditFrm &>(shown);
            shownName = form.edtName1->text();
            form.edtName1->setText(QStringLiteral("科研项目结题"));
            return PressOk(form, form.OkButton);
        });
        QTableView *grid = window.ArchiveGrid1;
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                           grid->visualRect(grid->currentIndex()).center());
        QCOMPARE(shownName, QStringLiteral("科研项目申报"));
        QVERIFY(
            ColumnOf(*window.ArchiveList(), QStringLiteral("Name")).contains(QStringLiteral("科研项目结题")));

        // Deleting after the confirmation; refusing it keeps the archive.
        QVERIFY(FocusArchive(window, QStringLiteral("NO-01")));
        prompts.Answer(1);
        window.DeleteAction1->trigger();
        QVERIFY(ColumnOf(*window.ArchiveList(), QStringLiteral("Code")).contains(QStringLiteral("NO-01")));
        prompts.Answer(0);
        window.DeleteAction1->trigger();
        QVERIFY(!ColumnOf(*window.ArchiveList(), QStringLiteral("Code")).contains(QStringLiteral("NO-01")));
        RArchive gone;
        TArchiveSet::LoadArchive(m_ids.value("NO-01"), gone);
        QCOMPARE(gone.Id, 0);
        QCOMPARE(prompts.Texts(), (QStringList{"\r\n确定要删除记录吗?\t", "\r\n确定要删除记录吗?\t"}));
    }

    // Deleting an archive makes the one after it current (the one before it when it was the
    // last), and the lending grid shows that archive's lendings.
    void deleteMovesToNextArchive()
    {
        ScriptedPrompter prompts;
        TmainFrm window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(FocusArchive(window, QStringLiteral("KJ-01")));
        prompts.Answer(0);
        window.DeleteAction1->trigger();
        QCOMPARE(ColumnOf(*window.ArchiveList(), QStringLiteral("Code")),
                 (QStringList{"WS-01", "TZ-01", "NO-01", "NO-02"}));
        QCOMPARE(window.ArchiveList()->CodeFld()->AsString(), QStringLiteral("TZ-01"));
        QCOMPARE(window.ArchiveGrid1->currentIndex().row(), 1);
        QStringList borrowers = ColumnOf(*window.LendList(), QStringLiteral("Borrower"));
        borrowers.sort();
        QStringList expected{QStringLiteral("张三"), QStringLiteral("李四")};
        expected.sort();
        QCOMPARE(borrowers, expected);

        QVERIFY(FocusArchive(window, QStringLiteral("NO-02")));
        prompts.Answer(0);
        window.DeleteAction1->trigger();
        QCOMPARE(window.ArchiveList()->CodeFld()->AsString(), QStringLiteral("NO-01"));
        QCOMPARE(window.ArchiveGrid1->currentIndex().row(), 2);
        QCOMPARE(ColumnOf(*window.LendList(), QStringLiteral("Borrower")), QStringList());
    }

    // The archive form's lending button lends through the main window's lending list.
    void lendingFromArchiveForm()
    {
        ScriptedPrompter prompts;
        TmainFrm window;
        window.show();
        QVERIFY(FocusArchive(window, QStringLiteral("NO-02")));
        QCOMPARE(ColumnOf(*window.LendList(), QStringLiteral("Borrower")), QStringList());
        prompts.OnDialog([&](QDialog &shown) {
            auto &form = static_cast<TArchiveEditFrm &>(shown);
            QTest::mouseClick(form.btnLend1, Qt::LeftButton);
            return int(QDialog::Rejected);
        });
        prompts.OnDialog([](QDialog &shown) {
            auto &form = static_cast<TLendEditFrm &>(shown);
            form.edtBorrower1->setEditText(QStringLiteral("赵六"));
            return PressOk(form, form.OkButton);
        });
        window.OpenAction1->trigger();
        QCOMPARE(prompts.Dialogs(), (QStringList{"TArchiveEditFrm", "TLendEditFrm"}));
        QCOMPARE(ColumnOf(*window.LendList(), QStringLiteral("Borrower")),
                 QStringList{QStringLiteral("赵六")});
    }

    void lendingAdd_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QStringList>("dialogs");
        QTest::newRow("an archive selected") << "来往" << QStringList{"TLendEditFrm"};
        // Nothing to lend from: no form, no message.
        QTest::newRow("empty archive list") << "不存在" << QStringList();
    }
    void lendingAdd()
    {
        QFETCH(QString, keyword);
        QFETCH(QStringList, dialogs);
        ScriptedPrompter prompts;
        TmainFrm window;
        window.show();
        window.edtKeyword1->setText(keyword);
        QTest::mouseClick(window.btnSearch1, Qt::LeftButton);
        QTest::mouseClick(window.btnLendAdd1, Qt::LeftButton);
        QCOMPARE(prompts.Dialogs(), dialogs);
        QVERIFY(prompts.History().isEmpty());
    }

    // Each archive focused in the grid brings its own lendings into the lending grid.
    void lendingGridFollowsArchive()
    {
        ScriptedPrompter prompts;
        TmainFrm window;
        window.show();
        const QList<QPair<QString, QStringList>> steps{
            {"TZ-01", {"张三", "李四"}}, {"KJ-01", {}}, {"WS-01", {"王五"}}, {"TZ-01", {"张三", "李四"}}};
        for (const auto &[code, borrowers] : steps) {
            QVERIFY2(FocusArchive(window, code), qPrintable(code));
            QStringList shown = ColumnOf(*window.LendList(), QStringLiteral("Borrower"));
            shown.sort();
            QStringList expected = borrowers;
            expected.sort();
            QCOMPARE(shown, expected);
            QCOMPARE(window.LendGrid1->RowCount(), borrowers.size());
        }
        // A search lands on a new first archive, and its lendings follow.
        window.edtKeyword1->setText(QStringLiteral("年度"));
        QTest::mouseClick(window.btnSearch1, Qt::LeftButton);
        QCOMPARE(ColumnOf(*window.LendList(), QStringLiteral("Borrower")),
                 QStringList{QStringLiteral("王五")});
        QVERIFY(prompts.History().isEmpty());
    }

    // The lower tab shows its caption above the lending panel, which starts under it.
    void lowerTabShown()
    {
        ScriptedPrompter prompts;
        TmainFrm window;
        window.setWindowState(Qt::WindowNoState);
        window.resize(879, 556);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTabBar *tabs = window.TabBar2;
        QVERIFY(tabs->isVisible());
        const QRect tab = tabs->tabRect(0);
        QVERIFY2(tab.height() >= 20, qPrintable(QString::number(tab.height())));
        QVERIFY(tabs->height() >= tab.height());
        QVERIFY(tab.width() >= tabs->fontMetrics().horizontalAdvance(tabs->tabText(0)));
        const QPoint tabBottom = tabs->mapTo(&window, QPoint(0, tabs->height()));
        const QPoint gridTop = window.LendGrid1->mapTo(&window, QPoint(0, 0));
        QVERIFY2(gridTop.y() >= tabBottom.y(),
                 qPrintable(QStringLiteral("%1 < %2").arg(gridTop.y()).arg(tabBottom.y())));
    }

    void categoryToggle()
    {
        ScriptedPrompter prompts;
        TmainFrm window;
        window.show();
        QVERIFY(window.tbTree1->isChecked());
        QVERIFY(window.TabControl1->isVisible());
        QTest::mouseClick(window.tbTree1, Qt::LeftButton);
        QVERIFY(!window.tbTree1->isChecked());
        QVERIFY(!window.TabControl1->isVisible());
        QTest::mouseClick(window.tbTree1, Qt::LeftButton);
        QVERIFY(window.tbTree1->isChecked());
        QVERIFY(window.TabControl1->isVisible());
    }

    // A main window with its bars; its panels clip nothing, at the normal font and larger.
    void windowFrame()
    {
        ScriptedPrompter prompts;
        for (int scale : {2, 3}) {
            TmainFrm window;
            QCOMPARE(window.menuBar(), window.MainMenu1);
            QCOMPARE(window.statusBar(), window.StatusBar1);
            QCOMPARE(window.toolBarArea(window.ToolBar1), Qt::TopToolBarArea);
            QFont font = window.font();
            font.setPixelSize(12 * scale / 2);
            window.setFont(font);
            window.setWindowState(Qt::WindowNoState);
            window.resize(879, 556);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            for (QWidget *panel : {window.pnlSearch1, window.pnlLendButtons1}) {
                const QStringList clipped = LayoutCheck::Clipped(panel);
                QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QLatin1Char('\n'))));
            }
        }
    }

    void commandsWithoutWindows()
    {
        ScriptedPrompter prompts;
        TmainFrm window;
        window.show();
        // Present but doing nothing.
        window.OptionsItem1->trigger();
        window.FaqItem1->trigger();
        QVERIFY(prompts.History().isEmpty());
        QVERIFY(prompts.Dialogs().isEmpty());
        QVERIFY(window.isVisible());
        // "帮助文件" opens the window's own page.
        window.HelpFileItem1->trigger();
        THelpWindow *help = THelpWindow::Of(&window);
        QVERIFY(help);
        QCOMPARE(help->Topic(), QStringLiteral("main"));
        QVERIFY(prompts.History().isEmpty());
    }

    // "从Excel导入..." opens the import wizard over the main window; a cancelled import
    // leaves the list as it was.
    void importCommandOpensTheWizard()
    {
        ScriptedPrompter prompts;
        TmainFrm window;
        window.show();
        QVERIFY(window.ImportAction1->isEnabled());
        const int before = window.ArchiveList()->DataSet()->RecordCount();
        QWidget *parent = nullptr;
        prompts.OnDialog([&](QDialog &shown) {
            parent = shown.parentWidget();
            return int(QDialog::Rejected);
        });
        window.ImportAction1->trigger();
        QCOMPARE(prompts.Dialogs(), QStringList{QStringLiteral("TDataImportFrm")});
        QCOMPARE(parent, static_cast<QWidget *>(&window));
        QCOMPARE(window.ArchiveList()->DataSet()->RecordCount(), before);
    }

    // "打印..." prints the archive list through the archive report group.
    void printHandsArchiveList()
    {
        ScriptedPrompter prompts;
        TmainFrm window;
        window.show();
        int group = 0;
        prompts.OnDialog([&](QDialog &shown) {
            group = static_cast<TReporterFrm &>(shown).GroupId();
            return int(QDialog::Rejected);
        });
        window.PrintItem1->trigger();
        QCOMPARE(prompts.Dialogs(), QStringList{QStringLiteral("TReporterFrm")});
        QCOMPARE(group, 1002);
    }

    void closing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("close box") << "close box";
        QTest::newRow("退出系统") << "menu";
        QTest::newRow(" 退出系统 ") << "tool button";
        QTest::newRow("never shown") << "hidden";
    }
    void closing()
    {
        QFETCH(QString, how);
        ScriptedPrompter prompts;
        TmainFrm window;
        if (how != "hidden")
            window.show();
        // Escape closes dialogs, but not this window.
        QTest::keyClick(window.edtKeyword1, Qt::Key_Escape);
        QVERIFY(m_mall->FeedbackAsked.isEmpty());
        QCOMPARE(window.isVisible(), how != "hidden");

        if (how == "close box" || how == "hidden")
            window.close();
        else if (how == "menu")
            window.ExitItem1->trigger();
        else
            QTest::mouseClick(window.tbExit1, Qt::LeftButton);
        QVERIFY(!window.isVisible());
        QVERIFY(window.ClosingStepsDone());
        // Feedback is asked while the connection is still open; afterwards it is closed.
        QCOMPARE(m_mall->FeedbackAsked, QStringList{QStringLiteral("setting connected")});
        QVERIFY(!Database->Connected());

        // Closing again does not repeat the steps.
        window.close();
        window.ExitItem1->trigger();
        QCOMPARE(m_mall->FeedbackAsked.size(), 1);
        QVERIFY(prompts.History().isEmpty());
    }

private:
    Tmall *m_previousMall = nullptr;
    TRecordingMall *m_mall = nullptr;
    std::unique_ptr<TPubFrm> m_images;
    QHash<QString, int> m_ids;
};

PZ_TEST(TMainFrmTest)
#include "tst_mainfrm.moc"
