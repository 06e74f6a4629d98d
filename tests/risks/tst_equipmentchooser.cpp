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
    void offersByTheFlagAndAddsTheSelectedLines();
};

static QStringList offered(const FrmRizikaAddOOPP &dialog)
{
    QStringList texts;
    for (int i = 0; i < dialog.list()->count(); ++i)
        texts << dialog.list()->item(i)->text();
    return texts;
}

void TestEquipmentChooser::offersByTheFlagAndAddsTheSelectedLines()
{
    QTemporaryDir dir;
    const auto db = newDatabase(dir);
    for (const char *name : {"Helma", "Chrániče sluchu", "Čepice", "Brýle"})
        db->execute(QStringLiteral("INSERT INTO oop (oop) VALUES (?)"), {QString::fromUtf8(name)});
    QVector<EquipmentLine> lines{{QStringLiteral("Helma"), Provided}};
    ScriptedMessages messages;
    FrmRizikaAddOOPP dialog(*db, messages, lines, Missing);
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

    // As provided, what is listed as provided is not offered; Storno adds nothing.
    const QVector<EquipmentLine> before = lines;
    FrmRizikaAddOOPP provided(*db, messages, lines, Provided);
    provided.show();
    QCOMPARE(offered(provided), (QStringList{QStringLiteral("Brýle"), QStringLiteral("Čepice"),
                                             QStringLiteral("Chrániče sluchu")}));
    provided.list()->item(0)->setSelected(true);
    QTest::mouseClick(provided.findChild<QPushButton *>(QStringLiteral("cmdStorno")),
                      Qt::LeftButton);
    QCOMPARE(provided.result(), int(QDialog::Rejected));
    QCOMPARE(lines, before);
}

QTEST_MAIN(TestEquipmentChooser)
#include "tst_equipmentchooser.moc"
