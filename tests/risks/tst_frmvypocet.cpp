#include "RiskRegister.h"
#include "ScriptedMessages.h"

#include "risks/FrmVypocet.h"
#include "risks/RiskValue.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

using namespace tamvel;

class TestFrmVypocet : public QObject
{
    Q_OBJECT

private slots:
    void opensWithTheStoredFormulas();
    void checksAndRefusedSavesPointAtTheSlot();
    void saveStoresRecomputesAndCloses();
    void aColleaguesFormulasAreNeverOverwritten();
};

// Messages that also record whether the busy pointer was still up when each one appeared.
class PointerMessages : public ScriptedMessages
{
public:
    QList<bool> busy;
    void warn(const QString &title, const QString &text) override
    {
        busy << (QGuiApplication::overrideCursor() != nullptr);
        ScriptedMessages::warn(title, text);
    }
    void fail(const QString &title, const QString &text) override
    {
        busy << (QGuiApplication::overrideCursor() != nullptr);
        ScriptedMessages::fail(title, text);
    }
};

template <class T> static T *find(QWidget &window, const char *name, int slot = 0)
{
    const QString objectName =
        QString::fromUtf8(name) + (slot > 0 ? QString::number(slot) : QString());
    T *widget = window.findChild<T *>(objectName);
    if (!widget)
        qFatal("no %s", qPrintable(objectName));
    return widget;
}

static QLineEdit *text(QWidget &w, int slot)
{
    return find<QLineEdit>(w, "txtVypocet", slot);
}
static QRadioButton *option(QWidget &w, int slot)
{
    return find<QRadioButton>(w, "optVypocet", slot);
}
static QList<bool> marks(QWidget &w)
{
    QList<bool> result;
    for (int slot = 1; slot <= 5; ++slot)
        result << option(w, slot)->isChecked();
    return result;
}

// Shows the window and waits until it can take the focus.
static bool showActive(QWidget &w)
{
    w.show();
    QApplication::setActiveWindow(&w);
    return QTest::qWaitForWindowActive(&w);
}

void TestFrmVypocet::opensWithTheStoredFormulas()
{
    RiskRegister r;
    const QStringList stored = {QStringLiteral("Z*P*F"), QStringLiteral("Z+P"),
                                QStringLiteral("Z"),     QStringLiteral("P"),
                                QStringLiteral("F"),     QStringLiteral("Z*F")};
    // Rows beyond the fifth are left out, their mark too.
    for (int i = 0; i < stored.size(); ++i)
        r.formula(stored[i], i == 1 || i == 5);
    ScriptedMessages messages;
    FrmVypocet w(*r.db, messages);
    QCOMPARE(w.windowTitle(), QStringLiteral("Výpočet rizika"));
    for (int slot = 1; slot <= 5; ++slot) {
        QCOMPARE(text(w, slot)->text(), stored[slot - 1]);
        QCOMPARE(text(w, slot)->maxLength(), 50);
        QCOMPARE(find<QPushButton>(w, "cmdCheck", slot)->text(), QStringLiteral("check"));
    }
    QCOMPARE(marks(w), (QList<bool>{false, true, false, false, false}));
    QStringList labels;
    for (const QLabel *label : w.findChildren<QLabel *>())
        labels << label->text();
    QCOMPARE(labels,
             (QStringList{QStringLiteral("Aktuální"), QStringLiteral("Z = závažnost"),
                          QStringLiteral("P = pravděpodobnost"), QStringLiteral("F = frekvence")}));
    QCOMPARE(find<QPushButton>(w, "cmdUlozit")->text(), QStringLiteral("Uložit"));
    QCOMPARE(find<QPushButton>(w, "cmdStorno")->text(), QStringLiteral("Storno"));
    QVERIFY(messages.shown.isEmpty());
}

