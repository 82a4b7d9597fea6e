#include "ArchiveImporter.h"

#include "Exceptions.h"
#include "Paths.h"
#include "StatementText.h"

#include <QDir>

namespace {

// Writes a date the way people type it in a sheet in the form the date fields read:
// 2012.5.1 and 2012年5月1日 as 2012-5-1.
QString NormalisedDate(QString text)
{
    text = text.trimmed();
    text.replace(QChar(u'年'), QLatin1Char('-'));
    text.replace(QChar(u'月'), QLatin1Char('-'));
    text.replace(QChar(u'日'), QString());
    text.replace(QLatin1Char('.'), QLatin1Char('-'));
    return text.trimmed();
}

QVariant DateValue(TField *field, const QVariant &value)
{
    const int type = value.typeId();
    if (type == QMetaType::QDateTime || type == QMetaType::QDate)
        return value;
    const QString text = CellText(value);
    try {
        if (type == QMetaType::QString)
            return CoerceToKind(NormalisedDate(text), FieldKind::DateTime, 0, field->FieldName());
    } catch (const EDatabaseError &) {
    }
    throw EConvertError(QStringLiteral("\"%1\"的值\"%2\"不是有效的日期.").arg(field->DisplayLabel(), text));
}

QVariant WholeNumber(TField *field, const QVariant &value)
{
    const QString text = CellText(value).trimmed();
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok)
        throw EConvertError(
            QStringLiteral("\"%1\"的值\"%2\"不是有效的整数.").arg(field->DisplayLabel(), text));
    return number;
}

bool IsEmptyValue(const QVariant &value)
{
    return value.isNull() || (value.typeId() == QMetaType::QString && value.toString().trimmed().isEmpty());
}

} // namespace

TArchiveImporter::TArchiveImporter(QObject *owner) : QObject(owner), m_review(new TArchiveSet(this))
{
    ResetRows();
}

TArchiveImporter::~TArchiveImporter()
{
    m_review->DataSet()->Close();
}

void TArchiveImporter::ResetRows()
{
    TArchiveWhere &where = *m_review->Where();
    where.Reset();
    where.IdFld()->SetValue(-1);
    m_review->Query();
}

int TArchiveImporter::ListTargetFields(QList<TField *> &fields) const
{
    fields = {m_review->CodeFld(),    m_review->NameFld(),     m_review->CataNameFld(),
              m_review->ArcdateFld(), m_review->SecurityFld(), m_review->LayplaceFld(),
              m_review->NotesFld()};
    return int(fields.size()) - 1;
}

void TArchiveImporter::LoadCategories()
{
    if (m_catas)
        return;
    m_catas = new TCataSet(this);
    m_catas->LoadAll();
    const TDataSet &rows = *m_catas->DataSet();
    const int id = m_catas->IdFld()->Index();
    const int name = m_catas->NameFld()->Index();
    for (int row = 0; row < rows.RecordCount(); ++row) {
        const QString cataName = rows.ValueAt(row, name).toString();
        // Rows come in SlfId order; the first category of a name is the one that counts.
        if (!m_catasByName.contains(cataName))
            m_catasByName.insert(cataName, {rows.ValueAt(row, id).toInt(), cataName});
    }
}

void TArchiveImporter::SetTargetValue(TField *field, const QVariant &value)
{
    if (field == m_review->CataNameFld()) {
        const QString name = CellText(value).trimmed();
        QVariant cataId;
        QString cataName;
        if (!name.isEmpty()) {
            LoadCategories();
            if (const auto found = m_catasByName.constFind(name); found != m_catasByName.constEnd()) {
                cataId = found->first;
                cataName = found->second;
            }
        }
        m_review->CataIdFld()->SetValue(cataId);
        m_review->CataNameFld()->SetValue(cataName.isEmpty() ? QVariant() : QVariant(cataName));
        return;
    }
    if (IsEmptyValue(value)) {
        field->Clear();
        return;
    }
    switch (field->Kind()) {
    case FieldKind::DateTime:
        field->SetValue(DateValue(field, value));
        break;
    case FieldKind::Integer:
    case FieldKind::LargeInt:
        field->SetValue(WholeNumber(field, value));
        break;
    default:
        field->SetValue(field->IsText() ? QVariant(CellText(value)) : value);
        break;
    }
}

bool TArchiveImporter::SaveRows(const Exchange::ProgressProc &progress)
{
    m_failedRow = -1;
    TDataSet &rows = *m_review->DataSet();
    if (rows.State() == DataSetState::Insert || rows.State() == DataSetState::Edit)
        rows.Post();
    const int cataId = m_review->CataIdFld()->Index();
    const int cataName = m_review->CataNameFld()->Index();
    const int code = m_review->CodeFld()->Index();
    const int name = m_review->NameFld()->Index();
    const int arcdept = rows.FieldByName(QStringLiteral("Arcdept"))->Index();
    const int arcman = rows.FieldByName(QStringLiteral("Arcman"))->Index();
    const int arcdate = m_review->ArcdateFld()->Index();
    const int security = m_review->SecurityFld()->Index();
    const int copys = rows.FieldByName(QStringLiteral("Copys"))->Index();
    const int layplace = m_review->LayplaceFld()->Index();
    const int notes = m_review->NotesFld()->Index();

    return StatementText::AllOrNothing([&] {
        Exchange::ProgressTicker ticker(progress);
        for (int row = 0; row < rows.RecordCount(); ++row) {
            RArchive archive;
            archive.Id = 0;
            archive.CataId = rows.ValueAt(row, cataId);
            archive.CataName = rows.ValueAt(row, cataName).toString();
            archive.Code = rows.ValueAt(row, code).toString();
            archive.Name = rows.ValueAt(row, name).toString();
            archive.Arcdept = rows.ValueAt(row, arcdept).toString();
            archive.Arcman = rows.ValueAt(row, arcman).toString();
            archive.Arcdate = rows.ValueAt(row, arcdate);
            archive.Security = rows.ValueAt(row, security).toString();
            archive.Copys = rows.ValueAt(row, copys).toInt();
            archive.Layplace = rows.ValueAt(row, layplace).toString();
            archive.Notes = rows.ValueAt(row, notes).toString();
            bool saved = false;
            try {
                saved = TArchiveSet::SaveArchive(archive);
            } catch (const EAbort &) {
                throw;
            } catch (const Exception &error) {
                m_failedRow = row;
                throw EDatabaseError(QStringLiteral("第 %1 条档案(编号\"%2\")保存失败:\n%3")
                                         .arg(row + 1)
                                         .arg(archive.Code, error.Message()));
            }
            if (!saved) {
                m_failedRow = row;
                return false;
            }
            ticker.Tick();
        }
        ticker.Finish();
        return true;
    });
}

Exchange::TImportHooks TArchiveImporter::Hooks()
{
    Exchange::TImportHooks hooks;
    hooks.GetFields = [this](QList<TField *> &fields) { ListTargetFields(fields); };
    hooks.SetValue = [this](TField *field, const QVariant &value) { SetTargetValue(field, value); };
    hooks.Save = [this](const Exchange::ProgressProc &progress) { return SaveRows(progress); };
    hooks.Reset = [this] { ResetRows(); };
    return hooks;
}

QString TArchiveImporter::TemplatePath()
{
    return QDir(Paths::ShareDir()).filePath(QStringLiteral("archives.xlsx"));
}
