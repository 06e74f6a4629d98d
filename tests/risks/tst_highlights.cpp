#include "TestDatabase.h"

#include "risks/Highlights.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tamvel;
using namespace tamvel::risks;

class TestHighlights : public QObject
{
    Q_OBJECT

private slots:
    void levelsOfValues();
    void levelColoursRunFromGreenToRed();
    void deadlinesAroundToday();
};

void TestHighlights::levelsOfValues()
{
    QTemporaryDir dir;
    auto db = newDatabase(dir);
    // Stored out of order, names padded as a code list may keep them.
    for (const auto &[from, name] : QList<QPair<double, QString>>{{200, QStringLiteral("Vysoké ")},
                                                                  {20, QStringLiteral("Malé")},
                                                                  {70, QStringLiteral("Střední")}})
        db->execute(QStringLiteral("INSERT INTO urovne_rizika (riziko_od, limitni_uroven_rizika) "
                                   "VALUES (?, ?)"),
                    {from, name});
    const RiskLevels levels = RiskLevels::load(*db);
    QCOMPARE(levels.bands().size(), 3);
    QCOMPARE(levels.indexOf(19.99), -1); // below the lowest band
    QCOMPARE(levels.indexOf(20), 0);     // a lower bound belongs to its own band
    QCOMPARE(levels.indexOf(69.9), 0);
    QCOMPARE(levels.indexOf(70), 1);
    QCOMPARE(levels.indexOf(1e6), 2);
    QCOMPARE(levels.indexOf(std::nullopt), -1);
    QCOMPARE(levels.nameOf(250), QStringLiteral("Vysoké"));
    QCOMPARE(levels.nameOf(5), QString());

    const RiskLevels none;
    QCOMPARE(none.indexOf(100), -1);
    QCOMPARE(none.nameOf(100), QString());
}

void TestHighlights::levelColoursRunFromGreenToRed()
{
    for (const bool dark : {false, true}) {
        const Rgb lowest = levelColour(0, 5, dark), highest = levelColour(4, 5, dark);
        QVERIFY(lowest.green > lowest.red);
        QVERIFY(highest.red > highest.green);
        // Each step is warmer than the one below it.
        for (int i = 1; i < 5; ++i) {
            const Rgb below = levelColour(i - 1, 5, dark), here = levelColour(i, 5, dark);
            QVERIFY2(here.red - here.green > below.red - below.green,
                     qPrintable(QString::number(i)));
        }
        // Light tints under dark text, deep shades under light text.
        for (int i = 0; i < 5; ++i) {
            const Rgb c = levelColour(i, 5, dark);
            const int lightness = (c.red * 299 + c.green * 587 + c.blue * 114) / 1000;
            QVERIFY(dark ? lightness < 110 : lightness > 170);
        }
    }
    QCOMPARE(levelColour(0, 1), levelColour(0, 3));
    QCOMPARE(RiskLevels({{10, QStringLiteral("a")}, {5, QStringLiteral("b")}}).colour(1),
             levelColour(1, 2));
}

void TestHighlights::deadlinesAroundToday()
{
    const QDate today(2026, 12, 7);
    QCOMPARE(deadlineOf(today.addDays(-1), {}, today), Deadline::Overdue);
    QCOMPARE(deadlineOf(today, {}, today), Deadline::Soon);
    QCOMPARE(deadlineOf(today.addDays(14), {}, today), Deadline::Soon);
    QCOMPARE(deadlineOf(today.addDays(15), {}, today), Deadline::None);
    QCOMPARE(deadlineOf(today.addDays(3), {}, today, 2), Deadline::None);
    // Done, even late, or without a date: nothing to show.
    QCOMPARE(deadlineOf(today.addDays(-30), today.addDays(-1), today), Deadline::None);
    QCOMPARE(deadlineOf({}, {}, today), Deadline::None);
    QVERIFY(!deadlineColour(Deadline::None));
    QVERIFY(deadlineColour(Deadline::Overdue)->red > deadlineColour(Deadline::Overdue)->green);
    QVERIFY(deadlineColour(Deadline::Soon) != deadlineColour(Deadline::Overdue));
}

QTEST_GUILESS_MAIN(TestHighlights)
#include "tst_highlights.moc"
