// The folders of src/ are layers: a file includes only its own folder and the folders below
// it, and the widget helpers of ui/ only from windows.
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QtTest>

namespace {

// Higher includes lower; folders of one rank do not include each other.
const QHash<QString, int> &ranks()
{
    static const QHash<QString, int> r = {
        {QStringLiteral("core"), 0},        {QStringLiteral("db"), 1},
        {QStringLiteral("ui"), 2},          {QStringLiteral("access"), 3},
        {QStringLiteral("codelists"), 3},   {QStringLiteral("risks"), 4},
        {QStringLiteral("conversions"), 5}, {QStringLiteral("export"), 5},
        {QStringLiteral("legacy"), 6},      {QStringLiteral("app"), 7},
    };
    return r;
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
    if (!ranks().contains(target))
        return QStringLiteral("unknown folder");
    if (target == QStringLiteral("ui") && !isWindow(folder, fileName))
        return QStringLiteral("logic includes a widget helper");
    const QString header = included.section(QLatin1Char('/'), -1);
    if (isWindow(target, header) && !isWindow(folder, fileName))
        return QStringLiteral("logic includes a window");
    if (target != folder && ranks().value(target) >= ranks().value(folder))
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
            QVERIFY2(ranks().contains(folder),
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
