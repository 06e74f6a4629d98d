#include "ExportRegister.h"
#include "ScriptedDialogs.h"
#include "ScriptedMessages.h"
#include "TestDatabase.h"
#include "XlsxReader.h"
#include "export/FrmAnimCopy.h"
#include "export/FrmExportXls.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace tamvel;

class TestFrmExportXls : public QObject
{
    Q_OBJECT

private:
    struct Fixture
    {
        ExportRegister reg;
        ScriptedMessages messages;
        ScriptedFiles files;
        QPointer<FrmExportXls> window;
        QList<QUrl> opened;
        bool openerWorks = true;

        Fixture()
        {
            window = new FrmExportXls(*reg.db, messages, files, QStringLiteral("jan"), reg.ids);
            window->setOpener([this](const QUrl &url) {
                opened << url;
                return openerWorks;
            });
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
        QPushButton *storno() const { return child<QPushButton>("cmdStorno"); }
        QPushButton *next() const { return child<QPushButton>("cmdExport"); }
        bool shown(const char *frame) const { return !child<QGroupBox>(frame)->isHidden(); }
        // The first page: the kind of export to choose, its own button texts.
        bool onFirstPage() const
        {
            return shown("fraExport") && !shown("fraFormatovana") && !shown("fraNeformatovana") &&
                   storno()->text() == QStringLiteral("< Zpět") &&
                   next()->text() == QStringLiteral("Dále >");
        }
    };

private slots:
    void firstPageAndBack()
    {
        Fixture f;
        QCOMPARE(f.window->objectName(), QStringLiteral("frmExportXls"));
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Export do MS Excel"));
        QVERIFY(f.child<QRadioButton>("optFormatovany")->isChecked());
        QCOMPARE(f.child<QRadioButton>("optNeformatovany")->text(),
                 QStringLiteral("Neformátovaný"));
        QCOMPARE(f.child<QRadioButton>("optOOPP")->text(), QStringLiteral("Formátovaný - OOPP"));
        QVERIFY(f.onFirstPage());
        // Back on the first page closes the window.
        f.storno()->click();
        QTRY_VERIFY(f.window.isNull());

        // Esc on any page cancels the export: nothing is asked or written.
        Fixture g;
        QVERIFY(QTest::qWaitForWindowActive(g.window));
        g.next()->click();
        QVERIFY(!g.onFirstPage());
        QTest::keyClick(g.next(), Qt::Key_Escape);
        QTRY_VERIFY(g.window.isNull());
        QVERIFY(g.files.titles.isEmpty());
    }

    void nextShowsThePageOfTheChosenKind_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<bool>("formatted");
        QTest::addColumn<bool>("plain");
        QTest::newRow("form") << QStringLiteral("optFormatovany") << true << false;
        QTest::newRow("plain") << QStringLiteral("optNeformatovany") << false << true;
        QTest::newRow("equipment") << QStringLiteral("optOOPP") << false << false;
    }

    void nextShowsThePageOfTheChosenKind()
    {
        QFETCH(QString, option);
        QFETCH(bool, formatted);
        QFETCH(bool, plain);
        Fixture f;
        f.window->findChild<QRadioButton *>(option)->setChecked(true);
        f.next()->click();
        QVERIFY(!f.shown("fraExport"));
        QCOMPARE(f.shown("fraFormatovana"), formatted);
        QCOMPARE(f.shown("fraNeformatovana"), plain);
        QCOMPARE(f.next()->text(), QStringLiteral("Export"));
        QCOMPARE(f.storno()->text(), QStringLiteral("< Zpět "));
        // back to the first page, not closed
        f.storno()->click();
        QVERIFY(!f.window.isNull());
        QVERIFY(f.onFirstPage());
    }

    void selectAllToggles()
    {
        Fixture f;
        f.next()->click();
        QPushButton *all = f.child<QPushButton>("cmdVse");
        QCOMPARE(all->text(), QStringLiteral("Vybrat vše"));
        all->click();
        QCOMPARE(all->text(), QStringLiteral("Odebrat vše"));
        // The choices read from the boxes: every field and every sub-table.
        QCOMPARE(f.window->options().fields.size(), 25);
        QVERIFY(f.window->options().formRegulations && f.window->options().formSubTasks);
        all->click();
        QCOMPARE(all->text(), QStringLiteral("Vybrat vše"));
        QVERIFY(f.window->options().fields.isEmpty());
        QVERIFY(!f.window->options().formEquipment);
        QCOMPARE(f.child<QCheckBox>("chkPoruseniLegislativy")->text(),
                 QStringLiteral("Porušení požadavků"));
    }

