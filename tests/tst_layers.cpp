// The folders of src/ are layers: a file includes only its own folder and the folders below
// it, and the widget helpers of ui/ only from windows.
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QtTest>

namespace {

// The folders each folder may include besides its own; ui/ only from windows.
const QHash<QString, QStringList> &allowed()
{
    static const QHash<QString, QStringList> below = [] {
        const auto list = [](std::initializer_list<const char *> names) {
            QStringList result;
            for (const char *name : names)
                result << QString::fromLatin1(name);
            return result;
        };
        QHash<QString, QStringList> b;
        b.insert(QStringLiteral("core"), {});
        b.insert(QStringLiteral("db"), list({"core"}));
        b.insert(QStringLiteral("ui"), list({"core", "db"}));
        b.insert(QStringLiteral("access"), list({"core", "db", "ui"}));
        b.insert(QStringLiteral("codelists"), list({"core", "db", "ui"}));
        b.insert(QStringLiteral("risks"), list({"core", "db", "ui", "codelists"}));
        b.insert(QStringLiteral("conversions"), list({"core", "db", "codelists", "risks"}));
        b.insert(QStringLiteral("export"), list({"core", "db", "ui", "codelists", "risks"}));
        b.insert(QStringLiteral("legacy"),
                 list({"core", "db", "codelists", "risks", "conversions"}));
        b.insert(QStringLiteral("app"), list({"core", "db", "ui", "access", "codelists", "risks",
                                              "conversions", "export", "legacy"}));
        return b;
    }();
    return below;
}

bool isWindow(const QString &folder, const QString &fileName)
{
    return folder == QStringLiteral("ui") || fileName.startsWith(QStringLiteral("Frm")) ||
           fileName.startsWith(QStringLiteral("MDI")) ||
           fileName.contains(QStringLiteral("Window")) || fileName == QStringLiteral("main.cpp");
}

// What is wrong with one include of a file; empty when it may stay.
QString violation(const QString &folder, const QString &fileName, const QString &included)
{
    const QString target = included.section(QLatin1Char('/'), 0, 0);
    if (!allowed().contains(target))
        return QStringLiteral("unknown folder");
    if (target == QStringLiteral("ui") && !isWindow(folder, fileName))
        return QStringLiteral("logic includes a widget helper");
    const QString header = included.section(QLatin1Char('/'), -1);
    if (isWindow(target, header) && !isWindow(folder, fileName))
        return QStringLiteral("logic includes a window");
    if (target != folder && !allowed().value(folder).contains(target))
        return QStringLiteral("includes upward or sideways");
    return QString();
}

} // namespace

class TestLayers : public QObject
{
    Q_OBJECT

private slots:
    void rules_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("included");
        QTest::addColumn<bool>("allowed");
        const auto row = [](const char *name, const char *folder, const char *file,
                            const char *included, bool allowed) {
            QTest::newRow(name) << QString::fromLatin1(folder) << QString::fromLatin1(file)
                                << QString::fromLatin1(included) << allowed;
        };
        row("down", "risks", "RiskRecord.cpp", "db/Database.h", true);
        row("own folder", "db", "Schema.cpp", "db/Database.h", true);
        row("up", "db", "Schema.cpp", "risks/RiskRecord.h", false);
        row("sideways", "codelists", "CodeList.cpp", "access/Access.h", false);
        row("feature beside", "risks", "RiskRecord.cpp", "access/Access.h", false);
        row("logic to ui", "risks", "RiskGrid.cpp", "ui/Widgets.h", false);
        row("window to ui", "risks", "FrmRiziko.cpp", "ui/Widgets.h", true);
        row("logic to window", "app", "Login.cpp", "risks/FrmRiziko.h", false);
        row("window to lower window", "risks", "FrmRiziko.cpp", "codelists/CodeListWindows.h",
            true);
    }
    void rules()
    {
        QFETCH(QString, folder);
        QFETCH(QString, file);
        QFETCH(QString, included);
        QFETCH(bool, allowed);
        QCOMPARE(violation(folder, file, included).isEmpty(), allowed);
    }

    void sourcesKeepTheirLayers()
    {
        const QString src = QStringLiteral(TAMVEL_SOURCE_DIR "/src");
        static const QRegularExpression include(QStringLiteral("^#include \"([^\"]+)\""),
                                                QRegularExpression::MultilineOption);
        QStringList found;
        int files = 0;
        QDirIterator it(src, {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            const QString folder = QDir(src).relativeFilePath(info.absolutePath());
            QVERIFY2(allowed().contains(folder),
                     qPrintable(folder + QStringLiteral(" has no layer")));
            QFile file(info.absoluteFilePath());
            QVERIFY(file.open(QIODevice::ReadOnly));
            ++files;
            const QString text = QString::fromUtf8(file.readAll());
            for (auto m = include.globalMatch(text); m.hasNext();) {
                const QString included = m.next().captured(1);
                const QString why = violation(folder, info.fileName(), included);
                if (!why.isEmpty())
                    found << QStringLiteral("%1/%2 -> %3: %4")
                                 .arg(folder, info.fileName(), included, why);
            }
        }
        QVERIFY(files > 100);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    }
};

QTEST_GUILESS_MAIN(TestLayers)
#include "tst_layers.moc"
