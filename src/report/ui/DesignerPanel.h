#pragma once
// The designer's property panel: the properties of the selected objects, of the selected band,
// or of the page when nothing is selected. The panel only shows values and reports edits; the
// designer turns each edit into an undoable change and shows the panel again.

#include "DesignerEdit.h"
#include "ReportModel.h"

#include <QWidget>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFontComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace Report {

// The kinds' names as the designer shows them.
QString BandKindTitle(BandKind kind);
QString ObjectKindTitle(ObjectKind kind);

class PropertyPanel : public QWidget
{
    Q_OBJECT
public:
    explicit PropertyPanel(QWidget *parent = nullptr);

    // `objects` are the selected objects, the first one shown; an edit applies to all of them.
    void ShowObjects(const std::vector<Object *> &objects);
    // `dataSets` are the names a data band may be bound to.
    void ShowBand(const Band &band, const QStringList &dataSets);
    void ShowPage(const Page &page);

    // Each edit names itself (for the undo list) and says how it changes a value.
    std::function<void(const QString &what, const std::function<void(Object &)> &edit)> onObjectEdit;
    std::function<void(const QString &what, const std::function<void(BandSetup &)> &edit)> onBandEdit;
    std::function<void(const QString &what, const std::function<void(PageSetup &)> &edit)> onPageEdit;
    // The picture button: the designer asks for the file.
    std::function<void()> onLoadPicture;

    QLineEdit *TextEditor() const { return m_text; }

private:
    void BuildObjectPage();
    void BuildBandPage();
    void BuildPage();
    void EditObject(const QString &what, const std::function<void(Object &)> &edit);
    void EditBand(const QString &what, const std::function<void(BandSetup &)> &edit);
    void EditPage(const QString &what, const std::function<void(PageSetup &)> &edit);

    bool m_loading = false;
    QLabel *m_title;
    QStackedWidget *m_pages;

    QWidget *m_objectPage;
    QFormLayout *m_objectForm;
    QLineEdit *m_objectName;
    QLineEdit *m_text;
    QDoubleSpinBox *m_left, *m_top, *m_width, *m_height;
    QFontComboBox *m_fontFamily;
    QDoubleSpinBox *m_fontSize;
    QWidget *m_fontStyle;
    QCheckBox *m_bold, *m_italic, *m_underline;
    QComboBox *m_hAlign, *m_vAlign;
    QCheckBox *m_wordWrap;
    QWidget *m_frame;
    QCheckBox *m_frameLeft, *m_frameTop, *m_frameRight, *m_frameBottom;
    QDoubleSpinBox *m_lineWidth;
    QLineEdit *m_format;
    QWidget *m_picture;
    QPushButton *m_loadPicture;
    QCheckBox *m_keepAspect;
    QCheckBox *m_showText;

    QWidget *m_bandPage;
    QFormLayout *m_bandForm;
    QLineEdit *m_bandName;
    QComboBox *m_bandKind;
    QDoubleSpinBox *m_bandHeight;
    QCheckBox *m_canGrow;
    QComboBox *m_dataSet;
    QLineEdit *m_condition;
    QCheckBox *m_startNewPage;
    QCheckBox *m_printOnFirstPage;

    QWidget *m_pagePage;
    QLineEdit *m_pageName;
    QComboBox *m_paper;
    QDoubleSpinBox *m_paperWidth, *m_paperHeight;
    QComboBox *m_orientation;
    QDoubleSpinBox *m_marginLeft, *m_marginTop, *m_marginRight, *m_marginBottom;
};

} // namespace Report
