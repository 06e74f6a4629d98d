#include "RecordingHost.h"
#include "ScriptedMessages.h"
#include "TestDatabase.h"

#include "codelists/CodeListWindows.h"
#include "codelists/SystemWindows.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

using namespace tamvel;
using namespace tamvel::codelists;

// Answers the tree's popup with a chosen item and notes what the popup offered.
class FakeHost : public RecordingHost
{
public:
    QList<bool> deleteShown; // whether "&Vymazat" was visible while the popup was up
    QList<bool> editEnabled;
    QAction *remove = nullptr;
    QAction *edit = nullptr;

    QAction *popup(const QString &name, const QPoint &pos, bool gridEmpty) override
    {
        if (remove)
            deleteShown << remove->isVisible();
        if (edit)
            editEnabled << edit->isEnabled();
        return RecordingHost::popup(name, pos, gridEmpty);
    }
};

class TestSystemWindows : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void treeShowsTheSystemsAndTheirValues();
    void popupOffersDeleteOnlyForLeaves();
    void newSystemIsSavedAndSelected();
    void tooLongPathIsReportedAndHoldsTheWindowOpen();
    void editExcludesTheBranchAndAsksBeforeLeaving();
    void staffingDialogKeepsOthersAndWorkersOfOpenRisks();
    void deleteRemovesTheLeaf();

