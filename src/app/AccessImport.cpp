#include "app/AccessImport.h"

#include "core/FileDialogs.h"
#include "core/Messages.h"
#include "db/DatabaseFiles.h"

#include <QDir>
#include <QFileInfo>

namespace tamvel {

QString importTitle()
{
    return QStringLiteral("Převod databáze z formátu Access");
}

QString chooseImportTarget(const QString &source, const QString &currentPath, Messages &messages,
                           FileDialogs &files)
{
    if (!messages.ask(importTitle(),
                      QStringLiteral("Soubor '%1' je databáze ve formátu Access ze "
                                     "starší verze programu. Chcete ji převést do nové "
                                     "databáze Tamvel? Původní soubor zůstane beze "
                                     "změny.")
                          .arg(QDir::toNativeSeparators(source))))
        return {};
    const QString chosen =
        files.saveFile(QStringLiteral("Nová databáze Tamvel"), QFileInfo(source).absolutePath(),
                       QFileInfo(legacy::proposedImportName(source)).fileName(),
                       QStringLiteral("mdb databáze (*.mdb)"));
    if (chosen.isEmpty())
        return {};
    const QString target = files::withMdbExtension(chosen);
    // The original itself is refused by the import, before any question.
    if (!files::samePath(target, source) &&
        !files::mayWriteNewDatabase(target, currentPath, messages))
        return {};
    return target;
}

QString importRegister(const QString &source, const QString &target, Messages &messages,
                       const legacy::ImportProgress &progress)
{
    const std::optional<legacy::ImportResult> result =
        legacy::importAccess(source, target, QFileInfo::exists(target), messages, progress);
    return result ? legacy::reportText(source, target, *result) : QString();
}

} // namespace tamvel
