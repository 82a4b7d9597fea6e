#pragma once
// The archive form: one archive entered or changed, with its category chosen in the category
// picker and its electronic document, a file anywhere on disk whose path and size are recorded
// with the archive and which the form opens with the desktop's handler.

#include "ArchiveControls.h"
#include "BaseWindow.h"

#include <functional>

class QPushButton;

// "0.## MB" of the size in megabytes followed by " (,#.# 字节)" of the byte count: 1536 gives
// "0 MB (1,536 字节)", 0 (or null) gives "0 MB ( 字节)".
QString FormatFileSize(const QVariant &bytes);

class TArchiveEditFrm : public TaFrm
{
    Q_OBJECT
public:
    using TSaveCallback = std::function<bool(RArchive &archive)>;
    using TLendCallback = std::function<void(const RArchive &archive)>;

    explicit TArchiveEditFrm(QWidget *owner = nullptr);

    // Shows the form on the record; true when it closed with OK, that is when the save
    // callback accepted what was entered.
    static bool EditArchive(const RArchive &archive, TLendCallback lend, TSaveCallback save,
                            QWidget *owner = nullptr);

    // Fills the controls from the record and keeps it for the "借阅" button.
    void LoadRecord(const RArchive &archive);
    // The record as the controls hold it; a copies text that is no integer raises EConvertError.
    RArchive CollectRecord() const;
    void SetCallbacks(TLendCallback lend, TSaveCallback save);
    // The archive's Id, as the form was opened with it.
    int Tag() const { return m_tag; }

    // Category "...": the category picker; document "...": choose a file; ">>": its folder.
    void btnCata1Click();
    void PickFileButtonClick();
    void OpenFolderButtonClick();
    // A click on the document's name: opens the document with the desktop's handler, or warns
    // that it is gone.
    void edtFilename1Click();
    void btnLend1Click();

    Uis::TEdit *edtCata1;
    QPushButton *btnCata1;
    Uis::TEdit *edtCode1;
    Uis::TEdit *edtName1;
    Uis::TDateTimePicker *edtArcdate1;
    Uis::TEdit *edtCopys1;
    Uis::TEdit *edtLends1;
    Uis::TComboBox *edtSecurity1;
    Uis::TComboBox *edtLayplace1;
    Uis::TEdit *edtFilename1;
    QPushButton *PickFileButton;
    QPushButton *OpenFolderButton;
    Uis::TLabel *txtFileSize1;
    Uis::TLabel *txtFileByte1;
    Uis::TLabel *txtFilepath1;
    Uis::TComboBox *edtArcdept1;
    Uis::TComboBox *edtArcman1;
    Uis::TMemo *edtNotes1;
    QPushButton *btnLend1;
    QPushButton *OkButton;
    QPushButton *CancelButton;

protected:
    // OK collects the record and hands it to the save callback; the form closes only when the
    // callback took it.
    bool CanClose(int modalResult) override;

private:
    // A release of the left button on the document's name, or the double click itself.
    void FilenameMouse(bool doubleClick);

    RArchive m_archive;
    int m_tag = 0;
    TLendCallback m_lend;
    TSaveCallback m_save;
    // The release that ends a double click must not open the document a second time.
    bool m_afterDoubleClick = false;
};
