#pragma once

#include "export/RiskExport.h"

#include <QUrl>

#include <functional>

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tamvel {

class Messages;

// The progress window of the workbook exports: a small animation, the current step, a
// progress bar and "Storno". One instance for the whole application, created on first use
// and unloaded by the export when it ends.
class FrmAnimCopy : public QWidget
{
    Q_OBJECT

public:
    // The application's instance, created (and its animation started) on first use.
    static FrmAnimCopy *instance(QWidget *parent = nullptr);
    // Closes and releases the instance; the next export gets a fresh window.
    static void unload();

    // The cancel flag: set by "Storno", outlives the window; the export clears it.
    static bool cancelRequested();
    static void setCancelRequested(bool on);

    // Label text, geometry in twips and an optional caption; hides the bar and paints.
    void Nastav(const QString &txt, int aLeft, int aTop, int aWidth, int aHeight,
                const QString &aCaption = QString());
    // The bar from minimum to maximum (1000 when maximum is not positive), at its minimum.
    void NastavScroll(int minimum, int maximum, const QString &txt = QString());
    // Shows position, first raising the maximum to position + 10 when it lies beyond.
    void Scroll(int position);

    QLabel *label() const { return m_label; }
    QProgressBar *bar() const { return m_bar; }
    QPushButton *stornoButton() const { return m_storno; }
    bool animating() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    explicit FrmAnimCopy(QWidget *parent);
    ~FrmAnimCopy() override;

    void setText(const QString &text);

    QWidget *m_animation;
    QLabel *m_label;
    QProgressBar *m_bar;
    QPushButton *m_storno;
};

// One run of work shown in the progress window: the window appears centred over `over`,
// step() moves the bar, keeps the window painted and says false once Storno was pressed;
// the window is unloaded when the run ends.
class ProgressRun
{
public:
    ProgressRun(QWidget *over, const QString &text, const QString &caption);
    ~ProgressRun();
    ProgressRun(const ProgressRun &) = delete;
    ProgressRun &operator=(const ProgressRun &) = delete;

    bool step(const QString &text, int current, int count);
    // The step as a callback for the work.
    std::function<bool(const QString &, int, int)> callback()
    {
        return [this](const QString &text, int current, int count) {
            return step(text, current, count);
        };
    }

private:
    FrmAnimCopy *m_window;
    QString m_shown;
};

// What both export windows do with a finished export: report a failure, or offer to open
// the workbook. True when it was written.
bool finishExport(const exports::ExportResult &result, const QString &path, const QString &caption,
                  Messages &messages, const std::function<bool(const QUrl &)> &opener);

} // namespace tamvel
