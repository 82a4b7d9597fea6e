// The prompt interface and the guard that stands for the application's top-level handler.

#include "Exceptions.h"
#include "LayoutCheck.h"
#include "QtPrompter.h"
#include "ScriptedPrompter.h"

#include "TestMain.h"
#include <QScopeGuard>

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

class TPrompterTest : public QObject
{
    Q_OBJECT
private slots:
    void scriptedAnswers()
    {
        ScriptedPrompter prompts;
        QCOMPARE(&Prompter(), static_cast<IPrompter *>(&prompts));
        const QStringList buttons{"确定", "取消"};
        prompts.Answer(1);
        prompts.Answer(QStringLiteral("确定"));
        prompts.Answer(QVariant());
        QCOMPARE(Prompter().MessageBox(MsgIcon::Warning, "警告", "a", buttons), 1);
        QCOMPARE(Prompter().MessageBox(MsgIcon::Warning, "警告", "b", buttons), 0);
        QCOMPARE(Prompter().MessageBox(MsgIcon::Warning, "警告", "c", buttons), -1);
        // Nothing queued: the default button.
        QCOMPARE(Prompter().MessageBox(MsgIcon::Warning, "警告", "d", buttons, 1), 1);
        QCOMPARE(prompts.Texts(), (QStringList{"a", "b", "c", "d"}));

        QString typed = QStringLiteral("old");
        QVERIFY(!Prompter().InputBox("c", "p", typed));
        QCOMPARE(typed, QStringLiteral("old"));
        prompts.Answer(QStringLiteral("new"));
        QVERIFY(Prompter().InputBox("c", "p", typed));
        QCOMPARE(typed, QStringLiteral("new"));

        QVERIFY(Prompter().OpenFileName("open", "Fr3文件|*.Fr3|所有文件|*.*").isEmpty());
        prompts.Answer(QStringLiteral("/tmp/x.fr3"));
        QCOMPARE(Prompter().OpenFileName("open", "Fr3文件|*.Fr3"), QStringLiteral("/tmp/x.fr3"));
        QVERIFY(Prompter().OpenUrl(QUrl(QStringLiteral("mailto:a@b.c"))));
        QCOMPARE(prompts.History().last().text, QStringLiteral("mailto:a@b.c"));
    }

    void restoresWhatItReplaced()
    {
        QtPrompter windowed;
        SetDefaultPrompter(&windowed);
        auto restoreDefault = qScopeGuard([] { SetDefaultPrompter(nullptr); });
        {
            ScriptedPrompter outer;
            {
                ScriptedPrompter inner;
                QCOMPARE(&Prompter(), static_cast<IPrompter *>(&inner));
            }
            QCOMPARE(&Prompter(), static_cast<IPrompter *>(&outer));
        }
        QCOMPARE(&Prompter(), static_cast<IPrompter *>(&windowed));
    }

    void modalWindows()
    {
        ScriptedPrompter prompts;
        QDialog first;
        QDialog second;
        // No handler: rejected at once.
        QCOMPARE(Prompter().ExecDialog(first), int(QDialog::Rejected));
        bool wasVisible = false;
        prompts.OnDialog([&](QDialog &dialog) {
            wasVisible = dialog.isVisible();
            dialog.accept();
            return dialog.result();
        });
        QCOMPARE(Prompter().ExecDialog(second), int(QDialog::Accepted));
        QVERIFY(wasVisible);
        QVERIFY(!second.isVisible());
        QCOMPARE(prompts.Dialogs(), (QStringList{"QDialog", "QDialog"}));
    }

    void fileFilters()
    {
        QCOMPARE(QtFileFilter(QStringLiteral("网页文件(*.htm;*.html)|*.htm;*.html")),
                 QStringLiteral("网页文件(*.htm;*.html) (*.htm *.html)"));
        QCOMPARE(QtFileFilter(QStringLiteral("Fr3文件|*.Fr3|所有文件|*.*")),
                 QStringLiteral("Fr3文件 (*.Fr3);;所有文件 (*.*)"));
    }

    void fileDialogFolder_data()
    {
        // "~" stands for a home folder made for the test, which holds the folder "work" and,
        // when `documents` is set, the documents folder.
        QTest::addColumn<QString>("initial");
        QTest::addColumn<bool>("documents");
        QTest::addColumn<QString>("folder");
        QTest::newRow("none given") << "" << true << "~/Documents";
        QTest::newRow("none given, no documents folder") << "" << false << "~";
        QTest::newRow("a folder") << "~/work" << true << "~/work";
        QTest::newRow("a folder with a slash") << "~/work/" << true << "~/work";
        QTest::newRow("a file in a folder") << "~/work/档案.xls" << true << "~/work";
        QTest::newRow("a folder that is not there") << "~/gone/档案.xls" << true << "~/Documents";
        QTest::newRow("a bare file name") << "档案.xls" << true << "~/Documents";
        QTest::newRow("a relative folder") << "work" << false << "~";
    }
    // A file dialog opens in the folder of the path it is given, else in the documents
    // folder; the working directory (here "~/work") is never taken for a relative path.
    void fileDialogFolder()
    {
        QFETCH(QString, initial);
        QFETCH(bool, documents);
        QFETCH(QString, folder);
        QTemporaryDir home;
        QVERIFY(home.isValid());
        QVERIFY(QDir(home.path()).mkdir(QStringLiteral("work")));
        if (documents)
            QVERIFY(QDir(home.path()).mkdir(QStringLiteral("Documents")));
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        const QString oldCurrent = QDir::currentPath();
        auto restore = qScopeGuard([&] {
            qputenv("HOME", oldHome);
            if (oldConfig.isNull())
                qunsetenv("XDG_CONFIG_HOME");
            else
                qputenv("XDG_CONFIG_HOME", oldConfig);
            QDir::setCurrent(oldCurrent);
        });
        qputenv("HOME", QFile::encodeName(home.path()));
        // No folder list of the desktop: the documents folder is the one in the home folder.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + QStringLiteral("/.config")));
        QDir::setCurrent(home.path() + QStringLiteral("/work"));
        const auto expand = [&](QString path) { return path.replace(QLatin1Char('~'), home.path()); };
        QCOMPARE(FileDialogFolder(expand(initial)), expand(folder));
    }

