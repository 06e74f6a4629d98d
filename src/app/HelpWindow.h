#pragma once

#include <QWidget>

class QTextBrowser;

namespace tamvel {

// The program's help: Czech HTML pages compiled into the program.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *parent = nullptr);

    // A page of the help, optionally with "#anchor".
    void showPage(const QString &page);
    QString currentPage() const;

    // The page that tells about a window, by the window's object name; the contents for a
    // window without a page of its own.
    static QString pageOfWindow(const QString &windowName);

private:
    QTextBrowser *m_browser;
};

} // namespace tamvel
