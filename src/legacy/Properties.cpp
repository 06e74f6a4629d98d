#include "legacy/Properties.h"

#include <QStringList>

namespace tamvel::legacy::detail {

namespace {

quint32 u16(const QByteArray &b, qsizetype at)
{
    return quint32(uchar(b[at])) | quint32(uchar(b[at + 1])) << 8;
}

quint32 u32(const QByteArray &b, qsizetype at)
{
    return u16(b, at) | u16(b, at + 2) << 16;
}

constexpr quint32 NameList = 0x80;
constexpr quint32 ChunkHeader = 6;  // length (4 bytes, counting itself) and type (2)
constexpr quint32 RecordHeader = 8; // length (2), flags (1), type (1), name index (2), size (2)
constexpr int BooleanType = 0x01;

} // namespace

QSet<QString> objectsWithFlag(const QByteArray &blob, const QString &property,
                              const std::function<QString(const char *, int)> &decode)
{
    QSet<QString> found;
    if (blob.size() < 4 ||
        (!blob.startsWith(QByteArray("MR2\0", 4)) && !blob.startsWith(QByteArray("KKD\0", 4))))
        return found;

    const qsizetype size = blob.size();
    QStringList names;
    qsizetype pos = 4;
    while (pos + qsizetype(ChunkHeader) <= size) {
        const quint32 length = u32(blob, pos);
        const quint32 type = u16(blob, pos + 4);
        if (length < ChunkHeader || length > quint32(size - pos))
            break;
        const qsizetype end = pos + length;
        qsizetype at = pos + ChunkHeader;

        if (type == NameList) {
            while (at + 2 <= end) {
                const quint32 n = u16(blob, at);
                at += 2;
                if (n > quint32(end - at))
                    break;
                names << decode(blob.constData() + at, int(n));
                at += n;
            }
        } else {
            // A value block: the object's name first, then one record per property.
            if (at + 4 > end)
                break;
            const quint32 nameBlock = u32(blob, at);
            if (nameBlock < 4 || nameBlock > quint32(end - at))
                break;
            QString object;
            if (nameBlock >= 6) {
                const quint32 n = qMin(u16(blob, at + 4), nameBlock - 6);
                object = decode(blob.constData() + at + 6, int(n));
            }
            at += nameBlock;
            while (at + qsizetype(RecordHeader) <= end) {
                const quint32 recordLength = u16(blob, at);
                if (recordLength < RecordHeader || recordLength > quint32(end - at))
                    break;
                const int dataType = uchar(blob[at + 3]);
                const quint32 nameIndex = u16(blob, at + 4);
                const quint32 dataSize = u16(blob, at + 6);
                if (dataSize <= recordLength - RecordHeader && dataSize >= 1 &&
                    dataType == BooleanType && nameIndex < quint32(names.size()) &&
                    names[int(nameIndex)].compare(property, Qt::CaseInsensitive) == 0 &&
                    !object.isEmpty() && blob[at + RecordHeader] != 0)
                    found.insert(object);
                at += recordLength;
            }
        }
        pos = end;
    }
    return found;
}

} // namespace tamvel::legacy::detail
