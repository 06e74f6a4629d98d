#pragma once

#include "core/FileDialogs.h"

class QWidget;

namespace tamvel {

class StandardDialogs : public FileDialogs
{
public:
    explicit StandardDialogs(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    QString openFile(const QString &title, const QString &folder, const QString &filter) override;
    QString saveFile(const QString &title, const QString &folder, const QString &proposedName,
                     const QString &filter) override;

private:
    QWidget *m_parent;
};

} // namespace tamvel
