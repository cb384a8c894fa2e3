#pragma once

class MResultNode;

// Where a run that builds a tree of its own (lost sections found, sections copied, files restored,
// sizes measured) shows it. The run keeps its tree on its own thread; the front end copies what it
// shows before the call returns, so the two never read one tree at the same time.
class MOutlineSink
{
public:
    virtual ~MOutlineSink() = default;
    // `root`'s children are the rows. May block the worker until the front end has copied them.
    virtual void ShowOutline(const MResultNode& root) = 0;
};
