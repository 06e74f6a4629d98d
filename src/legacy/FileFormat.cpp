#include "legacy/FileFormat.h"

#include <QFile>
#include <QFileInfo>

namespace tamvel::legacy {

FileFormat detectFormat(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return FileFormat::Missing;
    if (info.size() == 0)
        return FileFormat::Empty;

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileFormat::Unknown;
    const QByteArray head = file.read(20);

    static const QByteArray sqlite("SQLite format 3\0", 16);
    if (head.startsWith(sqlite))
        return FileFormat::Tamvel;
    // The terminating zero belongs to both signatures.
    static const QByteArray jet("Standard Jet DB\0", 16);
    static const QByteArray ace("Standard ACE DB\0", 16);
    const QByteArray atFour = head.mid(4, 16);
    if (atFour == jet || atFour == ace)
        return FileFormat::Access;
    return FileFormat::Unknown;
}

} // namespace tamvel::legacy
