#include "app/MDITamvel.h"

#include "db/Version.h"

#include <QLabel>
#include <QMdiArea>
#include <QStatusBar>

namespace tamvel {

namespace {

// Sizes are kept in twips; 15 twips make one pixel at 96 dpi.
int twipsToPixels(int twips, const QWidget *widget)
{
    return twips * widget->logicalDpiX() / 1440;
}

} // namespace

MDITamvel::MDITamvel(QWidget *parent)
    : QMainWindow(parent), m_mdi(new QMdiArea(this)), m_userPanel(new QLabel(this)),
      m_databasePanel(new QLabel(this))
{
    setObjectName(QStringLiteral("MDITamvel"));
    setWindowTitle(title());
    setCentralWidget(m_mdi);
    statusBar()->addWidget(m_userPanel, 1);
    statusBar()->addWidget(m_databasePanel, 3);
    resize(twipsToPixels(12615, this), twipsToPixels(9285, this));
    showState(QString(), QString());
}

void MDITamvel::showState(const QString &user, const QString &databasePath)
{
    m_userPanel->setText(QStringLiteral("Uživatel : ") + user);
    m_databasePanel->setText(QStringLiteral("Aktuální databáze : ") + databasePath);
}

QString MDITamvel::title()
{
    return QStringLiteral("Tamvel      verze : %1.%2.%3  testovací beta")
        .arg(VersionMajor)
        .arg(VersionMinor)
        .arg(VersionRevision);
}

} // namespace tamvel
