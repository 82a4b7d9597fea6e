// Qt's own texts in Chinese once the translations are installed.

#include "Translations.h"

#include "TestMain.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class TTranslationsTest : public QObject
{
    Q_OBJECT
private slots:
    void missingFolderIsRefused()
    {
        QTemporaryDir empty;
        QVERIFY(!InstallChineseTranslations(empty.path()));
    }

    // The standard buttons of Qt's dialogs, as a file or print dialog shows them.
    void standardButtonsSpeakChinese()
    {
        QVERIFY2(InstallChineseTranslations(), "qtbase_zh_CN.qm is not installed");
        QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Open);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')),
                 QStringLiteral("取消"));
        QCOMPARE(box.button(QDialogButtonBox::Open)->text().remove(QLatin1Char('&')).left(2),
                 QStringLiteral("打开"));
    }
};

PZ_TEST(TTranslationsTest)
#include "tst_translations.moc"
