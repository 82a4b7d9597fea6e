#include "InputControls.h"

#include "DataSet.h"
#include "DateFormats.h"
#include "Exceptions.h"
#include "Prompter.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>

#include <cmath>

namespace {
const QColor Aqua(0, 255, 255);
const QColor Yellow(255, 255, 0);

QString Quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

bool IsEnter(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

void SetBackground(QWidget *control, const QColor &color)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::Base, color);
    control->setPalette(palette);
}

// Digits only, an optional sign in front; blanks around are allowed as the platform's
// number reading allows them.
bool ReadInteger(const QString &text, int &value)
{
    bool ok = false;
    value = text.trimmed().toInt(&ok, 10);
    return ok;
}

bool ReadDouble(const QString &text, double &value)
{
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value);
}
} // namespace

// ---- focus tint ----

void TFocusTint::Enter(QWidget *box, const QColor &tint)
{
    // A box may get the focus twice without losing it in between: a window that is shown
    // and then activated gives it once for each. Only the first time finds the box's own
    // colour; the second would find the tint.
    if (!m_remembered.isValid())
        m_remembered = box->palette().color(QPalette::Base);
    SetBackground(box, tint);
}

void TFocusTint::Leave(QWidget *box)
{
    if (!m_remembered.isValid())
        return;
    SetBackground(box, m_remembered);
    m_remembered = QColor();
}

// ---- conversions and key filter ----

bool EditKeyAccepted(TEditType type, const QString &text, QChar key)
{
    const bool control = key == QLatin1Char('\b') || key == QLatin1Char('\r');
    const bool digit = key >= QLatin1Char('0') && key <= QLatin1Char('9');
    switch (type) {
    case etNumber:
        if (control)
            return true;
        if (key == QLatin1Char('.'))
            return !text.isEmpty() && !text.contains(QLatin1Char('.'));
        if (key == QLatin1Char('0'))
            return text.contains(QLatin1Char('.')) || !text.startsWith(QLatin1Char('0'));
        return digit;
    case etInteger:
        return control || digit;
    case etFree:
        break;
    }
    return true;
}

QString GeneralFloatText(double value)
{
    return QString::number(value, 'g', 15);
}

double EditTextToDouble(const QString &text)
{
    if (text.isEmpty())
        return 0;
    double value = 0;
    if (!ReadDouble(text, value))
        throw EConvertError(Quoted(text) + QStringLiteral(" 不是有效的数字."));
    return value;
}

int EditTextToInteger(const QString &text)
{
    if (text.isEmpty())
        return 0;
    int value = 0;
    if (!ReadInteger(text, value))
        throw EConvertError(Quoted(text) + QStringLiteral(" 不是有效的整数."));
    return value;
}

QVariant EditTextToDate(const QString &text)
{
    if (text.isEmpty())
        return {};
    QDate date;
    if (!TryStrToDate(text, date))
        throw EConvertError(Quoted(text) + QStringLiteral(" 不是有效的日期."));
    return date;
}

QVariant EditTextToDateTime(const QString &text)
{
    if (text.isEmpty())
        return {};
    QDateTime value;
    // The edit box names every failure a date failure, whether the time part was wrong or not.
    if (!TryStrToDateTime(text, value))
        throw EConvertError(Quoted(text) + QStringLiteral(" 不是有效的日期."));
    return value;
}

QString EditDoubleToText(double value)
{
    return value == 0 ? QString() : GeneralFloatText(value);
}

QString EditIntegerToText(int value)
{
    return value == 0 ? QString() : QString::number(value);
}

namespace {
QDateTime VariantAsDateTime(const QVariant &value)
{
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().startOfDay();
    if (value.typeId() == QMetaType::QString) {
        QDateTime parsed;
        if (TryStrToDateTime(value.toString(), parsed))
            return parsed;
        return {};
    }
    if (value.canConvert<QDateTime>())
        return value.toDateTime();
    return {};
}

QDateTime DateTimeToShow(const QVariant &value)
{
    const QDateTime dateTime = VariantAsDateTime(value);
    if (!dateTime.isValid())
        throw EConvertError(Quoted(VarToStr(value)) + QStringLiteral(" 不是有效的日期."));
    return dateTime;
}
} // namespace

