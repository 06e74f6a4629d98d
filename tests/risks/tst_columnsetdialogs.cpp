#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include "risks/ColumnSets.h"
#include "risks/FrmRizikaNastaveni.h"
#include "risks/FrmRizikaNastaveniUloz.h"
#include "risks/RiskGrid.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;
using namespace tamvel::risks;

namespace {

QString s(const char *text)
{
    return QString::fromUtf8(text);
}

QStringList texts(const QListWidget *list)
{
    QStringList result;
    for (int row = 0; row < list->count(); ++row)
        result << list->item(row)->text();
    return result;
}

template <class W> W *child(const QWidget &window, const char *name)
{
    W *widget = window.findChild<W *>(QString::fromLatin1(name));
    if (!widget)
        qFatal("missing %s", name);
    return widget;
}

void click(const QWidget &window, const char *name)
{
    QPushButton *button = child<QPushButton>(window, name);
    QVERIFY2(button->isEnabled(), name);
    button->click();
}

} // namespace

class TestColumnSetDialogs : public QObject
{
    Q_OBJECT

private slots:
    void fieldSelectionShowsAtOnceInCatalogueOrder();
    void fieldSelectionMovesAndRefusesAnEmptyChoice();
    void namedSetButtonsFollowTheName();
    void namedSetSavesRestoresAndDeletes();
    void namedSetDeletedMeanwhileIsReloadedOnRequest();

private:
    QTemporaryDir m_dir;
};

void TestColumnSetDialogs::fieldSelectionShowsAtOnceInCatalogueOrder()
{
    ScriptedMessages messages;
    FrmRizikaNastaveni dialog(s("Riziko#500#Cílová hodnota#99#Systém#100#"), messages);
    QCOMPARE(dialog.windowTitle(), s("Rizika - nastavení přehledu"));
    QCOMPARE(child<QGroupBox>(dialog, "fraNastaveni")->title(), s("Nastavení přehledu"));
    auto *chosen = child<QListWidget>(dialog, "lstDo");
    QCOMPARE(texts(chosen), QStringList({s("Systém"), s("Riziko"), s("Cílová hodnota")}));
    QCOMPARE(child<QListWidget>(dialog, "lstOd")->count(), 28);
    click(dialog, "cmdUlozit");
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.columnSet(), s("Systém#1200#Riziko#1065#Cílová hodnota#1850#"));
    QVERIFY(messages.shown.isEmpty());
}

void TestColumnSetDialogs::fieldSelectionMovesAndRefusesAnEmptyChoice()
{
    ScriptedMessages messages;
    FrmRizikaNastaveni dialog(QString(), messages);
    auto *available = child<QListWidget>(dialog, "lstOd");
    auto *chosen = child<QListWidget>(dialog, "lstDo");
    QCOMPARE(chosen->count(), 8); // the default columns shown for an empty set
    click(dialog, "cmdZpetAll");
    QCOMPARE(chosen->count(), 0);
    QCOMPARE(available->count(), 31);
    QCOMPARE(available->item(30)->text(), s("Riziko")); // appended at the end
    click(dialog, "cmdUlozit");
    QCOMPARE(messages.kinds(), QStringList{s("inform")});
    QCOMPARE(messages.shown.last().title, s("Výběr polí"));
    QCOMPARE(messages.lastText(), s("Nebylo vybráno žádné pole"));
    QVERIFY(dialog.result() != QDialog::Accepted);

    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    available->findItems(s("Cesta"), Qt::MatchExactly).first()->setSelected(true);
    available->findItems(s("ID"), Qt::MatchExactly).first()->setSelected(true);
    click(dialog, "cmdTam");
    QCOMPARE(texts(chosen), QStringList({s("ID"), s("Cesta")}));
    QCOMPARE(available->count(), 29);

    // A click in one list clears the other's selection.
    chosen->item(1)->setSelected(true);
    available->item(0)->setSelected(true);
    QTest::mouseClick(chosen->viewport(), Qt::LeftButton, {},
                      chosen->visualItemRect(chosen->item(1)).center());
    QVERIFY(available->selectedItems().isEmpty());
    available->item(0)->setSelected(true);
    QTest::mouseClick(available->viewport(), Qt::LeftButton, {},
                      available->visualItemRect(available->item(0)).center());
    QVERIFY(chosen->selectedItems().isEmpty());

    click(dialog, "cmdTamAll");
    QCOMPARE(available->count(), 0);
    QCOMPARE(chosen->count(), 31);
    chosen->clearSelection();
    chosen->item(0)->setSelected(true);
    click(dialog, "cmdZpet");
    QCOMPARE(texts(available), QStringList{s("ID")});
    click(dialog, "cmdUlozit");
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(dialog.columnSet().startsWith(s("Cesta#1200#Zdroj nebezpečí#2025#")));
    QCOMPARE(parseColumnSet(dialog.columnSet()).size(), 30);
}

