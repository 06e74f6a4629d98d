#pragma once

#include "legacy/Import.h"

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

// The title of the import's messages.
QString importTitle();

// Brings the register over into the target, telling progress what it is doing. Returns
// the report of what was done, or an empty string when nothing was created (the user has
// been told why). The original is only read.
QString importRegister(const QString &source, const QString &target, Messages &messages,
                       const legacy::ImportProgress &progress = {});

} // namespace tamvel
