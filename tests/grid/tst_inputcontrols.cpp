// The input controls: key filters, conversions with their messages, the date picker's check
// box, Enter moving the focus, focus tints, field binding and the popup menu's building.

#include "DataSet.h"
#include "Exceptions.h"
#include "InputControls.h"
#include "PopupMenu.h"
#include "ScriptedPrompter.h"
#include "TestMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QImage>
#include <QKeyEvent>
#include <QTest>
#include <QVBoxLayout>

Q_DECLARE_METATYPE(TEditType)

namespace {

// Types text as key presses, one character each (QTest's own typing knows only ASCII).
void TypeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, ch.unicode() < 128 ? QChar(ch).toUpper().unicode() : 0,
                        Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, press.key(), Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}
// The message of the conversion error a call raises, or "(none)".
template <class F> QString ErrorOf(F call)
{
    try {
        call();
    } catch (const EConvertError &e) {
        return e.Message();
    }
    return QStringLiteral("(none)");
}

// A window with three edit boxes in tab order, shown and active so that focus works.
struct FocusWindow
{
    QWidget window;
    TpzEdit *first;
    TpzEdit *second;
    TpzComboBox *third;
    bool Active = false;
    FocusWindow()
    {
        auto *layout = new QVBoxLayout(&window);
        first = new TpzEdit(&window);
        second = new TpzEdit(&window);
        third = new TpzComboBox(&window);
        layout->addWidget(first);
        layout->addWidget(second);
        layout->addWidget(third);
        window.show();
        QApplication::setActiveWindow(&window);
        Active = QTest::qWaitForWindowActive(&window);
    }
};
} // namespace

class TCtrlsTest : public QObject
{
    Q_OBJECT
private slots:
    void keyFilter_data()
    {
        QTest::addColumn<TEditType>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::newRow("number: dot after digits") << etNumber << "12"
                                                  << "."
                                                  << "12.";
        QTest::newRow("number: second dot") << etNumber << "12."
                                            << "."
                                            << "12.";
        QTest::newRow("number: dot in empty box") << etNumber << ""
                                                  << "."
                                                  << "";
        QTest::newRow("number: second leading zero") << etNumber << "0"
                                                     << "0"
                                                     << "0";
        QTest::newRow("number: digit after zero") << etNumber << "0"
                                                  << "5"
                                                  << "05";
        QTest::newRow("number: zero after 0.") << etNumber << "0."
                                               << "0"
                                               << "0.0";
        QTest::newRow("number: zero after other digits") << etNumber << "10"
                                                         << "0"
                                                         << "100";
        QTest::newRow("number: minus") << etNumber << ""
                                       << "-"
                                       << "";
        QTest::newRow("number: letter") << etNumber << "1"
                                        << "a"
                                        << "1";
        QTest::newRow("integer: dot") << etInteger << "1"
                                      << "."
                                      << "1";
        QTest::newRow("integer: digits") << etInteger << "1"
                                         << "90"
                                         << "190";
        QTest::newRow("integer: minus") << etInteger << ""
                                        << "-"
                                        << "";
        QTest::newRow("free: anything") << etFree << "a"
                                        << "-.x合"
                                        << "a-.x合";
    }
    void keyFilter()
    {
        QFETCH(TEditType, type);
        QFETCH(QString, text);
        QFETCH(QString, typed);
        QFETCH(QString, after);
        TpzEdit edit;
        edit.SetEditType(type);
        edit.setText(text);
        edit.end(false);
        TypeText(&edit, typed);
        QCOMPARE(edit.text(), after);
        // The filter looks at the whole text, not at the caret: a dot typed at the front of a
        // number that already has one is dropped too.
        if (type == etNumber && text.contains(QLatin1Char('.'))) {
            edit.home(false);
            QTest::keyClick(&edit, '.');
            QCOMPARE(edit.text(), after);
        }
    }

