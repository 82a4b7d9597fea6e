#pragma once
// The lending form: one lending of one archive, new or stored, saved through the callback
// its caller hands over. Nothing is required and no date order is enforced, so a lending
// can be written down before every detail is known.

#include "ArchiveControls.h"
#include "BaseWindow.h"

#include <functional>

class QPushButton;

class TLendEditFrm : public TaFrm
{
    Q_OBJECT
public:
    // Writes the lending (setting its Id when it was new); answers whether it was stored.
    using TSaveLend = std::function<bool(RLend &)>;

    explicit TLendEditFrm(QWidget *owner = nullptr);

    // Shows the form modally on the lending; each "确定" collects the form and hands it to
    // `save`, and the form closes only once that answers true. Answers whether it closed
    // with OK.
    static bool EditLend(const RLend &lend, TSaveLend save, QWidget *owner = nullptr);

    // Shows the lending in the controls; the caption tells a new lending from a stored one.
    void LoadLend(const RLend &lend);
    // The lending as the controls hold it: dates without time of day, unchecked dates null.
    RLend CollectLend() const;
    void SetSaveCallback(TSaveLend save) { m_save = std::move(save); }

    // The lending's Id, 0 for a new one.
    int Tag() const { return m_tag; }

    Uis::TDateTimePicker *edtLendate1;
    Uis::TComboBox *edtCheckman1;
    Uis::TEdit *edtArcName1;
    QPushButton *btnArchive1;
    Uis::TComboBox *edtBordept1;
    Uis::TComboBox *edtBorrower1;
    Uis::TDateTimePicker *edtHeadline1;
    Uis::TDateTimePicker *edtReturndate1;
    Uis::TEdit *edtNotes1;
    QPushButton *OkButton;
    QPushButton *CancelButton;

protected:
    // Closing with OK saves; a refused or failed save keeps the form open with what was typed.
    bool CanClose(int modalResult) override;

private:
    int m_tag = 0;
    TSaveLend m_save;
};
