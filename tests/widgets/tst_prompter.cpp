// The prompt interface and the guard that stands for the application's top-level handler.

#include "Exceptions.h"
#include "QtPrompter.h"
#include "ScriptedPrompter.h"

#include "TestMain.h"
#include <QScopeGuard>

#include <QDialog>
#include <QTest>

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
