// Operators on real engines: rights lists, the refusal, loading by login id, the operator
// list, and passwords that never stay in the table as typed.

#include "ModulesFixture.h"
#include "ServicesTest.h"
#include "Settings.h"
#include "TestMain.h"

#include <QCryptographicHash>
#include <QPasswordDigestor>
#include <QTest>

#include <optional>

#include "Passwords.h"

using ServicesTest::OpenFresh;
using ServicesTest::Scalar;

namespace {

const QString DigestPrefix = QStringLiteral("pbkdf2-sha256$");

QString StoredPasswd(const QString &loginId)
{
    return Scalar(QStringLiteral("select [Password] from operator where LoginId=:LoginId"),
                  {DBParam(QStringLiteral("LoginId"), loginId)})
        .toString();
}

// Every non-empty password in the table is a digest; answers the first offender otherwise.
QString PlainTextInTable()
{
    TRecordSet rows;
    rows.Open(QStringLiteral("select LoginId, [Password] from operator"));
    for (rows.DataSet()->First(); !rows.DataSet()->Eof(); rows.DataSet()->Next()) {
        const QString stored = rows.DataSet()->Field(1)->AsString();
        if (Passwords::IsPlainText(stored))
            return rows.DataSet()->Field(0)->AsString() + QStringLiteral(": ") + stored;
    }
    return {};
}

void InsertRaw(const QString &loginId, const QString &stored, const QString &rights = QString())
{
    Database->ExecSql(
        QStringLiteral("insert into operator(LoginId,[Password],Name,Contact,[Note],Rights)values(:"
                       "LoginId,:Password,'','','',:Rights)"),
        {DBParam(QStringLiteral("LoginId"), loginId), DBParam(QStringLiteral("Password"), stored),
         DBParam(QStringLiteral("Rights"), rights.isNull() ? QStringLiteral("") : rights)});
}

} // namespace

class TOperatorsTest : public QObject
{
    Q_OBJECT

    std::optional<ModulesFixture> m_modules;
private slots:
    void initTestCase() { m_modules.emplace(ModulesFixture::With::DataOnly); }
    void cleanupTestCase() { m_modules.reset(); }

    void hasRight_data()
    {
        QTest::addColumn<QString>("loginId");
        QTest::addColumn<QString>("rights");
        QTest::addColumn<int>("rightNo");
        QTest::addColumn<bool>("granted");
        QTest::newRow(",10000, grants 10000") << "op"
                                              << ",10000," << 10000 << true;
        QTest::newRow(",10000, not 100") << "op"
                                         << ",10000," << 100 << false;
        QTest::newRow(",10000, not 1000") << "op"
                                          << ",10000," << 1000 << false;
        QTest::newRow(",10000, not 100001") << "op"
                                            << ",10000," << 100001 << false;
        QTest::newRow(",10000, not 10") << "op"
                                        << ",10000," << 10 << false;
        QTest::newRow("two items, first") << "op"
                                          << ",100,,100001," << 100 << true;
        QTest::newRow("two items, second") << "op"
                                           << ",100,,100001," << 100001 << true;
        QTest::newRow("two items, not 10000") << "op"
                                              << ",100,,100001," << 10000 << false;
        QTest::newRow("two items, not 10001") << "op"
                                              << ",100,,100001," << 10001 << false;
        QTest::newRow("two items, not 1000") << "op"
                                             << ",100,,100001," << 1000 << false;
        QTest::newRow("empty list grants nothing") << "op"
                                                   << "" << 10002 << false;
        QTest::newRow("sa, empty list, 100") << "sa"
                                             << "" << 100 << true;
        QTest::newRow("sa, the right nobody tests") << "sa"
                                                    << "" << 10007 << true;
        QTest::newRow("sa, a number in no list") << "sa"
                                                 << "" << 424242 << true;
        QTest::newRow("SA is not the superuser") << "SA"
                                                 << "" << 100 << false;
        QTest::newRow("no operator") << ""
                                     << "" << 100 << false;
    }
    void hasRight()
    {
        QFETCH(QString, loginId);
        QFETCH(QString, rights);
        QFETCH(int, rightNo);
        QFETCH(bool, granted);
        TOperator op;
        op.LoginId = loginId;
        op.Rights = rights;
        QCOMPARE(op.HasRight(rightNo), granted);
    }

    void rightsListFormat()
    {
        QString rights;
        for (const RightCaption &right : RightCaptions())
            if (right.Number == RightClearData || right.Number == RightManageOperators)
                rights = AppendRight(rights, right.Number);
        QCOMPARE(rights, QStringLiteral(",100,,100001,"));
        QCOMPARE(RightCaptions().size(), 10);
        QCOMPARE(RightCaptions().first().Caption, QStringLiteral("清除数据"));
        QCOMPARE(RightCaptions().last().Number, 10007);
    }

