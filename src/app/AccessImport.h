#pragma once

#include <QString>

namespace tamvel {

class FileDialogs;
class Messages;

// A file in the Access format was chosen as the database: asks whether to bring it over
// into a new Tamvel database and lets the save dialog name it (proposed beside the
// original). Returns the new database's path, or an empty string when the user declined
// or cancelled. An existing file is replaced only after asking, never one in use.
QString chooseImportTarget(const QString &source, const QString &currentPath, Messages &messages,
                           FileDialogs &files);

// Brings the register over into the target and reports what was done. The original is
// only read; on failure nothing is created and the user has been told.
bool importAndReport(const QString &source, const QString &target, Messages &messages);

} // namespace tamvel
