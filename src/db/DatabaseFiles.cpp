#include "db/DatabaseFiles.h"

#include "core/Messages.h"
#include "db/Database.h"
#include "db/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <signal.h>
#include <sys/types.h>
#endif

namespace tamvel::files {

namespace {

// A sibling of the target that nothing else uses; removed unless kept.
class PartFile
{
public:
    explicit PartFile(const QString &target)
    {
        removeLeftovers(QFileInfo(target).absolutePath());
        const QString prefix = temporaryPrefix(target);
        for (int i = 0;; ++i) {
            m_path = prefix + QString::number(i) + QStringLiteral(".part");
            if (!QFileInfo::exists(m_path))
                break;
        }
    }
    ~PartFile()
    {
        if (!m_kept) {
            QFile::remove(m_path);
            QFile::remove(m_path + QStringLiteral("-journal"));
        }
    }
    const QString &path() const { return m_path; }

    // Puts the finished file in the target's place, replacing whatever is there.
    void moveTo(const QString &target)
    {
        if (std::rename(QFile::encodeName(m_path).constData(),
                        QFile::encodeName(target).constData()) != 0) {
            throw DbError(SQLITE_CANTOPEN,
                          QStringLiteral("Soubor '%1' nelze zapsat: %2")
                              .arg(target, QString::fromLocal8Bit(std::strerror(errno))));
        }
        m_kept = true;
    }

private:
    QString m_path;
    bool m_kept = false;
};

// The host name as one part of a file name: no dots, nothing a file system refuses.
QString hostPart(const QString &host)
{
    QString part = host;
    for (QChar &c : part)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('-'))
            c = QLatin1Char('_');
    return part.isEmpty() ? QStringLiteral("_") : part;
}

void requireFolder(const QString &path)
{
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.isDir())
        throw DbError(SQLITE_CANTOPEN,
                      QStringLiteral("Složka '%1' neexistuje.").arg(folder.filePath()));
}

// In use: the program's own current database, or a file another copy has open or locked.
bool inUse(const QString &path, const QString &currentPath)
{
    return (!currentPath.isEmpty() && samePath(path, currentPath)) || Database::isInUse(path);
}

const QString InUseText = QStringLiteral(
    "Databáze je používána ! překontrolujte, zda nejste k této databázi přihlášeni.");

} // namespace

QString withMdbExtension(const QString &name)
{
    if (name.size() >= 4 && !name.endsWith(QStringLiteral(".mdb"), Qt::CaseInsensitive))
        return name + QStringLiteral(".mdb");
    return name;
}

QString proposedCopyName(const QString &currentPath)
{
    return currentPath.left(std::max<qsizetype>(0, currentPath.size() - 4)) +
           QStringLiteral("_cp.mdb");
}

QString freeNameBeside(const QString &path, const QString &suffix, const QString &extension)
{
    const QFileInfo info(path);
    const QString stem = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() +
                         QLatin1Char('_') + suffix;
    QString name = stem + QLatin1Char('.') + extension;
    for (int i = 2; QFileInfo::exists(name); ++i)
        name = QStringLiteral("%1_%2.%3").arg(stem).arg(i).arg(extension);
    return name;
}

bool samePath(const QString &a, const QString &b)
{
    const QFileInfo fa(a), fb(b);
    const QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty())
        return ca == cb;
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

QString temporaryPrefix(const QString &target)
{
    return temporaryPrefix(target, QSysInfo::machineHostName(), QCoreApplication::applicationPid());
}

QString temporaryPrefix(const QString &target, const QString &host, qint64 pid)
{
    const QFileInfo info(target);
    return QStringLiteral("%1/.%2.%3.%4.")
        .arg(info.absolutePath(), info.fileName(), hostPart(host))
        .arg(pid);
}

void removeLeftovers(const QString &folder)
{
    static const QRegularExpression name(QStringLiteral(
        "^\\..+\\.([A-Za-z0-9_-]+)\\.([0-9]{1,10})\\.[A-Za-z0-9]+\\.part(-journal)?$"));
    const QString ownHost = hostPart(QSysInfo::machineHostName());
    const QDir dir(folder);
    const QStringList found = dir.entryList(
        {QStringLiteral(".*.part"), QStringLiteral(".*.part-journal")}, QDir::Files | QDir::Hidden);
    for (const QString &file : found) {
        const QRegularExpressionMatch match = name.match(file);
        if (match.hasMatch() && match.captured(1) == ownHost &&
            !isProcessRunning(match.captured(2).toLongLong()))
            QFile::remove(dir.filePath(file));
    }
}