    void messageBoxFitsTheScreen_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("scrolls");
        QTest::newRow("short") << "\r\n确定要删除记录吗?\t" << false;
        QTest::newRow("a word wider than the screen")
            << QStringLiteral("无法打开文件 /home/") + QString(300, QLatin1Char('x')) << false;
        QTest::newRow("a long sentence")
            << QStringLiteral("档案编号不能为空, 请重新输入. ").repeated(12) << false;
        QTest::newRow("more lines than the screen holds")
            << QStringLiteral("第一行\r\n").repeated(200) << true;
    }
    // However long the message, the box fits the screen and every part of the text can be
    // seen: it wraps to the box's width, and scrolls when it is higher than the box.
    void messageBoxFitsTheScreen()
    {
        QFETCH(QString, text);
        QFETCH(bool, scrolls);
        TMessageBox box(MsgIcon::Information, QStringLiteral("提示"), text, {QStringLiteral("确定")});
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const QRect room = box.screen()->availableGeometry();
        QVERIFY2(box.width() <= room.width() && box.height() <= room.height(),
                 qPrintable(QStringLiteral("%1x%2").arg(box.width()).arg(box.height())));
        QTextEdit *view = box.TextView();
        const QSizeF laidOut = view->document()->size();
        QVERIFY2(laidOut.width() <= view->viewport()->width(),
                 qPrintable(QStringLiteral("%1 > %2").arg(laidOut.width()).arg(view->viewport()->width())));
        QCOMPARE(view->verticalScrollBar()->isVisible(), scrolls);
        QVERIFY(laidOut.height() <= view->viewport()->height() + view->verticalScrollBar()->maximum());
        QCOMPARE(view->toPlainText().count(QLatin1Char('\r')), 0);
        QVERIFY(LayoutCheck::Clipped(&box).isEmpty());
    }

    void messageBoxAnswers_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("defaultButton");
        QTest::addColumn<int>("key"); // 0: the second button is clicked
        QTest::addColumn<int>("answer");
        QTest::newRow("Enter, one button") << 1 << 0 << int(Qt::Key_Return) << 0;
        QTest::newRow("Escape, one button") << 1 << 0 << int(Qt::Key_Escape) << 0;
        QTest::newRow("Enter, default second") << 3 << 1 << int(Qt::Key_Return) << 1;
        QTest::newRow("Escape, three buttons") << 3 << 0 << int(Qt::Key_Escape) << 2;
        QTest::newRow("the second clicked") << 3 << 0 << 0 << 1;
    }
    // Enter presses the default button, Escape the last one; a click answers its button.
    void messageBoxAnswers()
    {
        QFETCH(int, buttons);
        QFETCH(int, defaultButton);
        QFETCH(int, key);
        QFETCH(int, answer);
        const QStringList captions = QStringList{"是", "否", "取消"}.mid(0, buttons);
        TMessageBox box(MsgIcon::Question, QStringLiteral("确认"), QStringLiteral("保存吗?"), captions,
                        defaultButton);
        box.show();
        QApplication::setActiveWindow(&box);
        QVERIFY(QTest::qWaitForWindowActive(&box));
        QCOMPARE(box.Answer(), -1);
        if (key == 0)
            QTest::mouseClick(box.Buttons()[1], Qt::LeftButton);
        else
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QVERIFY(!box.isVisible());
        QCOMPARE(box.Answer(), answer);
    }

    void guard()
    {
        ScriptedPrompter prompts;
        QVERIFY(Guard([] {}));
        QVERIFY(!Guard([] { Abort(); }));
        QVERIFY(prompts.History().isEmpty());
        QVERIFY(!Guard([] { throw EDatabaseError(QStringLiteral("坏了\r\nselect 1")); }));
        QCOMPARE(prompts.LastText(), QStringLiteral("坏了\r\nselect 1"));
        QCOMPARE(prompts.History().last().icon, MsgIcon::Error);
        QVERIFY(!Guard([] { throw std::runtime_error("plain"); }));
        QCOMPARE(prompts.LastText(), QStringLiteral("plain"));

        int calls = 0;
        auto slot = Guarded([&calls](int n) {
            calls += n;
            throw EConvertError(QStringLiteral("'x' is not a valid integer value"));
        });
        slot(2);
        QCOMPARE(calls, 2);
        QCOMPARE(prompts.History().size(), 3);
    }
};

PZ_TEST(TPrompterTest)
#include "tst_prompter.moc"
