// The archive list and the archive form on a real SQLite database: new and opened archives,
// the form's load and collect round trip, the category picker, the electronic document, the
// lending button, bad input that keeps the form open, and the size text of documents.

#include "ArchiveEdit.h"
#include "ArchiveList.h"
#include "CategoryWindow.h"
#include "Database.h"
#include "LayoutCheck.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "TestDb.h"
#include "TestMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using LayoutCheck::Clipped;
using LayoutCheck::EnlargeFont;

namespace {

TArchiveEditFrm &Form(QDialog &dialog)
{
    auto *form = qobject_cast<TArchiveEditFrm *>(&dialog);
    if (!form)
        throw std::runtime_error("not the archive form");
    return *form;
}

// Clicks a button of a shown window and answers how the window ended (99 while still open).
int Click(QDialog &dialog, QPushButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
    return dialog.isVisible() ? 99 : dialog.result();
}

QTreeWidgetItem *NodeNamed(Uis::TTreeView *tree, const QString &name)
{
    for (QTreeWidgetItem *node : tree->Nodes())
        if (node->text(0) == name)
            return node;
    return nullptr;
}

void StoreArchive(int id, const QVariant &cataId, const QString &name, int copys)
{
    Database->ExecSql(
        QStringLiteral("insert into archives (Id, CataId, Code, Name, Arcdate, Security, Copys, "
                       "Layplace, Filepath, Filebyte, Notes) values (:Id, :CataId, :Code, :Name, "
                       "'2013-03-01', '秘密', :Copys, '一号柜', '/srv/docs/a.pdf', 2048, '备注')"),
        {DBParam(QStringLiteral("Id"), id), DBParam(QStringLiteral("CataId"), cataId),
         DBParam(QStringLiteral("Code"), QStringLiteral("PZ-%1").arg(id)),
         DBParam(QStringLiteral("Name"), name), DBParam(QStringLiteral("Copys"), copys)});
}

void StoreLend(int id, int archiveId, bool returned)
{
    Database->ExecSql(
        QStringLiteral("insert into lends (Id, ArcId, Borrower, Lendate, ReturnDate) values "
                       "(:Id, :ArcId, '张三', '2013-03-02', :Returned)"),
        {DBParam(QStringLiteral("Id"), id), DBParam(QStringLiteral("ArcId"), archiveId),
         DBParam(QStringLiteral("Returned"), returned ? QVariant(QDate(2013, 3, 9)) : QVariant())});
}

int StoredCount()
{
    SharedRecordSet->Open(QStringLiteral("select count(*) from archives"));
    return SharedRecordSet->DataSet()->Field(0)->AsInteger();
}

RArchive Stored(int id)
{
    RArchive archive;
    TArchiveSet::LoadArchive(id, archive);
    return archive;
}

// The list's rows as "Id CataName Name".
QStringList Rows(TArchiveList &list)
{
    QStringList rows;
    TDataSet *set = list.DataSet();
    for (int row = 0; row < set->RecordCount(); ++row)
        rows << QStringLiteral("%1 %2 %3")
                    .arg(set->ValueAt(row, list.IdFld()->Index()).toInt())
                    .arg(set->ValueAt(row, list.CataNameFld()->Index()).toString(),
                         set->ValueAt(row, list.NameFld()->Index()).toString());
    return rows;
}

// A double click as the window system delivers it: press, release, press, double click, release.
void DoubleClick(QWidget *widget)
{
    const QPoint at = widget->rect().center();
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mousePress(widget, Qt::LeftButton, {}, at);
    QMouseEvent twice(QEvent::MouseButtonDblClick, at, widget->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &twice);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

void QueryAll(TArchiveList &list)
{
    list.Where()->Reset();
    list.Where()->CataCodeFld()->SetAsString(CataCodeAll);
    list.Query();
}

} // namespace

class TArchiveEditTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        InitDataModule();
        StartServices();
        QVERIFY(TestDb::OpenFresh(QStringLiteral("sqlite"), QStringLiteral("archiveedit")));
        QVERIFY(m_files.isValid());
    }
    void cleanupTestCase()
    {
        StopServices();
        DoneDataModule();
    }
    void init()
    {
        Database->ExecSql(QStringLiteral("delete from lends"));
        Database->ExecSql(QStringLiteral("delete from archives"));
        Database->ExecSql(QStringLiteral("delete from catas"));
        Database->ExecSql(QStringLiteral("insert into catas (Id, Code, Name, SlfId, PrtId) values "
                                         "(11, '1.', '合同类', 1, 0), (12, '1.2.', '采购合同', 2, 1)"));
        StoreArchive(1, 11, QStringLiteral("年度报告"), 3);
        StoreArchive(2, QVariant(), QStringLiteral("会议纪要"), 1);
    }

    void formatFileSize_data()
    {
        QTest::addColumn<QVariant>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("1536") << QVariant(1536) << "0 MB (1,536 字节)";
        QTest::newRow("zero") << QVariant(0) << "0 MB ( 字节)";
        QTest::newRow("null") << QVariant() << "0 MB ( 字节)";
        QTest::newRow("one megabyte") << QVariant(1048576) << "1 MB (1,048,576 字节)";
        QTest::newRow("one and a half") << QVariant(1572864) << "1.5 MB (1,572,864 字节)";
        QTest::newRow("two decimals") << QVariant(qlonglong(123456789)) << "117.74 MB (123,456,789 字节)";
        QTest::newRow("under a thousand") << QVariant(999) << "0 MB (999 字节)";
        QTest::newRow("exactly a thousand") << QVariant(1000) << "0 MB (1,000 字节)";
        QTest::newRow("number text") << QVariant(QStringLiteral("2048")) << "0 MB (2,048 字节)";
        QTest::newRow("gigabytes") << QVariant(qlonglong(5368709120)) << "5120 MB (5,368,709,120 字节)";
    }
    void formatFileSize()
    {
        QFETCH(QVariant, bytes);
        QFETCH(QString, text);
        QCOMPARE(FormatFileSize(bytes), text);
    }

    void loadCollectRoundTrip_data()
    {
        QTest::addColumn<QVariant>("cataId");
        QTest::addColumn<QVariant>("arcdate");
        QTest::addColumn<int>("copys");
        QTest::addColumn<QVariant>("filebyte");
        QTest::addColumn<QString>("copysText");
        QTest::newRow("full") << QVariant(12) << QVariant(QDate(2013, 1, 10)) << 3
                              << QVariant(qlonglong(1536)) << "3";
        QTest::newRow("null date, no copies, no size") << QVariant(12) << QVariant() << 0 << QVariant() << "";
        QTest::newRow("no category") << QVariant() << QVariant(QDate(2000, 2, 29)) << 12
                                     << QVariant(qlonglong(0)) << "12";
    }
    void loadCollectRoundTrip()
    {
        QFETCH(QVariant, cataId);
        QFETCH(QVariant, arcdate);
        QFETCH(int, copys);
        QFETCH(QVariant, filebyte);
        QFETCH(QString, copysText);
        RArchive in;
        in.Id = 7;
        in.CataId = cataId;
        in.CataName = cataId.isNull() ? QString() : QStringLiteral("采购合同");
        in.Code = QStringLiteral("PZ-7");
        in.Name = QStringLiteral("供货合同");
        in.Arcdept = QStringLiteral("办公室");
        in.Arcman = QStringLiteral("李四");
        in.Arcdate = arcdate;
        in.Security = QStringLiteral("机密");
        in.Copys = copys;
        in.Lends = 0;
        in.Layplace = QStringLiteral("二号柜");
        in.Filepath = QStringLiteral("/srv/docs/合同.pdf");
        in.Filebyte = filebyte;
        in.Notes = QStringLiteral("第一行\n第二行");

        TArchiveEditFrm form;
        form.LoadRecord(in);
        QCOMPARE(form.windowTitle(), QStringLiteral("修改"));
        QCOMPARE(form.Tag(), 7);
        QCOMPARE(form.edtCopys1->text(), copysText);
        QCOMPARE(form.edtLends1->text(), QString()); // 0 shows an empty box
        QCOMPARE(form.edtArcdate1->CheckBox()->isChecked(), !arcdate.isNull());
        QCOMPARE(form.edtFilename1->text(), QStringLiteral("合同.pdf"));
        QCOMPARE(form.txtFilepath1->text(), in.Filepath);
        QCOMPARE(form.txtFileByte1->text(), filebyte.isNull() ? QString() : filebyte.toString());
        QCOMPARE(form.txtFileSize1->text(), FormatFileSize(filebyte));
        QCOMPARE(form.edtCata1->text(), in.CataName);

        const RArchive out = form.CollectRecord();
        QCOMPARE(out.Id, 7);
        QCOMPARE(out.CataId, cataId.isNull() ? QVariant() : QVariant(cataId.toInt()));
        QCOMPARE(out.CataName, in.CataName);
        QCOMPARE(out.Code, in.Code);
        QCOMPARE(out.Name, in.Name);
        QCOMPARE(out.Arcdept, in.Arcdept);
        QCOMPARE(out.Arcman, in.Arcman);
        QCOMPARE(out.Arcdate, arcdate);
        QCOMPARE(out.Security, in.Security);
        QCOMPARE(out.Copys, copys);
        QCOMPARE(out.Lends, 0);
        QCOMPARE(out.Layplace, in.Layplace);
        QCOMPARE(out.Filepath, in.Filepath);
        QCOMPARE(out.Filebyte.isNull(), filebyte.isNull());
        if (!filebyte.isNull())
            QCOMPARE(out.Filebyte.toLongLong(), filebyte.toLongLong());
        QCOMPARE(out.Notes, in.Notes);
    }

    void newArchiveAppendsRow()
    {
        InstallCataPicker();
        ScriptedPrompter prompts;
        TArchiveList list;
        QueryAll(list);
        QCOMPARE(list.DataSet()->RecordCount(), 2);

        QString caption;
        bool dateChecked = false;
        QDate shownDate;
        QString copys;
        QString lends = QStringLiteral("?");
        bool lendVisible = true;
        prompts.OnDialog([&](QDialog &dialog) {
            TArchiveEditFrm &form = Form(dialog);
            caption = form.windowTitle();
            dateChecked = form.edtArcdate1->CheckBox()->isChecked();
            shownDate = form.edtArcdate1->AsDate().toDate();
            copys = form.edtCopys1->text();
            lends = form.edtLends1->text();
            lendVisible = form.btnLend1->isVisible();
            QTest::mouseClick(form.btnCata1, Qt::LeftButton);
            form.edtCode1->setText(QStringLiteral("PZ-3"));
            form.edtName1->setText(QStringLiteral("采购单"));
            return Click(dialog, form.OkButton);
        });
        prompts.OnDialog([](QDialog &dialog) {
            auto &picker = static_cast<TCataRelEditFrm &>(dialog);
            picker.TreeView3->SetSelected(NodeNamed(picker.TreeView3, QStringLiteral("采购合同")));
            QTest::mouseClick(picker.btnPickOk1, Qt::LeftButton);
            return dialog.result();
        });
        QVERIFY(list.NewArchive());
        QCOMPARE(caption, QStringLiteral("新建"));
        QVERIFY(dateChecked);
        QCOMPARE(shownDate, QDate::currentDate());
        QCOMPARE(copys, QStringLiteral("1"));
        QCOMPARE(lends, QString());
        QVERIFY(!lendVisible);
        QCOMPARE(prompts.Dialogs(), QStringList({"TArchiveEditFrm", "TCataRelEditFrm"}));

        QCOMPARE(Rows(list), QStringList({"1 合同类 年度报告", "2  会议纪要", "3 采购合同 采购单"}));
        const RArchive stored = Stored(3);
        QCOMPARE(stored.CataId.toInt(), 12);
        QCOMPARE(stored.CataName, QStringLiteral("采购合同"));
        QCOMPARE(stored.Copys, 1);
        QCOMPARE(stored.Arcdate.toDate(), QDate::currentDate());
        QVERIFY(stored.Filebyte.isNull());
        QVERIFY(prompts.Texts().isEmpty());
    }

    void openArchiveShowsOpenLendings()
    {
        StoreLend(1, 1, false);
        StoreLend(2, 1, false);
        StoreLend(3, 1, true);
        ScriptedPrompter prompts;
        TArchiveList list;
        QueryAll(list);
        list.DataSet()->First();

        QList<RArchive> lent;
        QString shownLends;
        prompts.OnDialog([&](QDialog &dialog) {
            TArchiveEditFrm &form = Form(dialog);
            if (form.windowTitle() != QStringLiteral("修改") || !form.btnLend1->isVisible())
                return -1;
            shownLends = form.edtLends1->text();
            form.edtName1->setText(QStringLiteral("尚未保存的名称"));
            QTest::mouseClick(form.btnLend1, Qt::LeftButton);
            return Click(dialog, form.CancelButton);
        });
        QVERIFY(!list.OpenArchive([&](const RArchive &archive) { lent << archive; }));
        QCOMPARE(shownLends, QStringLiteral("2"));
        // The lending starts from the archive as it was opened, with its open lendings.
        QCOMPARE(lent.size(), 1);
        QCOMPARE(lent.first().Id, 1);
        QCOMPARE(lent.first().Lends, 2);
        QCOMPARE(lent.first().Copys, 3);
        QCOMPARE(lent.first().Name, QStringLiteral("年度报告"));
        // Cancelled: nothing changed anywhere.
        QCOMPARE(Stored(1).Name, QStringLiteral("年度报告"));
        QCOMPARE(Rows(list).first(), QStringLiteral("1 合同类 年度报告"));
    }

    void changedArchiveUpdatesItsRow()
    {
        ScriptedPrompter prompts;
        TArchiveList list;
        QueryAll(list);
        list.DataSet()->Last();
        prompts.OnDialog([](QDialog &dialog) {
            TArchiveEditFrm &form = Form(dialog);
            form.edtName1->setText(QStringLiteral("会议纪要(二)"));
            // No filing date.
            form.edtArcdate1->CheckBox()->setChecked(false);
            return Click(dialog, form.OkButton);
        });
        QVERIFY(list.OpenArchive());
        QCOMPARE(Rows(list), QStringList({"1 合同类 年度报告", "2  会议纪要(二)"}));
        const RArchive stored = Stored(2);
        QCOMPARE(stored.Name, QStringLiteral("会议纪要(二)"));
        QVERIFY(stored.Arcdate.isNull());
        QVERIFY(stored.CataId.isNull());
        QCOMPARE(stored.Filebyte.toInt(), 2048);
        QCOMPARE(StoredCount(), 2);
    }

    void badCopiesKeepsFormOpen()
    {
        ScriptedPrompter prompts;
        TArchiveList list;
        QueryAll(list);
        list.DataSet()->First();
        int firstTry = 0;
        prompts.OnDialog([&](QDialog &dialog) {
            TArchiveEditFrm &form = Form(dialog);
            form.edtName1->setText(QStringLiteral("改过的"));
            form.edtCopys1->setText(QStringLiteral("3份"));
            firstTry = Click(dialog, form.OkButton);
            // What was typed is still there to be corrected.
            if (form.edtName1->text() != QStringLiteral("改过的"))
                return -1;
            form.edtCopys1->setText(QStringLiteral("4"));
            return Click(dialog, form.OkButton);
        });
        QVERIFY(list.OpenArchive());
        QCOMPARE(firstTry, 99);
        QCOMPARE(prompts.Texts(), QStringList({"\"3份\" 不是有效的整数."}));
        QCOMPARE(prompts.History().first().icon, MsgIcon::Error);
        QCOMPARE(Stored(1).Copys, 4);
        QCOMPARE(Stored(1).Name, QStringLiteral("改过的"));
    }

    void vanishedArchiveKeepsFormOpen()
    {
        ScriptedPrompter prompts;
        TArchiveList list;
        QueryAll(list);
        list.DataSet()->First();
        prompts.OnDialog([](QDialog &dialog) {
            TArchiveEditFrm &form = Form(dialog);
            Database->ExecSql(QStringLiteral("delete from archives where Id=1"));
            form.edtName1->setText(QStringLiteral("无处保存"));
            return Click(dialog, form.OkButton);
        });
        QVERIFY(!list.OpenArchive());
        QCOMPARE(Rows(list).first(), QStringLiteral("1 合同类 年度报告"));
        QCOMPARE(StoredCount(), 1);
    }

    void deleteCurrent()
    {
        ScriptedPrompter prompts;
        TArchiveList list;
        QueryAll(list);
        StoreLend(1, 2, false);
        list.DataSet()->Last();

        prompts.Answer(1);
        QVERIFY(!list.DeleteCurrent());
        QCOMPARE(prompts.Texts(), QStringList({"\r\n确定要删除记录吗?\t"}));
        QCOMPARE(prompts.History().first().icon, MsgIcon::Warning);
        QCOMPARE(StoredCount(), 2);

        prompts.Answer(0);
        QVERIFY(list.DeleteCurrent());
        QCOMPARE(Rows(list), QStringList({"1 合同类 年度报告"}));
        QCOMPARE(StoredCount(), 1);
        // Its lendings stay.
        SharedRecordSet->Open(QStringLiteral("select count(*) from lends where ArcId=2"));
        QCOMPARE(SharedRecordSet->DataSet()->Field(0)->AsInteger(), 1);

        // Deleted meanwhile by someone else: nothing goes and nothing more is said.
        Database->ExecSql(QStringLiteral("delete from archives where Id=1"));
        prompts.Clear();
        prompts.Answer(0);
        QVERIFY(!list.DeleteCurrent());
        QCOMPARE(Rows(list), QStringList({"1 合同类 年度报告"}));
        QCOMPARE(prompts.Texts().size(), 1);

        // An empty list asks nothing.
        list.DataSet()->Delete();
        prompts.Clear();
        QVERIFY(!list.DeleteCurrent());
        QVERIFY(prompts.History().isEmpty());
    }

    void refreshRereads()
    {
        TArchiveList list;
        QueryAll(list);
        StoreArchive(5, 12, QStringLiteral("后来的"), 1);
        Database->ExecSql(QStringLiteral("update archives set Name='改名了' where Id=1"));
        QCOMPARE(Rows(list).size(), 2);
        list.Refresh();
        QCOMPARE(Rows(list), QStringList({"1 合同类 改名了", "2  会议纪要", "5 采购合同 后来的"}));
    }

    void chooseDocument()
    {
        const QString path = m_files.filePath(QStringLiteral("扫描件.pdf"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(1536, 'x'));
        file.close();

        ScriptedPrompter prompts;
        TArchiveEditFrm form;
        form.LoadRecord(Stored(1));
        prompts.Answer(path);
        QTest::mouseClick(form.PickFileButton, Qt::LeftButton);
        QCOMPARE(form.edtFilename1->text(), QStringLiteral("扫描件.pdf"));
        QCOMPARE(form.txtFilepath1->text(), path);
        QCOMPARE(form.txtFileByte1->text(), QStringLiteral("1536"));
        QCOMPARE(form.txtFileSize1->text(), QStringLiteral("0 MB (1,536 字节)"));
        const RArchive collected = form.CollectRecord();
        QCOMPARE(collected.Filepath, path);
        QCOMPARE(collected.Filebyte.toLongLong(), 1536);

        // Cancelling the file dialog changes nothing.
        prompts.Answer(QVariant());
        QTest::mouseClick(form.PickFileButton, Qt::LeftButton);
        QCOMPARE(form.txtFilepath1->text(), path);

        // A file that cannot be read: the error is shown and only the name box has moved on.
        const QString gone = m_files.filePath(QStringLiteral("已删除.doc"));
        prompts.Answer(gone);
        QTest::mouseClick(form.PickFileButton, Qt::LeftButton);
        QCOMPARE(prompts.Texts().size(), 1);
        QVERIFY(prompts.LastText().contains(QStringLiteral("已删除.doc")));
        QCOMPARE(form.edtFilename1->text(), QStringLiteral("已删除.doc"));
        QCOMPARE(form.txtFilepath1->text(), path);
        QCOMPARE(form.txtFileByte1->text(), QStringLiteral("1536"));
    }

    void openDocumentAndFolder()
    {
        const QString path = m_files.filePath(QStringLiteral("目录.txt"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        ScriptedPrompter prompts;
        TArchiveEditFrm form;
        RArchive archive = Stored(1);
        archive.Filepath = path;
        form.LoadRecord(archive);
        const auto urls = [&] {
            QStringList list;
            for (const ScriptedPrompter::Shown &shown : prompts.History())
                if (shown.kind == QLatin1String("url"))
                    list << shown.text;
            return list;
        };
        QTest::mouseClick(form.edtFilename1, Qt::LeftButton);
        QCOMPARE(urls(), QStringList({QUrl::fromLocalFile(path).toString()}));
        // A double click opens the document once.
        prompts.Clear();
        DoubleClick(form.edtFilename1);
        QCOMPARE(urls().size(), 1);

        prompts.Clear();
        QTest::mouseClick(form.OpenFolderButton, Qt::LeftButton);
        QCOMPARE(urls(), QStringList({QUrl::fromLocalFile(m_files.path()).toString()}));

        // The document has gone since it was recorded.
        QVERIFY(QFile::remove(path));
        prompts.Clear();
        QTest::mouseClick(form.edtFilename1, Qt::LeftButton);
        QVERIFY(urls().isEmpty());
        QCOMPARE(prompts.Texts(), QStringList({QStringLiteral("\r\n%1 不存在!").arg(path)}));
        QCOMPARE(prompts.History().first().icon, MsgIcon::Warning);

        // No document at all: a click does nothing.
        archive.Filepath = QStringLiteral("   ");
        form.LoadRecord(archive);
        prompts.Clear();
        QTest::mouseClick(form.edtFilename1, Qt::LeftButton);
        QVERIFY(prompts.History().isEmpty());
    }

    void combosOfferStoredValues()
    {
        StoreArchive(3, 11, QStringLiteral("第三份"), 1);
        Database->ExecSql(
            QStringLiteral("update archives set Security='绝密', Layplace='三号柜' where Id=3"));
        TArchiveEditFrm form;
        QStringList securities;
        for (int i = 0; i < form.edtSecurity1->count(); ++i)
            securities << form.edtSecurity1->itemText(i);
        securities.sort();
        QCOMPARE(securities, QStringList({"秘密", "绝密"}));
        QCOMPARE(form.edtLayplace1->count(), 2);
        QCOMPARE(form.edtArcdept1->count(), 0);
        QCOMPARE(form.edtArcman1->count(), 0);
    }

    // Every caption and control is whole, at the designed size and with a font half as large
    // again; the form grows to fit rather than cutting them.
    void nothingClipped()
    {
        TArchiveEditFrm form;
        RArchive archive = Stored(1);
        archive.Filebyte = qlonglong(123456789);
        form.LoadRecord(archive);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.size(), QSize(452, 470));
        QVERIFY2(Clipped(&form).isEmpty(), qPrintable(Clipped(&form).join('\n')));

        const int buttonHeight = form.OkButton->height();
        EnlargeFont(form);
        QTRY_VERIFY(form.OkButton->height() > buttonHeight);
        QVERIFY2(Clipped(&form).isEmpty(), qPrintable(Clipped(&form).join('\n')));
        // The memo takes what the window has to spare.
        const int memoHeight = form.edtNotes1->height();
        form.resize(form.width(), form.height() + 100);
        QTRY_COMPARE(form.edtNotes1->height(), memoHeight + 100);
    }

    // The code box has the focus as the form opens, in the focus colour; Tab gives it its
    // own colour back.
    void firstBoxGivesBackFocusColour()
    {
        ScriptedPrompter prompts;
        TArchiveEditFrm form;
        form.LoadRecord(Stored(1));
        const QColor before = form.edtCode1->palette().color(QPalette::Base);
        bool active = false;
        QColor focused;
        QColor left;
        prompts.OnDialog([&](QDialog &dialog) {
            active = QTest::qWaitForWindowActive(&dialog);
            focused = form.edtCode1->hasFocus() ? form.edtCode1->palette().color(QPalette::Base) : QColor();
            QTest::keyClick(form.edtCode1, Qt::Key_Tab);
            left = form.edtName1->hasFocus() ? form.edtCode1->palette().color(QPalette::Base) : QColor();
            return int(QDialog::Rejected);
        });
        form.ShowModal();
        QVERIFY(active);
        QCOMPARE(focused, form.edtCode1->ColorOnEnter());
        QCOMPARE(left, before);
    }

    // Tab walks the boxes from the code down to the buttons, passing the read-only ones by.
    // The memo takes Tab as text, so the walk starts once more behind it.
    void tabOrder()
    {
        TArchiveEditFrm form;
        form.LoadRecord(Stored(1));
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        // The controls Tab reaches from `start` until `last`; a date box, which Tab also walks
        // through section by section, counts once.
        const auto walk = [](QWidget *start, const QString &last) {
            start->setFocus();
            QStringList visited;
            for (int i = 0; i < 40 && visited.value(visited.size() - 1) != last; ++i) {
                QWidget *focus = QApplication::focusWidget();
                // Date and combo boxes hold the focus in an unnamed part.
                while (focus && focus->objectName().isEmpty())
                    focus = focus->parentWidget();
                const QString name = focus ? focus->objectName() : QString();
                if (visited.value(visited.size() - 1) != name)
                    visited << name;
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            return visited;
        };
        QCOMPARE(
            walk(form.edtCode1, QStringLiteral("edtNotes1")),
            QStringList({"edtCode1", "edtName1", "edtArcdate1", "edtCopys1", "edtSecurity1", "edtLayplace1",
                         "Button3", "Button4", "edtArcdept1", "edtArcman1", "edtNotes1"}));
        QCOMPARE(walk(form.btnLend1, QStringLiteral("btnCata1")),
                 QStringList({"btnLend1", "Button1", "Button2", "btnCata1"}));
    }

private:
    QTemporaryDir m_files;
};

PZ_TEST(TArchiveEditTest)
#include "tst_archiveedit.moc"
