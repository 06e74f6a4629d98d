#pragma once

#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QXmlStreamReader>

// Reads back what a workbook holds: sheet names, cell texts (numbers as written), merged
// ranges and cell fill colours, through the `unzip` tool. Enough to check a written file, not a
// general reader.
class XlsxReader
{
public:
    explicit XlsxReader(const QString &path) : m_path(path)
    {
        readSharedStrings();
        readFills();
        QXmlStreamReader xml(part(QStringLiteral("xl/workbook.xml")));
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement &&
                xml.name() == QLatin1String("sheet"))
                m_sheets << xml.attributes().value(QLatin1String("name")).toString();
    }

    const QStringList &sheets() const { return m_sheets; }

    struct Sheet
    {
        QHash<QString, QString> cells; // "A1" → text
        QStringList merged;            // "A1:D1"
        QHash<QString, QString> fills; // "A1" → "RRGGBB" of a solid fill
        int lastRow = 0;
        QString at(const QString &ref) const { return cells.value(ref); }
        QString at(int column, int row) const
        {
            return cells.value(QChar(QLatin1Char('A' + column)) + QString::number(row));
        }
        // The first `columns` cells of row r joined by "|": a whole row in one comparison.
        QString row(int r, int columns) const
        {
            QStringList texts;
            for (int c = 0; c < columns; ++c)
                texts << at(c, r);
            return texts.join(QLatin1Char('|'));
        }
        // The first row whose column A reads `text`, counting from `from`; 0 when none.
        int rowOf(const QString &text, int from = 1) const
        {
            for (int r = from; r <= lastRow; ++r)
                if (at(0, r) == text)
                    return r;
            return 0;
        }
    };

    Sheet sheet(const QString &name) const
    {
        Sheet result; // empty for a missing sheet: there is no "sheet0.xml"
        QXmlStreamReader xml(
            part(QStringLiteral("xl/worksheets/sheet%1.xml").arg(m_sheets.indexOf(name) + 1)));
        QString ref;
        QString type;
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            if (xml.name() == QLatin1String("c")) {
                ref = xml.attributes().value(QLatin1String("r")).toString();
                type = xml.attributes().value(QLatin1String("t")).toString();
                QString digits = ref;
                digits.remove(QRegularExpression(QStringLiteral("[A-Z]")));
                result.lastRow = std::max(result.lastRow, digits.toInt());
                const QString fill =
                    m_fills.value(xml.attributes().value(QLatin1String("s")).toInt());
                if (!fill.isEmpty())
                    result.fills[ref] = fill;
            } else if (xml.name() == QLatin1String("v")) {
                const QString v = xml.readElementText();
                result.cells[ref] = type == QLatin1String("s") ? m_strings.value(v.toInt()) : v;
            } else if (xml.name() == QLatin1String("mergeCell")) {
                result.merged << xml.attributes().value(QLatin1String("ref")).toString();
            }
        }
        return result;
    }

    QByteArray part(const QString &name) const
    {
        QProcess unzip;
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), m_path, name});
        if (!unzip.waitForFinished(30000)) // the setup script installs it
            qWarning("the unzip tool did not read %s", qPrintable(name));
        return unzip.readAllStandardOutput();
    }

private:
    // Each <si> item is one string, its <t> runs joined.
    void readSharedStrings()
    {
        QXmlStreamReader xml(part(QStringLiteral("xl/sharedStrings.xml")));
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("si"))
                m_strings << QString();
            else if (xml.name() == QLatin1String("t") && !m_strings.isEmpty())
                m_strings.last() += xml.readElementText();
        }
    }

    // The solid fill colour of each cell format, by the format's number.
    void readFills()
    {
        QXmlStreamReader xml(part(QStringLiteral("xl/styles.xml")));
        QStringList fills;
        bool inCellFormats = false;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isEndElement() && xml.name() == QLatin1String("cellXfs"))
                inCellFormats = false;
            if (!xml.isStartElement())
                continue;
            if (xml.name() == QLatin1String("fill"))
                fills << QString();
            else if (xml.name() == QLatin1String("fgColor") && !fills.isEmpty())
                fills.last() = xml.attributes().value(QLatin1String("rgb")).toString().mid(2);
            else if (xml.name() == QLatin1String("cellXfs"))
                inCellFormats = true;
            else if (xml.name() == QLatin1String("xf") && inCellFormats)
                m_fills << fills.value(xml.attributes().value(QLatin1String("fillId")).toInt());
        }
    }

    QString m_path;
    QStringList m_sheets;
    QStringList m_strings;
    QStringList m_fills;
};