private:
    void add(const QString &name, const QString &parent = QString())
    {
        m_db->execute(
            QStringLiteral("INSERT INTO systemy (system, system_nadrazeny) VALUES (?, ?)"),
            {name, parent});
        m_db->execute(QStringLiteral("INSERT INTO system_pracovnik VALUES (?, 'ostatní')"), {name});
    }
    static QString s(const char *text) { return QString::fromUtf8(text); }
    template <class T> T *child(QWidget &window, const char *name)
    {
        T *widget = window.findChild<T *>(QString::fromUtf8(name));
        if (!widget)
            qFatal("no %s", name);
        return widget;
    }
    static QStringList items(const QListWidget *list)
    {
        QStringList result;
        for (int i = 0; i < list->count(); ++i)
            result << list->item(i)->text();
        return result;
    }
    static QStringList items(const QComboBox *combo)
    {
        QStringList result;
        for (int i = 0; i < combo->count(); ++i)
            result << combo->itemText(i);
        return result;
    }
    static QTreeWidgetItem *node(QTreeWidget *tree, const QString &text)
    {
        const QList<QTreeWidgetItem *> found =
            tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    static void rightClick(QTreeWidget *tree, QTreeWidgetItem *item)
    {
        tree->setCurrentItem(item);
        emit tree->customContextMenuRequested(tree->visualItemRect(item).center());
    }
    void demoTree()
    {
        add(s("Závod"));
        add(s("Lisovna"), s("Závod"));
        add(s("Lis 1"), s("Lisovna"));
        add(s("Lis 2"), s("Lisovna"));
        add(s("Sklad"), s("Závod"));
        add(s("Administrativa"));
        add(s("Sirotek"), s("Zbořená hala"));
        add(s("Smyčka"), s("Smyčka"));
        for (const char *worker : {"Lisař", "Skladník", "Údržbář"})
            m_db->execute(QStringLiteral("INSERT INTO pracovnici VALUES (?)"), {s(worker)});
        m_db->execute(QStringLiteral("INSERT INTO system_pracovnik VALUES ('Lis 1', 'Lisař')"));
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    int m_counter = 0;
};

void TestSystemWindows::init()
{
    m_db.reset();
    m_db = newDatabase(m_dir, QStringLiteral("w%1.mdb").arg(++m_counter));
}

void TestSystemWindows::treeShowsTheSystemsAndTheirValues()
{
    demoTree();
    ScriptedMessages messages;
    FakeHost host;
    FrmSystemy frm(*m_db, messages, host);
    QCOMPARE(frm.windowTitle(), s("Systémy"));
    auto *tree = child<QTreeWidget>(frm, "trvSystemy");
    QCOMPARE(tree->topLevelItemCount(), 3);
    QCOMPARE(tree->topLevelItem(0)->text(0), s("Administrativa"));
    QCOMPARE(tree->topLevelItem(1)->text(0), s("Závod"));
    QTreeWidgetItem *rest = tree->topLevelItem(2);
    QCOMPARE(rest->text(0), s("nezařazené"));
    QCOMPARE(rest->childCount(), 2);
    QCOMPARE(rest->child(0)->text(0), s("Sirotek"));
    QCOMPARE(rest->child(1)->text(0), s("Smyčka"));
    QVERIFY(node(tree, s("Lisovna"))->isExpanded());
    QCOMPARE(node(tree, s("Lisovna"))->parent()->text(0), s("Závod"));

    // The first root is shown, read-only, nothing to save.
    auto *name = child<QLineEdit>(frm, "txtSystem");
    auto *parent = child<QComboBox>(frm, "cmbNadrazeny");
    auto *save = child<QPushButton>(frm, "cmdUlozit");
    QCOMPARE(name->text(), s("Administrativa"));
    QVERIFY(name->isReadOnly());
    QVERIFY(!parent->isEnabled());
    QVERIFY(!child<QPushButton>(frm, "cmdPracovnici")->isEnabled());
    QVERIFY(!frm.hasUnsavedChanges() && save->isHidden());
    QCOMPARE(child<QPushButton>(frm, "cmdZavrit")->text(), s("Zavřít"));

    tree->setCurrentItem(node(tree, s("Lis 1")));
    QCOMPARE(name->text(), s("Lis 1"));
    QCOMPARE(parent->currentText(), s("Lisovna"));
    QCOMPARE(items(child<QListWidget>(frm, "lstPracovnici")),
             (QStringList{s("Lisař"), s("ostatní")}));
    // A parent that is gone still shows what is stored; "nezařazené" shows nothing.
    tree->setCurrentItem(node(tree, s("Sirotek")));
    QCOMPARE(parent->currentText(), s("Zbořená hala"));
    tree->setCurrentItem(rest);
    QCOMPARE(frm.shownSystem(), QString());
    QCOMPARE(name->text(), QString());

    const QString folder = qEnvironmentVariable("TAMVEL_SCREENSHOTS");
    if (!folder.isEmpty()) {
        tree->setCurrentItem(node(tree, s("Lis 1")));
        frm.popupItem(QStringLiteral("mnuSystTrvUpravit"));
        name->setText(s("Lis 1A"));
        frm.show();
        QCoreApplication::processEvents();
        frm.grab().save(folder + s("/systemy.png"));
    }
}

void TestSystemWindows::popupOffersDeleteOnlyForLeaves()
{
    demoTree();
    ScriptedMessages messages;
    FakeHost host;
    // The popup's items belong to the main window.
    QWidget mainWindow;
    host.remove = new QAction(&mainWindow);
    host.remove->setObjectName(QStringLiteral("mnuSystTrvVymazat"));
    host.edit = new QAction(&mainWindow);
    host.edit->setObjectName(QStringLiteral("mnuSystTrvUpravit"));
    auto *frm = new FrmSystemy(*m_db, messages, host, &mainWindow);
    auto *tree = child<QTreeWidget>(*frm, "trvSystemy");

    rightClick(tree, node(tree, s("Lisovna")));
    rightClick(tree, node(tree, s("Lis 2")));
    rightClick(tree, node(tree, s("nezařazené")));
    QCOMPARE(host.deleteShown, (QList<bool>{false, true, false}));
    QCOMPARE(host.editEnabled, (QList<bool>{true, true, false}));
    QCOMPARE(host.emptyGrids, (QList<bool>{false, false, false}));
    QVERIFY(host.remove->isVisible() && host.edit->isEnabled());

    // A chosen item sets the mode word and the mode.
    host.chosen = QStringLiteral("Upravit");
    rightClick(tree, node(tree, s("Lis 2")));
    QCOMPARE(host.mode, s("upravit"));
    QCOMPARE(frm->mode(), EditMode::Edit);

    // Nothing to edit or delete below "nezařazené" itself, and an empty tree says so.
    m_db->execute(QStringLiteral("DELETE FROM systemy"));
    FrmSystemy empty(*m_db, messages, host);
    emit child<QTreeWidget>(empty, "trvSystemy")->customContextMenuRequested(QPoint(5, 5));
    QCOMPARE(host.emptyGrids.last(), true);
    QCOMPARE(empty.mode(), EditMode::View);
}

void TestSystemWindows::newSystemIsSavedAndSelected()
{
    demoTree();
    ScriptedMessages messages;
    FakeHost host;
    FrmSystemy frm(*m_db, messages, host);
    auto *tree = child<QTreeWidget>(frm, "trvSystemy");
    auto *name = child<QLineEdit>(frm, "txtSystem");
    auto *parent = child<QComboBox>(frm, "cmbNadrazeny");
    auto *save = child<QPushButton>(frm, "cmdUlozit");

    tree->setCurrentItem(node(tree, s("Sklad")));
    frm.popupItem(QStringLiteral("mnuSystTrvNovy"));
    QCOMPARE(host.mode, s("novy"));
    QCOMPARE(name->text(), QString());
    QVERIFY(!name->isReadOnly() && parent->isEnabled());
    QCOMPARE(parent->currentText(), s("Sklad"));
    QCOMPARE(items(parent).first(), QString());
    QCOMPARE(items(child<QListWidget>(frm, "lstPracovnici")), QStringList{s("ostatní")});
    QVERIFY(save->isHidden());
    QCOMPARE(save->text(), s("Uložit nový systém"));

    name->setText(s("123"));
    QVERIFY(!save->isHidden());
    frm.save();
    QCOMPARE(messages.lastText(), s("Název systému musí obsahovat alespoň 1 nenumerický znak! "));
    QCOMPARE(frm.mode(), EditMode::New);
    QVERIFY(!node(tree, s("123")));

    name->setText(s("123a"));
    frm.save();
    QCOMPARE(frm.mode(), EditMode::View);
    QVERIFY(save->isHidden());
    QVERIFY(name->isReadOnly() && !parent->isEnabled());
    QCOMPARE(tree->currentItem()->text(0), s("123a"));
    QCOMPARE(tree->currentItem()->parent()->text(0), s("Sklad"));
    QCOMPARE(m_db->scalarText(QStringLiteral("SELECT pracovnik FROM system_pracovnik WHERE "
                                             "system = '123a'")),
             s("ostatní"));
}

void TestSystemWindows::tooLongPathIsReportedAndHoldsTheWindowOpen()
{
    const QString child30(30, QLatin1Char('b'));
    add(s("A"));
    add(child30, s("A"));
    ScriptedMessages messages;
    FakeHost host;
    QMdiArea area;
    auto *frm = new FrmSystemy(*m_db, messages, host);
    frm->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow *sub = area.addSubWindow(frm);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow *other = area.addSubWindow(new QWidget);
    area.show();
    sub->show();
    other->show();
    area.setActiveSubWindow(sub);
    QTest::qWait(20); // the switches of the set-up are over
    auto *tree = child<QTreeWidget>(*frm, "trvSystemy");
    auto *name = child<QLineEdit>(*frm, "txtSystem");

    // 1 + 1 + 30 + 1 + 26 = 59 characters: nothing to report.
    tree->setCurrentItem(node(tree, child30));
    frm->popupItem(QStringLiteral("mnuSystTrvNovy"));
    name->setText(QString(26, QLatin1Char('c')));
    frm->save();
    QVERIFY(messages.shown.isEmpty());

    // 27 characters make 60: reported after the save, which stands.
    tree->setCurrentItem(node(tree, child30));
    frm->popupItem(QStringLiteral("mnuSystTrvNovy"));
    const QString grandchild(27, QLatin1Char('c'));
    name->setText(grandchild);
    frm->save();
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown.last().kind, QStringLiteral("fail"));
    const QString tooLong = s("Strom systémů se systémem '") + grandchild +
                            s("' přesahuje maximální povolenou délku. Upravte systém/strom "
                              "systémů.");
    QCOMPARE(messages.lastText(), tooLong);
    QCOMPARE(tree->currentItem()->text(0), grandchild);

    // Closing is refused, by the window's button and by the frame alike.
    child<QPushButton>(*frm, "cmdZavrit")->click();
    QVERIFY(!sub->close());
    QCOMPARE(area.subWindowList().size(), 2);
    QCOMPARE(messages.shown.size(), 3);
    QCOMPARE(messages.shown.last().title, s("Systém"));

    // Leaving the window reports it once, after the switch.
    area.setActiveSubWindow(other);
    QTRY_COMPARE(messages.shown.size(), 4);
    QCOMPARE(messages.lastText(), tooLong);
    QTest::qWait(50);
    QCOMPARE(messages.shown.size(), 4);
    area.setActiveSubWindow(sub);
    QTest::qWait(50);
    QCOMPARE(messages.shown.size(), 4);

    // Shortened, the window closes.
    frm->popupItem(QStringLiteral("mnuSystTrvUpravit"));
    name->setText(QString(20, QLatin1Char('c')));
    frm->save();
    QCOMPARE(messages.shown.size(), 4);
    QPointer<QMdiSubWindow> closing = sub;
    child<QPushButton>(*frm, "cmdZavrit")->click();
    QTRY_VERIFY(!closing);
    QCOMPARE(area.subWindowList().size(), 1);
}