    void checkRight_data()
    {
        QTest::addColumn<QString>("rights");
        QTest::addColumn<bool>("abandon");
        QTest::newRow("refused, abandoning") << ",10000," << true;
        QTest::newRow("refused, returning") << ",10000," << false;
        QTest::newRow("granted, abandoning") << ",10000,,100001," << true;
        QTest::newRow("granted, returning") << ",100001," << false;
    }
    void checkRight()
    {
        QFETCH(QString, rights);
        QFETCH(bool, abandon);
        const bool granted = rights.contains(QStringLiteral(",100001,"));
        TOperator op;
        op.LoginId = QStringLiteral("clerk");
        op.Rights = rights;
        ScriptedPrompter prompts;
        bool answer = true;
        bool aborted = false;
        try {
            answer = op.CheckRight(RightManageOperators, abandon);
        } catch (const EAbort &) {
            aborted = true;
        }
        QCOMPARE(aborted, !granted && abandon);
        if (!aborted)
            QCOMPARE(answer, granted);
        if (granted) {
            QVERIFY(prompts.History().isEmpty());
            return;
        }
        QCOMPARE(prompts.Texts(),
                 QStringList{QStringLiteral("\r\n对不起,您没有该功能的操作权限,请与管理员联系(100001).\t")});
        QCOMPARE(prompts.History().first().caption, QStringLiteral("信息"));
        // The abort is silent: the top-level guard swallows it without a second box.
        prompts.Clear();
        QCOMPARE(Guard([&] { op.CheckRight(RightManageOperators); }), false);
        QCOMPARE(prompts.Texts().size(), 1);
    }

