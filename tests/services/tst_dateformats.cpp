// The process-wide date formats, which must not follow the locale, and the start and stop of
// the service objects.

#include "Settings.h"
#include "TestMain.h"

#include <QLocale>
#include <QTest>

class TDateFormatsTest : public QObject
{
    Q_OBJECT
private slots:
    void cleanup()
    {
        QLocale::setDefault(QLocale::c());
        NullStrictConvert = false;
    }

    void startServicesFixesFormats_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("C") << "C";
        QTest::newRow("German, day first with dots") << "de_DE";
        QTest::newRow("US, month first with slashes") << "en_US";
        QTest::newRow("Chinese") << "zh_CN";
        QTest::newRow("Arabic digits") << "ar_EG";
    }
    void startServicesFixesFormats()
    {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        // Whatever a caller left in the variables, starting the services puts them back.
        ShortDateFormat = QStringLiteral("dd.mm.yyyy");
        DateSeparator = QLatin1Char('.');
        StartServices();
        const QDateTime moment(QDate(2013, 7, 12), QTime(9, 5, 3));
        QCOMPARE(DateToStr(moment.date()), QStringLiteral("2013-07-12"));
        QCOMPARE(DateToStr(moment), QStringLiteral("2013-07-12"));
        QCOMPARE(DateTimeToStr(moment), QStringLiteral("2013-07-12 09:05:03"));
        QCOMPARE(StrToDate(QStringLiteral("2013-07-12")), QDate(2013, 7, 12));
        QCOMPARE(StrToDateTime(QStringLiteral("2013-07-12 09:05:03")), moment);
        StopServices();
    }

    void serviceObjectsLiveBetweenStartAndStop()
    {
        StartServices();
        QVERIFY(Company && SettingsStore && PickListStore && CurrentOperator);
        QCOMPARE(Company->Id, 0);
        QVERIFY(Company->CompanyName.isEmpty());
        QVERIFY(CurrentOperator->LoginId.isEmpty());
        QVERIFY(!CurrentOperator->HasRight(RightPrint));
        // The stores do not touch the database until first used.
        QVERIFY(!SettingsStore->DataSet()->Active());
        QVERIFY(!PickListStore->DataSet()->Active());
        StopServices();
        QVERIFY(!Company && !SettingsStore && !PickListStore && !CurrentOperator);
    }

    void strToDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected"); // invalid: refused
        QTest::newRow("full") << "2013-07-12" << QDate(2013, 7, 12);
        QTest::newRow("single digits, blanks around") << " 2013-7-2 " << QDate(2013, 7, 2);
        QTest::newRow("two-digit year") << "13-07-12" << QDate(2013, 7, 12);
        QTest::newRow("leap day") << "2012-02-29" << QDate(2012, 2, 29);
        QTest::newRow("no leap day") << "2013-02-29" << QDate();
        QTest::newRow("month 13") << "2013-13-01" << QDate();
        QTest::newRow("slashes") << "2013/07/12" << QDate();
        QTest::newRow("day first") << "12-07-2013" << QDate();
        QTest::newRow("two parts") << "2013-07" << QDate();
        QTest::newRow("three-digit year") << "213-07-12" << QDate();
        QTest::newRow("letters") << "2013-O7-12" << QDate();
        QTest::newRow("time attached") << "2013-07-12 10:00" << QDate();
        QTest::newRow("empty") << "" << QDate();
    }
    void strToDate()
    {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        SetDateFormats();
        QDate parsed(1999, 1, 1);
        QCOMPARE(TryStrToDate(text, parsed), expected.isValid());
        if (expected.isValid()) {
            QCOMPARE(parsed, expected);
            QCOMPARE(StrToDate(text), expected);
            return;
        }
        QCOMPARE(parsed, QDate(1999, 1, 1));
        try {
            StrToDate(text);
            QFAIL("the text was accepted");
        } catch (const EConvertError &e) {
            QCOMPARE(e.Message(), QStringLiteral("\"%1\" 不是有效的日期.").arg(text));
        }
    }

    void strToDateTime_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("expected"); // invalid: refused
        QTest::newRow("seconds") << "2013-07-12 09:05:03" << QDateTime(QDate(2013, 7, 12), QTime(9, 5, 3));
        QTest::newRow("minutes only") << "2013-07-12 9:05" << QDateTime(QDate(2013, 7, 12), QTime(9, 5));
        QTest::newRow("date only") << "2013-07-12" << QDateTime(QDate(2013, 7, 12), QTime(0, 0));
        QTest::newRow("hour 25") << "2013-07-12 25:00" << QDateTime();
        QTest::newRow("hour only") << "2013-07-12 10" << QDateTime();
        QTest::newRow("bad date") << "2013-02-30 10:00" << QDateTime();
    }
    void strToDateTime()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, expected);
        SetDateFormats();
        QDateTime parsed;
        QCOMPARE(TryStrToDateTime(text, parsed), expected.isValid());
        if (expected.isValid())
            QCOMPARE(parsed, expected);
        else
            QVERIFY_THROWS_EXCEPTION(EConvertError, StrToDateTime(text));
    }

    void formatDateTime_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        // 2013-07-02 08:04:06.007
        QTest::newRow("backup file date") << "yyyymmdd"
                                          << "20130702";
        QTest::newRow("short, no padding") << "yy/m/d"
                                           << "13-7-2";
        QTest::newRow("m after h is minutes") << "hh:mm"
                                              << "08:04";
        QTest::newRow("n is minutes") << "h:n:s"
                                      << "8:4:6";
        QTest::newRow("milliseconds") << "ss.zzz"
                                      << "06.007";
        QTest::newRow("quoted text kept") << "'mm:' yyyy \"dd\""
                                          << "mm: 2013 dd";
        QTest::newRow("upper case letters") << "YYYY-MM-DD HH:NN"
                                            << "2013-07-02 08:04";
    }
    void formatDateTime()
    {
        QFETCH(QString, format);
        QFETCH(QString, expected);
        SetDateFormats();
        QCOMPARE(FormatDateTime(format, QDateTime(QDate(2013, 7, 2), QTime(8, 4, 6, 7))), expected);
    }

    void invalidDatesGiveEmptyText()
    {
        QCOMPARE(DateToStr(QDate()), QString());
        QCOMPARE(DateTimeToStr(QDateTime()), QString());
    }

    void nullConversions_data()
    {
        QTest::addColumn<bool>("strict");
        QTest::newRow("lenient, as the services leave it") << false;
        QTest::newRow("strict") << true;
    }
    void nullConversions()
    {
        QFETCH(bool, strict);
        StartServices();
        QVERIFY(!NullStrictConvert);
        NullStrictConvert = strict;
        const QVariant null;
        if (strict) {
            QVERIFY_THROWS_EXCEPTION(EConvertError, VarToInt(null));
            QVERIFY_THROWS_EXCEPTION(EConvertError, VarToStr(null));
            QVERIFY_THROWS_EXCEPTION(EConvertError, VarToBool(null));
            QVERIFY_THROWS_EXCEPTION(EConvertError, VarToFloat(null));
        } else {
            QCOMPARE(VarToInt(null), 0);
            QCOMPARE(VarToStr(null), QString());
            QCOMPARE(VarToBool(null), false);
            QCOMPARE(VarToFloat(null), 0.0);
        }
        // Values convert the same either way; dates as text take the process formats.
        QCOMPARE(VarToInt(QVariant(QStringLiteral("42"))), 42);
        QCOMPARE(VarToBool(QVariant(QStringLiteral("True"))), true);
        QCOMPARE(VarToStr(QVariant(QDate(2013, 7, 12))), QStringLiteral("2013-07-12"));
        QVERIFY_THROWS_EXCEPTION(EConvertError, VarToInt(QVariant(QStringLiteral("x"))));
        StopServices();
    }
};

PZ_TEST(TDateFormatsTest)
#include "tst_dateformats.moc"