void TestSystemWindows::editExcludesTheBranchAndAsksBeforeLeaving()
{
    demoTree();
    ScriptedMessages messages;
    FakeHost host;
    FrmSystemy frm(*m_db, messages, host);
    auto *tree = child<QTreeWidget>(frm, "trvSystemy");
    auto *name = child<QLineEdit>(frm, "txtSystem");
    auto *parent = child<QComboBox>(frm, "cmbNadrazeny");
    auto *save = child<QPushButton>(frm, "cmdUlozit");

    tree->setCurrentItem(node(tree, s("Lisovna")));
    frm.popupItem(QStringLiteral("mnuSystTrvUpravit"));
    QCOMPARE(items(parent), (QStringList{QString(), s("Administrativa"), s("Sirotek"), s("Sklad"),
                                         s("Smyčka"), s("Závod")}));
    QCOMPARE(parent->currentText(), s("Závod"));
    QCOMPARE(save->text(), s("Uložit změny v systému"));
    QVERIFY(save->isHidden());
    name->setText(s("Lisovna 2"));
    QVERIFY(!save->isHidden());
    name->setText(s("Lisovna"));
    QVERIFY(save->isHidden());
    parent->setCurrentIndex(parent->findText(s("Sklad")));
    QVERIFY(!save->isHidden());

    // No: the edited node stays selected.
    tree->setCurrentItem(node(tree, s("Sklad")));
    QCOMPARE(messages.shown.last().title, s("Neuložené změny"));
    QCOMPARE(messages.lastText(),
             s("Změny v systému Lisovna nejsou uloženy! Chcete pokračovat bez uložení?"));
    QTRY_COMPARE(tree->currentItem()->text(0), s("Lisovna"));
    QCOMPARE(frm.mode(), EditMode::Edit);
    QVERIFY(!save->isHidden());
    QCOMPARE(parent->currentText(), s("Sklad"));

    // Saved: the branch moves.
    frm.save();
    QCOMPARE(node(tree, s("Lisovna"))->parent()->text(0), s("Sklad"));
    QCOMPARE(node(tree, s("Lis 2"))->parent()->text(0), s("Lisovna"));

    // Yes: the other node is shown and nothing is saved.
    frm.popupItem(QStringLiteral("mnuSystTrvUpravit"));
    name->setText(s("Lisovna X"));
    messages.answers = {true};
    tree->setCurrentItem(node(tree, s("Závod")));
    QCOMPARE(frm.mode(), EditMode::View);
    QCOMPARE(name->text(), s("Závod"));
    QVERIFY(save->isHidden());
    QVERIFY(node(tree, s("Lisovna")));
}

