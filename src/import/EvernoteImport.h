#pragma once

#include "EnexPageSender.h"
#include "MEnexNote.h"
#include "NoteLinkPass.h"
#include "tasks/MRunJournal.h"

#include <QString>
#include <memory>

class MNotebookNode;
struct MTaskContext;

// What a run of the ENEX import is asked to do.
struct MEvernoteImportSettings
{
    QString enexFileName;
    qint64 from = 0; // note numbers, 1-based, both ends included
    qint64 to = 0;
    bool createTagSections = false;
    bool handleIndents = false;
    QString parentUrlSaveTo; // the section, or in tag mode the notebook or section group
    qint64 expectedNotes = 0; // the notes in the file, when counted before (for the progress); 0: unknown
    MRunRecording run; // a real import records every note in the run ledger (a dry run does not)
};

// What names a run of a file into a target with these settings, for the ledger.
MRunJournal::MIdentity EnexRunIdentity(const MEvernoteImportSettings& settings);
// What names a note in the ledger: a digest of everything that makes its page.
QString EnexNoteKey(const MEnexNote& note);

struct MEvernoteImportResult
{
    bool opened = false; // false: the file could not be read at all; no summary was written
    bool brokeOff = false; // the file is damaged between notes, or could not be read to its end
    qint64 imported = 0;
    qint64 success = 0;
    qint64 failure = 0; // unreadable notes included
    qint64 skipped = 0; // imported by an earlier run, and skipped as asked
    qint64 warnings = 0; // notes imported without some of their attachments (empty or missing ones)
    qint64 newSectionCount = 0; // sections made for tags; the outline needs a rebuild when above 0
    QString result; // the result view's text
    MLinkPassResult links; // the links between the notes, after the last one
};

// Where a run sends its pages, chosen from the ticked tree: the first ticked section, or in tag mode
// the first ticked section group (else notebook) with all its direct child sections, ticked or not,
// copied into `sections`. An empty URL means there is no target.
struct MEvernoteTarget
{
    QString parentUrl;
    std::unique_ptr<MNotebookNode> sections;
};
MEvernoteTarget ChooseEvernoteTarget(const MNotebookNode& root, bool createTagSections);

// The total label of a chosen file: "Total: 12" with the localized word.
QString EvernoteTotalText(qint64 noteCount);

// The selfUrl of the first child of `container` whose name equals `name` ignoring case, or "".
QString GetSectionSelfUrl(const MNotebookNode& container, const QString& name);

// The import loop: one page per note in the range, into the section or the tag's section, with
// the result text kept current through the reporter and the upload interval waited after every
// page and every attempt to create a tag section. Reads the running flag once per note.
MEvernoteImportResult ImportEvernoteFile(const MTaskContext& context, MEnexPageSender& sender,
    const MEvernoteImportSettings& settings, MNotebookNode& sections);

// The worker's whole run: the token refresh, the loop, then the reporter's Finish with "strFinish".
MEvernoteImportResult ThreadImportRun(const MTaskContext& context, MEnexPageSender& sender,
    const MEvernoteImportSettings& settings, MNotebookNode& sections);