    void loadByLoginId_data() { TestDb::AddEngineRows(); }
    void loadByLoginId()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, QStringLiteral("op_load_") + engine))
            return;
        TOperatorSet operators;
        operators.AddOperator(QStringLiteral("clerk"), QStringLiteral("秘密pw"), QStringLiteral(",10002,"),
                              QStringLiteral("备注"), QStringLiteral("电话"), QStringLiteral("李四"));

        TOperator op;
        op.LoadByLoginId(QStringLiteral("clerk"));
        QCOMPARE(op.LoginId, QStringLiteral("clerk"));
        QCOMPARE(op.Name, QStringLiteral("李四"));
        QCOMPARE(op.Contact, QStringLiteral("电话"));
        QCOMPARE(op.Note, QStringLiteral("备注"));
        QCOMPARE(op.Rights, QStringLiteral(",10002,"));
        QCOMPARE(op.Password, StoredPasswd(QStringLiteral("clerk")));
        QVERIFY(op.CheckPasswd(QStringLiteral("秘密pw")));
        QVERIFY(!op.CheckPasswd(QStringLiteral("秘密PW")));
        QVERIFY(!op.CheckPasswd(QString()));
        QVERIFY(op.HasRight(RightPrint));
        QVERIFY(!SharedRecordSet->DataSet()->Active());

        // An unknown login id empties the object: the old password no longer passes.
        op.LoadByLoginId(QStringLiteral("nobody"));
        QVERIFY(op.LoginId.isEmpty() && op.Password.isEmpty() && op.Name.isEmpty() && op.Contact.isEmpty() &&
                op.Note.isEmpty() && op.Rights.isEmpty());
        QVERIFY(!op.CheckPasswd(QStringLiteral("秘密pw")));
        QVERIFY(!op.CheckPasswd(QString()));
        QVERIFY(!op.HasRight(RightPrint));

        // The delivered superuser has an empty password and every right.
        op.LoadByLoginId(QStringLiteral("sa"));
        QCOMPARE(op.LoginId, QStringLiteral("sa"));
        QVERIFY(op.CheckPasswd(QString()));
        QVERIFY(!op.CheckPasswd(QStringLiteral(" ")));
        QVERIFY(op.HasRight(RightToolMenu));
        QCOMPARE(StoredPasswd(QStringLiteral("sa")), QString());
    }

    void operatorList_data() { TestDb::AddEngineRows(); }
    void operatorList()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, QStringLiteral("op_list_") + engine))
            return;
        InsertRaw(QStringLiteral("zhang"), QString());
        TOperatorSet operators;
        TDataSet *rows = operators.DataSet();
        const QStringList labels = {QStringLiteral("登陆名"), QStringLiteral("密码"),
                                    QStringLiteral("姓名"),   QStringLiteral("联系方式"),
                                    QStringLiteral("备注"),   QStringLiteral("权限")};
        const QList<TField *> fields = {operators.UserIdField(), operators.PasswdField(),
                                        operators.NameField(),   operators.ContactField(),
                                        operators.NoteField(),   operators.RightsField()};
        QCOMPARE(rows->FieldCount(), 6);
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(rows->Field(i), fields[i]);
            QCOMPARE(fields[i]->DisplayLabel(), labels[i]);
            QVERIFY(fields[i]->Visible());
        }
        QCOMPARE(operators.RightsField()->Kind(), FieldKind::Memo);
        // The superuser is never listed.
        QCOMPARE(rows->RecordCount(), 1);
        QCOMPARE(operators.UserIdField()->AsString(), QStringLiteral("zhang"));

        operators.AddOperator(QStringLiteral("wang"), QStringLiteral("pw"), QStringLiteral(",100,"),
                              QStringLiteral("n"), QStringLiteral("c"), QStringLiteral("王五"));
        QCOMPARE(rows->RecordCount(), 2);
        QCOMPARE(operators.UserIdField()->AsString(), QStringLiteral("wang"));
        QCOMPARE(operators.PasswdField()->AsString(), StoredPasswd(QStringLiteral("wang")));
        QCOMPARE(operators.NameField()->AsString(), QStringLiteral("王五"));

        // A second operator with the same login id is the table's to refuse.
        QVERIFY_THROWS_EXCEPTION(EDatabaseError,
                                 operators.AddOperator(QStringLiteral("wang"), QString(), QString(),
                                                       QString(), QString(), QString()));

        operators.UpdateOperator(QStringLiteral("zhang"), QStringLiteral("新密码"), QStringLiteral(",10004,"),
                                 QStringLiteral("备注2"), QStringLiteral("联系2"), QStringLiteral("张三"));
        QVERIFY(rows->Locate(QStringLiteral("LoginId"), QStringLiteral("zhang")));
        QCOMPARE(operators.NameField()->AsString(), QStringLiteral("张三"));
        QCOMPARE(operators.ContactField()->AsString(), QStringLiteral("联系2"));
        QCOMPARE(operators.NoteField()->AsString(), QStringLiteral("备注2"));
        QCOMPARE(operators.RightsField()->AsString(), QStringLiteral(",10004,"));
        QCOMPARE(operators.PasswdField()->AsString(), StoredPasswd(QStringLiteral("zhang")));
        TOperator zhang;
        zhang.LoadByLoginId(QStringLiteral("zhang"));
        QCOMPARE(zhang.Rights, QStringLiteral(",10004,"));
        QVERIFY(zhang.CheckPasswd(QStringLiteral("新密码")));

        // Unknown to the cache: only the database changes.
        InsertRaw(QStringLiteral("li"), QString());
        operators.UpdateOperator(QStringLiteral("li"), QString(), QStringLiteral(",10008,"), QString(),
                                 QString(), QStringLiteral("李"));
        QCOMPARE(rows->RecordCount(), 2);
        QVERIFY(!rows->Locate(QStringLiteral("LoginId"), QStringLiteral("li")));
        QCOMPARE(Scalar(QStringLiteral("select Rights from operator where LoginId='li'")).toString(),
                 QStringLiteral(",10008,"));

        operators.DeleteOperator(QStringLiteral("wang"));
        QCOMPARE(rows->RecordCount(), 1);
        QVERIFY(!rows->Locate(QStringLiteral("LoginId"), QStringLiteral("wang")));
        QCOMPARE(Scalar(QStringLiteral("select count(*) from operator where LoginId='wang'")).toInt(), 0);
        QCOMPARE(Scalar(QStringLiteral("select count(*) from operator")).toInt(), 3);
    }

    void passwordsAreStoredAsDigests_data() { TestDb::AddEngineRows(); }
    void passwordsAreStoredAsDigests()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, QStringLiteral("op_digest_") + engine))
            return;
        const QString typed = QStringLiteral("档案pw1");
        TOperatorSet operators;
        operators.AddOperator(QStringLiteral("a"), typed, QString(), QString(), QString(), QString());
        operators.AddOperator(QStringLiteral("b"), typed, QString(), QString(), QString(), QString());
        operators.AddOperator(QStringLiteral("nopw"), QString(), QString(), QString(), QString(), QString());
        QCOMPARE(PlainTextInTable(), QString());

        // The stored text names its iteration count and salt, and is what PBKDF2 gives for them.
        const QString stored = StoredPasswd(QStringLiteral("a"));
        const QStringList parts = stored.mid(DigestPrefix.size()).split(QLatin1Char('$'));
        QCOMPARE(parts.size(), 3);
        QCOMPARE(parts[0].toInt(), Passwords::PasswordIterations);
        const QByteArray salt = QByteArray::fromBase64(parts[1].toLatin1());
        QCOMPARE(salt.size(), Passwords::SaltBytes);
        QCOMPARE(QByteArray::fromBase64(parts[2].toLatin1()),
                 QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, typed.toUtf8(), salt,
                                                    Passwords::PasswordIterations, 32));
        // Each operator gets his own salt, so equal passwords do not show as equal.
        QVERIFY(StoredPasswd(QStringLiteral("b")) != stored);
        QCOMPARE(StoredPasswd(QStringLiteral("nopw")), QString());

        // A change through the list stores a new digest; untouched boxes keep the old one.
        operators.UpdateOperator(QStringLiteral("a"), QStringLiteral("second"), QString(), QString(),
                                 QString(), QString());
        const QString changed = StoredPasswd(QStringLiteral("a"));
        QVERIFY(changed.startsWith(DigestPrefix));
        QVERIFY(changed != stored);
        QCOMPARE(TOperatorSet::EditorPasswd(changed), TOperatorSet::UnchangedPasswd());
        QCOMPARE(TOperatorSet::EditorPasswd(QString()), QString());
        operators.UpdateOperator(QStringLiteral("a"), TOperatorSet::EditorPasswd(changed),
                                 QStringLiteral(",10002,"), QStringLiteral("注"), QString(),
                                 QStringLiteral("甲"));
        QCOMPARE(StoredPasswd(QStringLiteral("a")), changed);
        QVERIFY(operators.DataSet()->Locate(QStringLiteral("LoginId"), QStringLiteral("a")));
        QCOMPARE(operators.PasswdField()->AsString(), changed);
        QCOMPARE(operators.NameField()->AsString(), QStringLiteral("甲"));

        TOperator a;
        a.LoadByLoginId(QStringLiteral("a"));
        QCOMPARE(a.Name, QStringLiteral("甲"));
        QVERIFY(a.CheckPasswd(QStringLiteral("second")));
        QVERIFY(!a.CheckPasswd(typed));
        // Typing the stored text itself gets nobody in.
        QVERIFY(!a.CheckPasswd(changed));

        // SavePasswd writes a digest and leaves the object's own copy to its caller.
        const QString before = a.Password;
        const QString saved = a.SavePasswd(QStringLiteral("third"));
        QCOMPARE(a.Password, before);
        QCOMPARE(StoredPasswd(QStringLiteral("a")), saved);
        QCOMPARE(PlainTextInTable(), QString());
    }

    // Rows from a database that kept passwords as typed still log in, once, as typed; the
    // successful login rewrites them as digests.
    void plainTextRowsAreRewrittenOnLogin_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QString>("plain");
        for (const char *engine : {"sqlite", "postgresql"}) {
            QTest::addRow("%s, letters", engine) << QString::fromLatin1(engine) << "plain1";
            QTest::addRow("%s, Chinese", engine) << QString::fromLatin1(engine) << "中文密码";
            QTest::addRow("%s, digest prefix", engine)
                << QString::fromLatin1(engine) << "pbkdf2-sha256$1000$mysecret";
        }
    }
    void plainTextRowsAreRewrittenOnLogin()
    {
        QFETCH(QString, engine);
        QFETCH(QString, plain);
        if (!OpenFresh(engine, QStringLiteral("op_legacy_%1_%2").arg(engine).arg(plain.size())))
            return;
        InsertRaw(QStringLiteral("old"), plain, QStringLiteral(",100,"));

        TOperator op;
        op.LoadByLoginId(QStringLiteral("old"));
        QVERIFY(!op.CheckPasswd(plain.toUpper() + QStringLiteral("x")));
        QVERIFY(!op.CheckPasswd(QString()));
        // A failed attempt rewrites nothing.
        QCOMPARE(StoredPasswd(QStringLiteral("old")), plain);

        QVERIFY(op.CheckPasswd(plain));
        const QString rewritten = StoredPasswd(QStringLiteral("old"));
        QVERIFY2(rewritten != plain && Passwords::IsDigest(rewritten), qPrintable(rewritten));
        QCOMPARE(op.Password, rewritten);
        QCOMPARE(PlainTextInTable(), QString());

        // From now on the digest decides, and nothing is rewritten again.
        QVERIFY(op.CheckPasswd(plain));
        TOperator again;
        again.LoadByLoginId(QStringLiteral("old"));
        QVERIFY(again.CheckPasswd(plain));
        QVERIFY(!again.CheckPasswd(plain + QStringLiteral(" ")));
        QCOMPARE(StoredPasswd(QStringLiteral("old")), rewritten);
    }

    // Only the whole shape of a digest makes one: a password kept as typed that merely begins
    // with the prefix is still that password.
    void prefixAloneMakesNoDigest_data()
    {
        QTest::addColumn<QString>("stored");
        const QString salt = QStringLiteral("c2FsdHNhbHRzYWx0c2FsdA=="); // 16 bytes
        const QString digest = QString(43, QLatin1Char('A')) + QLatin1Char('=');
        QTest::newRow("prefix only") << "pbkdf2-sha256$";
        QTest::newRow("missing digest") << "pbkdf2-sha256$1000$" + salt;
        QTest::newRow("zero iterations") << "pbkdf2-sha256$0$" + salt + "$" + digest;
        QTest::newRow("count too high") << "pbkdf2-sha256$99999999$" + salt + "$" + digest;
        QTest::newRow("not base64") << "pbkdf2-sha256$1000$***$###";
        QTest::newRow("short salt") << "pbkdf2-sha256$1000$c2FsdA==$" + digest;
        QTest::newRow("short digest") << "pbkdf2-sha256$1000$" + salt + "$AAAA";
        QTest::newRow("trailing text") << "pbkdf2-sha256$1000$" + salt + "$" + digest + "x";
    }
    void prefixAloneMakesNoDigest()
    {
        QFETCH(QString, stored);
        QVERIFY(!Passwords::IsDigest(stored));
        QVERIFY(Passwords::IsPlainText(stored));
        QVERIFY(Passwords::Matches(stored, stored));
        QVERIFY(!Passwords::Matches(stored, stored + QStringLiteral("x")));
        QVERIFY(!Passwords::Matches(stored, QString()));
    }

    void digestShape()
    {
        const QString stored = Passwords::StoredForm(QStringLiteral("机密"));
        QVERIFY(Passwords::IsDigest(stored));
        QVERIFY(Passwords::Matches(stored, QStringLiteral("机密")));
        // Well formed but made from another password: a digest that matches nothing typed,
        // its own text included.
        QString other = stored;
        const qsizetype at = other.size() - 10;
        other[at] = other[at] == QLatin1Char('A') ? QLatin1Char('B') : QLatin1Char('A');
        QVERIFY(Passwords::IsDigest(other));
        QVERIFY(!Passwords::Matches(other, QStringLiteral("机密")));
        QVERIFY(!Passwords::Matches(other, other));
    }

    void passwordChange_data() { TestDb::AddEngineRows(); }
    void passwordChange()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, QStringLiteral("op_change_") + engine))
            return;
        TOperator sa;
        sa.LoadByLoginId(QStringLiteral("sa"));
        ScriptedPrompter prompts;
        try {
            sa.ReplacePasswd(QStringLiteral("wrong"), QStringLiteral("new1"));
            QFAIL("a wrong current password was accepted");
        } catch (const Exception &e) {
            QCOMPARE(e.Message(), QStringLiteral("当前密码验证失败,请确认并重新输入."));
        }
        QCOMPARE(StoredPasswd(QStringLiteral("sa")), QString());
        QVERIFY(prompts.Texts().isEmpty());

        sa.ReplacePasswd(QString(), QStringLiteral("new1"));
        QCOMPARE(prompts.Texts(), QStringList{QStringLiteral("\r\n密码更改成功! 下次登陆时请使用新密码.\t")});
        QCOMPARE(sa.Password, StoredPasswd(QStringLiteral("sa")));
        QCOMPARE(PlainTextInTable(), QString());

        // A second change in the same run needs the new password as the current one.
        QVERIFY_THROWS_EXCEPTION(Exception, sa.ReplacePasswd(QString(), QStringLiteral("new2")));
        sa.ReplacePasswd(QStringLiteral("new1"), QStringLiteral("new2"));
        TOperator login;
        login.LoadByLoginId(QStringLiteral("sa"));
        QVERIFY(login.CheckPasswd(QStringLiteral("new2")));
        QVERIFY(!login.CheckPasswd(QString()));

        // Back to no password: stored empty, and the empty box logs in again.
        sa.ReplacePasswd(QStringLiteral("new2"), QString());
        QCOMPARE(StoredPasswd(QStringLiteral("sa")), QString());
        login.LoadByLoginId(QStringLiteral("sa"));
        QVERIFY(login.CheckPasswd(QString()));
    }
};

PZ_TEST(TOperatorsTest)
#include "tst_operators.moc"
