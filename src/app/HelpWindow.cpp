#include "app/HelpWindow.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace tamvel {

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent), m_browser(new QTextBrowser(this))
{
    setWindowTitle(QStringLiteral("Nápověda"));
    m_browser->setObjectName(QStringLiteral("txtNapoveda"));
    m_browser->setOpenExternalLinks(true);
    m_browser->setSearchPaths({QStringLiteral(":/help")});

    auto *back = new QPushButton(QStringLiteral("Zpět"), this);
    auto *contents = new QPushButton(QStringLiteral("Obsah"), this);
    back->setEnabled(false);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(contents, &QPushButton::clicked, this,
            [this] { showPage(QStringLiteral("index.html")); });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(contents);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);
    resize(720, 520);
}

void HelpWindow::showPage(const QString &page)
{
    m_browser->setSource(QUrl(QStringLiteral("qrc:/help/") + page));
}

QString HelpWindow::currentPage() const
{
    return m_browser->source().fileName();
}

} // namespace tamvel
