#pragma once

#include <QDialog>
#include <QHash>
#include <QStringList>

class QComboBox;
class QPushButton;

namespace tamvel {

class Database;
class Messages;

namespace risks {

// "Nastavení": stores the overview's present layout under a name, restores a stored one
// or deletes one.
class FrmRizikaNastaveniUloz : public QDialog
{
    Q_OBJECT

public:
    // currentLayout: the overview's present columns and widths as a column-set string.
    FrmRizikaNastaveniUloz(Database &db, const QString &user, const QString &currentLayout,
                           Messages &messages, QWidget *parent = nullptr);

    // The set to show after Accepted from "Obnovit"; empty after "Uložit" and "Vymazat".
    const QString &restoredColumnSet() const { return m_restored; }

private:
    // Lists the stored names as they are now.
    void load();
    void updateButtons();
    void save();
    void restore();
    void remove();
    // After ChangedMeanwhile: on the user's word, the names as stored now.
    void reloadAfterConflict();

    Database &m_db;
    QString m_user;
    QString m_layout;
    Messages &m_messages;
    QStringList m_names;
    QHash<QString, QString> m_sets; // the user's own sets as listed, for "Vymazat"
    QString m_restored;
    QComboBox *m_name;
    QPushButton *m_save;
    QPushButton *m_restore;
    QPushButton *m_delete;
};

} // namespace risks
} // namespace tamvel
