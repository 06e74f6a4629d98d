#include "app/AccessImport.h"

#include "db/DatabaseFiles.h"
#include "legacy/Import.h"
#include "ui/FileDialogs.h"
#include "ui/Messages.h"

#include <QDir>
#include <QFileInfo>

namespace tamvel {

QString offerAccessImport(const QString &source, const QString &currentPath, Messages &messages,
                          FileDialogs &files)
{
    const QString title = QStringLiteral("Převod databáze z formátu Access");
    if (!messages.ask(title, QStringLiteral("Soubor '%1' je databáze ve formátu Access ze "
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
    const bool exists = QFileInfo::exists(target);
    if (!files::samePath(target, source) &&
        !files::mayWriteNewDatabase(target, currentPath, messages))
        return {};
    legacy::ImportResult result;
    if (!legacy::importAccess(source, target, exists, messages, &result))
        return {};
    messages.inform(title, legacy::reportText(source, target, result));
    return target;
}

} // namespace tamvel
