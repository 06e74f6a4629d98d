#pragma once

#include <QString>

#include <optional>

namespace tamvel {

// What an editor is opened to do. The program-wide Czech mode words are only the stored
// and shown form of it: the session keeps the word, the captions show the mode.
enum class EditMode { New, Edit, Copy, Delete, View, ViewFromOverview };

namespace detail {
struct ModeNames
{
    EditMode mode;
    const char *word;
    const char *popupItem; // the popup item that opens an editor in the mode
};
inline constexpr ModeNames Modes[] = {
    {EditMode::New, "novy", "Novy"},          {EditMode::Edit, "upravit", "Upravit"},
    {EditMode::Copy, "kopie", "Kopie"},       {EditMode::Delete, "vymazat", "Vymazat"},
    {EditMode::View, "zobrazit", "Zobrazit"}, {EditMode::ViewFromOverview, "zobrazitdu", ""},
};
} // namespace detail

// "novy", "upravit", "kopie", "vymazat", "zobrazit", "zobrazitdu"
inline QString modeWord(EditMode mode)
{
    for (const detail::ModeNames &names : detail::Modes)
        if (names.mode == mode)
            return QString::fromLatin1(names.word);
    return QString();
}

inline std::optional<EditMode> modeOfWord(const QString &word)
{
    for (const detail::ModeNames &names : detail::Modes)
        if (word == QLatin1String(names.word))
            return names.mode;
    return std::nullopt;
}

// The mode of a popup item named after the popup: "Novy", "Upravit", "Kopie", ...
inline std::optional<EditMode> modeOfPopupItem(const QString &item)
{
    for (const detail::ModeNames &names : detail::Modes)
        if (*names.popupItem && item == QLatin1String(names.popupItem))
            return names.mode;
    return std::nullopt;
}

} // namespace tamvel