void TestSystemWindows::staffingDialogKeepsOthersAndWorkersOfOpenRisks()
{
    demoTree();
    m_db->execute(QStringLiteral("INSERT INTO system_pracovnik VALUES ('Lis 1', 'Údržbář')"));
    m_db->execute(QStringLiteral("INSERT INTO rizika (id_riziko, system, pracovnik) VALUES "
                                 "(1, 'Lis 1', 'Lisař')"));
    ScriptedMessages messages;
    FrmSystemPracovnici dialog(*m_db, messages, s("Lis 1"),
                               {s("Lisař"), s("ostatní"), s("Údržbář")});
    QCOMPARE(dialog.windowTitle(), s("Pracovníci"));
    auto *inSystem = child<QListWidget>(dialog, "lstVsystemu");
    auto *possible = child<QListWidget>(dialog, "lstMozny");
    QCOMPARE(items(possible), QStringList{s("Skladník")});
    QCOMPARE(child<QPushButton>(dialog, "cmdLeftAll")->text(), s("<<"));
    QCOMPARE(child<QPushButton>(dialog, "cmdRightAll")->text(), s(">>"));

    // ">>": "ostatní" stays silently, the worker of an open risk stays with a message.
    child<QPushButton>(dialog, "cmdRightAll")->click();
    QCOMPARE(items(inSystem), (QStringList{s("Lisař"), s("ostatní")}));
    QCOMPARE(items(possible), (QStringList{s("Skladník"), s("Údržbář")}));
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown.last().title, s("Pracovník/činnost"));
    QCOMPARE(messages.lastText(), s("Pracovníka/činnost Lisař z tohoto systému nelze odebrat (je "
                                    "zavedena v neuzavřených položkách rizik) !!! "));
    inSystem->item(1)->setSelected(true);
    child<QPushButton>(dialog, "cmdRight")->click();
    QCOMPARE(items(inSystem), (QStringList{s("Lisař"), s("ostatní")}));
    possible->item(1)->setSelected(true);
    child<QPushButton>(dialog, "cmdLeft")->click();
    QCOMPARE(items(inSystem), (QStringList{s("Lisař"), s("ostatní"), s("Údržbář")}));
    child<QPushButton>(dialog, "cmdLeftAll")->click();
    QCOMPARE(items(possible), QStringList());
    const QString folder = qEnvironmentVariable("TAMVEL_SCREENSHOTS");
    if (!folder.isEmpty()) {
        inSystem->item(3)->setSelected(true);
        child<QPushButton>(dialog, "cmdRight")->click();
        dialog.show();
        QCoreApplication::processEvents();
        dialog.grab().save(folder + s("/systempracovnici.png"));
    }

    // From the systems window: "Uložit" hands the list back and shows the save button;
    // the database waits for that button.
    FakeHost host;
    FrmSystemy frm(*m_db, messages, host);
    auto *tree = child<QTreeWidget>(frm, "trvSystemy");
    tree->setCurrentItem(node(tree, s("Lis 1")));
    frm.popupItem(QStringLiteral("mnuSystTrvUpravit"));
    QTimer::singleShot(0, this, [] {
        auto *open = qobject_cast<FrmSystemPracovnici *>(QApplication::activeModalWidget());
        QVERIFY(open);
        auto *left = open->findChild<QListWidget *>(QStringLiteral("lstVsystemu"));
        left->item(2)->setSelected(true); // Údržbář
        open->findChild<QPushButton *>(QStringLiteral("cmdRight"))->click();
        open->findChild<QPushButton *>(QStringLiteral("cmdUlozit"))->click();
    });
    child<QPushButton>(frm, "cmdPracovnici")->click();
    QCOMPARE(frm.workers(), (QStringList{s("Lisař"), s("ostatní")}));
    QVERIFY(frm.hasUnsavedChanges());
    QCOMPARE(m_db->scalarInt(QStringLiteral("SELECT count(*) FROM system_pracovnik WHERE system = "
                                            "'Lis 1'")),
             3);
    frm.save();
    QCOMPARE(m_db->scalarInt(QStringLiteral("SELECT count(*) FROM system_pracovnik WHERE system = "
                                            "'Lis 1'")),
             2);
}

