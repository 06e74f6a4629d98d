#pragma once

// The cells a written workbook holds, read back from the file through the `unzip` tool: each
// sheet's cells with their place and kind (number or text), so that a floor can write the
// very same cells in a plain loop.

#include <QProcess>
#include <QStringList>
#include <QXmlStreamReader>

#include <string>
#include <vector>

namespace bench {

struct WrittenCell
{
    int row = 0;
    int column = 0;
    bool number = false;
    double value = 0;
    std::string text; // UTF-8, as libxlsxwriter takes it
};

struct WrittenSheet
{
    std::string name;
    std::vector<WrittenCell> cells;
};

struct WrittenBook
{
    std::vector<WrittenSheet> sheets;
    long cells = 0;
    long numbers = 0;
    long distinctTexts = 0;
};

inline QByteArray zipPart(const QString &path, const QString &part)
{
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, part});
    unzip.waitForFinished(-1);
    return unzip.readAllStandardOutput();
}

// "AB12" → column 27, row 11 (both from 0).
inline void cellPlace(QStringView ref, int &row, int &column)
{
    int c = 0;
    int i = 0;
    for (; i < ref.size() && ref[i].isLetter(); ++i)
        c = c * 26 + (ref[i].unicode() - 'A' + 1);
    column = c - 1;
    row = ref.mid(i).toInt() - 1;
}

inline WrittenBook readWrittenBook(const QString &path)
{
    WrittenBook book;
    QStringList strings;
    {
        QXmlStreamReader xml(zipPart(path, QStringLiteral("xl/sharedStrings.xml")));
        QString current;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.name() == QLatin1String("si"))
                current.clear();
            else if (xml.isStartElement() && xml.name() == QLatin1String("t"))
                current += xml.readElementText();
            else if (xml.isEndElement() && xml.name() == QLatin1String("si"))
                strings << current;
        }
    }
    book.distinctTexts = strings.size();
    QXmlStreamReader workbook(zipPart(path, QStringLiteral("xl/workbook.xml")));
    while (!workbook.atEnd())
        if (workbook.readNext() == QXmlStreamReader::StartElement &&
            workbook.name() == QLatin1String("sheet"))
            book.sheets.push_back(
                {workbook.attributes().value(QLatin1String("name")).toString().toStdString(), {}});
    for (size_t s = 0; s < book.sheets.size(); ++s) {
        QXmlStreamReader xml(zipPart(path, QStringLiteral("xl/worksheets/sheet%1.xml").arg(s + 1)));
        WrittenCell cell;
        QString type;
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            if (xml.name() == QLatin1String("c")) {
                cellPlace(xml.attributes().value(QLatin1String("r")), cell.row, cell.column);
                type = xml.attributes().value(QLatin1String("t")).toString();
            } else if (xml.name() == QLatin1String("v")) {
                const QString v = xml.readElementText();
                cell.number = type.isEmpty() || type == QLatin1String("n");
                if (cell.number) {
                    cell.value = v.toDouble();
                    cell.text.clear();
                    ++book.numbers;
                } else {
                    cell.text =
                        (type == QLatin1String("s") ? strings.value(v.toInt()) : v).toStdString();
                }
                book.sheets[s].cells.push_back(cell);
                ++book.cells;
            }
        }
    }
    return book;
}

} // namespace bench