QString EditDateToText(const QVariant &value)
{
    if (value.isNull())
        return {};
    return DateToStr(DateTimeToShow(value));
}

QString EditDateTimeToText(const QVariant &value)
{
    if (value.isNull())
        return {};
    return DateTimeToStr(DateTimeToShow(value));
}

QVariant EditTextToVariant(TEditType type, const QString &text)
{
    if (text.isEmpty())
        return {};
    switch (type) {
    case etNumber: {
        double value = 0;
        if (!ReadDouble(text, value))
            throw EConvertError(QStringLiteral("'%1' 不是有效的数值").arg(text));
        return value;
    }
    case etInteger: {
        int value = 0;
        if (!ReadInteger(text, value))
            throw EConvertError(QStringLiteral("'%1' 不是有效的整数").arg(text));
        return value;
    }
    case etFree:
        break;
    }
    return text;
}

QString EditVariantToText(TEditType type, const QVariant &value)
{
    if (value.isNull())
        return {};
    switch (type) {
    case etNumber:
        return GeneralFloatText(VarToFloat(value));
    case etInteger:
        return QString::number(VarToInt(value));
    case etFree:
        break;
    }
    return VarToStr(value);
}

// ---- field link ----

TFieldLink::TFieldLink(QObject *control, Reader read, Writer write)
    : QObject(control), m_read(std::move(read)), m_write(std::move(write))
{
}

void TFieldLink::SetField(TField *field)
{
    for (const QMetaObject::Connection &connection : m_connections)
        disconnect(connection);
    m_connections.clear();
    m_field = field;
    m_dataSet = field ? field->DataSet() : nullptr;
    if (!m_dataSet)
        return;
    TDataSet *dataSet = m_dataSet;
    const auto reread = [this] { ReadFromField(); };
    m_connections << connect(dataSet, &TDataSet::UpdateRecordRequested, this, &TFieldLink::WriteToField)
                  << connect(dataSet, &TDataSet::FieldChanged, this,
                             [this](int index) {
                                 if (m_field && index == m_field->Index())
                                     ReadFromField();
                             })
                  << connect(dataSet, &TDataSet::CurrentChanged, this, reread)
                  << connect(dataSet, &TDataSet::DataReset, this, reread)
                  << connect(dataSet, &TDataSet::StateChanged, this, reread)
                  << connect(dataSet, &QObject::destroyed, this, [this] { m_field = nullptr; });
    ReadFromField();
}

void TFieldLink::WriteToField()
{
    if (!m_field || !m_dataSet)
        return;
    const DataSetState state = m_dataSet->State();
    if (state != DataSetState::Edit && state != DataSetState::Insert)
        return;
    const QVariant value = m_read();
    if (value == m_field->Value() && value.isNull() == m_field->IsNull())
        return;
    m_reading = true; // the field's change notice must not rewrite what is being typed
    try {
        m_field->SetValue(value);
    } catch (...) {
        m_reading = false;
        throw;
    }
    m_reading = false;
}

void TFieldLink::ReadFromField()
{
    if (m_reading || !m_field || !m_dataSet)
        return;
    m_reading = true;
    m_write(m_dataSet->Active() ? m_field->Value() : QVariant());
    m_reading = false;
}

// ---- label ----

TpzLabel::TpzLabel(QWidget *parent) : QLabel(parent) {}

TpzLabel::TpzLabel(const QString &caption, QWidget *parent) : QLabel(caption, parent) {}

void TpzLabel::SetNumber(const QVariant &value)
{
    setText(value.isNull() ? QString() : GeneralFloatText(VarToFloat(value)));
}

QVariant TextAsNumber(const QWidget *control)
{
    QString text;
    if (auto *edit = qobject_cast<const QLineEdit *>(control))
        text = edit->text();
    else if (auto *label = qobject_cast<const QLabel *>(control))
        text = label->text();
    else if (auto *combo = qobject_cast<const QComboBox *>(control))
        text = combo->currentText();
    else if (auto *memo = qobject_cast<const QPlainTextEdit *>(control))
        text = memo->toPlainText();
    double value = 0;
    if (!ReadDouble(text, value))
        return {};
    return value;
}

// ---- edit box ----