void TestFrmVypocet::checksAndRefusedSavesPointAtTheSlot()
{
    RiskRegister r;
    r.formula(QStringLiteral("Z*P"), false);
    PointerMessages messages;
    FrmVypocet w(*r.db, messages);
    QSignalSpy saved(&w, &FrmVypocet::saved);
    QVERIFY(showActive(w));
    QCOMPARE(text(w, 1)->text(), QStringLiteral("Z*P"));
    QCOMPARE(text(w, 2)->text(), QString());
    QCOMPARE(marks(w), QList<bool>(5, false));

    text(w, 1)->setText(QStringLiteral("Z * P * F"));
    find<QPushButton>(w, "cmdCheck", 1)->click();
    QCOMPARE(messages.kinds(), QStringList{QStringLiteral("inform")});
    QCOMPARE(messages.shown[0].title, QStringLiteral("Kontrola algoritmu"));
    QCOMPARE(messages.lastText(), QStringLiteral("Kontrola algoritmu proběhla úspěšně !!!"));

    option(w, 1)->click();
    text(w, 2)->setText(QStringLiteral("Z*p"));
    find<QPushButton>(w, "cmdCheck", 2)->click();
    QCOMPARE(messages.lastText(), QStringLiteral("Nepovolený znak 'p' v algoritmu č.2"));
    QCOMPARE(QApplication::focusWidget(), text(w, 2));
    QCOMPARE(text(w, 2)->selectedText(), QStringLiteral("Z*p"));
    QCOMPARE(marks(w), (QList<bool>{true, false, false, false, false}));

    // A parenthesis mismatch also marks the slot.
    text(w, 3)->setText(QStringLiteral("((Z+P)))"));
    find<QPushButton>(w, "cmdCheck", 3)->click();
    QCOMPARE(messages.lastText(), QStringLiteral("Nesouhlasí počet závorek v algoritmu č.3"));
    QCOMPARE(QApplication::focusWidget(), text(w, 3));
    QCOMPARE(text(w, 3)->selectedText(), QStringLiteral("((Z+P)))"));
    QCOMPARE(marks(w), (QList<bool>{false, false, true, false, false}));
    // Once a slot is marked, the options exclude each other.
    option(w, 4)->click();
    option(w, 4)->click();
    QCOMPARE(marks(w), (QList<bool>{false, false, false, true, false}));

    // Saving stops at the first failing slot (slot 3 fails too), marked as above.
    text(w, 2)->setText(QStringLiteral("(Z+P))"));
    find<QPushButton>(w, "cmdUlozit")->click();
    QCOMPARE(messages.lastText(), QStringLiteral("Nesouhlasí počet závorek v algoritmu č.2"));
    QCOMPARE(QApplication::focusWidget(), text(w, 2));
    QCOMPARE(text(w, 2)->selectedText(), QStringLiteral("(Z+P))"));
    QCOMPARE(marks(w), (QList<bool>{false, true, false, false, false}));

    text(w, 2)->clear();
    text(w, 3)->clear();
    option(w, 3)->click();
    find<QPushButton>(w, "cmdUlozit")->click();
    QCOMPARE(messages.shown.last().title, QStringLiteral("Algorimus"));
    QCOMPARE(messages.lastText(), QStringLiteral("Není zvolen algoritmus výpočtu !!!"));
    const QString fail = QStringLiteral("fail");
    QCOMPARE(messages.kinds(),
             (QStringList{QStringLiteral("inform"), fail, fail, fail, QStringLiteral("warn")}));

    // The pointer was normal for every message and is normal afterwards.
    QCOMPARE(messages.busy, QList<bool>(4, false));
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QVERIFY(w.isVisible());
    find<QPushButton>(w, "cmdStorno")->click();
    QVERIFY(!w.isVisible());
    QCOMPARE(saved.count(), 0);
    QCOMPARE(messages.shown.size(), 5);
    QCOMPARE(r.formulas(), (QList<QPair<QString, double>>{{QStringLiteral("Z*P"), 0.0}}));
}

