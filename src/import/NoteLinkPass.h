#pragma once

#include "tasks/MRunJournal.h"
#include "tasks/MTaskReporter.h"

#include <QString>
#include <QStringList>

struct MTaskContext;
class MServiceSession;

// Remembers a page the import made from a note, by its title and (where the source has one) its file
// path, with whether its HTML links to other notes. Nothing when there is no journal or no page.
void RememberMadePage(MRunJournal* journal, qint64 index, const QString& title, const QString& sourcePath,
    const MRunItemResult& item, const QString& html);

// What the link pass of a run did, over all its parts.
struct MLinkPassResult
{
    qint64 pages = 0; // pages holding note links
    qint64 rewritten = 0;
    qint64 ambiguous = 0;
    qint64 missing = 0; // no imported note matches
    qint64 unchanged = 0; // matched, but in an element a change cannot replace
    qint64 requests = 0; // sent by this part of the pass
    bool stopped = false;
    QStringList lines; // a line per link left and per page that could not be changed
    QList<MLeftLink> left; // every link left in the run, with its reason in words

    bool Any() const { return pages > 0; }
    MLinkReport Report() const;
    // "Links: 4 rewritten, 1 ambiguous, 1 not found"
    QString SummaryText() const;
};

// After the last item of an import: every page of the run that holds note links is read with its
// element ids, and its links to notes the import (or an earlier one into the same place) made are
// pointed at the pages they became, in one PATCH of the page's content per page. A page is changed
// whole or not at all, and the ledger says which pages are done, so a stopped pass goes on where it
// stopped when the run is resumed.
MLinkPassResult RunLinkPass(const MTaskContext& context, MServiceSession& session, MRunJournal* journal);

// The links left and the counts in the result text, for the imports whose rows are their items.
void ShowLinkPass(const MTaskContext& context, const MLinkPassResult& result);
// "<summary>. Links: 4 rewritten, ..." when the run had pages with note links, else the summary.
QString WithLinkSummary(const QString& summary, const MLinkPassResult& result);
