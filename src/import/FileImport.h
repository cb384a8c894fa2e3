#pragma once

#include "FilePages.h"
#include "MFileObject.h"
#include "NoteLinkPass.h"
#include "service/MServiceSession.h"
#include "tasks/MRunJournal.h"
#include "tasks/MTaskContext.h"
#include "tasks/TaskTexts.h"

#include <QList>
#include <QString>
#include <optional>

class MNotebookNode;

// The notes-and-files import: one page per file of a list, all into one section.

// The file list. A path is taken once: adding it again (by choosing it or by a folder scan) keeps
// the one row.
bool ExistsInFileList(const QList<MFileObject>& files, const QString& name);
// Appends the file unless the list has it; true when it was appended.
bool AddToFileList(QList<MFileObject>& files, const QString& name);
// Appends the files of `folder` whose extension the kind takes (ignoring case), hidden ones
// included, and with `recurse` those of every folder below; returns how many were new. The entries
// of a folder are taken in the order of their names.
qint64 LoopGetAFolderFiles(QList<MFileObject>& files, MFileImportKind kind, const QString& folder, bool recurse);

// The "State" column of a row: the service's message, else "Success", "Failure:<code>" or nothing.
QString FileStateText(const MFileObject& file);

struct MFileImportSettings
{
    MFileImportKind kind = MFileImportKind::Text;
    bool utf8 = false;
    QString sectionId; // the first ticked section's id
    MRunRecording run; // a run records each file in the run ledger when asked
};

// What names a run of these files into that section with these settings, for the ledger.
MRunJournal::MIdentity FileImportRunIdentity(const MFileImportSettings& settings, const QList<MFileObject>& files);

class MFileImportTask
{
public:
    MFileImportTask(const MTaskContext& context, MFileImportSettings settings, QList<MFileObject> files);

    // The id of the first ticked section of the tree, or "" when none is ticked.
    static QString TargetSectionId(const MNotebookNode* tree);

    // The worker's body: the token refresh, every file in order while the run goes on, then the
    // finish text. Every file is a row of the result table, in the list's order.
    void ThreadImportRun();
    // One file: its Sending row, its page built and sent, its outcome row with the reason. True when
    // the page was created.
    bool ImportFile(qint64 index);

    // Read after the run.
    const QList<MFileObject>& Files() const { return m_Files; }
    const MOutcomeCounts& Counts() const { return m_Counts; }
    const MLinkPassResult& LinkPass() const { return m_LinkPass; }

private:
    void Report(qint64 index, MItemOutcome outcome, const QString& reason = QString(), qint64 code = 0);

    MTaskContext m_Context;
    MFileImportSettings m_Settings;
    QList<MFileObject> m_Files;
    MServiceSession m_Session;
    std::unique_ptr<MRunJournal> m_Journal;
    MLinkPassResult m_LinkPass;
    MOutcomeCounts m_Counts;
};
