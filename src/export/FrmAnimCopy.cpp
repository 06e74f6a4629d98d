#include "export/FrmAnimCopy.h"

#include "core/Messages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace tamvel {

namespace {

QPointer<FrmAnimCopy> theInstance;
bool cancelFlag = false;

// Sheets flying from one folder to another, drawn by the program itself.
class CopyAnimation : public QWidget
{
public:
    explicit CopyAnimation(QWidget *parent) : QWidget(parent), m_timer(new QTimer(this))
    {
        setObjectName(QStringLiteral("anmCopy"));
        setFixedSize(240, 48);
        m_timer->setInterval(80);
        connect(m_timer, &QTimer::timeout, this, [this] {
            m_frame = (m_frame + 1) % Frames;
            update();
        });
        m_timer->start();
    }

    bool running() const { return m_timer->isActive(); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QColor folder(0xE8, 0xB9, 0x3C);
        p.setPen(Qt::darkGray);
        p.setBrush(folder);
        p.drawRect(4, 16, 40, 28);
        p.drawRect(width() - 44, 16, 40, 28);
        // the sheet follows an arc from the left folder to the right one
        const double t = double(m_frame) / (Frames - 1);
        const double x = 24 + t * (width() - 48);
        const double y = 24 - 20 * 4 * t * (1 - t);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(x - 7, y - 9, 14, 18));
    }

private:
    static constexpr int Frames = 20;
    QTimer *m_timer;
    int m_frame = 0;
};

int pixels(int twips, double dpi)
{
    return qRound(twips * dpi / 1440.0);
}

} // namespace

FrmAnimCopy::FrmAnimCopy(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_animation(new CopyAnimation(this)),
      m_label(new QLabel(QStringLiteral("Popis"), this)), m_bar(new QProgressBar(this)),
      m_storno(new QPushButton(QStringLiteral("Storno"), this))
{
    setObjectName(QStringLiteral("frmAnimCopy"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_label->setObjectName(QStringLiteral("lblAdmi"));
    m_bar->setObjectName(QStringLiteral("prbAnim"));
    m_storno->setObjectName(QStringLiteral("cmdStorno"));
    m_bar->setVisible(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_animation, 0, Qt::AlignHCenter);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_storno);
    layout->addLayout(buttons);

    // The window stays open: the running export decides what the flag means.
    connect(m_storno, &QPushButton::clicked, this, [] { cancelFlag = true; });
}

FrmAnimCopy::~FrmAnimCopy() = default;

FrmAnimCopy *FrmAnimCopy::instance(QWidget *parent)
{
    if (!theInstance)
        theInstance = new FrmAnimCopy(parent);
    return theInstance;
}

void FrmAnimCopy::unload()
{
    delete theInstance.data();
}

bool FrmAnimCopy::cancelRequested()
{
    return cancelFlag;
}

void FrmAnimCopy::setCancelRequested(bool on)
{
    cancelFlag = on;
}

ProgressRun::ProgressRun(QWidget *over, const QString &text, const QString &caption)
{
    FrmAnimCopy::setCancelRequested(false);
    m_window = FrmAnimCopy::instance(over);
    const QRect area = over ? over->frameGeometry() : QRect(0, 0, 800, 600);
    const int twips = 15; // at 96 dpi; Nastav scales by the screen
    m_window->Nastav(text, (area.center().x() - 180) * twips, (area.center().y() - 80) * twips,
                     360 * twips, 160 * twips, caption);
}

ProgressRun::~ProgressRun()
{
    FrmAnimCopy::unload();
    FrmAnimCopy::setCancelRequested(false);
}

bool ProgressRun::step(const QString &text, int current, int count)
{
    if (text != m_shown) {
        m_shown = text;
        m_window->NastavScroll(0, count, text);
    }
    m_window->Scroll(current);
    QCoreApplication::processEvents();
    return !FrmAnimCopy::cancelRequested();
}

bool FrmAnimCopy::animating() const
{
    return static_cast<CopyAnimation *>(m_animation)->running();
}

void FrmAnimCopy::closeEvent(QCloseEvent *event)
{
    // Closing by the title bar asks for a cancel like "Storno".
    cancelFlag = true;
    event->ignore();
}

void FrmAnimCopy::setText(const QString &text)
{
    m_label->setText(text);
    m_label->repaint();
}

void FrmAnimCopy::Nastav(const QString &txt, int aLeft, int aTop, int aWidth, int aHeight,
                         const QString &aCaption)
{
    setText(txt);
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    const double dpi = s ? s->logicalDotsPerInch() : 96.0;
    setGeometry(pixels(aLeft, dpi), pixels(aTop, dpi), pixels(aWidth, dpi), pixels(aHeight, dpi));
    if (!aCaption.isEmpty())
        setWindowTitle(aCaption);
    m_bar->setVisible(false);
    show();
    raise();
    QCoreApplication::processEvents();
}

void FrmAnimCopy::NastavScroll(int minimum, int maximum, const QString &txt)
{
    if (!txt.isEmpty())
        setText(txt);
    m_bar->setRange(minimum, maximum <= 0 ? 1000 : maximum);
    m_bar->setValue(minimum);
    m_bar->setVisible(true);
}

void FrmAnimCopy::Scroll(int position)
{
    if (position > m_bar->maximum())
        m_bar->setMaximum(position + 10);
    m_bar->setValue(position);
}

bool finishExport(const exports::ExportResult &result, const QString &path, const QString &caption,
                  Messages &messages, const std::function<bool(const QUrl &)> &opener)
{
    switch (result.outcome) {
    case exports::ExportResult::Cancelled:
        return false; // nothing was written; the choices stay for another try
    case exports::ExportResult::Failed:
        messages.fail(caption, result.error);
        return false;
    case exports::ExportResult::Written:
        break;
    }
    if (messages.ask(caption, QStringLiteral("Přejete si prohlédnout vytvořený export nyní?")) &&
        !opener(QUrl::fromLocalFile(path)))
        // The workbook is written all the same: say where, so it can be opened by hand.
        messages.warn(caption,
                      QStringLiteral("Nelze najít program Excel.exe\nSešit je uložen v: ") +
                          QDir::toNativeSeparators(path));
    return true;
}

} // namespace tamvel
