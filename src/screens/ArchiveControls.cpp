#include "ArchiveControls.h"
#include "CategoryTree.h"

namespace Uis {

namespace {
TEdit::TCataPicker g_cataPicker;
}

TEdit::TEdit(QWidget *parent) : TpzEdit(parent) {}

void TEdit::Clear()
{
    clear();
    m_held = std::monostate();
}

void TEdit::SetCata(const QVariant &id, const QString &name)
{
    if (id.isNull()) {
        Clear();
        return;
    }
    RCata cata;
    cata.Id = id.toInt();
    cata.Name = name;
    SetCataRecord(cata);
}

bool TEdit::SetCataRecord(const RCata &cata)
{
    m_held = cata;
    setText(cata.Name);
    return true;
}

void TEdit::SetArchive(const QVariant &id, const QString &code, const QString &name)
{
    RArchive archive;
    archive.Id = id.toInt();
    archive.Code = code;
    archive.Name = name;
    SetArchiveRecord(archive);
}

bool TEdit::SetArchiveRecord(const RArchive &archive)
{
    m_held = archive;
    setText(archive.Name);
    return true;
}

QVariant TEdit::HeldId() const
{
    if (const auto *cata = std::get_if<RCata>(&m_held))
        return cata->Id;
    if (const auto *archive = std::get_if<RArchive>(&m_held))
        return archive->Id;
    return {};
}

RArchive TEdit::HeldArchive() const
{
    if (const auto *archive = std::get_if<RArchive>(&m_held))
        return *archive;
    return {};
}

void TEdit::PickCata()
{
    if (g_cataPicker)
        g_cataPicker(this, [this](const RCata &cata) { return SetCataRecord(cata); });
}

void TEdit::SetCataPicker(TCataPicker picker)
{
    g_cataPicker = std::move(picker);
}

TComboBox::TComboBox(QWidget *parent) : TpzComboBox(parent) {}

void TComboBox::Fill(const QStringList &values)
{
    clear();
    addItems(values);
}

void TComboBox::FillBorrowers()
{
    RBorrowers list;
    TLendSet::GetBorrowers(list);
    Fill(list);
}

void TComboBox::FillSecuritys()
{
    RSecuritys list;
    TArchiveSet::GetSecuritys(list);
    Fill(list);
}

void TComboBox::FillLayplaces()
{
    RLayplaces list;
    TArchiveSet::GetLayplaces(list);
    Fill(list);
}

} // namespace Uis
