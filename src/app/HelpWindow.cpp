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

QString HelpWindow::pageOfWindow(const QString &windowName)
{
    // By the start of the name: an editor shares the page of its list.
    static const QList<QPair<QStringList, QString>> pages = {
        {{QStringLiteral("frmRizikaGrd"), QStringLiteral("frmRizikaFiltr"),
          QStringLiteral("frmRizikaNastaveni")},
         QStringLiteral("prehled.html")},
        {{QStringLiteral("frmRizik"), QStringLiteral("frmDilci")}, QStringLiteral("rizika.html")},
        {{QStringLiteral("frmVypocet")}, QStringLiteral("vypocet.html")},
        {{QStringLiteral("frmZavaznost"), QStringLiteral("frmPravdepodobnost"),
          QStringLiteral("frmFrekvence"), QStringLiteral("frmUrovne")},
         QStringLiteral("hodnoceni.html")},
        {{QStringLiteral("frmSystem")}, QStringLiteral("systemy.html")},
        {{QStringLiteral("frmPredpis"), QStringLiteral("frmTyp"), QStringLiteral("frmPozadav"),
          QStringLiteral("frmDokumenty")},
         QStringLiteral("predpisy.html")},
        {{QStringLiteral("frmUzivatel"), QStringLiteral("frmSkupina"), QStringLiteral("frmPrava"),
          QStringLiteral("frmChPassw")},
         QStringLiteral("uzivatele.html")},
        {{QStringLiteral("frmExport"), QStringLiteral("frmAnimCopy")},
         QStringLiteral("exporty.html")},
        {{QStringLiteral("frmLogin")}, QStringLiteral("prihlaseni.html")},
        {{QStringLiteral("frmPrac"), QStringLiteral("frmNebezpeci"), QStringLiteral("frmPoskozeni"),
          QStringLiteral("frmOOP")},
         QStringLiteral("ciselniky.html")},
    };
    for (const auto &[prefixes, page] : pages)
        for (const QString &prefix : prefixes)
            if (windowName.startsWith(prefix))
                return page;
    return QStringLiteral("index.html");
}

} // namespace tamvel