void TestColumnSetDialogs::namedSetButtonsFollowTheName()
{
    auto db = newDatabase(m_dir, QStringLiteral("buttons.mdb"));
    ScriptedMessages messages;
    ColumnSetStore(*db, s("novák")).save(s("moje"), s("ID#800#"), messages);
    FrmRizikaNastaveniUloz dialog(*db, s("novák"), defaultColumnSet(), messages);
    QCOMPARE(dialog.windowTitle(), s("Nastavení"));
    QCOMPARE(child<QGroupBox>(dialog, "fraNazev")->title(), s("Název nastavení"));
    QCOMPARE(child<QLabel>(dialog, "lblNazev")->text(), s("Název nastavení :"));
    auto *name = child<QComboBox>(dialog, "cmbNastaveni");
    QVERIFY(name->isEditable());
    QCOMPARE(name->count(), 2);
    auto *ok = child<QPushButton>(dialog, "cmdOk");
    auto *restore = child<QPushButton>(dialog, "cmdObnovit");
    auto *remove = child<QPushButton>(dialog, "cmdVymazat");
    QCOMPARE(ok->text(), s("Uložit"));
    QCOMPARE(child<QPushButton>(dialog, "cmdStorno")->text(), s("Storno"));
    const auto enabled = [&] {
        return QList<bool>{ok->isEnabled(), restore->isEnabled(), remove->isEnabled()};
    };
    QCOMPARE(enabled(), QList<bool>({false, false, false}));
    name->setEditText(s("default"));
    QCOMPARE(enabled(), QList<bool>({false, true, false}));
    name->setEditText(s("moje"));
    QCOMPARE(enabled(), QList<bool>({true, true, true}));
    name->setEditText(s("nové"));
    QCOMPARE(enabled(), QList<bool>({true, false, false}));
    name->setEditText(s("   "));
    QCOMPARE(enabled(), QList<bool>({false, false, false}));
    name->setCurrentIndex(name->findText(s("moje")));
    QCOMPARE(enabled(), QList<bool>({true, true, true}));
}

void TestColumnSetDialogs::namedSetSavesRestoresAndDeletes()
{
    auto db = newDatabase(m_dir, QStringLiteral("sets.mdb"));
    ScriptedMessages messages;
    const QString layout = s("Riziko#700#ID#300#");
    {
        FrmRizikaNastaveniUloz dialog(*db, s("novák"), layout, messages);
        child<QComboBox>(dialog, "cmbNastaveni")->setEditText(s("moje"));
        click(dialog, "cmdOk");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(dialog.restoredColumnSet().isEmpty());
    }
    {
        // Refusing the overwrite keeps the window open with the name selected.
        FrmRizikaNastaveniUloz dialog(*db, s("novák"), s("ID#1#"), messages);
        auto *name = child<QComboBox>(dialog, "cmbNastaveni");
        name->setEditText(s("moje"));
        click(dialog, "cmdOk");
        QCOMPARE(messages.kinds(), QStringList{s("ask")});
        QVERIFY(dialog.result() != QDialog::Accepted);
        QCOMPARE(name->lineEdit()->selectedText(), s("moje"));
        click(dialog, "cmdObnovit");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.restoredColumnSet(), layout);
    }
    {
        FrmRizikaNastaveniUloz dialog(*db, s("novák"), layout, messages);
        child<QComboBox>(dialog, "cmbNastaveni")->setEditText(s("moje"));
        click(dialog, "cmdVymazat");
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(dialog.restoredColumnSet().isEmpty());
    }
    QVERIFY(!ColumnSetStore(*db, s("novák")).isStored(s("moje")));
    QCOMPARE(messages.shown.size(), 1);
}

void TestColumnSetDialogs::namedSetDeletedMeanwhileIsReloadedOnRequest()
{
    auto db = newDatabase(m_dir, QStringLiteral("meanwhile.mdb"));
    ScriptedMessages messages;
    ColumnSetStore(*db, s("novák")).save(s("moje"), s("ID#800#"), messages);
    FrmRizikaNastaveniUloz dialog(*db, s("novák"), s("Riziko#700#"), messages);
    auto *name = child<QComboBox>(dialog, "cmbNastaveni");
    name->setEditText(s("moje"));
    // Another copy of the same user deletes the set while the window is open.
    Database::open(db->path())
        ->execute(QStringLiteral("DELETE FROM uzivatelske_nastaveni WHERE polozka = 'moje'"));

    // "No": the window as it was.
    click(dialog, "cmdVymazat");
    QCOMPARE(messages.kinds(), QStringList{s("ask")});
    QVERIFY(messages.lastText().startsWith(
        s("Záznam mezitím změnil nebo vymazal jiný uživatel. Změny nebyly uloženy.")));
    QVERIFY(dialog.result() != QDialog::Accepted);
    QCOMPARE(name->count(), 2);
    // "Yes": the names as stored now, the typed name kept.
    messages.answers = {true};
    click(dialog, "cmdVymazat");
    QCOMPARE(name->count(), 1);
    QCOMPARE(name->currentText(), s("moje"));
    QVERIFY(!child<QPushButton>(dialog, "cmdVymazat")->isEnabled());
    QVERIFY(dialog.result() != QDialog::Accepted);
}

QTEST_MAIN(TestColumnSetDialogs)
#include "tst_columnsetdialogs.moc"
