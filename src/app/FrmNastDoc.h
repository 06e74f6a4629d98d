#pragma once

#include <QDialog>

class QFileSystemModel;
class QTreeView;

namespace tamvel {

// The documents folder dialog: a folder tree, OK and Storno.
class FrmNastDoc : public QDialog
{
    Q_OBJECT

public:
    explicit FrmNastDoc(const QString &currentFolder, QWidget *parent = nullptr);

    // The folder chosen in the tree, trimmed.
    QString folder() const;
    void selectFolder(const QString &folder);

private:
    QFileSystemModel *m_model;
    QTreeView *m_tree;
};

} // namespace tamvel
