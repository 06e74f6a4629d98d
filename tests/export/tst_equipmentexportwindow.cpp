#include "ScriptedDialogs.h"
#include "ScriptedMessages.h"
#include "TestDatabase.h"
#include "XlsxReader.h"
#include "export/FrmExportOOP.h"

#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

using namespace tamvel;

class TestEquipmentExportWindow : public QObject
{
    Q_OBJECT

private:
    struct Fixture
    {
        QTemporaryDir dir;
        std::unique_ptr<Database> db = newDatabase(dir);
        ScriptedMessages messages;
        ScriptedFiles files;
        QPointer<FrmExportOOP> window;

        Fixture()
        {
            db->execute(QStringLiteral("INSERT INTO systemy (system, system_nadrazeny) VALUES "
                                       "('Dílna', ''), ('Lakovna', 'Dílna'), ('Sklad', '')"));
            db->execute(QStringLiteral("INSERT INTO pracovnici (pracovnik) VALUES ('Lakýrník')"));
            db->execute(QStringLiteral("INSERT INTO rizika (id_riziko, system, pracovnik) "
                                       "VALUES (1, 'Lakovna', 'Lakýrník')"));
            db->execute(QStringLiteral("INSERT INTO oop_rizika (id_riziko, oop, oop_poskytnuto) "
                                       "VALUES (1, 'Respirátor', 'a')"));
            window = new FrmExportOOP(*db, messages, files, QStringLiteral("jan"));
            window->setOpener([](const QUrl &) { return true; });
            window->show();
        }
        ~Fixture() { delete window.data(); }

        template <class W> W *child(const char *name) const
        {
            W *w = window->findChild<W *>(QString::fromLatin1(name));
            if (!w)
                qFatal("no child %s", name);
            return w;
        }
        QPushButton *zpet() const { return child<QPushButton>("cmdZpet"); }
        QPushButton *tam() const { return child<QPushButton>("cmdTam"); }
    };

private slots:
    void firstPageAndStorno()
    {
        Fixture f;
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Export OOPP"));
        QCOMPARE(f.child<QRadioButton>("optSystem")->text(), QStringLiteral("Systémy"));
        QCOMPARE(f.child<QRadioButton>("optPracovnici")->text(), QStringLiteral("Pracovníky"));
        QCOMPARE(f.window->state(), QStringLiteral("System"));
        f.child<QRadioButton>("optPracovnici")->setChecked(true);
        QCOMPARE(f.window->state(), QStringLiteral("Pracovnici"));
        QCOMPARE(f.zpet()->text(), QStringLiteral("Storno"));
        f.zpet()->click();
        QTRY_VERIFY(f.window.isNull());
    }

    void workersRouteExports()
    {
        Fixture f;
        f.child<QRadioButton>("optPracovnici")->setChecked(true);
        f.tam()->click();
        QCOMPARE(f.window->state(), QStringLiteral("Pracovnici1"));
        QCOMPARE(f.tam()->text(), QStringLiteral("Export"));
        QCOMPARE(f.zpet()->text(), QStringLiteral("<<"));
        auto *vyber = f.child<QPushButton>("cmdVyber");
        QCOMPARE(vyber->text(), QStringLiteral("Vyber vše"));
        vyber->click();
        QCOMPARE(vyber->text(), QStringLiteral("Zruš vše"));
        QCOMPARE(f.child<QListWidget>("lstPracovnici")->selectedItems().size(), 1);

        const QString path = f.dir.filePath(QStringLiteral("OOPP.xlsx"));
        f.files.answers << path;
        f.messages.answers << true; // open it
        f.tam()->click();
        QCOMPARE(f.files.titles, QStringList{QStringLiteral("Export dat do MS Excel")});
        QCOMPARE(f.files.proposedNames, QStringList{QStringLiteral("OOPP.xlsx")});
        QCOMPARE(f.messages.lastText(),
                 QStringLiteral("Přejete si prohlédnout vytvořený export nyní?"));
        const auto s = XlsxReader(path).sheet(QStringLiteral("OOPP"));
        QCOMPARE(s.row(4, 3), QStringLiteral("Lakýrník|Respirátor|"));
        QTRY_VERIFY(f.window.isNull());
    }

    void systemsRouteCarriesChecksAndGoesBack()
    {
        Fixture f;
        f.tam()->click();
        QCOMPARE(f.window->state(), QStringLiteral("System1"));
        QCOMPARE(f.tam()->text(), QStringLiteral(">>"));
        QCOMPARE(f.zpet()->text(), QStringLiteral("<<"));
        auto *tree = f.child<QTreeWidget>("trvSystemy");
        QTreeWidgetItem *dilna = tree->topLevelItem(0);
        QCOMPARE(dilna->text(0), QStringLiteral("Dílna"));
        dilna->setCheckState(0, Qt::Checked);
        QCOMPARE(dilna->child(0)->checkState(0), Qt::Checked);
        QCOMPARE(f.window->checkedSystems(),
                 (QStringList{QStringLiteral("Dílna"), QStringLiteral("Lakovna")}));
        f.tam()->click();
        QCOMPARE(f.window->state(), QStringLiteral("System2"));
        auto *list = f.child<QListWidget>("lstPracovnici");
        QCOMPARE(list->count(), 1);
        QCOMPARE(list->item(0)->text(), QStringLiteral("Lakýrník"));
        f.zpet()->click();
        QCOMPARE(f.window->state(), QStringLiteral("System1"));
        QCOMPARE(dilna->child(0)->checkState(0), Qt::Checked);
        f.zpet()->click();
        QCOMPARE(f.window->state(), QStringLiteral("System"));
        QVERIFY(!f.window.isNull());
    }
};

QTEST_MAIN(TestEquipmentExportWindow)
#include "tst_equipmentexportwindow.moc"
