#pragma once

#include <QDialog>

namespace tamvel {

class Messages;

// "About Tamvel": title, version, description and the copyright warning.
class FrmAbout : public QDialog
{
    Q_OBJECT

public:
    FrmAbout(const QString &databasePath, Messages &messages, QWidget *parent = nullptr);

    // What the system information shows: the system, Qt, SQLite and the database file.
    static QStringList systemInformation(const QString &databasePath);

private:
    void showSystemInformation();

    QString m_databasePath;
    Messages &m_messages;
};

} // namespace tamvel
