// The import pass without its window: the preset mapping, blank rows, and a refused value
// that names its sheet row while the records before it stay.

#include "DataSet.h"
#include "ExchangeTest.h"
#include "SheetImport.h"
#include "TestMain.h"

using namespace ExchangeTest;
using namespace Exchange;

class SheetImportTest : public QObject
{
    Q_OBJECT

private slots:
    // A title equal to a field's label, letter case ignored, presets the field; a field with
    // no such title stays unmapped; the first of two equal titles wins.
    void presetMapping()
    {
        TDataSet target;
        TField *code = target.AddField(FieldKind::String, QStringLiteral("Code"));
        code->SetDisplayLabel(QStringLiteral("Code No"));
        TField *name = target.AddField(FieldKind::String, QStringLiteral("Name"));
        name->SetDisplayLabel(QStringLiteral("档案名称"));
        TField *notes = target.AddField(FieldKind::String, QStringLiteral("Notes"));
        notes->SetDisplayLabel(QStringLiteral("备注"));

        const QStringList titles{QStringLiteral("CODE NO"), QStringLiteral("档案名称"),
                                 QStringLiteral("code no")};
        const QList<TFieldMapping> mapping = PresetMapping({code, name, notes}, titles);
        QCOMPARE(mapping.size(), 3);
        QCOMPARE(mapping[0].Target, code);
        QCOMPARE(mapping[0].Source, QStringLiteral("CODE NO"));
        QCOMPARE(mapping[1].Source, QStringLiteral("档案名称"));
        QCOMPARE(mapping[2].Source, QString());
        QCOMPARE(SourceColumn(titles, QStringLiteral("Code no")), 0);
        QCOMPARE(SourceColumn(titles, QString()), -1);
    }

    // Rows whose cells are all empty or blank make no record; the others make one each, in
    // sheet order, with only the mapped columns passed on.
    void blankRowsAreSkipped()
    {
        TSheet sheet;
        sheet.Titles = {QStringLiteral("编号"), QStringLiteral("日期"), QStringLiteral("其他")};
        sheet.Rows = {
            {QStringLiteral("A"), QStringLiteral("2012-05-01"), QStringLiteral("x")},
            {},
            {QVariant(), QStringLiteral("   "), QStringLiteral("\t")},
            {QVariant(), QVariant(), QStringLiteral("only the unmapped column")},
            {QStringLiteral("B")},
        };
        TDataSet target;
        TField *code = target.AddField(FieldKind::String, QStringLiteral("Code"));
        TField *day = target.AddField(FieldKind::DateTime, QStringLiteral("Day"));
        target.CreateDataSet();
        QStringList passed;
        const int appended =
            AppendSheetRows(sheet, {{code, QStringLiteral("编号")}, {day, QStringLiteral("日期")}}, target,
                            [&passed](TField *field, const QVariant &value) {
                                passed << field->FieldName() + QLatin1Char('=') + CellText(value);
                                field->SetValue(value);
                            });
        QCOMPARE(appended, 3);
        QCOMPARE(target.RecordCount(), 3);
        QCOMPARE(passed, (QStringList{"Code=A", "Day=2012-05-01", "Code=", "Day=", "Code=B", "Day="}));
        QCOMPARE(target.RecNo(), 0);
        QVERIFY(!target.ControlsDisabled());
    }

    // A refused value ends the pass with a message naming the row the spreadsheet program
    // shows; the records appended before it stay and the one being built is dropped.
    void refusedValueNamesTheSheetRow()
    {
        TSheet sheet;
        sheet.FirstRow = 2; // titles in row 2, records from row 3
        sheet.Titles = {QStringLiteral("日期")};
        for (int i = 0; i < 10; ++i)
            sheet.Rows.append(
                {i == 6 ? QStringLiteral("不是日期") : QStringLiteral("2013-01-%1").arg(i + 1)});
        sheet.Rows.insert(2, QVariantList()); // a blank row moves the later ones down one row
        TDataSet target;
        TField *day = target.AddField(FieldKind::DateTime, QStringLiteral("Day"));
        target.CreateDataSet();
        const QString error = ErrorOf<EConvertError>([&] {
            AppendSheetRows(sheet, {{day, QStringLiteral("日期")}}, target,
                            [](TField *field, const QVariant &value) { field->SetValue(value); });
        });
        QVERIFY2(error.startsWith(QStringLiteral("第 10 行: ")), qPrintable(error));
        QCOMPARE(target.RecordCount(), 6);
        QCOMPARE(target.State(), DataSetState::Browse);
        QVERIFY(!target.ControlsDisabled());
    }

    // A cancel through the progress report ends the pass silently.
    void progressMayCancel()
    {
        TSheet sheet;
        sheet.Titles = {QStringLiteral("编号")};
        for (int i = 0; i < 1000; ++i)
            sheet.Rows.append({QString::number(i)});
        TDataSet target;
        TField *code = target.AddField(FieldKind::String, QStringLiteral("Code"));
        target.CreateDataSet();
        const QString error = ErrorOf<EAbort>([&] {
            AppendSheetRows(
                sheet, {{code, QStringLiteral("编号")}}, target,
                [](TField *field, const QVariant &value) { field->SetValue(value); },
                [](qint64 done) { return done < 512; });
        });
        QCOMPARE(error, EAbort().Message());
        QVERIFY(target.RecordCount() < 1000);
        QVERIFY(!target.ControlsDisabled());
    }
};

PZ_TEST(SheetImportTest)
#include "tst_sheetimport.moc"
