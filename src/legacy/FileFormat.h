#pragma once

#include "core/Result.h"

#include <QString>

namespace tamvel::legacy {

enum class FileFormat { Missing, Empty, Tamvel, Access, Unknown };

// Looks only at the first bytes: SQLite's "SQLite format 3\0" header is taken for Tamvel's
// own file (the import looks closer), "Standard Jet DB" / "Standard ACE DB" at offset 4 is
// the Access format. Both kinds of file carry the ".mdb" extension, so the name says nothing.
// Missing: no regular file at the path (also a folder). Unknown: anything else, including a
// file that cannot be read.
FileFormat detectFormat(const QString &path);

// The same for a file that is to be read: fails with the reason (Czech or the system's)
// when something is at the path but cannot be read: a folder, a pipe or device, a file
// without permission or with a read error. Missing only when nothing is there.
Result<FileFormat> readFormat(const QString &path);

} // namespace tamvel::legacy
