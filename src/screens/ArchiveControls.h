#pragma once
// The controls of the archive screens. Labels, memos and date pickers are the common input
// controls unchanged; the edit box can hold one picked record (a category or an archive),
// and the combo box can fill itself with the distinct values already stored.

#include "Archive.h"
#include "InputControls.h"

#include <functional>
#include <variant>

namespace Uis {

using TLabel = TpzLabel;
using TMemo = TpzMemo;
using TDateTimePicker = TpzDateTimePicker;

class TEdit : public TpzEdit
{
    Q_OBJECT
public:
    explicit TEdit(QWidget *parent = nullptr);

    // Empties the text and drops the held record.
    void Clear();
    // A null id clears the box; otherwise it holds a category of that id and name.
    void SetCata(const QVariant &id, const QString &name);
    // Holds a copy of the category and shows its name; the category picker's callback.
    bool SetCataRecord(const RCata &cata);
    // Holds an archive of that id, code and name and shows the name.
    void SetArchive(const QVariant &id, const QString &code, const QString &name);
    bool SetArchiveRecord(const RArchive &archive);
    // The held record's id as an integer, or null when the box holds nothing.
    QVariant HeldId() const;
    // A copy of the held archive, or an empty record (Id 0).
    RArchive HeldArchive() const;
    bool HoldsCata() const { return std::holds_alternative<RCata>(m_held); }
    bool HoldsArchive() const { return std::holds_alternative<RArchive>(m_held); }

    // Opens the category picker with SetCataRecord of this box as its callback.
    void PickCata();
    // The category picker belongs to the category screens, which install it here:
    // (owner, callback taking the picked category).
    using TCataPicker = std::function<void(QWidget *owner, std::function<bool(const RCata &)> pick)>;
    static void SetCataPicker(TCataPicker picker);

private:
    std::variant<std::monostate, RCata, RArchive> m_held;
};

class TComboBox : public TpzComboBox
{
    Q_OBJECT
public:
    explicit TComboBox(QWidget *parent = nullptr);
    // Each replaces the items by the values stored so far, in the order they are read.
    void FillBorrowers();
    void FillSecuritys();
    void FillLayplaces();

private:
    void Fill(const QStringList &values);
};

} // namespace Uis
