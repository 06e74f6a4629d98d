#include "risks/GridSearch.h"

#include <QHash>

#include <array>
#include <numeric>

namespace tamvel::risks {

namespace {

// The base letter of a character, lower case: canonical decompositions followed to their
// first character ("ấ" → "â" → "a").
char16_t foldedChar(char16_t c)
{
    QChar ch(c);
    while (ch.decompositionTag() == QChar::Canonical) {
        const QString parts = ch.decomposition();
        if (parts.isEmpty() || parts.at(0) == ch)
            break;
        ch = parts.at(0);
    }
    return ch.toLower().unicode();
}

// Latin-1 and Latin Extended-A, which hold every Czech letter, by table.
constexpr char16_t TableEnd = 0x180;
const std::array<char16_t, TableEnd> &foldTable()
{
    static const std::array<char16_t, TableEnd> table = [] {
        std::array<char16_t, TableEnd> t{};
        for (char16_t c = 0; c < TableEnd; ++c)
            t[c] = foldedChar(c);
        return t;
    }();
    return table;
}

} // namespace

QString searchFolded(QStringView text)
{
    const auto &table = foldTable();
    QString folded;
    folded.resize(text.size());
    QChar *out = folded.data();
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c < TableEnd)
            *out++ = QChar(table[c]);
        else if (ch.category() != QChar::Mark_NonSpacing) // a decomposed text's accents
            *out++ = ch.isSurrogate() ? ch : QChar(foldedChar(c));
    }
    folded.truncate(out - folded.constData());
    return folded;
}

void GridSearch::reset()
{
    m_built = false;
    m_texts.clear();
    m_cells.clear();
    m_lastQuery.clear();
    m_lastRows.clear();
}

void GridSearch::build(const RiskGrid &grid)
{
    // Repeated texts share one string in the grid, so the string's data tells them apart
    // without hashing their characters; equal texts held apart are merely folded twice.
    QHash<const QChar *, int> seen;
    m_cells.resize(grid.cells.size());
    for (qsizetype i = 0; i < grid.cells.size(); ++i) {
        const QString &cell = grid.cells[i];
        auto found = seen.constFind(cell.constData());
        if (found == seen.constEnd()) {
            found = seen.insert(cell.constData(), int(m_texts.size()));
            m_texts << searchFolded(cell);
        }
        m_cells[i] = *found;
    }
    m_built = true;
}

QVector<int> GridSearch::rowsContaining(const RiskGrid &grid, const QString &text)
{
    QVector<int> rows;
    if (text.isEmpty()) {
        rows.resize(grid.rowCount());
        std::iota(rows.begin(), rows.end(), 0);
        return rows;
    }
    if (!m_built)
        build(grid);
    const QString query = searchFolded(text);
    const bool narrower = !m_lastQuery.isEmpty() && query.contains(m_lastQuery);
    const int columns = int(grid.columns.size());
    // Whether a distinct text contains the query: asked only of the texts the rows reach.
    std::vector<qint8> contains(m_texts.size(), -1);
    const auto matches = [&](int row) {
        const int *cell = m_cells.constData() + qsizetype(row) * columns;
        for (int c = 0; c < columns; ++c) {
            qint8 &known = contains[cell[c]];
            if (known < 0)
                known = m_texts[cell[c]].contains(query) ? 1 : 0;
            if (known)
                return true;
        }
        return false;
    };
    if (narrower) {
        for (const int row : std::as_const(m_lastRows))
            if (matches(row))
                rows << row;
    } else {
        for (int row = 0; row < grid.rowCount(); ++row)
            if (matches(row))
                rows << row;
    }
    m_lastQuery = query;
    m_lastRows = rows;
    return rows;
}

} // namespace tamvel::risks
