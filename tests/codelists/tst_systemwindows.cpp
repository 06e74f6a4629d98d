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

static QString s(const char *text)
{
    return QString::fromUtf8(text);
}

template <class T> static T *child(QWidget &window, const char *name)
{
    T *widget = window.findChild<T *>(QString::fromUtf8(name));
    if (!widget)
        qFatal("no %s", name);
    return widget;
}

static QTreeWidgetItem *node(QTreeWidget *tree, const QString &text)
{
    const QList<QTreeWidgetItem *> found =
        tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

// The systems window with its messages, its host and the inputs the tests drive.
struct Window
{
    ScriptedMessages messages;
    FakeHost host;
    FrmSystemy frm;
    QTreeWidget *tree = child<QTreeWidget>(frm, "trvSystemy");
    QLineEdit *name = child<QLineEdit>(frm, "txtSystem");
    QComboBox *parent = child<QComboBox>(frm, "cmbNadrazeny");
    QPushButton *save = child<QPushButton>(frm, "cmdUlozit");

    Window(Database &db, QWidget *mainWindow = nullptr) : frm(db, messages, host, mainWindow) {}
    void select(const char *system) { tree->setCurrentItem(node(tree, s(system))); }
    // "A (B, C (D))": the tree's names, each with its children in brackets.
    QString outline(const QTreeWidgetItem *item = nullptr) const
    {
        item = item ? item : tree->invisibleRootItem();
        QStringList parts;
        for (int i = 0; i < item->childCount(); ++i)
            parts << (item->child(i)->childCount() == 0
                          ? item->child(i)->text(0)
                          : item->child(i)->text(0) + s(" (") + outline(item->child(i)) + s(")"));
        return parts.join(s(", "));
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
    // The texts of a list or a combo box.
    template <class W> static QStringList items(const W *widget)
    {
        QStringList result;
        for (int i = 0; i < widget->model()->rowCount(); ++i)
            result << widget->model()->index(i, 0).data().toString();
        return result;
    }
    static void rightClick(QTreeWidget *tree, QTreeWidgetItem *item)
    {
        tree->setCurrentItem(item);
        emit tree->customContextMenuRequested(tree->visualItemRect(item).center());
    }
    void demoTree()
    {
        // Each "parent/system"; "Zbořená hala" is gone, "Smyčka" is its own parent.
        for (const char *row :
             {"Závod", "Závod/Lisovna", "Lisovna/Lis 1", "Lisovna/Lis 2", "Závod/Sklad",
              "Administrativa", "Zbořená hala/Sirotek", "Smyčka/Smyčka"}) {
            const QStringList names = s(row).split(QLatin1Char('/'));
            add(names.last(), names.size() > 1 ? names.first() : QString());
        }
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
    Window w(*m_db);
    QCOMPARE(w.outline(), s("Administrativa, Závod (Lisovna (Lis 1, Lis 2), Sklad), "
                            "nezařazené (Sirotek, Smyčka)"));
    QVERIFY(node(w.tree, s("Lisovna"))->isExpanded());

    // The first root is shown, read-only, nothing to save.
    QCOMPARE(w.name->text(), s("Administrativa"));
    QVERIFY(w.name->isReadOnly());
    QVERIFY(!w.parent->isEnabled());
    QVERIFY(!child<QPushButton>(w.frm, "cmdPracovnici")->isEnabled());
    QVERIFY(!w.frm.hasUnsavedChanges() && w.save->isHidden());

    w.select("Lis 1");
    QCOMPARE(w.name->text(), s("Lis 1"));
    QCOMPARE(w.parent->currentText(), s("Lisovna"));
    QCOMPARE(items(child<QListWidget>(w.frm, "lstPracovnici")),
             (QStringList{s("Lisař"), s("ostatní")}));
    // A parent that is gone still shows what is stored; "nezařazené" shows nothing.
    w.select("Sirotek");
    QCOMPARE(w.parent->currentText(), s("Zbořená hala"));
    w.select("nezařazené");
    QCOMPARE(w.frm.shownSystem(), QString());
    QCOMPARE(w.name->text(), QString());
}

void TestSystemWindows::popupOffersDeleteOnlyForLeaves()
{
    demoTree();
    // The popup's items belong to the main window.
    QWidget mainWindow;
    Window w(*m_db, &mainWindow);
    FakeHost &host = w.host;
    host.remove = new QAction(&mainWindow);
    host.remove->setObjectName(QStringLiteral("mnuSystTrvVymazat"));
    host.edit = new QAction(&mainWindow);
    host.edit->setObjectName(QStringLiteral("mnuSystTrvUpravit"));

    rightClick(w.tree, node(w.tree, s("Lisovna")));
    rightClick(w.tree, node(w.tree, s("Lis 2")));
    rightClick(w.tree, node(w.tree, s("nezařazené")));
    QCOMPARE(host.deleteShown, (QList<bool>{false, true, false}));
    QCOMPARE(host.editEnabled, (QList<bool>{true, true, false}));
    QCOMPARE(host.emptyGrids, (QList<bool>{false, false, false}));
    QVERIFY(host.remove->isVisible() && host.edit->isEnabled());

    // A chosen item sets the mode word and the mode.
    host.chosen = QStringLiteral("Upravit");
    rightClick(w.tree, node(w.tree, s("Lis 2")));
    QCOMPARE(host.mode, s("upravit"));
    QCOMPARE(w.frm.mode(), EditMode::Edit);

    // Nothing to edit or delete below "nezařazené" itself, and an empty tree says so.
    m_db->execute(QStringLiteral("DELETE FROM systemy"));
    FrmSystemy empty(*m_db, w.messages, host);
    emit child<QTreeWidget>(empty, "trvSystemy")->customContextMenuRequested(QPoint(5, 5));
    QCOMPARE(host.emptyGrids.last(), true);
    QCOMPARE(empty.mode(), EditMode::View);
}

void TestSystemWindows::newSystemIsSavedAndSelected()
{
    demoTree();
    Window w(*m_db);
    w.select("Sklad");
    w.frm.popupItem(QStringLiteral("mnuSystTrvNovy"));
    QCOMPARE(w.host.mode, s("novy"));
    QCOMPARE(w.name->text(), QString());
    QVERIFY(!w.name->isReadOnly() && w.parent->isEnabled());
    QCOMPARE(w.parent->currentText(), s("Sklad"));
    QCOMPARE(items(w.parent).first(), QString());
    QCOMPARE(items(child<QListWidget>(w.frm, "lstPracovnici")), QStringList{s("ostatní")});
    QVERIFY(w.save->isHidden());
    QCOMPARE(w.save->text(), s("Uložit nový systém"));

    // A refused name keeps the window in its mode.
    w.name->setText(s("123"));
    QVERIFY(!w.save->isHidden());
    w.frm.save();
    QCOMPARE(w.messages.kinds(), QStringList{QStringLiteral("fail")});
    QCOMPARE(w.frm.mode(), EditMode::New);
    QVERIFY(!node(w.tree, s("123")));

    w.name->setText(s("123a"));
    w.frm.save();
    QCOMPARE(w.frm.mode(), EditMode::View);
    QVERIFY(w.save->isHidden());
    QVERIFY(w.name->isReadOnly() && !w.parent->isEnabled());
    QCOMPARE(w.tree->currentItem()->text(0), s("123a"));
    QCOMPARE(w.tree->currentItem()->parent()->text(0), s("Sklad"));
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

    // 1 + 1 + 30 + 1 + 27 = 60 characters: reported after the save, which stands.
    tree->setCurrentItem(node(tree, child30));
    frm->popupItem(QStringLiteral("mnuSystTrvNovy"));
    const QString grandchild(27, QLatin1Char('c'));
    name->setText(grandchild);
    frm->save();
    QCOMPARE(messages.kinds(), QStringList{QStringLiteral("fail")});
    QCOMPARE(messages.lastText(), systems::tooLongText(grandchild));
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
    QCOMPARE(messages.lastText(), systems::tooLongText(grandchild));
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
    Window w(*m_db);
    w.select("Lisovna");
    w.frm.popupItem(QStringLiteral("mnuSystTrvUpravit"));
    QCOMPARE(items(w.parent), (QStringList{QString(), s("Administrativa"), s("Sirotek"), s("Sklad"),
                                           s("Smyčka"), s("Závod")}));
    QCOMPARE(w.parent->currentText(), s("Závod"));
    QCOMPARE(w.save->text(), s("Uložit změny v systému"));
    QVERIFY(w.save->isHidden());
    w.name->setText(s("Lisovna 2"));
    QVERIFY(!w.save->isHidden());
    w.name->setText(s("Lisovna"));
    QVERIFY(w.save->isHidden());
    w.parent->setCurrentIndex(w.parent->findText(s("Sklad")));
    QVERIFY(!w.save->isHidden());

    // No: the edited node stays selected.
    w.select("Sklad");
    QCOMPARE(w.messages.shown.last().title, s("Neuložené změny"));
    QCOMPARE(w.messages.lastText(),
             s("Změny v systému Lisovna nejsou uloženy! Chcete pokračovat bez uložení?"));
    QTRY_COMPARE(w.tree->currentItem()->text(0), s("Lisovna"));
    QCOMPARE(w.frm.mode(), EditMode::Edit);
    QVERIFY(!w.save->isHidden());
    QCOMPARE(w.parent->currentText(), s("Sklad"));

    // Saved: the branch moves.
    w.frm.save();
    QCOMPARE(w.outline(), s("Administrativa, Závod (Sklad (Lisovna (Lis 1, Lis 2))), "
                            "nezařazené (Sirotek, Smyčka)"));

    // Yes: the other node is shown and nothing is saved.
    w.frm.popupItem(QStringLiteral("mnuSystTrvUpravit"));
    w.name->setText(s("Lisovna X"));
    w.messages.answers = {true};
    w.select("Závod");
    QCOMPARE(w.frm.mode(), EditMode::View);
    QCOMPARE(w.name->text(), s("Závod"));
    QVERIFY(w.save->isHidden());
    QVERIFY(node(w.tree, s("Lisovna")));

    // A colleague restaffs the system meanwhile: No keeps the typed name, Yes shows what is
    // stored.
    w.select("Sklad");
    w.frm.popupItem(QStringLiteral("mnuSystTrvUpravit"));
    Database::open(m_db->path())
        ->execute(QStringLiteral("INSERT INTO system_pracovnik VALUES ('Sklad', 'Skladník')"));
    w.name->setText(s("Sklad 2"));
    w.frm.save();
    QCOMPARE(w.messages.shown.last().title, s("Tamvel"));
    QCOMPARE(w.frm.mode(), EditMode::Edit);
    QCOMPARE(w.name->text(), s("Sklad 2"));
    w.messages.answers = {true};
    w.frm.save();
    QCOMPARE(w.frm.mode(), EditMode::View);
    QCOMPARE(w.name->text(), s("Sklad"));
    QCOMPARE(w.frm.workers(), (QStringList{s("ostatní"), s("Skladník")}));
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
    auto *inSystem = child<QListWidget>(dialog, "lstVsystemu");
    auto *possible = child<QListWidget>(dialog, "lstMozny");
    QCOMPARE(items(possible), QStringList{s("Skladník")});

    // ">>": "ostatní" stays silently, the worker of an open risk stays with a warning.
    child<QPushButton>(dialog, "cmdRightAll")->click();
    QCOMPARE(items(inSystem), (QStringList{s("Lisař"), s("ostatní")}));
    QCOMPARE(items(possible), (QStringList{s("Skladník"), s("Údržbář")}));
    QCOMPARE(messages.kinds(), QStringList{QStringLiteral("warn")});
    QVERIFY(messages.lastText().startsWith(s("Pracovníka/činnost Lisař ")));
    inSystem->item(1)->setSelected(true);
    child<QPushButton>(dialog, "cmdRight")->click();
    QCOMPARE(items(inSystem), (QStringList{s("Lisař"), s("ostatní")}));
    possible->item(1)->setSelected(true);
    child<QPushButton>(dialog, "cmdLeft")->click();
    QCOMPARE(items(inSystem), (QStringList{s("Lisař"), s("ostatní"), s("Údržbář")}));
    child<QPushButton>(dialog, "cmdLeftAll")->click();
    QCOMPARE(items(possible), QStringList());

    // From the systems window: "Uložit" hands the list back and shows the save button;
    // the database waits for that button.
    Window w(*m_db);
    w.select("Lis 1");
    w.frm.popupItem(QStringLiteral("mnuSystTrvUpravit"));
    QTimer::singleShot(0, this, [] {
        auto *open = qobject_cast<FrmSystemPracovnici *>(QApplication::activeModalWidget());
        QVERIFY(open);
        auto *left = open->findChild<QListWidget *>(QStringLiteral("lstVsystemu"));
        left->item(2)->setSelected(true); // Údržbář
        open->findChild<QPushButton *>(QStringLiteral("cmdRight"))->click();
        open->findChild<QPushButton *>(QStringLiteral("cmdUlozit"))->click();
    });
    child<QPushButton>(w.frm, "cmdPracovnici")->click();
    QCOMPARE(w.frm.workers(), (QStringList{s("Lisař"), s("ostatní")}));
    QVERIFY(w.frm.hasUnsavedChanges());
    const QString staffed =
        QStringLiteral("SELECT count(*) FROM system_pracovnik WHERE system = 'Lis 1'");
    QCOMPARE(m_db->scalarInt(staffed), 3);
    w.frm.save();
    QCOMPARE(m_db->scalarInt(staffed), 2);
}

void TestSystemWindows::deleteRemovesTheLeaf()
{
    demoTree();
    // An open risk makes the delete ask.
    m_db->execute(QStringLiteral("INSERT INTO rizika (id_riziko, system) VALUES (1, 'Lis 2')"));
    Window w(*m_db);

    // Not for a node with children, even when asked.
    w.select("Lisovna");
    w.frm.popupItem(QStringLiteral("mnuSystTrvVymazat"));
    QCOMPARE(w.frm.mode(), EditMode::View);

    w.select("Lis 2");
    w.frm.popupItem(QStringLiteral("mnuSystTrvVymazat"));
    QCOMPARE(w.host.mode, s("vymazat"));
    QCOMPARE(w.save->text(), s("Vymazat systém: 'Lis 2'"));
    QVERIFY(!w.save->isHidden());
    QVERIFY(w.name->isReadOnly());

    w.frm.save(); // No
    QVERIFY(node(w.tree, s("Lis 2")));
    QCOMPARE(w.frm.mode(), EditMode::Delete);
    w.messages.answers = {true};
    w.frm.save();
    QVERIFY(!node(w.tree, s("Lis 2")));
    QCOMPARE(w.tree->currentItem()->text(0), s("Lisovna"));
    QCOMPARE(w.frm.mode(), EditMode::View);
}

QTEST_MAIN(TestSystemWindows)
#include "tst_systemwindows.moc"
