#include "ui/StandardDialogs.h"

#include <QDir>
#include <QFileDialog>

namespace tamvel {

QString StandardDialogs::openFile(const QString &title, const QString &folder,
                                  const QString &filter)
{
    return QFileDialog::getOpenFileName(m_parent, title, folder, filter, nullptr,
                                        QFileDialog::ReadOnly);
}

QString StandardDialogs::saveFile(const QString &title, const QString &folder,
                                  const QString &proposedName, const QString &filter)
{
    const QString start = proposedName.isEmpty() ? folder : QDir(folder).filePath(proposedName);
    return QFileDialog::getSaveFileName(m_parent, title, start, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

} // namespace tamvel
