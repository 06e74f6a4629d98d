#include "risks/Highlights.h"

#include "db/Database.h"

#include <algorithm>

namespace tamvel::risks {

namespace {

// Green, amber and red for each palette: tints under dark text, shades under light text.
constexpr Rgb LightStops[] = {{0xC6, 0xEF, 0xCE}, {0xFF, 0xE0, 0x8A}, {0xFF, 0xB3, 0xB3}};
constexpr Rgb DarkStops[] = {{0x1E, 0x5C, 0x2E}, {0x7A, 0x5A, 0x0C}, {0x82, 0x1E, 0x24}};

Rgb blend(const Rgb &from, const Rgb &to, double t)
{
    const auto mix = [t](int a, int b) { return int(a + (b - a) * t + 0.5); };
    return {mix(from.red, to.red), mix(from.green, to.green), mix(from.blue, to.blue)};
}

} // namespace

RiskLevels::RiskLevels(QVector<Band> bands) : m_bands(std::move(bands))
{
    std::stable_sort(m_bands.begin(), m_bands.end(),
                     [](const Band &a, const Band &b) { return a.from < b.from; });
}

RiskLevels RiskLevels::load(Database &db)
{
    const Rows rows =
        db.query(QStringLiteral("SELECT riziko_od, limitni_uroven_rizika FROM urovne_rizika"));
    QVector<Band> bands;
    bands.reserve(rows.size());
    for (int i = 0; i < rows.size(); ++i)
        bands.append({rows.at(i, 0).toDouble(), rows.at(i, 1).toString().trimmed()});
    return RiskLevels(std::move(bands));
}

int RiskLevels::indexOf(std::optional<double> value) const
{
    if (!value)
        return -1;
    const auto above = std::upper_bound(m_bands.begin(), m_bands.end(), *value,
                                        [](double v, const Band &band) { return v < band.from; });
    return int(above - m_bands.begin()) - 1;
}

QString RiskLevels::nameOf(std::optional<double> value) const
{
    const int index = indexOf(value);
    return index < 0 ? QString() : m_bands[index].name;
}

Rgb RiskLevels::colour(int index, bool darkPalette) const
{
    return levelColour(index, int(m_bands.size()), darkPalette);
}

Rgb levelColour(int index, int count, bool darkPalette)
{
    const Rgb *stops = darkPalette ? DarkStops : LightStops;
    if (count <= 1)
        return stops[0];
    const double t = double(std::clamp(index, 0, count - 1)) / (count - 1);
    return t <= 0.5 ? blend(stops[0], stops[1], t * 2) : blend(stops[1], stops[2], t * 2 - 1);
}

Deadline deadlineOf(const QDate &due, const QDate &done, const QDate &today, int soonDays)
{
    if (!due.isValid() || done.isValid())
        return Deadline::None;
    if (due < today)
        return Deadline::Overdue;
    return today.daysTo(due) <= soonDays ? Deadline::Soon : Deadline::None;
}

std::optional<Rgb> deadlineColour(Deadline deadline, bool darkPalette)
{
    const Rgb *stops = darkPalette ? DarkStops : LightStops;
    switch (deadline) {
    case Deadline::Overdue:
        return stops[2];
    case Deadline::Soon:
        return stops[1];
    case Deadline::None:
        break;
    }
    return std::nullopt;
}

} // namespace tamvel::risks
