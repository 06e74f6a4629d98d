#pragma once

// What the program colours: the risk level a value falls in, and a deadline that has passed
// or is near. Colours are plain RGB so that the grids and the workbooks share them.

#include <QDate>
#include <QString>
#include <QVector>

#include <optional>

namespace tamvel {

class Database;

namespace risks {

struct Rgb
{
    int red = 0, green = 0, blue = 0;
    bool operator==(const Rgb &other) const
    {
        return red == other.red && green == other.green && blue == other.blue;
    }
    bool operator!=(const Rgb &other) const { return !(*this == other); }
};

// The bands of urovne_rizika, lowest first.
class RiskLevels
{
public:
    struct Band
    {
        double from = 0;
        QString name;
    };

    RiskLevels() = default;
    explicit RiskLevels(QVector<Band> bands); // sorted here by their lower bound
    static RiskLevels load(Database &db);

    const QVector<Band> &bands() const { return m_bands; }
    // The band whose lower bound is the highest not above the value; -1 for no value, a value
    // below the lowest band, or no bands at all.
    int indexOf(std::optional<double> value) const;
    QString nameOf(std::optional<double> value) const;
    // Green for the lowest band to red for the highest, light tints for a light palette and
    // deep shades for a dark one, so the palette's own text stays readable on them.
    Rgb colour(int index, bool darkPalette = false) const;

private:
    QVector<Band> m_bands;
};

// The level colour of band `index` of `count` bands.
Rgb levelColour(int index, int count, bool darkPalette = false);

enum class Deadline { None, Soon, Overdue };

inline constexpr int SoonDays = 14;

// A deadline without a completion date that has passed is overdue; one due from today up to
// SoonDays ahead is soon. A completed one, or one without a date, is neither.
Deadline deadlineOf(const QDate &due, const QDate &done, const QDate &today,
                    int soonDays = SoonDays);
// Red for overdue, amber for soon; nothing for None.
std::optional<Rgb> deadlineColour(Deadline deadline, bool darkPalette = false);

} // namespace risks
} // namespace tamvel
