#pragma once

#include "Command.h"

class MNotebookNode;

// tree [--refresh]: the notebook outline, one node a line (kind, name, id, tab-separated, indented
// by depth), from the cache or, with --refresh or without a cache, from the service.
class MCliTree final : public MCliCommand
{
public:
    MCliTree();

protected:
    int Execute(const QCommandLineParser& parser) override;

private:
    const QCommandLineOption m_Refresh;
};

// The outline lines of the nodes below `root`.
QStringList OutlineLines(const MNotebookNode& root);
