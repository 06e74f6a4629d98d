#include "codelists/WorkerImport.h"

#include "codelists/CodeList.h"
#include "core/FileDialogs.h"
#include "core/Messages.h"
#include "db/Database.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

namespace tamvel::codelists {

namespace {

constexpr int ListedSkips = 20;

QString title()
{
    return QStringLiteral("Import pracovníků/činností");
}

QString firstField(const QString &line, QChar separator)
{
    if (!line.startsWith(QLatin1Char('"')))
        return line.section(separator, 0, 0);
    QString field;
    for (int i = 1; i < line.size(); ++i) {
        if (line[i] != QLatin1Char('"')) {
            field += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
            field += QLatin1Char('"');
            ++i;
        } else {
            break;
        }
    }
    return field;
}

} // namespace

QString decodeNamesFile(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    // The decoder drops a leading byte-order mark itself.
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder windows1250("windows-1250");
    return windows1250.decode(bytes);
}

QStringList namesOfFile(const QString &text, bool csv)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = text.split(lineBreak);
    const QChar separator = text.contains(QLatin1Char(';')) ? QLatin1Char(';') : QLatin1Char(',');
    QStringList names;
    for (const QString &line : lines) {
        const QString name = (csv ? firstField(line.trimmed(), separator) : line).trimmed();
        if (!name.isEmpty())
            names << name;
    }
    return names;
}

WorkerImport importWorkers(Database &db, const QStringList &names)
{
    // Table, field and size as the workers' editor has them. The built-in "ostatní" counts as
    // stored even where a register lacks it: the browser would never show it.
    const CodeList &workers = *memberByBrowser(QStringLiteral("frmPracGrid"));
    const QString field = workers.columns.first().field;
    const int maxLength = workers.inputs.first().maxLength;
    WorkerImport result;
    inTransaction(db, [&] {
        QSet<QString> stored{workers.hiddenEntry};
        const Rows rows = db.query(QStringLiteral("SELECT %1 FROM %2").arg(field, workers.table));
        for (int i = 0; i < rows.size(); ++i)
            stored.insert(rows.at(i, 0).toString());
        const QString insert =
            QStringLiteral("INSERT INTO %1 (%2) VALUES (?)").arg(workers.table, field);
        for (const QString &name : names) {
            // Counted in characters, as the engine counts them.
            if (name.toUcs4().size() > maxLength) {
                result.skipped.append({name, QStringLiteral("delší než %1 znaků").arg(maxLength)});
            } else if (stored.contains(name)) {
                result.skipped.append({name, QStringLiteral("už existuje")});
            } else {
                db.execute(insert, {name});
                stored.insert(name);
                result.imported << name;
            }
        }
    });
    return result;
}

QString importReport(const WorkerImport &result)
{
    QStringList lines{
        QStringLiteral("Importováno pracovníků/činností: %1").arg(result.imported.size())};
    if (result.skipped.isEmpty())
        return lines.first();
    lines << QStringLiteral("Přeskočeno: %1").arg(result.skipped.size());
    for (int i = 0; i < result.skipped.size() && i < ListedSkips; ++i)
        lines << QStringLiteral("%1 – %2").arg(result.skipped[i].name, result.skipped[i].reason);
    if (result.skipped.size() > ListedSkips)
        lines << QStringLiteral("… a dalších %1").arg(result.skipped.size() - ListedSkips);
    return lines.join(QLatin1Char('\n'));
}

bool importWorkersFromFile(Database &db, Messages &messages, FileDialogs &files,
                           const QString &folder)
{
    const QString path =
        files.openFile(title(), folder, QStringLiteral("Textové soubory (*.txt *.csv)"));
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        messages.fail(title(), QStringLiteral("Soubor '%1' nelze přečíst.").arg(path));
        return false;
    }
    const bool csv =
        QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
    const QStringList names = namesOfFile(decodeNamesFile(file.readAll()), csv);
    WorkerImport result;
    try {
        result = importWorkers(db, names);
    } catch (const DbError &e) {
        showEngineError(messages, e);
        return false;
    }
    messages.inform(title(), importReport(result));
    return true;
}

} // namespace tamvel::codelists
