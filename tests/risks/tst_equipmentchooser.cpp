#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include "risks/FrmRizikaAddOOPP.h"

#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;
using namespace tamvel::risks;

class TestEquipmentChooser : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void addsTheSelectedLinesWithTheFlagAndCloses();
    void offersOnlyWhatIsNotListedWithTheFlagAndStornoAddsNothing();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
};

static QStringList offered(const FrmRizikaAddOOPP &dialog)
{
    QStringList texts;
    for (int i = 0; i < dialog.list()->count(); ++i)
        texts << dialog.list()->item(i)->text();
    return texts;
}

void TestEquipmentChooser::init()
{
    m_db = newDatabase(
        m_dir, QStringLiteral("%1.mdb").arg(QString::fromUtf8(QTest::currentTestFunction())));
    for (const char *name : {"Helma", "Chrániče sluchu", "Čepice", "Brýle"})
        m_db->execute(QStringLiteral("INSERT INTO oop (oop) VALUES (?)"),
                      {QString::fromUtf8(name)});
}

void TestEquipmentChooser::addsTheSelectedLinesWithTheFlagAndCloses()
{
    QVector<EquipmentLine> lines{{QStringLiteral("Helma"), Provided}};
    ScriptedMessages messages;
    FrmRizikaAddOOPP dialog(*m_db, messages, lines, Missing);
    dialog.show();
    QCOMPARE(dialog.objectName(), QStringLiteral("frmRizikaAddOOPP"));
    QVERIFY(dialog.isModal());
    QCOMPARE(dialog.list()->objectName(), QStringLiteral("lstOOPP"));
    QCOMPARE(dialog.list()->selectionMode(), QAbstractItemView::ExtendedSelection);
    // Provided equipment may still be listed as missing.
    QCOMPARE(offered(dialog),
             (QStringList{QStringLiteral("Brýle"), QStringLiteral("Čepice"),
                          QStringLiteral("Helma"), QStringLiteral("Chrániče sluchu")}));
    QSignalSpy added(&dialog, &FrmRizikaAddOOPP::added);
    // Chosen out of order: the lines follow the list.
    dialog.list()->item(2)->setSelected(true); // Helma
    dialog.list()->item(0)->setSelected(true); // Brýle
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("cmdPridat")), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(added.count(), 1);
    QCOMPARE(added[0][0].toInt(), 2);
    QCOMPARE(lines, (QVector<EquipmentLine>{{QStringLiteral("Helma"), Provided},
                                            {QStringLiteral("Brýle"), Missing},
                                            {QStringLiteral("Helma"), Missing}}));
    QVERIFY(messages.shown.isEmpty());
}

void TestEquipmentChooser::offersOnlyWhatIsNotListedWithTheFlagAndStornoAddsNothing()
{
    const QVector<EquipmentLine> before{{QStringLiteral("Helma"), Provided}};
    QVector<EquipmentLine> lines = before;
    ScriptedMessages messages;
    FrmRizikaAddOOPP dialog(*m_db, messages, lines, Provided);
    dialog.show();
    QCOMPARE(offered(dialog), (QStringList{QStringLiteral("Brýle"), QStringLiteral("Čepice"),
                                           QStringLiteral("Chrániče sluchu")}));
    dialog.list()->item(0)->setSelected(true);
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("cmdStorno")), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(lines, before);
}

QTEST_MAIN(TestEquipmentChooser)
#include "tst_equipmentchooser.moc"
