#pragma once
// The finder: the detailed archive search. The operator fills any of nine conditions; the
// finder packs them into an RArchiveWhere and hands them to its caller, which runs the search.
// It queries nothing itself.

#include "ArchiveControls.h"
#include "BaseWindow.h"

#include <functional>
#include <memory>

class QPushButton;

// The nine conditions as the form holds them; a date is null when its check box is cleared.
struct TFinderInput
{
    QString Code;
    QString Name;
    QString Arcdept;
    QString Arcman;
    QVariant Arcdate1;
    QVariant Arcdate2;
    QString Layplace;
    QString Security;
    QString Filepath;
};

// The search conditions of the input: no Id, no category and no keyword, so a finder search
// covers every archive; dates keep only their day.
RArchiveWhere PackFinderWhere(const TFinderInput &input);

class TFinderFrm : public TaFrm
{
    Q_OBJECT
public:
    // Runs the search; true lets the finder close.
    using TSearchCallback = std::function<bool(const RArchiveWhere &where)>;

    // A finder with every condition empty.
    static std::unique_ptr<TFinderFrm> CreateFinder(QWidget *owner, TSearchCallback search);

    TFinderInput Input() const;
    RArchiveWhere Where() const { return PackFinderWhere(Input()); }

    Uis::TEdit *edtCode1;
    Uis::TEdit *edtName1;
    Uis::TComboBox *edtArcdept1;
    Uis::TComboBox *edtArcman1;
    Uis::TDateTimePicker *edtArcdate1;
    Uis::TDateTimePicker *edtArcdate2;
    Uis::TComboBox *edtLayplace1;
    Uis::TComboBox *edtSecurity1;
    Uis::TEdit *edtFilepath1;
    QPushButton *btnOk1;
    QPushButton *CancelButton;

protected:
    // OK hands the conditions to the search callback and closes only when it answers true.
    bool CanClose(int modalResult) override;

private:
    explicit TFinderFrm(QWidget *owner);
    void ClearConditions();

    TSearchCallback m_search;
};
