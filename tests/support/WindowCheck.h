#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QStringList>
#include <QWidget>

// Shows the window at the size it opens and lists its named controls that are shown but lie
// outside it or have no size. With TAMVEL_SCREENSHOTS naming a folder, the window is also
// saved there as a picture to look at.
inline QStringList misplacedControls(QWidget &window, const QString &pictureName)
{
    window.show();
    QCoreApplication::processEvents();
    if (const QString folder = qEnvironmentVariable("TAMVEL_SCREENSHOTS"); !folder.isEmpty())
        window.grab().save(QDir(folder).filePath(pictureName + QStringLiteral(".png")));
    QStringList wrong;
    for (const QWidget *control : window.findChildren<QWidget *>()) {
        if (control->objectName().isEmpty() ||
            control->objectName().startsWith(QLatin1String("qt_")) ||
            !control->isVisibleTo(&window))
            continue;
        const QRect place(control->mapTo(&window, QPoint(0, 0)), control->size());
        if (place.isEmpty() || !window.rect().contains(place))
            wrong << QStringLiteral("%1 at %2,%3 %4x%5 in %6x%7")
                         .arg(control->objectName())
                         .arg(place.x())
                         .arg(place.y())
                         .arg(place.width())
                         .arg(place.height())
                         .arg(window.width())
                         .arg(window.height());
    }
    return wrong;
}