void TestSystemWindows::deleteRemovesTheLeaf()
{
    demoTree();
    m_db->execute(QStringLiteral("INSERT INTO rizika (id_riziko, system) VALUES (1, 'Lis 2')"));
    ScriptedMessages messages;
    FakeHost host;
    FrmSystemy frm(*m_db, messages, host);
    auto *tree = child<QTreeWidget>(frm, "trvSystemy");
    auto *save = child<QPushButton>(frm, "cmdUlozit");

    // Not for a node with children, even when asked.
    tree->setCurrentItem(node(tree, s("Lisovna")));
    frm.popupItem(QStringLiteral("mnuSystTrvVymazat"));
    QCOMPARE(frm.mode(), EditMode::View);

    tree->setCurrentItem(node(tree, s("Lis 2")));
    frm.popupItem(QStringLiteral("mnuSystTrvVymazat"));
    QCOMPARE(host.mode, s("vymazat"));
    QCOMPARE(save->text(), s("Vymazat systém: 'Lis 2'"));
    QVERIFY(!save->isHidden());
    QVERIFY(child<QLineEdit>(frm, "txtSystem")->isReadOnly());

    frm.save(); // No
    QVERIFY(node(tree, s("Lis 2")));
    QCOMPARE(frm.mode(), EditMode::Delete);
    messages.answers = {true};
    frm.save();
    QVERIFY(!node(tree, s("Lis 2")));
    QCOMPARE(tree->currentItem()->text(0), s("Lisovna"));
    QCOMPARE(frm.mode(), EditMode::View);
    QCOMPARE(m_db->scalarText(QStringLiteral("SELECT napravna_opatreni FROM rizika")),
             s("zrušení systému"));
}

QTEST_MAIN(TestSystemWindows)
#include "tst_systemwindows.moc"
