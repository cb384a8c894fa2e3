#pragma once

#include "model/MNodeStatus.h"
#include "tasks/MTaskReporter.h"

#include <QIcon>
#include <QString>

class MONObject;

// The program's own icons (resources/icons, SVG so they stay crisp at every scale).
QIcon ResourceIcon(const QString& name);
// Whether resources/icons holds an icon of that name.
bool ResourceIconExists(const QString& name);
// "Section", "SectionGroup", "Notebook" (owned) or "NotebookShared" (any other notebook); for the
// rows of search results "Page" (4), "Paragraph" (5) and "RecognisedText" (6).
QString NodeIconName(const MONObject& node, bool distinguishShared = true);
QIcon NodeIcon(const MONObject& node, bool distinguishShared = true);
// The badge of a result row or an outline row's status; no icon for a row with nothing to say yet.
QIcon OutcomeIcon(MItemOutcome outcome);
QIcon OutcomeIcon(MNodeOutcome outcome);
