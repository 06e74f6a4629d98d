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
    void offersOnlyEquipmentNotListedForTheFlag();
    void addsTheSelectedLinesWithTheFlagAndCloses();
    void stornoAddsNothing();

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

void TestEquipmentChooser::offersOnlyEquipmentNotListedForTheFlag()
{
    QVector<EquipmentLine> lines{{QStringLiteral("Helma"), Provided},
                                 {QStringLiteral("Brýle"), Missing}};
    ScriptedMessages messages;
    FrmRizikaAddOOPP provided(*m_db, messages, lines, Provided);
    QCOMPARE(provided.objectName(), QStringLiteral("frmRizikaAddOOPP"));
    QVERIFY(provided.isModal());
    QCOMPARE(provided.list()->objectName(), QStringLiteral("lstOOPP"));
    QCOMPARE(provided.list()->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(offered(provided), (QStringList{QStringLiteral("Brýle"), QStringLiteral("Čepice"),
                                             QStringLiteral("Chrániče sluchu")}));
    FrmRizikaAddOOPP missing(*m_db, messages, lines, Missing);
    QCOMPARE(offered(missing), (QStringList{QStringLiteral("Čepice"), QStringLiteral("Helma"),
                                            QStringLiteral("Chrániče sluchu")}));
    QVERIFY(messages.shown.isEmpty());
}

void TestEquipmentChooser::addsTheSelectedLinesWithTheFlagAndCloses()
{
    QVector<EquipmentLine> lines{{QStringLiteral("Helma"), Provided}};
    ScriptedMessages messages;
    FrmRizikaAddOOPP dialog(*m_db, messages, lines, Missing);
    dialog.show();
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
}

void TestEquipmentChooser::stornoAddsNothing()
{
    QVector<EquipmentLine> lines;
    ScriptedMessages messages;
    FrmRizikaAddOOPP dialog(*m_db, messages, lines, Provided);
    dialog.show();
    dialog.list()->item(0)->setSelected(true);
    QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("cmdStorno")), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(lines.isEmpty());
}

QTEST_MAIN(TestEquipmentChooser)
#include "tst_equipmentchooser.moc"
