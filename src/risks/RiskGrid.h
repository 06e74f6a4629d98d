#pragma once

#include "db/Database.h"
#include "risks/Highlights.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace tamvel::risks {

// A column of the overview: its caption, its width in twips and the field it shows.
struct GridColumn
{
    QString caption;
    int width = 0;
    QString field;
};

// The field a caption shows and sorts by (the catalogue is overviewFields()); id_riziko for
// an unknown or empty caption.
QString fieldOfCaption(const QString &caption);

QString defaultColumnSet();
// The pairs of a column-set string "caption#width#caption#width#..."; an empty set (or one
// of the placeholder sets "#960#", "#912#", "#960##960#") gives the default columns. A field
// named again is left out.
QVector<GridColumn> parseColumnSet(const QString &columnSet);
QString columnSetText(const QVector<GridColumn> &columns);

// A filter of the overview: a condition with bound values (never pasted), and the text
// shown to the user.
struct RiskFilter
{
    QString condition; // without WHERE; empty lists every risk
    Values values;
    QString description;

    static RiskFilter openOnly();
    static RiskFilter closedOnly();
};

// The query of the overview, before binding.
struct GridQuery
{
    QString sql;
    Values values;
};
GridQuery gridQuery(const QVector<GridColumn> &columns, const RiskFilter &filter,
                    const QString &sortCaption, bool ascending);

// The rows of the overview, as shown: dates "dd.mm.yyyy", numbers with a decimal comma.
struct RiskGrid
{
    QVector<GridColumn> columns;
    QVector<qint64> ids;
    QVector<bool> closed;
    QVector<QString> cells; // row after row, columns.size() a row
    qint64 total = 0;
    qint64 filtered = 0;
    // The risk levels as they were at the fill, the band of each row's value (-1: none) and
    // the states of its measure and programme deadlines (Deadline values, the programme's
    // shifted by two bits); each kept only while a column shows it.
    RiskLevels levels;
    QVector<int> level;
    QVector<quint8> deadlines;

    int rowCount() const { return int(ids.size()); }
    const QString &cell(int row, int column) const
    {
        return cells[qsizetype(row) * columns.size() + column];
    }
    int rowOf(qint64 id) const { return int(ids.indexOf(id)); }
    int levelOf(int row) const { return level.isEmpty() ? -1 : level[row]; }
    // The deadline state of a cell: None but in a shown measure or programme deadline.
    Deadline deadlineAt(int row, int column) const;
    QString statusText() const;
    // The same with `listed` of the filtered risks listed (the quick search narrows them).
    QString statusText(qint64 listed) const;
};

// FillRiskGrid: the listed risks with the columns of the set, filtered and sorted; the
// deadlines as they stand on `today`.
RiskGrid fillRiskGrid(Database &db, const QString &columnSet, const RiskFilter &filter,
                      const QString &sortCaption, bool ascending,
                      const QDate &today = QDate::currentDate());

} // namespace tamvel::risks