    void backspacePasses()
    {
        TpzEdit edit;
        edit.SetEditType(etInteger);
        edit.setText(QStringLiteral("12"));
        edit.end(false);
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), QStringLiteral("1"));
    }

    void conversions_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("error");
        const QString none = QStringLiteral("(none)");
        QTest::newRow("double empty") << "double"
                                      << "" << QVariant(0.0) << none;
        QTest::newRow("double") << "double"
                                << "12.5" << QVariant(12.5) << none;
        QTest::newRow("double bad") << "double"
                                    << "1.2.3" << QVariant() << "\"1.2.3\" 不是有效的数字.";
        QTest::newRow("integer empty") << "integer"
                                       << "" << QVariant(0) << none;
        QTest::newRow("integer") << "integer"
                                 << "42" << QVariant(42) << none;
        QTest::newRow("integer bad") << "integer"
                                     << "3a" << QVariant() << "\"3a\" 不是有效的整数.";
        QTest::newRow("date empty") << "date"
                                    << "" << QVariant() << none;
        QTest::newRow("date") << "date"
                              << "2013-07-12" << QVariant(QDate(2013, 7, 12)) << none;
        QTest::newRow("date slashes") << "date"
                                      << "2013/07/12" << QVariant() << "\"2013/07/12\" 不是有效的日期.";
        QTest::newRow("datetime") << "datetime"
                                  << "2013-07-12 08:30:05"
                                  << QVariant(QDateTime(QDate(2013, 7, 12), QTime(8, 30, 5))) << none;
        QTest::newRow("datetime bad time")
            << "datetime"
            << "2013-07-12 25:00" << QVariant() << "\"2013-07-12 25:00\" 不是有效的日期.";
    }
    void conversions()
    {
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(QVariant, value);
        QFETCH(QString, error);
        TpzEdit edit;
        edit.setText(text);
        QVariant read;
        const QString raised = ErrorOf([&] {
            if (kind == QLatin1String("double"))
                read = edit.AsDouble();
            else if (kind == QLatin1String("integer"))
                read = edit.AsInteger();
            else if (kind == QLatin1String("date"))
                read = edit.AsDate();
            else
                read = edit.AsDateTime();
        });
        QCOMPARE(raised, error);
        if (error == QLatin1String("(none)")) {
            QCOMPARE(read.isNull(), value.isNull());
            if (!value.isNull())
                QCOMPARE(read, value);
        }
    }

    void writes()
    {
        TpzEdit edit;
        edit.SetAsInteger(0);
        QCOMPARE(edit.text(), QString());
        edit.SetAsInteger(-7);
        QCOMPARE(edit.text(), QStringLiteral("-7"));
        edit.SetAsDouble(0);
        QCOMPARE(edit.text(), QString());
        edit.SetAsDouble(2.5);
        QCOMPARE(edit.text(), QStringLiteral("2.5"));
        edit.SetAsDate(QDateTime(QDate(2013, 7, 12), QTime(9, 0)));
        QCOMPARE(edit.text(), QStringLiteral("2013-07-12"));
        edit.SetAsDateTime(QDateTime(QDate(2013, 7, 12), QTime(9, 5, 1)));
        QCOMPARE(edit.text(), QStringLiteral("2013-07-12 09:05:01"));
        edit.SetAsDate(QVariant());
        QCOMPARE(edit.text(), QString());
        QCOMPARE(ErrorOf([&] { edit.SetAsDate(QStringLiteral("morgen")); }),
                 QStringLiteral("\"morgen\" 不是有效的日期."));
    }

    void asVariant_data()
    {
        QTest::addColumn<TEditType>("type");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("error");
        const QString none = QStringLiteral("(none)");
        QTest::newRow("empty is null") << etInteger << "" << QVariant() << none;
        QTest::newRow("number") << etNumber << "1.5" << QVariant(1.5) << none;
        QTest::newRow("integer") << etInteger << "12" << QVariant(12) << none;
        QTest::newRow("free") << etFree << "abc" << QVariant(QStringLiteral("abc")) << none;
        // Not the edit box's own messages: the general conversion errors.
        QTest::newRow("number bad") << etNumber << "x" << QVariant() << "'x' 不是有效的数值";
        QTest::newRow("integer bad") << etInteger << "1.5" << QVariant() << "'1.5' 不是有效的整数";
    }
    void asVariant()
    {
        QFETCH(TEditType, type);
        QFETCH(QString, text);
        QFETCH(QVariant, value);
        QFETCH(QString, error);
        TpzEdit edit;
        edit.SetEditType(type);
        edit.setText(text);
        QVariant read;
        QCOMPARE(ErrorOf([&] { read = edit.AsVariant(); }), error);
        if (error == QLatin1String("(none)")) {
            QCOMPARE(read, value);
            // Written back, the value shows the same text.
            edit.SetAsVariant(read);
            QCOMPARE(edit.text(), text);
        }
    }

    void labelNumbers()
    {
        TpzLabel label;
        label.SetNumber(3.25);
        QCOMPARE(label.text(), QStringLiteral("3.25"));
        QCOMPARE(TextAsNumber(&label), QVariant(3.25));
        label.SetNumber(QVariant());
        QCOMPARE(label.text(), QString());
        QVERIFY(TextAsNumber(&label).isNull());
        TpzEdit edit;
        edit.setText(QStringLiteral("12a"));
        QVERIFY(TextAsNumber(&edit).isNull());
    }

    void pickerCheckBox()
    {
        TpzDateTimePicker picker;
        // A new picker holds today and no tick.
        QCOMPARE(picker.DateTime().date(), QDate::currentDate());
        QVERIFY(!picker.Checked());
        // Without a check box it always reads a date.
        QCOMPARE(picker.AsDate(), QVariant(QDate::currentDate()));

        picker.SetShowCheckbox(true);
        QVERIFY(picker.AsDate().isNull());
        QVERIFY(picker.AsDateTime().isNull());
        QVERIFY(picker.AsTime().isNull());

        const QDateTime written(QDate(2013, 7, 12), QTime(14, 30));
        picker.SetAsDate(written);
        QVERIFY(picker.Checked());
        QCOMPARE(picker.AsDate(), QVariant(QDate(2013, 7, 12)));
        QCOMPARE(picker.AsDateTime().toDateTime(), written);
        QCOMPARE(picker.AsTime(), QVariant(QTime(14, 30)));

        picker.SetAsDate(QVariant());
        QVERIFY(!picker.Checked());
        QVERIFY(picker.AsDate().isNull());
        QCOMPARE(picker.DateTime().date(), QDate::currentDate());

        picker.SetAsTime(QTime(8, 15));
        QVERIFY(picker.Checked());
        QCOMPARE(picker.AsTime(), QVariant(QTime(8, 15)));
        picker.Clear();
        QVERIFY(picker.AsDate().isNull());

        // The user's tick gives the picker a value again.
        QTest::mouseClick(picker.CheckBox(), Qt::LeftButton, {}, QPoint(5, picker.CheckBox()->height() / 2));
        QVERIFY(picker.Checked());
        QCOMPARE(picker.AsDate(), QVariant(QDate::currentDate()));
    }

    void pickerTypedDate_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QDate>("date");
        QTest::newRow("with dashes") << "2012-05-01" << QDate(2012, 5, 1);
        QTest::newRow("digits only") << "20120501" << QDate(2012, 5, 1);
        QTest::newRow("another year") << "1999-12-31" << QDate(1999, 12, 31);
        QTest::newRow("one-digit parts") << "2012-5-1" << QDate(2012, 5, 1);
        QTest::newRow("a separator that moves on") << "2012-1-5" << QDate(2012, 1, 5);
    }
    // A whole date typed over the selected date takes its place, year and all.
    void pickerTypedDate()
    {
        QFETCH(QString, typed);
        QFETCH(QDate, date);
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *picker = new TpzDateTimePicker(&window);
        layout->addWidget(picker);
        picker->SetAsDate(QDateTime(QDate(2013, 7, 12), QTime()));
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        for (const bool whole : {false, true}) {
            picker->SetAsDate(QDateTime(QDate(2013, 7, 12), QTime()));
            picker->Editor()->setFocus(Qt::TabFocusReason);
            QTRY_VERIFY(picker->Editor()->hasFocus());
            if (whole)
                picker->Editor()->selectAll();
            TypeText(picker->Editor(), typed);
            QTest::keyClick(picker->Editor(), Qt::Key_Return);
            QVERIFY2(picker->AsDate() == QVariant(date),
                     qPrintable(picker->Editor()->text() + (whole ? " (all selected)" : " (year selected)")));
            picker->window()->setFocus();
        }
    }

    void enterMovesFocus()
    {
        FocusWindow w;
        QVERIFY(w.Active);
        w.first->setFocus();
        QTRY_VERIFY(w.first->hasFocus());
        QTest::keyClick(w.first, Qt::Key_Return);
        QTRY_VERIFY(w.second->hasFocus());
        QTest::keyClick(w.second, Qt::Key_Return, Qt::ShiftModifier);
        QTRY_VERIFY(w.first->hasFocus());
        // Without TabOnEnter the key stays in the box.
        w.first->SetTabOnEnter(false);
        QTest::keyClick(w.first, Qt::Key_Return);
        QVERIFY(w.first->hasFocus());
        // The combo box always moves on.
        w.third->setFocus();
        QTRY_VERIFY(w.third->hasFocus());
        QTest::keyClick(w.third, Qt::Key_Enter, Qt::ShiftModifier);
        QTRY_VERIFY(w.second->hasFocus());
    }

    void focusTint()
    {
        FocusWindow w;
        QVERIFY(w.Active);
        const QColor before(10, 20, 30);
        QPalette palette = w.second->palette();
        palette.setColor(QPalette::Base, before);
        w.second->setPalette(palette);
        w.second->setFocus();
        QTRY_VERIFY(w.second->hasFocus());
        QCOMPARE(w.second->palette().color(QPalette::Base), QColor(0, 255, 255));
        w.first->setFocus();
        QTRY_VERIFY(w.first->hasFocus());
        QCOMPARE(w.second->palette().color(QPalette::Base), before);

        w.second->setReadOnly(true);
        w.second->setFocus();
        QTRY_VERIFY(w.second->hasFocus());
        QCOMPARE(w.second->palette().color(QPalette::Base), QColor(255, 255, 0));

        w.third->setFocus();
        QTRY_VERIFY(w.third->hasFocus());
        QCOMPARE(w.third->palette().color(QPalette::Base), QColor(0, 255, 255));
        w.first->setFocus();
        QTRY_VERIFY(w.first->hasFocus());
        QCOMPARE(w.third->palette().color(QPalette::Base), QColor(255, 255, 255));
    }

    void focusColourComesBack_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("edit box") << 0;
        QTest::newRow("combo box") << 1;
        QTest::newRow("memo") << 2;
        QTest::newRow("date picker") << 3;
    }
    // A box focused before its dialog shows gets the focus twice, as the dialog shows and as
    // it is activated; when the focus leaves, the box shows its own colour again all the same.
    void focusColourComesBack()
    {
        QFETCH(int, kind);
        QDialog window;
        auto *layout = new QVBoxLayout(&window);
        QWidget *box = nullptr;
        QWidget *coloured = nullptr; // the part that takes the colour
        switch (kind) {
        case 0:
            box = coloured = new TpzEdit(&window);
            break;
        case 1:
            box = coloured = new TpzComboBox(&window);
            break;
        case 2:
            box = coloured = new TpzMemo(&window);
            break;
        default: {
            auto *picker = new TpzDateTimePicker(&window);
            box = picker;
            coloured = picker->Editor();
        }
        }
        auto *next = new TpzEdit(&window);
        layout->addWidget(box);
        layout->addWidget(next);
        const QColor own(10, 20, 30);
        QPalette palette = coloured->palette();
        palette.setColor(QPalette::Base, own);
        coloured->setPalette(palette);
        box->setFocus();
        window.show();
        QApplication::setActiveWindow(&window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTRY_VERIFY(box->hasFocus());
        QCOMPARE(coloured->palette().color(QPalette::Base), QColor(0, 255, 255));
        next->setFocus();
        QTRY_VERIFY(next->hasFocus());
        QCOMPARE(coloured->palette().color(QPalette::Base), own);
    }

    void comboDeleteClears()
    {
        TpzComboBox combo;
        combo.SetEditable(false);
        combo.addItems({QStringLiteral("绝密"), QStringLiteral("秘密")});
        combo.setCurrentIndex(1);
        int changes = 0;
        connect(&combo, &QComboBox::currentIndexChanged, &combo, [&] { ++changes; });
        QTest::keyClick(&combo, Qt::Key_Delete);
        QCOMPARE(combo.currentIndex(), -1);
        QCOMPARE(changes, 1);
        // A free-text combo box completes nothing while typing.
        TpzComboBox free;
        free.addItems({QStringLiteral("合同档案")});
        QCOMPARE(free.completer(), nullptr);
    }

    void fieldBinding()
    {
        TDataSet record;
        TField *code = record.AddField(FieldKind::WideString, QStringLiteral("Code"), 20);
        TField *date = record.AddField(FieldKind::DateTime, QStringLiteral("Date1"));
        record.CreateDataSet();
        record.Append();
        TpzEdit edit;
        edit.BindField(code);
        TpzDateTimePicker picker;
        picker.SetShowCheckbox(true);
        picker.BindField(date);

        // Typed values count once the record asks for them.
        edit.setText(QStringLiteral("A-1"));
        picker.SetAsDate(QDateTime(QDate(2013, 7, 12), QTime()));
        QVERIFY(code->IsNull());
        record.UpdateRecord();
        QCOMPARE(code->AsString(), QStringLiteral("A-1"));
        QCOMPARE(date->AsDateTime().date(), QDate(2013, 7, 12));

        // Values set in the record show in the controls.
        code->SetValue(QStringLiteral("B-2"));
        date->Clear();
        QCOMPARE(edit.text(), QStringLiteral("B-2"));
        QVERIFY(!picker.Checked());
    }

    // Both ways of asking for a separator give a plain line, no caption on it: the same as
    // a separator the menu makes itself.
    void popupSeparators()
    {
        TpzPopupMenu menu;
        menu.AddItem(QStringLiteral("排序"), false, [] {});
        QAction *byCaption = menu.AddItem(QStringLiteral("-"), false, nullptr);
        menu.AddItem(QStringLiteral("列选择"), false, [] {});
        QAction *separator = menu.AddSeparator();
        menu.AddItem(QStringLiteral("保存表格样式"), false, [] {});
        QAction *plain = menu.addSeparator();
        menu.AddItem(QStringLiteral("导出"), false, [] {});
        menu.popup(QPoint(10, 10));
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        const QImage image = menu.grab().toImage();
        // The pixels of an item, apart from those of the plain separator.
        const auto differs = [&](QAction *item) {
            const QRect own = menu.actionGeometry(item);
            const QRect reference = menu.actionGeometry(plain);
            if (own.size() != reference.size())
                return true;
            return image.copy(own) != image.copy(reference);
        };
        for (QAction *item : {byCaption, separator}) {
            QVERIFY(item->isSeparator());
            QVERIFY(!differs(item));
        }
        menu.close();
    }

    void popupBuilding()
    {
        ScriptedPrompter prompts;
        TpzPopupMenu menu;
        QStringList ran;
        menu.AddItem(QStringLiteral("b"), false, [&] { ran << "b"; });
        menu.AddItem(QStringLiteral("a"), true, [&] { ran << "a"; });
        menu.AddItem(QStringLiteral("-"), false, nullptr);
        QAction shared(QStringLiteral("共享"));
        shared.setEnabled(false);
        menu.AddAction(&shared, 1);
        menu.AddSeparator(0);
        QStringList captions;
        for (QAction *item : menu.actions())
            captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
        QCOMPARE(captions, (QStringList{"-", "a", "共享", "b", "-"}));
        QVERIFY(!menu.actions()[2]->isEnabled());
        QCOMPARE(menu.ItemByCaption(QStringLiteral("-")), menu.actions().first());

        // Item handlers run under the guard: an error is shown and ends only the command.
        menu.AddItem(QStringLiteral("bad"), false, [] { throw EConvertError(QStringLiteral("坏了")); });
        menu.ItemByCaption(QStringLiteral("bad"))->trigger();
        menu.ItemByCaption(QStringLiteral("a"))->trigger();
        QCOMPARE(ran, QStringList{"a"});
        QCOMPARE(prompts.Texts().size(), 1);
        QVERIFY(prompts.LastText().contains(QStringLiteral("坏了")));

        // A sub-menu takes actions at an index too.
        QMenu sub;
        sub.addAction(QStringLiteral("x"));
        menu.AddAction(&shared, 0, &sub);
        QCOMPARE(sub.actions().first(), &shared);

        menu.ClearItems();
        QVERIFY(menu.actions().isEmpty());
        // The bound action belongs to its owner and survives.
        QCOMPARE(shared.text(), QStringLiteral("共享"));
    }
};

PZ_TEST(TCtrlsTest)
#include "tst_inputcontrols.moc"
