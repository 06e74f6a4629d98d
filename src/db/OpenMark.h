#pragma once

#include <QString>

namespace tamvel {

// Tells other copies of the program, for as long as it lives, that this copy has a database
// file open. The mark is a lock the operating system holds on one byte of a small file
// beside the database ("<database>-inuse"): it goes with the process, also when the process
// is killed, and it is seen from other machines sharing the folder as far as their file
// system passes locks on. The file itself is removed by the last copy that closes.
class OpenMark
{
public:
    // Places the mark; a folder that cannot take the file leaves none (isPlaced() false).
    explicit OpenMark(const QString &databasePath);
    ~OpenMark();
    OpenMark(const OpenMark &) = delete;
    OpenMark &operator=(const OpenMark &) = delete;

    bool isPlaced() const { return m_slot >= 0; }

    // True when a mark other than `own` is placed on the database: another copy, idle or
    // not, has it open.
    static bool isOpenElsewhere(const QString &databasePath, const OpenMark *own = nullptr);
    // True when a mark file is there and nobody holds a mark on it: the last copy that had
    // the database open ended without closing it.
    static bool wasLeftBehind(const QString &databasePath);
    // The mark file of a database.
    static QString markPath(const QString &databasePath);

private:
    void place();
    void release();

    QString m_database;
    QString m_path;
    qintptr m_handle = -1; // the open mark file
    int m_slot = -1;       // the locked byte
};

} // namespace tamvel
