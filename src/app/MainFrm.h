#pragma once
// The main window: the category tree on the left, the archives that the selected category or
// a search finds on the right, and under them the lendings of the selected archive. Its
// menus, tool bar and buttons dispatch to the archive screens and the facade; it is the
// application's main window, so closing it ends the program.

#include "Archive.h"
#include "BaseWindow.h"

#include <QMainWindow>

#include <QList>
#include <QStringList>

#include <functional>

class QAction;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QSplitter;
class QStatusBar;
class QStackedWidget;
class QTabBar;
class QToolBar;
class QToolButton;
class TArchiveList;
class TLendList;
class TpzGridcx;
namespace Uis {
class TEdit;
class TTreeView;
} // namespace Uis

class TmainFrm : public QMainWindow, public WindowBehaviour
{
    Q_OBJECT
public:
    // Builds the window hidden, lists every archive and registers it as the main window.
    explicit TmainFrm(QWidget *owner = nullptr);
    ~TmainFrm() override;

    // The arguments the program was started with (without its name); a login with the command
    // line allowed tries them.
    void SetCommandLine(const QStringList &arguments) { m_commandLine = arguments; }
    // Logs an operator in; true when one is. A cancelled login keeps the operator there was.
    bool Login(bool commandLineAllowed);

    // A tab of the lower tab control with what it shows for the archive selected in the list.
    using TTabHandler = std::function<void(const RArchive &archive)>;
    void AddTab(const QString &caption, TTabHandler handler);
    // The archive grid's focused row changed; `selected` is false when no row is focused.
    void ArchiveRowChanged(bool selected);
    // The lending tab's handler: lists the archive's lendings.
    void ShowLendsOf(const RArchive &archive);
    // The archive form's lending button: starts a new lending of the archive.
    bool LendFromArchive(const RArchive &archive);
    // The finder's search callback: only the finder's conditions apply.
    bool ApplyFinderWhere(const RArchiveWhere &conditions);

    // Whether the closing steps have run; they run once, whichever way the window closed.
    bool ClosingStepsDone() const { return m_closingStepsDone; }

    TArchiveList *ArchiveList() const { return m_archiveList; }
    TLendList *LendList() const { return m_lendList; }

    // ---- controls ----
    QMenuBar *MainMenu1;
    QToolBar *ToolBar1;
    QToolButton *tbTree1;
    QToolButton *tbAdd1;
    QToolButton *tbOpen1;
    QToolButton *tbFind1;
    QToolButton *tbOutput1;
    QToolButton *tbExit1;
    QMenu *PopupMenu1;

    QSplitter *Splitter1;
    QStatusBar *StatusBar1;
    QWidget *TabControl1;
    QToolBar *ToolBar2;
    QToolButton *tbCataSettings1;
    QToolButton *tbRefresh1;
    Uis::TTreeView *TreeView1;

    QWidget *TabControl3;
    QWidget *pnlSearch1;
    Uis::TEdit *edtKeyword1;
    QPushButton *btnSearch1;
    QPushButton *btnFindmore1;
    TpzGridcx *ArchiveGrid1;

    QWidget *TabControl2;
    QTabBar *TabBar2;
    QStackedWidget *TabPages2;
    QWidget *pnlLend1;
    TpzGridcx *LendGrid1;
    QWidget *pnlLendButtons1;
    QPushButton *btnLendAdd1;
    QPushButton *btnLendEdit1;
    QPushButton *btnLendDelete1;

    // ---- actions (ActionList1) ----
    QAction *AddAction1;
    QAction *OpenAction1;
    QAction *DeleteAction1;
    QAction *ImportAction1;
    QAction *LendAddAction1;
    QAction *LendEditAction1;
    QAction *LendDeleteAction1;

    // ---- menu items ----
    QAction *CompanyItem1;
    QAction *OperatorsItem1;
    QAction *OptionsItem1;
    QAction *ClearDataItem1;
    QAction *BackupItem1;
    QAction *ChangePasswdItem1;
    QAction *ReloginItem1;
    QAction *ExitItem1;
    QAction *LendsItem1; // the edit menu's lending submenu
    QAction *LendQueryItem1;
    QAction *NotepadItem1;
    QAction *CalculatorItem1;
    QAction *HelpFileItem1;
    QAction *FaqItem1;
    QAction *TipsItem1;
    QAction *ReadmeItem1;
    QAction *WhatsNewItem1;
    QAction *WebSiteItem1;
    QAction *MailItem1;
    QAction *FeedbackItem1;
    QAction *AboutItem1;
    QAction *PrintItem1;
    QAction *ExportExcelItem1;
    QAction *ExportHtmlItem1;

    // ---- handlers ----
    void tbTree1Click();
    void btnSearch1Click();
    void btnFindmore1Click();
    void TreeView1Change(const RCata &selected);
    void TabControl2Change();
    void AddAction1Execute();
    void OpenAction1Execute();
    void DeleteAction1Execute();
    void ImportAction1Execute();
    void LendAddAction1Execute();
    void LendEditAction1Execute();
    void LendDeleteAction1Execute();
    void PrintItem1Click();
    void CompanyItem1Click();
    void OperatorsItem1Click();
    void ClearDataItem1Click();
    void BackupItem1Click();
    void ChangePasswdItem1Click();
    void LendQueryItem1Click();
    void CategorySettingsClick();
    void TreeRefreshClick();

protected:
    // Every way of closing ends here and runs the closing steps.
    void closeEvent(QCloseEvent *event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    QWidget *CreateTreePanel();
    QWidget *CreateArchivePanel();
    QWidget *CreateLendPanel();
    QAction *MenuItem(QMenu *menu, const QString &caption, std::function<void()> onClick = {});
    // Feedback prompt, automatic backup, disconnect; once, after the window is hidden.
    void RunClosingSteps();

    TArchiveList *m_archiveList = nullptr;
    TLendList *m_lendList = nullptr;
    QList<TTabHandler> m_tabHandlers;
    QStringList m_commandLine;
    bool m_closingStepsDone = false;
};
