#include "app/MDITamvel.h"

#include <QLabel>
#include <QMdiArea>
#include <QStatusBar>
#include <QTest>

using namespace tamvel;

class TestMDITamvel : public QObject
{
    Q_OBJECT

private slots:
    void showsTitleAndStatus();
};

void TestMDITamvel::showsTitleAndStatus()
{
    MDITamvel window;
    QCOMPARE(window.objectName(), QStringLiteral("MDITamvel"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Tamvel      verze : 1.3.4  testovací beta"));
    QVERIFY(window.mdiArea() != nullptr);

    window.showState(QStringLiteral("Administrator"), QStringLiteral("/data/rizika.mdb"));
    QStringList panels;
    for (const QLabel *label : window.statusBar()->findChildren<QLabel *>())
        panels << label->text();
    QVERIFY(panels.contains(QStringLiteral("Uživatel : Administrator")));
    QVERIFY(panels.contains(QStringLiteral("Aktuální databáze : /data/rizika.mdb")));

    // 12615 x 9285 twips at the screen's dpi.
    const int dpi = window.logicalDpiX();
    QCOMPARE(window.width(), 12615 * dpi / 1440);
    QCOMPARE(window.height(), 9285 * dpi / 1440);

    if (!qEnvironmentVariableIsEmpty("TAMVEL_SCREENSHOT")) {
        window.show();
        window.grab().save(qEnvironmentVariable("TAMVEL_SCREENSHOT"));
    }
}

QTEST_MAIN(TestMDITamvel)
#include "tst_mditamvel.moc"
