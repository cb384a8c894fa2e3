#pragma once

#include "tasks/MTaskReporter.h"

#include <QIcon>
#include <QString>

#include "model/MTreeNode.h"

class MNotebookNode;

// The program's own icons (resources/icons, SVG so they stay crisp at every scale).
QIcon ResourceIcon(const QString& name);
// Whether resources/icons holds an icon of that name.
bool ResourceIconExists(const QString& name);
// "Section", "SectionGroup", "Notebook" or "NotebookShared" (another account's notebook); for the
// rows of search results "Page", "Paragraph" and "RecognisedText".
QString NodeIconName(MNodeKind kind, bool shared = false);
// The notebook tree's icon; without distinguishShared every notebook has the owned one.
QIcon NodeIcon(const MNotebookNode& node, bool distinguishShared = true);
// The badge of a result row or an outline row's status; no icon for a row with nothing to say yet.
QIcon OutcomeIcon(MItemOutcome outcome);