    void formattedExportEndToEnd()
    {
        Fixture f;
        const QString path = f.reg.dir.filePath(QStringLiteral("Rizika.xlsx"));
        f.files.answers << path;
        f.messages.answers << true; // view it now
        f.openerWorks = false;
        f.next()->click();
        f.child<QLineEdit>("txtNadpis")->setText(QStringLiteral("Dílna"));
        f.child<QCheckBox>("chkPoruseniLegislativy")->setChecked(true);
        f.next()->click();

        QCOMPARE(f.files.titles, QStringList{QStringLiteral("Export dat do MS Excel")});
        QCOMPARE(f.files.proposedNames, QStringList{QStringLiteral("Rizika.xlsx")});
        QCOMPARE(f.messages.shown.size(), 2);
        QCOMPARE(f.messages.shown[0].text,
                 QStringLiteral("Přejete si prohlédnout vytvořený export nyní?"));
        QCOMPARE(f.messages.shown[0].title, QStringLiteral("Export do MS Excel"));
        QCOMPARE(f.messages.lastText(), QStringLiteral("Nelze najít program Excel.exe\nSešit je "
                                                       "uložen v: ") +
                                            QDir::toNativeSeparators(path));
        QCOMPARE(f.opened, QList<QUrl>{QUrl::fromLocalFile(path)});
        QCOMPARE(exports::rememberedExportFolder(*f.reg.db, QStringLiteral("jan")),
                 QDir::toNativeSeparators(f.reg.dir.path()));
        QTRY_VERIFY(f.window.isNull()); // closed at the end
        QVERIFY(!FrmAnimCopy::cancelRequested());

        const auto sheet = XlsxReader(path).sheet(QStringLiteral("Rizika"));
        QCOMPARE(sheet.at(QStringLiteral("A1")), QStringLiteral("Dílna"));
        const int row = sheet.rowOf(QStringLiteral("Porušení požadavků :"));
        QVERIFY(row > 0);
        QCOMPARE(sheet.at(2, row), QStringLiteral("ano"));
    }

    void plainExportWritesTheTickedSheets()
    {
        Fixture f;
        const QString path = f.reg.dir.filePath(QStringLiteral("plain.xlsx"));
        f.files.answers << path;
        f.child<QRadioButton>("optNeformatovany")->setChecked(true);
        f.next()->click();
        f.child<QCheckBox>("chkRizikaN")->setChecked(true);
        f.child<QCheckBox>("chkPredpisyN")->setChecked(true);
        f.next()->click();
        QVERIFY(f.opened.isEmpty()); // the view question was answered No
        QCOMPARE(XlsxReader(path).sheets(),
                 (QStringList{QStringLiteral("rizika "), QStringLiteral("Predpisy")}));
    }

    // Each way of not finishing leaves no file and keeps the window with its choices.
    void unfinishedExportKeepsTheChoices()
    {
        Fixture f;
        const QString path = f.reg.dir.filePath(QStringLiteral("Rizika.xlsx"));
        const QStringList before = folderEntries(f.reg.dir.path());
        f.next()->click();

        // The save dialog cancelled.
        f.next()->click();
        QCOMPARE(f.files.titles.size(), 1);
        QVERIFY(f.messages.shown.isEmpty());
        QCOMPARE(folderEntries(f.reg.dir.path()), before);
        QVERIFY(!f.window.isNull());

        // "Storno" in the progress window as soon as the export lets events run.
        f.files.answers << path;
        QTimer::singleShot(0, [] { FrmAnimCopy::instance()->stornoButton()->click(); });
        f.next()->click();
        QCOMPARE(folderEntries(f.reg.dir.path()), before);
        QVERIFY(f.messages.shown.isEmpty());
        QVERIFY(!f.window.isNull());
        QVERIFY(!FrmAnimCopy::cancelRequested());

        // An existing file and the answer No.
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        f.files.answers << path;
        f.next()->click();
        QCOMPARE(f.messages.shown.size(), 1);
        QCOMPARE(f.messages.shown[0].title, QStringLiteral("Existující soubor"));
        QCOMPARE(f.messages.lastText(),
                 QStringLiteral("Soubor %1 již existuje! Chcete jej přepsat?").arg(path));
        QCOMPARE(fileBytes(path), QByteArray("old"));
        QVERIFY(!f.window.isNull());
    }

    void progressWindow()
    {
        FrmAnimCopy *w = FrmAnimCopy::instance();
        QCOMPARE(FrmAnimCopy::instance(), w);
        QVERIFY(w->animating());
        w->Nastav(QStringLiteral("Krok"), 1500, 1500, 6000, 3000, QStringLiteral("Titulek"));
        QCOMPARE(w->label()->text(), QStringLiteral("Krok"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Titulek"));
        QVERIFY(w->bar()->isHidden());

        w->NastavScroll(5, 0, QStringLiteral("Dál"));
        QCOMPARE(w->bar()->minimum(), 5);
        QCOMPARE(w->bar()->maximum(), 1000);
        QCOMPARE(w->bar()->value(), 5);
        QVERIFY(!w->bar()->isHidden());
        w->NastavScroll(0, 50);
        QCOMPARE(w->label()->text(), QStringLiteral("Dál")); // an empty text keeps the label
        QCOMPARE(w->bar()->maximum(), 50);
        w->Scroll(20);
        QCOMPARE(w->bar()->value(), 20);
        w->Scroll(70);
        QCOMPARE(w->bar()->maximum(), 80);
        QCOMPARE(w->bar()->value(), 70);

        FrmAnimCopy::setCancelRequested(false);
        w->stornoButton()->click();
        QVERIFY(FrmAnimCopy::cancelRequested());
        QVERIFY(!w->isHidden()); // the window stays open
        FrmAnimCopy::setCancelRequested(false);

        QPointer<FrmAnimCopy> old(w);
        FrmAnimCopy::unload();
        QVERIFY(old.isNull());
        QVERIFY(FrmAnimCopy::instance() != nullptr);
        FrmAnimCopy::unload();
    }
};

QTEST_MAIN(TestFrmExportXls)
#include "tst_frmexportxls.moc"