void TestFrmVypocet::saveStoresRecomputesAndCloses()
{
    RiskRegister r;
    r.scale("zavaznost", QStringLiteral("Vážný úraz"), 30);
    r.scale("pravdepodobnost", QStringLiteral("Zcela možná"), 60);
    r.risk(1, QStringLiteral("Vážný úraz"), QStringLiteral("Zcela možná"), QString(), 0.0);
    r.formula(QStringLiteral("Z*P*F"), true);

    // Inside an MDI area as in the main window: the frame closes with the window.
    QMdiArea area;
    PointerMessages messages;
    auto *w = new FrmVypocet(*r.db, messages);
    w->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<QMdiSubWindow> frame = area.addSubWindow(w);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<FrmVypocet> window = w;
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    QSignalSpy saved(w, &FrmVypocet::saved);

    text(*w, 1)->setText(QStringLiteral(" Z*P "));
    text(*w, 3)->setText(QStringLiteral("Z + P"));
    option(*w, 3)->click();
    find<QPushButton>(*w, "cmdUlozit")->click();
    QCOMPARE(saved.count(), 1);
    QVERIFY(messages.shown.isEmpty());
    QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    QTRY_VERIFY(window.isNull());
    QTRY_VERIFY(frame.isNull());
    // The texts as typed, the gap closed.
    QCOMPARE(r.formulas(), (QList<QPair<QString, double>>{{QStringLiteral(" Z*P "), 0.0},
                                                          {QStringLiteral("Z + P"), 1.0}}));
    QCOMPARE(r.value(1), QVariant(9.0));
}

void TestFrmVypocet::aColleaguesFormulasAreNeverOverwritten()
{
    RiskRegister r;
    r.formula(QStringLiteral("Z*P*F"), true);
    ScriptedMessages messages;
    FrmVypocet w(*r.db, messages);
    QSignalSpy saved(&w, &FrmVypocet::saved);
    QVERIFY(showActive(w));
    // Another copy saves its formulas while this editor is open.
    auto colleague = Database::open(r.db->path());
    colleague->execute(QStringLiteral("UPDATE algoritmy SET algoritmus = 'Z+P', aktivni = 0"));
    const QList<QPair<QString, double>> theirs = {{QStringLiteral("Z+P"), 0.0}};
    const auto typeAndSave = [&] {
        text(w, 2)->clear();
        QTest::keyClicks(text(w, 2), QStringLiteral("Z*F"));
        QTest::mouseClick(find<QPushButton>(w, "cmdUlozit"), Qt::LeftButton);
    };

    // "No": back to the typed slots, nothing written.
    typeAndSave();
    QCOMPARE(messages.kinds(), QStringList{QStringLiteral("ask")});
    QCOMPARE(messages.shown.last().title, QStringLiteral("Tamvel"));
    QVERIFY(messages.lastText().startsWith(
        QStringLiteral("Záznam mezitím změnil nebo vymazal jiný uživatel. Změny nebyly uloženy.")));
    QVERIFY(w.isVisible());
    QCOMPARE(text(w, 1)->text(), QStringLiteral("Z*P*F"));
    QCOMPARE(text(w, 2)->text(), QStringLiteral("Z*F"));
    QCOMPARE(r.formulas(), theirs);

    // "Yes": the stored formulas, marks included; a save after that goes through.
    messages.answers = {true};
    QTest::mouseClick(find<QPushButton>(w, "cmdUlozit"), Qt::LeftButton);
    QCOMPARE(messages.shown.size(), 2);
    QCOMPARE(text(w, 1)->text(), QStringLiteral("Z+P"));
    QCOMPARE(text(w, 2)->text(), QString());
    QCOMPARE(marks(w), QList<bool>(5, false));
    QCOMPARE(r.formulas(), theirs);
    QCOMPARE(saved.count(), 0);
    typeAndSave();
    QCOMPARE(saved.count(), 1);
    QCOMPARE(r.formulas(), (QList<QPair<QString, double>>{{QStringLiteral("Z+P"), 0.0},
                                                          {QStringLiteral("Z*F"), 0.0}}));
}

QTEST_MAIN(TestFrmVypocet)
#include "tst_frmvypocet.moc"
