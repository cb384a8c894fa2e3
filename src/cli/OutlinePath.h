#pragma once

#include <QString>

class MNotebookNode;
class MTreeReporter;

// A node named on the command line: its id, or its path of names as the outline shows them
// ("Notebook/Group/Section"). A name may itself hold "/"; names match exactly first, then ignoring
// case. Null when nothing matches.
MNotebookNode* FindNodeByPathOrId(const MNotebookNode& root, const QString& pathOrId);

// The tree-building status for the command line: to standard error, or nowhere.
MTreeReporter& StderrTreeReporter();
MTreeReporter& QuietTreeReporter();
