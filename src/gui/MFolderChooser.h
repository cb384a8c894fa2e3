#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// A folder dialog in which several folders can be chosen at once (the platform's own dialogs take
// one); the chosen folders, or none when the user cancelled.
QStringList ChooseFolders(QWidget* parent, const QString& title);
