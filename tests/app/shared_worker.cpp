// A second copy of the program for the shared-file tests: opens the database and either
// holds it open ("hold": until its input closes or it is killed) or edits one field of one
// risk many times, reloading after each refusal, and tells each outcome on its output.
#include "db/Database.h"
#include "risks/RiskFields.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

using namespace tamvel;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    QTextStream out(stdout);
    // Busy (other copies keep writing) is tried again, as a user told to try again does.
    const auto untilFree = [](const auto &step) {
        for (;;) {
            try {
                return step();
            } catch (const DbError &e) {
                if (!e.isBusy())
                    throw;
            }
        }
    };
    std::unique_ptr<Database> db = untilFree([&] { return Database::open(args[1]); });
    if (args[2] == QStringLiteral("hold")) {
        out << "open" << Qt::endl;
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return 2;
        in.readAll(); // until the test closes the channel
        return 0;
    }
    // edit ID COLUMN COUNT: the field takes "COLUMN-1" … "COLUMN-COUNT" in turn.
    if (args[2] != QStringLiteral("edit") || args.size() < 6)
        return 2;
    const qint64 id = args[3].toLongLong();
    const risks::RiskField *field = risks::riskField(args[4]);
    const int count = args[5].toInt();
    if (!field || !field->text)
        return 2;
    QString last = untilFree(
        [&] { return risks::loadRisk(*db, id).value_or(risks::RiskRecord()).*field->text; });
    for (int i = 1; i <= count; ++i) {
        const QString value = QStringLiteral("%1-%2").arg(args[4]).arg(i);
        for (;;) {
            try {
                const std::optional<risks::RiskRecord> opened = risks::loadRisk(*db, id);
                if (!opened)
                    return 3;
                // Nobody else writes this field: anything but our last save is a lost edit.
                if ((*opened).*field->text != last) {
                    out << "lost " << last << Qt::endl;
                    return 5;
                }
                risks::RiskRecord edited = *opened;
                edited.*field->text = value;
                risks::commitRiskSave(*db, EditMode::Edit, *opened, edited);
                out << "saved " << value << Qt::endl;
                last = value;
                break;
            } catch (const ChangedMeanwhile &) {
                out << "refused " << value << Qt::endl;
            } catch (const DbError &e) {
                if (!e.isBusy())
                    return 4;
                out << "busy " << value << Qt::endl;
            }
        }
    }
    return 0;
}
