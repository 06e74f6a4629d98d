#include "TestDatabase.h"

#include "risks/Highlights.h"

#include <QTemporaryDir>
#include <QTest>

#include <cmath>

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
        // Readable: black text on the light tints, white text on the deep shades, at the
        // contrast asked of body text (4.5:1), for any number of bands and the deadlines.
        const auto luminance = [](const Rgb &c) {
            const auto channel = [](int v) {
                const double s = v / 255.0;
                return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * channel(c.red) + 0.7152 * channel(c.green) + 0.0722 * channel(c.blue);
        };
        const auto contrast = [&](const Rgb &c) {
            const double l = luminance(c);
            return dark ? 1.05 / (l + 0.05) : (l + 0.05) / 0.05;
        };
        for (int count = 1; count <= 7; ++count)
            for (int i = 0; i < count; ++i)
                QVERIFY2(contrast(levelColour(i, count, dark)) >= 4.5,
                         qPrintable(QStringLiteral("%1 of %2").arg(i).arg(count)));
        for (const Deadline d : {Deadline::Soon, Deadline::Overdue})
            QVERIFY(contrast(*deadlineColour(d, dark)) >= 4.5);
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
