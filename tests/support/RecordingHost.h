#pragma once

#include "codelists/CodeListWindows.h"

#include <QAction>
#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

// Stands in for the main window towards browsers and editors: answers a popup with the
// chosen item (nothing when `chosen` is empty), records what was asked and keeps the
// editors it is given, deleting those still open at the end.
class RecordingHost : public tamvel::codelists::BrowserHost
{
public:
    QString chosen; // the item after the popup's name, e.g. "Upravit"
    QStringList popups;
    QList<bool> emptyGrids;
    QString mode;
    QList<QPointer<QWidget>> editors;
    QStringList extras;
    QStringList disabledItems; // popup items, e.g. "mnuPracGrdUpravit", that cannot be chosen

    ~RecordingHost() override
    {
        for (const QPointer<QWidget> &editor : std::as_const(editors))
            delete editor.data();
    }

    QAction *popup(const QString &name, const QPoint &, bool gridEmpty) override
    {
        popups << name;
        emptyGrids << gridEmpty;
        if (chosen.isEmpty())
            return nullptr;
        m_action.setObjectName(name + chosen);
        return &m_action;
    }
    void setMode(tamvel::EditMode m) override { mode = tamvel::modeWord(m); }
    void showEditor(QWidget *editor) override
    {
        if (!editors.contains(editor))
            editors << editor;
    }
    void extraAction(const QString &name) override { extras << name; }
    bool popupItemEnabled(const QString &name) const override
    {
        return !disabledItems.contains(name);
    }

private:
    QAction m_action;
};
