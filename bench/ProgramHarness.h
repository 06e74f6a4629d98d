#pragma once

// The program as the user drives it, for the benchmarks: the real main window offscreen,
// logged in as the administrator of a demo register, with settings kept out of the user's
// home; and the raw engine reading what a window reads.

#include "app/DemoDatabase.h"
#include "app/MDITamvel.h"
#include "app/Session.h"
#include "app/Settings.h"
#include "core/FileDialogs.h"
#include "core/Messages.h"
#include "db/Database.h"
#include "risks/FrmRizikaGrd.h"
#include "risks/RiskGrid.h"

#include <QCoreApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace bench {

// Settings and data folders in a temporary folder; made before the application object.
class IsolatedHome
{
public:
    IsolatedHome()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("data"))));
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QString filePath(const QString &name) const { return m_home.filePath(name); }

private:
    QTemporaryDir m_home;
};

inline void nameApplication()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Tamvel"));
    QCoreApplication::setApplicationName(QStringLiteral("Tamvel"));
}

// A benchmark that meets a message box has gone wrong: it is printed, never answered yes.
class PrintedMessages : public tamvel::Messages
{
public:
    int shown = 0;
    void inform(const QString &t, const QString &x) override { print("inform", t, x); }
    void warn(const QString &t, const QString &x) override { print("warn", t, x); }
    void fail(const QString &t, const QString &x) override { print("fail", t, x); }
    bool ask(const QString &t, const QString &x, Tone) override
    {
        print("ask", t, x);
        return false;
    }

private:
    void print(const char *kind, const QString &title, const QString &text)
    {
        ++shown;
        std::fprintf(stderr, "message %s: %s: %s\n", kind, qUtf8Printable(title),
                     qUtf8Printable(text));
    }
};

class NoFiles : public tamvel::FileDialogs
{
public:
    QString openFile(const QString &, const QString &, const QString &) override { return {}; }
    QString saveFile(const QString &, const QString &, const QString &, const QString &) override
    {
        return {};
    }
};

// Always the administrator with the empty password of a new register.
class AdministratorLogin : public tamvel::LoginPrompt
{
public:
    tamvel::LoginAnswer ask(const QString &, const QString &) override
    {
        return {true, QStringLiteral("Administrator"), QString()};
    }
};

// Writes the demo register in a child process, so that the memory the writing took does not
// count in this process's peak. Call it before the application object (no threads yet).
inline void writeRegister(const QString &path, int risks)
{
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        int code = 0;
        try {
            tamvel::demo::writeDemoDatabase(path, risks);
        } catch (...) {
            code = 1;
        }
        _exit(code);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "the demo register of %d risks could not be written\n", risks);
        std::exit(1);
    }
}

// An isolated home with a demo register of `risks` risks in it; made before the application
// object, as both of its parts must be.
struct DemoHome : IsolatedHome
{
    explicit DemoHome(int risks) : path(filePath(QStringLiteral("register.mdb")))
    {
        writeRegister(path, risks);
    }
    const QString path;
};

// The main window over a session of its own, logged in on the register.
struct Program
{
    tamvel::Session session;
    PrintedMessages messages;
    NoFiles files;
    AdministratorLogin login;
    std::unique_ptr<tamvel::MDITamvel> window;

    explicit Program(const QString &registerPath)
    {
        tamvel::settings::setDatabasePath(registerPath);
        tamvel::settings::setLastLogin(QString());
        session.startUp();
        window = std::make_unique<tamvel::MDITamvel>(session,
                                                     tamvel::Interaction{messages, files, login});
        window->resize(1280, 900);
        window->show();
        window->activate();
        QCoreApplication::processEvents();
        if (!session.loggedIn) {
            std::fprintf(stderr, "the login failed\n");
            std::exit(1);
        }
    }

    tamvel::risks::FrmRizikaGrd *overview() const
    {
        return qobject_cast<tamvel::risks::FrmRizikaGrd *>(
            window->child(QStringLiteral("frmRizikaGrd")));
    }
    // "Přehled rizik" from the menu, as the user chooses it.
    tamvel::risks::FrmRizikaGrd *openOverview()
    {
        window->action(QStringLiteral("mnuRiziPreh"))->trigger();
        paint();
        return overview();
    }
    // The overview as the screen would show it now: pending events handled, grid painted.
    void paint() const
    {
        QCoreApplication::processEvents();
        if (tamvel::risks::FrmRizikaGrd *o = overview())
            o->grid()->viewport()->grab();
    }
    // Closes the overview; the next opening starts from the first view again.
    void closeOverview()
    {
        if (QWidget *o = overview()) {
            o->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
        session.overview = tamvel::risks::OverviewState();
    }
};

// The value a raw read binds, as the program's engine wrapper binds it.
inline void bindValue(sqlite3_stmt *stmt, int index, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        sqlite3_bind_null(stmt, index);
        break;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Bool:
        sqlite3_bind_int64(stmt, index, value.toLongLong());
        break;
    case QMetaType::Double:
        sqlite3_bind_double(stmt, index, value.toDouble());
        break;
    default: {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
    }
    }
}

// The raw engine on the register with the program's collation and functions.
class RawReader
{
public:
    explicit RawReader(const QString &path)
    {
        if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) !=
            SQLITE_OK) {
            std::fprintf(stderr, "cannot open %s\n", qUtf8Printable(path));
            std::exit(1);
        }
        tamvel::Database::registerExtensions(m_db);
    }
    ~RawReader() { sqlite3_close(m_db); }
    RawReader(const RawReader &) = delete;
    RawReader &operator=(const RawReader &) = delete;

    // Steps through every row reading every value in its stored kind; the row count.
    long read(const tamvel::risks::GridQuery &query)
    {
        const QByteArray sql = query.sql.toUtf8();
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &stmt, nullptr) !=
            SQLITE_OK) {
            std::fprintf(stderr, "raw read: %s\n", sqlite3_errmsg(m_db));
            std::exit(1);
        }
        for (int i = 0; i < query.values.size(); ++i)
            bindValue(stmt, i + 1, query.values[i]);
        const int columns = sqlite3_column_count(stmt);
        long rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            ++rows;
            for (int c = 0; c < columns; ++c) {
                switch (sqlite3_column_type(stmt, c)) {
                case SQLITE_INTEGER:
                    m_touched += size_t(sqlite3_column_int64(stmt, c));
                    break;
                case SQLITE_FLOAT:
                    m_touched += size_t(sqlite3_column_double(stmt, c));
                    break;
                case SQLITE_TEXT:
                case SQLITE_BLOB: {
                    const auto *text = sqlite3_column_text(stmt, c);
                    const int bytes = sqlite3_column_bytes(stmt, c);
                    m_touched += size_t(bytes) + (bytes > 0 ? text[bytes - 1] : 0);
                    break;
                }
                default:
                    break;
                }
            }
        }
        sqlite3_finalize(stmt);
        return rows;
    }
    size_t touched() const { return m_touched; }

private:
    sqlite3 *m_db = nullptr;
    size_t m_touched = 0;
};

// The overview's query for its default columns, as the first view and a sort list it.
inline tamvel::risks::GridQuery overviewQuery(const QString &sortCaption, bool ascending)
{
    return tamvel::risks::gridQuery(tamvel::risks::parseColumnSet(QString()),
                                    tamvel::risks::RiskFilter::openOnly(), sortCaption, ascending);
}

// The current resident memory of the process, in MB.
inline double residentMegabytes()
{
    long pages = 0, resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

} // namespace bench
