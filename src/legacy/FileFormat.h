#pragma once

#include <QString>

namespace tamvel::legacy {

enum class FileFormat { Missing, Empty, Tamvel, Access, Unknown };

// Looks only at the first bytes: SQLite's "SQLite format 3\0" header is Tamvel's own file,
// "Standard Jet DB" / "Standard ACE DB" at offset 4 is the Access format. Both kinds of file
// carry the ".mdb" extension, so the name says nothing.
// Missing: no regular file at the path (also a folder). Unknown: anything else, including a
// file that cannot be read.
FileFormat detectFormat(const QString &path);

} // namespace tamvel::legacy
