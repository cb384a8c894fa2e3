#pragma once

#include "model/MNodeStatus.h"
#include "tasks/MTaskReporter.h"

#include <QIcon>
#include <QString>

#include "model/MTreeNode.h"

class MONObject;
class MNotebookNode;

// The program's own icons (resources/icons, SVG so they stay crisp at every scale).
QIcon ResourceIcon(const QString& name);
// Whether resources/icons holds an icon of that name.
bool ResourceIconExists(const QString& name);
// "Section", "SectionGroup", "Notebook" (owned, or no role given) or "NotebookShared" (a notebook
// with any other role); for the rows of search results "Page", "Paragraph" and "RecognisedText".
QString NodeIconName(MNodeKind kind, const QString& userRole = QString());
QString NodeIconName(const MONObject& node);
// The notebook tree's icon; without distinguishShared every notebook has the owned one.
QIcon NodeIcon(const MNotebookNode& node, bool distinguishShared = true);
// The badge of a result row or an outline row's status; no icon for a row with nothing to say yet.
QIcon OutcomeIcon(MItemOutcome outcome);
QIcon OutcomeIcon(MNodeOutcome outcome);
