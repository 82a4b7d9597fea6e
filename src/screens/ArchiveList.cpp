#include "ArchiveList.h"

#include "ArchiveImporter.h"
#include "DataImport.h"

#include "ArchiveEdit.h"
#include "BaseWindow.h"
#include "Prompter.h"

#include <QDateTime>

TArchiveList::TArchiveList(QObject *owner) : TArchiveSet(owner) {}

QWidget *TArchiveList::FormOwner() const
{
    return m_formOwner ? m_formOwner : TaFrm::MainWindow();
}

bool TArchiveList::NewArchive()
{
    RArchive archive;
    archive.Id = 0;
    archive.Arcdate = QDateTime::currentDateTime();
    archive.CataId = QVariant();
    archive.Copys = 1;
    archive.Lends = 0;
    return TArchiveEditFrm::EditArchive(
        archive, {}, [this](RArchive &edited) { return SaveToList(edited); }, FormOwner());
}

bool TArchiveList::OpenArchive(TLendCallback lend)
{
    return TArchiveEditFrm::EditArchive(
        AsData(), std::move(lend), [this](RArchive &edited) { return SaveToList(edited); }, FormOwner());
}

bool TArchiveList::DeleteCurrent()
{
    TDataSet *rows = DataSet();
    if (!rows->Active() || rows->IsEmpty())
        return false;
    const int id = IdFld()->AsInteger();
    if (Prompter().MessageBox(MsgIcon::Warning, QStringLiteral("警告"),
                              QStringLiteral("\r\n确定要删除记录吗?\t"),
                              {QStringLiteral("确定"), QStringLiteral("取消")}) != 0)
        return false;
    // The cached row is found by the Id asked about, not by wherever the cursor is now.
    if (!DeleteArchive(id) || !rows->Locate(QStringLiteral("Id"), id))
        return false;
    rows->Delete();
    return true;
}

void TArchiveList::Refresh()
{
    Reload();
}

bool TArchiveList::ImportArchives()
{
    TArchiveImporter importer;
    const bool imported = RunArchiveImport(importer, FormOwner());
    if (imported)
        Refresh();
    return imported;
}

bool TArchiveList::SaveToList(RArchive &archive)
{
    if (!SaveArchive(archive))
        return false;
    MirrorRow(QStringLiteral("Id"), archive.Id, [&] { SetAsData(archive); });
    return true;
}
