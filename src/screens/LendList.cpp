#include "LendList.h"

#include "BaseWindow.h"
#include "LendEdit.h"
#include "Prompter.h"

#include <QDateTime>

TLendList::TLendList(QObject *owner) : TLendSet(owner) {}

QWidget *TLendList::FormOwner() const
{
    return m_formOwner ? m_formOwner : TaFrm::MainWindow();
}

void TLendList::SetFormOwner(QWidget *owner)
{
    m_formOwner = owner;
}

void TLendList::NewLend(const RArchive &archive)
{
    // The counts are those of the record handed in, as loaded when the caller read it.
    if (archive.Lends >= archive.Copys) {
        Prompter().MessageBox(MsgIcon::Warning, QStringLiteral("警告"),
                              QStringLiteral("\r\n没有可以出借的档案份数.\t"), {QStringLiteral("确定")});
        return;
    }
    RLend lend;
    lend.ArcId = archive.Id;
    lend.ArcCode = archive.Code;
    lend.ArcName = archive.Name;
    lend.Lendate = QDateTime::currentDateTime();
    TLendEditFrm::EditLend(
        lend, [this](RLend &edited) { return SaveToList(edited); }, FormOwner());
}

void TLendList::EditCurrent()
{
    TDataSet *rows = DataSet();
    if (!rows->Active() || rows->IsEmpty())
        return;
    TLendEditFrm::EditLend(
        AsData(), [this](RLend &edited) { return SaveToList(edited); }, FormOwner());
}

void TLendList::DeleteCurrent()
{
    TDataSet *rows = DataSet();
    if (!rows->Active() || rows->IsEmpty())
        return;
    const int id = IdFld()->AsInteger();
    const int answer = Prompter().MessageBox(MsgIcon::Warning, QStringLiteral("警告"),
                                             QStringLiteral("\r\n确定要删除记录吗?\t"),
                                             {QStringLiteral("确定"), QStringLiteral("取消")});
    if (answer != 0)
        return;
    // The row removed from the cache is found by the Id asked about, not by the cursor.
    if (DeleteLend(id) && rows->Locate(QStringLiteral("Id"), id))
        rows->Delete();
}

bool TLendList::SaveToList(RLend &lend)
{
    if (!SaveLend(lend))
        return false;
    MirrorRow(QStringLiteral("Id"), lend.Id, [&] { SetAsData(lend); });
    return true;
}
