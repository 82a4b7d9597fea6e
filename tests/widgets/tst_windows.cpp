// The base windows: placement around the cursor, edge hit zones, help topics, the band
// buttons with their results, the close query, first-showing centring and the
// self-destroying tool window. Every modal window is driven through the scripted prompter.

#include "BaseDialog.h"
#include "BaseWindow.h"
#include "Exceptions.h"
#include "HelpWindow.h"
#include "InfoDialog.h"
#include "ScriptedPrompter.h"
#include "TestMain.h"
#include "ToolWindow.h"

#include <QCheckBox>
#include <QCursor>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

// Test windows live outside any namespace: their class names are their window names.

// Records the topics the window was asked to show instead of opening the viewer.
template <class Base> class TRecordingFrm : public Base
{
public:
    using Base::Base;
    QStringList Asked;
    void ShowHelp(const QString &topic = {}) override
    {
        Asked << (topic.isEmpty() ? this->HelpTopic() : topic);
    }
};

class TFrmBackup : public TRecordingFrm<TADlgFrm>
{
    Q_OBJECT
public:
    using TRecordingFrm::TRecordingFrm;
};

class TOperatorsFrm : public TRecordingFrm<TAInfoDlgFrm>
{
    Q_OBJECT
public:
    using TRecordingFrm::TRecordingFrm;
};

// A window whose topic has no page in the help.
class TNoPageThereFrm : public TADlgFrm
{
    Q_OBJECT
public:
    using TADlgFrm::TADlgFrm;
};

// Refuses OK while its box is unchecked; Cancel always passes.
class TCheckedDlgFrm : public TADlgFrm
{
    Q_OBJECT
public:
    explicit TCheckedDlgFrm(QWidget *owner = nullptr) : TADlgFrm(owner)
    {
        Agreed = new QCheckBox(QStringLiteral("同意"), this);
        Agreed->move(20, 20);
    }
    QCheckBox *Agreed;
    int Queries = 0;

protected:
    bool CanClose(int modalResult) override
    {
        ++Queries;
        return modalResult != QDialog::Accepted || Agreed->isChecked();
    }
};

class TLendQryFrm : public TWinFrm
{
    Q_OBJECT
public:
    using TWinFrm::TWinFrm;
};

namespace {
QPushButton *Button(QDialog &dialog, const QString &name)
{
    return dialog.findChild<QPushButton *>(name);
}
} // namespace

class TWindowsTest : public QObject
{
    Q_OBJECT
private slots:
    void cursorPlacement_data()
    {
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QPoint>("expected");
        const QSize screen(1024, 768);
        const QSize window(400, 300);
        QTest::newRow("near the left edge") << QPoint(100, 384) << window << screen << QPoint(20, 234);
        QTest::newRow("100 from the right edge") << QPoint(924, 384) << window << screen << QPoint(604, 234);
        QTest::newRow("in the middle") << QPoint(512, 384) << window << screen << QPoint(312, 234);
        QTest::newRow("exactly at the left") << QPoint(200, 384) << window << screen << QPoint(0, 234);
        QTest::newRow("exactly at the right margin")
            << QPoint(804, 384) << window << screen << QPoint(604, 234);
        QTest::newRow("near the top") << QPoint(512, 100) << window << screen << QPoint(312, 20);
        QTest::newRow("near the bottom") << QPoint(512, 700) << window << screen << QPoint(312, 418);
        QTest::newRow("odd size halves toward zero")
            << QPoint(100, 200) << QSize(199, 301) << screen << QPoint(1, 50);
        QTest::newRow("window wider than the screen")
            << QPoint(10, 384) << QSize(1100, 300) << screen << QPoint(20, 234);
    }
    void cursorPlacement()
    {
        QFETCH(QPoint, cursor);
        QFETCH(QSize, window);
        QFETCH(QSize, screen);
        QFETCH(QPoint, expected);
        QCOMPARE(CursorPlacement(cursor, window, screen), expected);
    }

