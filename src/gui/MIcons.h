#pragma once

#include <QIcon>
#include <QString>

class MONObject;

// The program's own icons (resources/icons, SVG so they stay crisp at every scale).
QIcon ResourceIcon(const QString& name);
// "Section", "SectionGroup", "Notebook" (owned) or "NotebookShared" (any other notebook).
QString NodeIconName(const MONObject& node, bool distinguishShared = true);
QIcon NodeIcon(const MONObject& node, bool distinguishShared = true);
