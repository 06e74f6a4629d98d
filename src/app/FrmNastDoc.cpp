#include "app/FrmNastDoc.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace tamvel {

FrmNastDoc::FrmNastDoc(const QString &currentFolder, QWidget *parent)
    : QDialog(parent), m_model(new QFileSystemModel(this)), m_tree(new QTreeView(this))
{
    setObjectName(QStringLiteral("frmNastDoc"));
    setWindowTitle(QStringLiteral("Aktuální cesta : ") + currentFolder);

    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setRootPath(QDir::rootPath());
    m_tree->setObjectName(QStringLiteral("dirDoc"));
    m_tree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->header()->hide();

    auto *frame = new QGroupBox(QStringLiteral("Cesta k dokumentům"), this);
    frame->setObjectName(QStringLiteral("fraDoc"));
    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_tree);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Storno"), this);
    cancel->setObjectName(QStringLiteral("cmdStorno"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    // 3845 x 3750 twips is tight for a tree; start a little larger.
    resize(std::max(3845 * logicalDpiX() / 1440, 360), std::max(3750 * logicalDpiY() / 1440, 380));
    // An invalid folder is ignored: the tree then starts at the home folder.
    selectFolder(QFileInfo(currentFolder.trimmed()).isDir() ? currentFolder.trimmed()
                                                            : QDir::homePath());
}

void FrmNastDoc::selectFolder(const QString &folder)
{
    const QModelIndex index = m_model->index(folder);
    if (!index.isValid())
        return;
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index);
    m_tree->expand(index);
}

QString FrmNastDoc::folder() const
{
    const QModelIndex index = m_tree->currentIndex();
    return index.isValid() ? QDir::toNativeSeparators(m_model->filePath(index)).trimmed()
                           : QString();
}

} // namespace tamvel