bool isProcessRunning(qint64 pid)
{
#ifdef Q_OS_WIN
    if (pid <= 0 || pid > qint64((std::numeric_limits<DWORD>::max)()))
        return false;
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
#else
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    // Signal 0 only asks; EPERM: it runs, under another user.
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
#endif
}

void writeNewDatabase(const QString &path, bool replaceExisting)
{
    writeNewDatabase(path, replaceExisting, {});
}

void writeNewDatabase(const QString &path, bool replaceExisting,
                      const std::function<void(Database &)> &fill, int structureVersion)
{
    if (!replaceExisting && QFileInfo::exists(path))
        throw DbError(SQLITE_CANTOPEN, QStringLiteral("Soubor '%1' již existuje.").arg(path));
    requireFolder(path);
    PartFile part(path);
    {
        const auto db = Database::create(part.path());
        schema::createStructure(*db, structureVersion);
        if (fill)
            fill(*db);
    }
    part.moveTo(path);
}

bool mayWriteNewDatabase(const QString &path, const QString &currentPath, Messages &messages)
{
    if (!QFileInfo::exists(path))
        return true;
    if (!messages.ask(QStringLiteral("Již existující databáze"),
                      QStringLiteral("Databáze již existuje! Chcete ji přepsat?")))
        return false;
    if (inUse(path, currentPath)) {
        messages.warn(QStringLiteral("Tamvel"), InUseText);
        return false;
    }
    return true;
}

QString createDatabase(const QString &chosenName, const QString &currentPath, Messages &messages)
{
    const QString path = withMdbExtension(chosenName);
    if (!mayWriteNewDatabase(path, currentPath, messages))
        return {};
    try {
        writeNewDatabase(path, true);
    } catch (const DbError &e) {
        messages.fail(
            QStringLiteral("Vytvoření nové databáze"),
            QStringLiteral("Databázi '%1' se nepodařilo vytvořit.\n%2").arg(path, e.describe()));
        return {};
    }
    return path;
}

bool copyDatabase(Database &current, const QString &targetPath, Messages &messages)
{
    const QString title = QStringLiteral("Kopie databáze");
    if (samePath(targetPath, current.path())) {
        messages.warn(title, QStringLiteral("Databázi nelze kopírovat sama na sebe. "
                                            "Zvolte jiný soubor."));
        return false;
    }
    if (QFileInfo::exists(targetPath) && Database::isInUse(targetPath)) {
        messages.warn(title, InUseText);
        return false;
    }
    try {
        requireFolder(targetPath);
        PartFile part(targetPath);
        // A snapshot inside one read transaction: consistent even while others write.
        current.execute(QStringLiteral("VACUUM INTO ?"), {part.path()});
        part.moveTo(targetPath);
    } catch (const DbError &e) {
        messages.fail(title, QStringLiteral("Kopii databáze do '%1' se nepodařilo vytvořit.\n%2")
                                 .arg(targetPath, e.describe()));
        return false;
    }
    return true;
}

bool clearRisks(Database &db, Messages &messages)
{
    const QString title = QStringLiteral("Vymazání tabulky rizik");
    if (!messages.ask(title, QStringLiteral("Pozor!!! Zvolili jste vymazání všech záznamů "
                                            "přehledu rizik. Chcete pokračovat?")))
        return false;
    if (!messages.ask(title,
                      QStringLiteral("Potvrzením této volby dojde k nevratnému vymazání všech "
                                     "záznamů tabulky rizik. Chcete pokračovat?"),
                      Messages::Tone::Critical))
        return false;
    const QString errorTitle = QStringLiteral("Chyba při mazání rizik");
    const QString busyText =
        QStringLiteral("Tabulka rizik nebyla vymazána! Databáze je používaná i jiným uživatelem.");
    // The risks go only while no other copy works in the register, idle or not.
    if (db.isOpenElsewhere()) {
        messages.fail(errorTitle, busyText);
        return false;
    }
    try {
        inTransaction(db, [&] {
            for (const char *table : {"rizika", "oop_rizika", "dilci_ukoly", "rizika_uzavrene"})
                db.execute(QStringLiteral("DELETE FROM ") + QString::fromUtf8(table));
        });
    } catch (const DbError &e) {
        if (e.isBusy())
            messages.fail(errorTitle, busyText);
        else
            messages.fail(errorTitle,
                          QStringLiteral("Tabulka rizik nebyla vymazána!\n") + e.describe());
        return false;
    }
    messages.inform(title, QStringLiteral("Vymazání záznamů přehledu rizik úspěšně dokončeno."));
    return true;
}

} // namespace tamvel::files
