#pragma once

#include <QString>

namespace tamvel {

// The file dialogs of the program, behind an interface so that tests can answer them.
// Each returns the chosen path, or an empty string when the user cancels.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;

    virtual QString openFile(const QString &title, const QString &folder,
                             const QString &filter) = 0;
    // Never asks about overwriting: the caller decides what an existing file means.
    virtual QString saveFile(const QString &title, const QString &folder,
                             const QString &proposedName, const QString &filter) = 0;
};

} // namespace tamvel
