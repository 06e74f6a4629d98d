#pragma once

#include <QDialog>

class QListWidget;

namespace tamvel {

class Messages;

namespace risks {

// "Rizika - nastavení přehledu": the user picks catalogue captions; "Zobrazit" builds a
// fresh column set of them at their default widths.
class FrmRizikaNastaveni : public QDialog
{
    Q_OBJECT

public:
    FrmRizikaNastaveni(const QString &currentColumnSet, Messages &messages,
                       QWidget *parent = nullptr);

    // The new column set after Accepted.
    const QString &columnSet() const { return m_columnSet; }

private:
    static void moveItems(QListWidget *from, QListWidget *to, bool all);
    void apply();

    Messages &m_messages;
    QListWidget *m_available;
    QListWidget *m_chosen;
    QString m_columnSet;
};

} // namespace risks
} // namespace tamvel
