#include "legacy/FileFormat.h"

#include <QFile>
#include <QFileInfo>

namespace tamvel::legacy {

FileFormat detectFormat(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return FileFormat::Missing;
    const Result<FileFormat> format = readFormat(path);
    return format ? *format : FileFormat::Unknown;
}

Result<FileFormat> readFormat(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return FileFormat::Missing;
    if (info.isDir())
        return Failure{QStringLiteral("je to složka.")};
    // Opening a pipe would wait for a writer.
    if (!info.isFile())
        return Failure{QStringLiteral("není to obyčejný soubor.")};

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure{file.errorString()};
    const QByteArray head = file.read(20);
    if (file.error() != QFileDevice::NoError)
        return Failure{file.errorString()};
    if (head.isEmpty())
        return FileFormat::Empty;

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
