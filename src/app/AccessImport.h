#pragma once

#include <QString>

namespace tamvel {

class FileDialogs;
class Messages;

// A file in the Access format was chosen as the database: offers to bring it over into a
// new Tamvel database beside it (the save dialog proposes the name), never touching the
// original. Returns the new database's path, or an empty string when the user declined or
// cancelled, or the import failed (the user has been told).
QString offerAccessImport(const QString &source, const QString &currentPath, Messages &messages,
                          FileDialogs &files);

} // namespace tamvel
