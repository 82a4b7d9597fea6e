// The shared prompts and the scrambling of stored secrets.

#include "Gbk.h"
#include "Prompts.h"
#include "ScriptedPrompter.h"
#include "TestMain.h"

#include <QTest>

class TCommonTest : public QObject
{
    Q_OBJECT
private slots:
    void showInfo()
    {
        ScriptedPrompter prompts;
        ShowInfo(QString());
        ShowInfo(QStringLiteral("保存成功"));
        QCOMPARE(prompts.Texts(), (QStringList{"\r\n\t", "\r\n保存成功\t"}));
        const auto &shown = prompts.History().first();
        QCOMPARE(shown.caption, QStringLiteral("信息"));
        QCOMPARE(shown.buttons, QStringList{QStringLiteral("确定")});
        QCOMPARE(shown.icon, MsgIcon::Information);
    }

    void confirmDelete_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QVariant>("answer");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("empty asks about the current record")
            << QString() << QVariant(0) << "\r您确定要删除 当前记录 吗?\t\t" << true;
        QTest::newRow("named, cancelled")
            << "zhang" << QVariant(1) << "\r您确定要删除 zhang 吗?\t\t" << false;
        QTest::newRow("escape") << "所选中的数据" << QVariant() << "\r您确定要删除 所选中的数据 吗?\t\t"
                                << false;
    }
    void confirmDelete()
    {
        QFETCH(QString, what);
        QFETCH(QVariant, answer);
        QFETCH(QString, text);
        QFETCH(bool, confirmed);
        ScriptedPrompter prompts;
        prompts.Answer(answer);
        QCOMPARE(ConfirmDelete(what), confirmed);
        QCOMPARE(prompts.LastText(), text);
        QCOMPARE(prompts.History().first().caption, QStringLiteral("警告"));
        QCOMPARE(prompts.History().first().buttons, (QStringList{"确定", "取消"}));
    }

    void scramble()
    {
        QCOMPARE(Scramble(QByteArray()), QByteArray());
        // First byte with the key's second byte 'u' (117 -> 7); the tenth with 'q' (113 -> 3).
        QCOMPARE(Scramble("a"), QByteArray("f"));
        const QByteArray eleven = "aaaaaaaaaaa";
        const QByteArray scrambled = Scramble(eleven);
        QCOMPARE(scrambled.size(), eleven.size());
        QCOMPARE(scrambled[10], scrambled[0]);
        QCOMPARE(scrambled[9], char('a' ^ 3));

        const QByteArray texts[] = {"moltrend", "C:\\data\\pzarc.mdb",
                                    Gbk::Encode(QStringLiteral("档案密码")),
                                    QByteArray("\x01\x7f\xff\x80", 4)};
        for (const QByteArray &text : texts) {
            const QByteArray once = Scramble(text);
            QCOMPARE(once.size(), text.size());
            QCOMPARE(Scramble(once), text);
            // Only the low four bits change, so printable text never turns into a line break or NUL.
            for (qsizetype i = 0; i < text.size(); ++i)
                QCOMPARE(once[i] & 0xF0, text[i] & 0xF0);
        }
        for (char c = 0x20; c < 0x7f; ++c) {
            const QByteArray s = Scramble(QByteArray(10, c));
            QVERIFY(!s.contains('\n') && !s.contains('\r') && !s.contains('\0'));
        }
    }
};

PZ_TEST(TCommonTest)
#include "tst_prompts.moc"
