#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

#include <functional>

namespace tamvel::legacy::detail {

// Reads the property blob Access keeps per table (MSysObjects.LvProp: "MR2\0" in Jet 4,
// "KKD\0" in Jet 3) and returns the names of the objects (columns, or the table itself) whose
// Yes/No property `property` is set. `decode` turns the stored name bytes into text.
// Parsed with bounds checks of our own: the blob comes from the file and libmdb's parser
// trusts its lengths. A malformed blob yields what was read before the damage.
QSet<QString> objectsWithFlag(const QByteArray &blob, const QString &property,
                              const std::function<QString(const char *, int)> &decode);

} // namespace tamvel::legacy::detail
