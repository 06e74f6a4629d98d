#include "db/OpenMark.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tamvel {

namespace {

// One byte per copy that has the database open at once, and one byte after them that a copy
// holds while it places its mark or removes the file.
constexpr int Slots = 256;
constexpr int Guard = Slots;

#ifdef Q_OS_WIN

using Handle = HANDLE;
const Handle NoHandle = INVALID_HANDLE_VALUE;

Handle openMarkFile(const QString &path, bool create)
{
    // No FILE_SHARE_DELETE: the last copy's removal fails while another has the file open.
    return CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()),
                       GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_HIDDEN, nullptr);
}

void closeMarkFile(Handle handle)
{
    CloseHandle(handle);
}

bool lockSlot(Handle handle, int slot, bool wait = false)
{
    OVERLAPPED where = {};
    where.Offset = DWORD(slot);
    return LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY), 0,
                      1, 0, &where);
}

void unlockSlot(Handle handle, int slot)
{
    OVERLAPPED where = {};
    where.Offset = DWORD(slot);
    UnlockFileEx(handle, 0, 1, 0, &where);
}

// Whether another handle holds the slot: a lock of our own shows it, and is given back.
bool heldElsewhere(Handle handle, int slot)
{
    if (!lockSlot(handle, slot))
        return true;
    unlockSlot(handle, slot);
    return false;
}

// Windows refuses to remove a file another handle has open, so nothing to check.
bool stillNamed(Handle, const QString &)
{
    return true;
}

#else

using Handle = int;
constexpr Handle NoHandle = -1;

// Locks of an open file description belong to it alone (not to the whole process, whose
// locks would go when any descriptor of the file closes); older systems have only those.
#ifdef F_OFD_SETLK
constexpr int SetLock = F_OFD_SETLK;
constexpr int SetLockWait = F_OFD_SETLKW;
constexpr int GetLock = F_OFD_GETLK;
#else
constexpr int SetLock = F_SETLK;
constexpr int SetLockWait = F_SETLKW;
constexpr int GetLock = F_GETLK;
#endif

Handle openMarkFile(const QString &path, bool create)
{
    const QByteArray name = QFile::encodeName(path);
    return ::open(name.constData(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0666);
}

void closeMarkFile(Handle handle)
{
    ::close(handle);
}

struct flock slotLock(short type, int slot)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = slot;
    lock.l_len = 1;
    return lock;
}

bool lockSlot(Handle handle, int slot, bool wait = false)
{
    struct flock lock = slotLock(F_WRLCK, slot);
    return fcntl(handle, wait ? SetLockWait : SetLock, &lock) == 0;
}

void unlockSlot(Handle handle, int slot)
{
    struct flock lock = slotLock(F_UNLCK, slot);
    fcntl(handle, SetLock, &lock);
}

bool heldElsewhere(Handle handle, int slot)
{
    struct flock lock = slotLock(F_WRLCK, slot);
    if (fcntl(handle, GetLock, &lock) != 0)
        return false;
    return lock.l_type != F_UNLCK;
}

// The mark file may have been removed by the last copy between our open and our lock: a
// lock on a file without a name is seen by nobody.
bool stillNamed(Handle handle, const QString &path)
{
    struct stat opened = {}, named = {};
    return fstat(handle, &opened) == 0 && stat(QFile::encodeName(path).constData(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

#endif

Handle toHandle(qintptr value)
{
#ifdef Q_OS_WIN
    return reinterpret_cast<Handle>(value);
#else
    return Handle(value);
#endif
}

qintptr fromHandle(Handle handle)
{
#ifdef Q_OS_WIN
    return reinterpret_cast<qintptr>(handle);
#else
    return handle;
#endif
}

} // namespace

OpenMark::OpenMark(const QString &databasePath)
    : m_database(QFileInfo(databasePath).absoluteFilePath()), m_path(markPath(databasePath))
{
    place();
}

OpenMark::~OpenMark()
{
    release();
}

QString OpenMark::markPath(const QString &databasePath)
{
    return QFileInfo(databasePath).absoluteFilePath() + QStringLiteral("-inuse");
}

void OpenMark::place()
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        const Handle handle = openMarkFile(m_path, true);
        if (handle == NoHandle)
            return;
        // The last copy may remove the file between our open and our lock; then it has no
        // name, and a mark on it would be seen by nobody: open it again.
        if (!lockSlot(handle, Guard, true) || !stillNamed(handle, m_path)) {
            closeMarkFile(handle);
            continue;
        }
        int slot = 0;
        while (slot < Slots && !lockSlot(handle, slot))
            ++slot;
        unlockSlot(handle, Guard);
        if (slot == Slots) {
            closeMarkFile(handle);
            return;
        }
        m_handle = fromHandle(handle);
        m_slot = slot;
        return;
    }
}

void OpenMark::release()
{
    if (m_slot < 0)
        return;
    const Handle handle = toHandle(m_handle);
    unlockSlot(handle, m_slot);
    m_slot = -1;
    m_handle = -1;
#ifdef Q_OS_WIN
    // The removal fails while another copy has the file open.
    closeMarkFile(handle);
    if (!isOpenElsewhere(m_database))
        QFile::remove(m_path);
#else
    // The last copy takes the file along, under the guard that placing waits for.
    if (lockSlot(handle, Guard, true)) {
        if (!isOpenElsewhere(m_database))
            QFile::remove(m_path);
        unlockSlot(handle, Guard);
    }
    closeMarkFile(handle);
#endif
}

bool OpenMark::wasLeftBehind(const QString &databasePath)
{
    return QFileInfo::exists(markPath(databasePath)) && !isOpenElsewhere(databasePath);
}

bool OpenMark::isOpenElsewhere(const QString &databasePath, const OpenMark *own)
{
    const QString path = markPath(databasePath);
    if (!QFileInfo::exists(path))
        return false;
    const Handle handle = openMarkFile(path, false);
    if (handle == NoHandle)
        return false;
    bool held = false;
    for (int slot = 0; slot < Slots && !held; ++slot)
        held = !(own && own->m_slot == slot && own->m_path == path) && heldElsewhere(handle, slot);
    closeMarkFile(handle);
    return held;
}

} // namespace tamvel