TpzEdit::TpzEdit(QWidget *parent)
    : QLineEdit(parent), m_link(
                             this, [this] { return AsVariant(); },
                             [this](const QVariant &value) {
                                 const int type = value.typeId();
                                 if (type == QMetaType::QDateTime || type == QMetaType::QDate)
                                     setText(DisplayTextOf(value, FieldKind::DateTime));
                                 else
                                     SetAsVariant(value);
                             })
{
}

void TpzEdit::SetAlignment(Qt::Alignment alignment)
{
    setAlignment((alignment & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
}

void TpzEdit::focusInEvent(QFocusEvent *event)
{
    if (!m_parentColor)
        m_tint.Enter(this, isReadOnly() ? m_colorOnReadOnly : m_colorOnEnter);
    QLineEdit::focusInEvent(event);
}

void TpzEdit::focusOutEvent(QFocusEvent *event)
{
    m_tint.Leave(this);
    QLineEdit::focusOutEvent(event);
}

void TpzEdit::keyPressEvent(QKeyEvent *event)
{
    if (IsEnter(event)) {
        QLineEdit::keyPressEvent(event);
        if (m_tabOnEnter && window() != this) {
            focusNextPrevChild(!(event->modifiers() & Qt::ShiftModifier));
            event->accept();
        }
        return;
    }
    const QString typed = event->text();
    // Only typed characters are filtered: editing keys and shortcuts keep working.
    if (typed.size() == 1 && (typed[0] == QLatin1Char('\b') || typed[0].isPrint()) &&
        !EditKeyAccepted(m_editType, text(), typed[0])) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

// ---- combo box ----

TpzComboBox::TpzComboBox(QWidget *parent)
    : QComboBox(parent),
      m_link(
          this,
          [this]() -> QVariant { return currentText().isEmpty() ? QVariant() : QVariant(currentText()); },
          [this](const QVariant &value) { SetText(VarToStr(value)); })
{
    SetEditable(true);
}

void TpzComboBox::SetEditable(bool editable)
{
    setEditable(editable);
    // Completing while typing would put whole list entries into a box meant for free text.
    if (editable)
        setCompleter(nullptr);
}

void TpzComboBox::SetText(const QString &text)
{
    if (isEditable()) {
        setEditText(text);
        return;
    }
    setCurrentIndex(findText(text));
}

void TpzComboBox::focusInEvent(QFocusEvent *event)
{
    m_tint.Enter(this, Aqua);
    QComboBox::focusInEvent(event);
}

void TpzComboBox::focusOutEvent(QFocusEvent *event)
{
    m_tint.Leave(this);
    QComboBox::focusOutEvent(event);
}

void TpzComboBox::keyPressEvent(QKeyEvent *event)
{
    if (!isEditable() && event->key() == Qt::Key_Delete) {
        setCurrentIndex(-1);
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
    if (IsEnter(event) && window() != this) {
        focusNextPrevChild(!(event->modifiers() & Qt::ShiftModifier));
        event->accept();
    }
}

// ---- memo ----

TpzMemo::TpzMemo(QWidget *parent)
    : QPlainTextEdit(parent),
      m_link(
          this,
          [this]() -> QVariant { return toPlainText().isEmpty() ? QVariant() : QVariant(toPlainText()); },
          [this](const QVariant &value) { setPlainText(VarToStr(value)); })
{
}

void TpzMemo::focusInEvent(QFocusEvent *event)
{
    m_tint.Enter(this, isReadOnly() ? Yellow : Aqua);
    QPlainTextEdit::focusInEvent(event);
}

void TpzMemo::focusOutEvent(QFocusEvent *event)
{
    m_tint.Leave(this);
    QPlainTextEdit::focusOutEvent(event);
}

// ---- date picker ----

TpzDateTimePicker::TpzDateTimePicker(QWidget *parent)
    : QWidget(parent), m_check(new QCheckBox(this)), m_edit(new QDateTimeEdit(this)),
      m_link(
          this, [this] { return AsDateTime(); }, [this](const QVariant &value) { SetAsDateTime(value); })
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_check);
    layout->addWidget(m_edit, 1);
    m_edit->setCalendarPopup(true);
    m_edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_edit->installEventFilter(this);
    setFocusProxy(m_edit);
    m_check->setVisible(false);
    m_check->setChecked(false);
    m_edit->setDateTime(QDateTime::currentDateTime());
    connect(m_check, &QCheckBox::toggled, this, [this](bool checked) {
        if (m_showCheckbox)
            m_edit->setEnabled(checked);
        emit Changed();
    });
    connect(m_edit, &QDateTimeEdit::dateTimeChanged, this, &TpzDateTimePicker::Changed);
}

void TpzDateTimePicker::SetShowCheckbox(bool show)
{
    m_showCheckbox = show;
    m_check->setVisible(show);
    m_edit->setEnabled(!show || m_check->isChecked());
}

bool TpzDateTimePicker::Checked() const
{
    return m_check->isChecked();
}

void TpzDateTimePicker::SetChecked(bool checked)
{
    m_check->setChecked(checked);
}

void TpzDateTimePicker::SetKind(Kind kind)
{
    m_kind = kind;
    m_edit->setDisplayFormat(kind == Kind::Date ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("HH:mm:ss"));
    m_edit->setCalendarPopup(kind == Kind::Date);
}

QDateTime TpzDateTimePicker::DateTime() const
{
    return m_edit->dateTime();
}

void TpzDateTimePicker::SetDateTime(const QDateTime &value)
{
    m_edit->setDateTime(value);
}

QVariant TpzDateTimePicker::AsDateTime() const
{
    if (m_showCheckbox && !m_check->isChecked())
        return {};
    return DateTime();
}

QVariant TpzDateTimePicker::AsDate() const
{
    if (m_showCheckbox && !m_check->isChecked())
        return {};
    return DateTime().date();
}

QVariant TpzDateTimePicker::AsTime() const
{
    if (m_showCheckbox && !m_check->isChecked())
        return {};
    return DateTime().time();
}

void TpzDateTimePicker::SetAsDateTime(const QVariant &value)
{
    if (value.isNull()) {
        SetDateTime(QDateTime::currentDateTime());
        if (m_showCheckbox)
            SetChecked(false);
        return;
    }
    SetDateTime(DateTimeToShow(value));
    if (m_showCheckbox)
        SetChecked(true);
}

void TpzDateTimePicker::SetAsTime(const QVariant &value)
{
    if (value.isNull()) {
        if (m_showCheckbox)
            SetChecked(false);
        else
            SetDateTime(QDateTime::currentDateTime());
        return;
    }
    if (value.typeId() == QMetaType::QTime)
        SetDateTime(QDateTime(DateTime().date(), value.toTime()));
    else
        SetDateTime(DateTimeToShow(value));
    if (m_showCheckbox)
        SetChecked(true);
}

void TpzDateTimePicker::Clear()
{
    SetDateTime(QDateTime::currentDateTime());
    SetAsDate(QVariant());
}

bool TpzDateTimePicker::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edit) {
        switch (event->type()) {
        case QEvent::FocusIn:
            m_sectionFilled = false;
            m_tint.Enter(m_edit, Aqua);
            break;
        case QEvent::FocusOut:
            m_sectionFilled = false;
            m_tint.Leave(m_edit);
            break;
        case QEvent::KeyPress:
            if (!m_retyping && TypeKey(static_cast<QKeyEvent *>(event)))
                return true;
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TpzDateTimePicker::TypeKey(QKeyEvent *event)
{
    const QString typed = event->text();
    const bool character = typed.size() == 1 && typed[0].isPrint() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (!character) {
        m_sectionFilled = false;
        return false;
    }
    if (!typed[0].isDigit()) {
        // The editor moves on by itself once a part is full; the separator typed after it
        // would move on once more and skip a part.
        const bool skip = m_sectionFilled;
        m_sectionFilled = false;
        return skip;
    }
    // Over a wholly selected text the editor would take a digit for the whole value and
    // refuse it; typing starts in the first part instead, as over a new date.
    const auto *text = m_edit->findChild<QLineEdit *>();
    if (text && !text->text().isEmpty() && text->selectedText() == text->text())
        m_edit->setSelectedSection(m_edit->sectionAt(0));
    const int before = m_edit->currentSectionIndex();
    m_retyping = true;
    QCoreApplication::sendEvent(m_edit, event);
    m_retyping = false;
    m_sectionFilled = m_edit->currentSectionIndex() != before;
    return true;
}

// ---- popup menu ----
