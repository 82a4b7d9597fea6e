#pragma once
// The input controls of every entry screen: typed reading and writing of their text, key
// filters for numeric boxes, the focus tint and Enter moving on as Tab does. Also the popup
// menu that the grids build their commands into.
//
// The conversions and the key filter are free functions so that they can be checked
// without a window; the controls only wire them to keys and text.

#include <QColor>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QVariant>
#include <QWidget>

#include <functional>

class QCheckBox;
class QDateTimeEdit;
class QKeyEvent;
#include "DataSet.h"

enum TEditType { etFree, etNumber, etInteger };

// Whether a typed character may enter a box of the kind holding `text`. Backspace ("\b")
// and Enter ("\r") always pass; the tests look at the whole text, not at the caret.
bool EditKeyAccepted(TEditType type, const QString &text, QChar key);

// The text conversions of the edit box, raising EConvertError with the fixed messages:
// "\"<text>\" 不是有效的数字." / "... 不是有效的整数." / "... 不是有效的日期.".
double EditTextToDouble(const QString &text);                    // empty gives 0
int EditTextToInteger(const QString &text);                      // empty gives 0
QVariant EditTextToDate(const QString &text);                    // empty gives null; a QDate
QVariant EditTextToDateTime(const QString &text);                // empty gives null; a QDateTime
QString EditDoubleToText(double value);                          // 0 gives empty
QString EditIntegerToText(int value);                            // 0 gives empty
QString EditDateToText(const QVariant &value);                   // null gives empty
QString EditDateTimeToText(const QVariant &value);               // null gives empty
QVariant EditTextToVariant(TEditType type, const QString &text); // the general conversion errors
QString EditVariantToText(TEditType type, const QVariant &value);
// The shortest general form of a floating-point number.
QString GeneralFloatText(double value);

// Keeps a control and a data-set field in step: the control shows the field's value
// whenever the record or the field changes, and writes what was typed into the record when
// the data set asks its bound controls for pending values.
class TFieldLink : public QObject
{
    Q_OBJECT
public:
    using Reader = std::function<QVariant()>;
    using Writer = std::function<void(const QVariant &)>;
    TFieldLink(QObject *control, Reader read, Writer write);

    TField *Field() const { return m_field; }
    void SetField(TField *field);
    // The control's value goes into the record (when it is being edited or appended).
    void WriteToField();
    // The record's value goes into the control.
    void ReadFromField();

private:
    TField *m_field = nullptr;
    QPointer<TDataSet> m_dataSet;
    Reader m_read;
    Writer m_write;
    bool m_reading = false;
    QList<QMetaObject::Connection> m_connections;
};

// The focus colour of a box: the box's own colour is remembered as the focus arrives and
// given back as it leaves, however often it arrives in between.
class TFocusTint
{
public:
    void Enter(QWidget *box, const QColor &tint);
    void Leave(QWidget *box);

private:
    QColor m_remembered; // invalid while the box shows its own colour
};

class TpzLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TpzLabel(QWidget *parent = nullptr);
    explicit TpzLabel(const QString &caption, QWidget *parent = nullptr);
    // Null empties the caption; any other value shows its general number form.
    void SetNumber(const QVariant &value);
};

// A control's text as a floating-point number, or null when it does not convert.
QVariant TextAsNumber(const QWidget *control);

class TpzEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit TpzEdit(QWidget *parent = nullptr);

    Qt::Alignment Alignment() const { return alignment() & Qt::AlignHorizontal_Mask; }
    void SetAlignment(Qt::Alignment alignment);
    QColor ColorOnEnter() const { return m_colorOnEnter; }
    void SetColorOnEnter(const QColor &color) { m_colorOnEnter = color; }
    QColor ColorOnReadOnly() const { return m_colorOnReadOnly; }
    void SetColorOnReadOnly(const QColor &color) { m_colorOnReadOnly = color; }
    bool TabOnEnter() const { return m_tabOnEnter; }
    void SetTabOnEnter(bool on) { m_tabOnEnter = on; }
    TEditType EditType() const { return m_editType; }
    void SetEditType(TEditType type) { m_editType = type; }
    // The box keeps the colour of its parent and is not tinted while it has the focus.
    bool ParentColor() const { return m_parentColor; }
    void SetParentColor(bool on) { m_parentColor = on; }

    double AsDouble() const { return EditTextToDouble(text()); }
    void SetAsDouble(double value) { setText(EditDoubleToText(value)); }
    int AsInteger() const { return EditTextToInteger(text()); }
    void SetAsInteger(int value) { setText(EditIntegerToText(value)); }
    QVariant AsDate() const { return EditTextToDate(text()); }
    void SetAsDate(const QVariant &value) { setText(EditDateToText(value)); }
    QVariant AsDateTime() const { return EditTextToDateTime(text()); }
    void SetAsDateTime(const QVariant &value) { setText(EditDateTimeToText(value)); }
    QVariant AsVariant() const { return EditTextToVariant(m_editType, text()); }
    void SetAsVariant(const QVariant &value) { setText(EditVariantToText(m_editType, value)); }

    // Binds the box to a field of a data set (nullptr unbinds).
    void BindField(TField *field) { m_link.SetField(field); }
    TField *BoundField() const { return m_link.Field(); }

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QColor m_colorOnEnter{0, 255, 255};
    QColor m_colorOnReadOnly{255, 255, 0};
    bool m_tabOnEnter = true;
    bool m_parentColor = false;
    TEditType m_editType = etFree;
    TFocusTint m_tint;
    TFieldLink m_link;
};

class TpzComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit TpzComboBox(QWidget *parent = nullptr);
    // A combo box with free text; without it the box is a drop-down list.
    void SetEditable(bool editable);
    // The text typed or chosen.
    QString Text() const { return currentText(); }
    void SetText(const QString &text);

    void BindField(TField *field) { m_link.SetField(field); }
    TField *BoundField() const { return m_link.Field(); }

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    TFocusTint m_tint;
    TFieldLink m_link;
};

class TpzMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TpzMemo(QWidget *parent = nullptr);
    QString Text() const { return toPlainText(); }
    void SetText(const QString &text) { setPlainText(text); }

    void BindField(TField *field) { m_link.SetField(field); }
    TField *BoundField() const { return m_link.Field(); }

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    TFocusTint m_tint;
    TFieldLink m_link;
};

// A date (or time) picker with an optional check box in front; a picker whose check box
// is cleared has no value.
class TpzDateTimePicker : public QWidget
{
    Q_OBJECT
public:
    enum class Kind { Date, Time };
    explicit TpzDateTimePicker(QWidget *parent = nullptr);

    bool ShowCheckbox() const { return m_showCheckbox; }
    void SetShowCheckbox(bool show);
    bool Checked() const;
    void SetChecked(bool checked);
    Kind PickerKind() const { return m_kind; }
    void SetKind(Kind kind);
    QDateTime DateTime() const;
    void SetDateTime(const QDateTime &value);

    QVariant AsDateTime() const; // QDateTime or null
    void SetAsDateTime(const QVariant &value);
    QVariant AsDate() const; // QDate or null
    void SetAsDate(const QVariant &value) { SetAsDateTime(value); }
    QVariant AsTime() const; // QTime or null
    void SetAsTime(const QVariant &value);
    void Clear();

    QCheckBox *CheckBox() const { return m_check; }
    QDateTimeEdit *Editor() const { return m_edit; }

    void BindField(TField *field) { m_link.SetField(field); }
    TField *BoundField() const { return m_link.Field(); }

signals:
    void Changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A typed character: gives it to the editor so that a whole date typed over the shown one
    // lands part by part. True when the key was dealt with here.
    bool TypeKey(QKeyEvent *event);

    QCheckBox *m_check;
    QDateTimeEdit *m_edit;
    bool m_showCheckbox = false;
    Kind m_kind = Kind::Date;
    TFocusTint m_tint;
    // The last digit filled a part and the editor moved on to the next one.
    bool m_sectionFilled = false;
    bool m_retyping = false;
    TFieldLink m_link;
};
