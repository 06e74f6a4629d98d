#pragma once

#include <QString>

namespace tamvel {

class Database;
class Messages;
class Session;

// What the login dialog hands back.
struct LoginAnswer
{
    bool confirmed = false;
    QString user;
    QString password;
};

// Shows a fresh login dialog, its name box filled with the last successful login, saying
// which database the login opens.
class LoginPrompt
{
public:
    virtual ~LoginPrompt() = default;
    virtual LoginAnswer ask(const QString &lastLogin, const QString &databasePath) = 0;
};

// The main window's size in twips.
struct WindowSize
{
    static constexpr int DefaultHeight = 9285;
    static constexpr int DefaultWidth = 12615;
    int height = DefaultHeight;
    int width = DefaultWidth;
};

// The login: asks until a name and password are accepted or the dialog is cancelled,
// opens the database, warns about a foreign structure version, and marks the user logged
// in with the database open in the session. A failed attempt leaves the session as it
// was. On success *size is the user's saved window size.
bool logIn(Session &session, LoginPrompt &prompt, Messages &messages, WindowSize *size = nullptr);

// Warns when the database's structure version row differs from the program's.
void checkStructureVersion(Database &db, Messages &messages);

// The user's saved main-window size, or the default size.
WindowSize loadWindowSize(Database &db, const QString &user);
// Keeps one size row per user; failures are ignored, the size is only a convenience.
void saveWindowSize(Database &db, const QString &user, const WindowSize &size);

// "Výběr databáze" after the file dialog: the ".mdb" rule, then the choice is stored in
// the settings and in the session. Returns the stored path.
QString selectDatabase(Session &session, const QString &chosenName);

// The documents folder from its dialog; the setting is written only when it changed.
void setDocumentsFolder(Session &session, const QString &folder);

} // namespace tamvel