    void edgeHitTest_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("edges");
        const int top = Qt::TopEdge, left = Qt::LeftEdge, right = Qt::RightEdge, bottom = Qt::BottomEdge;
        // A 200 x 100 window.
        QTest::newRow("top-left corner") << QPoint(9, 9) << (top | left);
        QTest::newRow("top-right corner") << QPoint(191, 9) << (top | right);
        QTest::newRow("bottom-right corner") << QPoint(191, 91) << (bottom | right);
        QTest::newRow("bottom-left corner") << QPoint(9, 91) << (bottom | left);
        QTest::newRow("left edge") << QPoint(4, 50) << left;
        QTest::newRow("just inside the left") << QPoint(5, 50) << 0;
        QTest::newRow("top edge") << QPoint(100, 4) << top;
        QTest::newRow("right edge") << QPoint(196, 50) << right;
        QTest::newRow("just inside the right") << QPoint(195, 50) << 0;
        QTest::newRow("bottom edge") << QPoint(100, 96) << bottom;
        QTest::newRow("inside") << QPoint(100, 50) << 0;
        QTest::newRow("top edge beyond the corner") << QPoint(10, 2) << top;
    }
    void edgeHitTest()
    {
        QFETCH(QPoint, point);
        QFETCH(int, edges);
        QCOMPARE(int(EdgeHitTest(point, QSize(200, 100))), edges);
    }

    void helpTopics_data()
    {
        QTest::addColumn<QString>("windowName");
        QTest::addColumn<QString>("topic");
        QTest::newRow("main") << "mainFrm"
                              << "main";
        QTest::newRow("login") << "LoginFrm"
                               << "Login";
        QTest::newRow("backup keeps its odd name") << "FrmBackup"
                                                   << "FrmBac";
        QTest::newRow("about") << "aboutFrm"
                               << "about";
        QTest::newRow("too short") << "Frm"
                                   << "";
    }
    void helpTopics()
    {
        QFETCH(QString, windowName);
        QFETCH(QString, topic);
        QCOMPARE(HelpTopicOf(windowName), topic);
    }

    // F1 anywhere in the window and the help buttons ask for the window's own topic.
    void helpKeyAndButton_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("topic");
        QTest::newRow("dialog F1 in an edit") << "dialog"
                                              << "F1"
                                              << "FrmBac";
        QTest::newRow("dialog help button") << "dialog"
                                            << "button"
                                            << "FrmBac";
        QTest::newRow("info window F1 in an edit") << "info"
                                                   << "F1"
                                                   << "Operators";
        QTest::newRow("info window help button") << "info"
                                                 << "button"
                                                 << "Operators";
    }
    void helpKeyAndButton()
    {
        QFETCH(QString, kind);
        QFETCH(QString, how);
        QFETCH(QString, topic);
        ScriptedPrompter prompts;
        std::unique_ptr<TaFrm> window;
        QStringList *asked = nullptr;
        if (kind == QLatin1String("dialog")) {
            auto *dialog = new TFrmBackup;
            asked = &dialog->Asked;
            window.reset(dialog);
        } else {
            auto *info = new TOperatorsFrm;
            asked = &info->Asked;
            window.reset(info);
        }
        auto *edit = new QLineEdit(window.get());
        edit->move(30, 30);
        prompts.OnDialog([&](QDialog &shown) {
            if (how == QLatin1String("F1")) {
                edit->setFocus();
                QTest::keyClick(edit, Qt::Key_F1);
            } else {
                QTest::mouseClick(Button(shown, QStringLiteral("HelpBtn1")), Qt::LeftButton);
            }
            // Asking for help does not close the window.
            return shown.isVisible() ? 7 : -1;
        });
        QCOMPARE(window->ShowModal(), 7);
        QCOMPARE(*asked, QStringList{topic});
        QVERIFY(prompts.Texts().isEmpty());
    }

    void missingHelpPage()
    {
        ScriptedPrompter prompts;
        TNoPageThereFrm dialog;
        prompts.OnDialog([&](QDialog &shown) {
            QTest::keyClick(&shown, Qt::Key_F1);
            return int(QDialog::Rejected);
        });
        dialog.ShowModal();
        QCOMPARE(prompts.Texts().size(), 1);
        QVERIFY2(prompts.LastText().contains(QStringLiteral("“NoPageThere”")),
                 qPrintable(prompts.LastText()));
        QVERIFY(prompts.LastText().contains(THelpWindow::PageFile(QStringLiteral("NoPageThere"))));
        QCOMPARE(THelpWindow::Of(&dialog), nullptr);
    }

    void bandButtons_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<int>("result");
        QTest::newRow("dialog OK") << "dialog"
                                   << "OkBtn1" << true << int(QDialog::Accepted);
        QTest::newRow("dialog cancel") << "dialog"
                                       << "CancelBtn1" << true << int(QDialog::Rejected);
        QTest::newRow("dialog Escape") << "dialog"
                                       << "Escape" << true << int(QDialog::Rejected);
        QTest::newRow("dialog Enter is no OK") << "dialog"
                                               << "Enter" << false << int(QDialog::Rejected);
        QTest::newRow("dialog help") << "dialog"
                                     << "HelpBtn1" << false << int(QDialog::Rejected);
        QTest::newRow("info close") << "info"
                                    << "CloseBtn1" << true << int(QDialog::Rejected);
        QTest::newRow("info Escape") << "info"
                                     << "Escape" << true << int(QDialog::Rejected);
        QTest::newRow("info help") << "info"
                                   << "HelpBtn1" << false << int(QDialog::Rejected);
    }
    void bandButtons()
    {
        QFETCH(QString, kind);
        QFETCH(QString, action);
        QFETCH(bool, closes);
        QFETCH(int, result);
        ScriptedPrompter prompts;
        std::unique_ptr<TaFrm> window;
        if (kind == QLatin1String("dialog"))
            window = std::make_unique<TFrmBackup>();
        else
            window = std::make_unique<TOperatorsFrm>();
        auto *edit = new QLineEdit(window.get());
        edit->move(30, 30);
        bool stillShown = false;
        prompts.OnDialog([&](QDialog &shown) {
            edit->setFocus();
            if (action == QLatin1String("Escape"))
                QTest::keyClick(edit, Qt::Key_Escape);
            else if (action == QLatin1String("Enter"))
                QTest::keyClick(edit, Qt::Key_Return);
            else
                QTest::mouseClick(Button(shown, action), Qt::LeftButton);
            stillShown = shown.isVisible();
            return shown.result();
        });
        QCOMPARE(window->ShowModal(), result);
        QCOMPARE(stillShown, !closes);
    }

    // The band keeps its place along the bottom, buttons at the right, whatever the size.
    void bandFollowsTheSize()
    {
        TFrmBackup dialog;
        dialog.resize(600, 400);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QRect ok = dialog.OkBtn1->geometry();
        const QRect cancel = dialog.CancelBtn1->geometry();
        const QRect help = dialog.HelpBtn1->geometry();
        QVERIFY(ok.right() < cancel.left() && cancel.right() < help.left());
        QCOMPARE(ok.top(), help.top());
        QVERIFY(dialog.width() - help.right() < 20);
        QVERIFY(dialog.height() - help.bottom() < 20);
        QVERIFY(dialog.BgBevel1->geometry().bottom() < ok.top());
        QCOMPARE(dialog.BgBevel1->width(), dialog.width());
        // The captions fit their buttons.
        for (QPushButton *button : {dialog.OkBtn1, dialog.CancelBtn1, dialog.HelpBtn1})
            QVERIFY(button->width() >= button->sizeHint().width());
    }

    void closeQueryKeepsTheDialogOpen()
    {
        ScriptedPrompter prompts;
        TCheckedDlgFrm dialog;
        prompts.OnDialog([&](QDialog &shown) {
            QTest::mouseClick(dialog.OkBtn1, Qt::LeftButton);
            if (!shown.isVisible())
                return -1;
            // The close box asks too, and closing with Cancel is allowed.
            dialog.Agreed->setChecked(true);
            QTest::mouseClick(dialog.OkBtn1, Qt::LeftButton);
            return shown.isVisible() ? -2 : shown.result();
        });
        QCOMPARE(dialog.ShowModal(), int(QDialog::Accepted));
        QCOMPARE(dialog.Queries, 2);

        dialog.Agreed->setChecked(false);
        prompts.OnDialog([&](QDialog &shown) {
            shown.close();
            return shown.isVisible() ? -1 : shown.result();
        });
        QCOMPARE(dialog.ShowModal(), int(QDialog::Rejected));
        QCOMPARE(dialog.Queries, 3);
    }

    void errorInTheCloseQueryKeepsItOpen()
    {
        class TFailingFrm : public TADlgFrm
        {
        protected:
            bool CanClose(int) override { throw Exception(QStringLiteral("不能关闭")); }
        };
        ScriptedPrompter prompts;
        TFailingFrm dialog;
        bool stillShown = false;
        prompts.OnDialog([&](QDialog &shown) {
            QTest::mouseClick(dialog.OkBtn1, Qt::LeftButton);
            stillShown = shown.isVisible();
            return 0;
        });
        dialog.ShowModal();
        QVERIFY(stillShown);
        QCOMPARE(prompts.Texts(), QStringList{QStringLiteral("不能关闭")});
    }

    // Centred on the owner the first time, at the cursor afterwards.
    void firstShowingIsCentred()
    {
        QScreen *screen = QGuiApplication::primaryScreen();
        const QRect area = screen->geometry();
        QWidget owner;
        owner.setGeometry(area.left() + 10, area.top() + 10, 600, 500);
        owner.show();
        QCursor::setPos(area.topLeft() + QPoint(40, 40));
        if (QCursor::pos() != area.topLeft() + QPoint(40, 40))
            QSKIP("the window system does not let the cursor be placed");

        ScriptedPrompter prompts;
        TFrmBackup dialog(&owner);
        QPoint shownAt;
        auto where = [&](QDialog &shown) {
            shownAt = shown.frameGeometry().topLeft();
            return 0;
        };
        prompts.OnDialog(where);
        dialog.ShowModal();
        const QRect ownerFrame = owner.frameGeometry();
        const QSize size = dialog.frameGeometry().size();
        QCOMPARE(shownAt, QPoint(ownerFrame.left() + (ownerFrame.width() - size.width()) / 2,
                                 ownerFrame.top() + (ownerFrame.height() - size.height()) / 2));

        prompts.OnDialog(where);
        dialog.ShowModal();
        QCOMPARE(shownAt,
                 CursorPlacement(QCursor::pos() - area.topLeft(), size, area.size()) + area.topLeft());
    }

    void toolWindowDestroysItself()
    {
        QPointer<TLendQryFrm> first = new TLendQryFrm;
        QVERIFY(first->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(!first->isModal());
        QCOMPARE(first->size(), QSize(638, 437));
        first->show();
        QVERIFY(first->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull());

        // Opening the same kind again makes a new window, which again goes when closed.
        QPointer<TLendQryFrm> second = new TLendQryFrm;
        second->setAttribute(Qt::WA_DeleteOnClose, false);
        second->show();
        QVERIFY(second->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(second.isNull());
    }
};

PZ_TEST(TWindowsTest)
#include "tst_windows.moc"
