#pragma once

#include "MBackupState.h"
#include "MExportTask.h"

#include <QHash>
#include <QLockFile>
#include <QSet>
#include <memory>

// What a mirror run did, for its one-line summary.
struct MBackupCounts
{
    // Files of the mirror: pages, and section files when they are kept.
    qint64 written = 0; // new or changed files written (in place, through a temporary file)
    qint64 unchanged = 0;
    qint64 moved = 0; // files that followed their page's new title
    qint64 deleted = 0; // pages gone online, their files moved under ".deleted/<date>"
    qint64 failed = 0; // files (or section lists) that could not be brought up to date
    qint64 requests = 0; // requests the run sent
};

// Keeps a mirror of the checked sections in a folder: one folder per notebook, section group and
// section, one text or HTML file per page (HTML with its "<page>.files"), as the export writes them.
// The state file (MBackupState) remembers each page's file and time, so that a later run fetches only
// the pages that are new or whose "lastModifiedDateTime" moved on, and reads those through the page
// cache. A page whose title changed has its file moved; a page gone from a section whose list was
// read whole has its file moved to ".deleted/<yyyy-MM-dd>/" below the mirror, never removed. A page
// that fails keeps its last good file. One run at a time per folder: a lock file in it.
// With section files, each section's ".one" file lies beside its folder as the section-file export
// writes it, fetched again only when its drive item's time or size moved on; the section-file kind
// keeps those alone. A section gone from the account has its files moved aside like a gone page.
class MBackupTask : public MExportTask
{
public:
    enum class Start { Ran, Busy, NoState };

    static constexpr const char* kLockName = ".pagewright-backup.lock";

    MBackupTask(const MTaskContext& context, MExportKind kind, QString mirrorFolder, bool sectionFiles = false);
    ~MBackupTask() override;

    // The run: Busy, doing nothing, while another run holds the folder; NoState (after an alert)
    // when the state file cannot be opened.
    Start Run();
    const MBackupCounts& Counts() const { return m_Counts; }
    // "Written 3, unchanged 295, moved 1, deleted 1, failed 0, requests 7."
    QString SummaryText() const;

protected:
    qint64 HandlePage(const MPageEntry& page, qint64 index, const QString& sectionPath) override;
    qint64 VisitSection(const MNotebookNode& section, const QString& path) override;
    void OnSectionFailed(const MNotebookNode& section, const QString& sectionPath, const QString& reason) override;
    MHttpResponse Send(const MHttpRequest& request) override;
    QString PageListAddress(const QString& sectionId, qint64 skip) const override;

private:
    QString Relative(const QString& path) const;
    QString Absolute(const QString& relative) const;
    // The page's file: its title as the export names it, with "(n)" when another page has the name.
    QString TargetFor(const MPageEntry& page, qint64 index, const QString& sectionPath) const;
    // Moves a page's file (and its HTML files folder) from one place in the mirror to another.
    bool MoveFile(const QString& from, const QString& to);
    // Writes `content` over `path` through a temporary file; the digest of what was written, or "".
    QString WriteInPlace(const QString& path, const QString& content);
    // A new file name in the mirror's ".partial" folder, or "" when the folder cannot be made.
    QString TemporaryPath();
    // One step from the temporary file to its place: the old copy until then, the new after.
    bool PutInPlace(const QString& temporary, const QString& path);
    void KeepSectionFile(const MNotebookNode& section, const QString& folder);
    // The section's pages not seen in its listing, and its file too when the section itself is gone.
    void MoveAsideGone(const QString& sectionId, bool sectionGone = false);
    // The mirror's file at `relative` to ".deleted/<date>/"; false when it could not be moved.
    bool MoveAside(const QString& relative);

    QString m_Folder;
    bool m_Pages = true;
    bool m_SectionFiles = false;
    std::unique_ptr<QLockFile> m_Lock;
    std::unique_ptr<MBackupState> m_State;
    QString m_SectionId;
    bool m_SectionFailed = false;
    QSet<QString> m_Seen; // the pages of the section being listed
    QHash<QString, QString> m_Claimed; // file (relative) -> the page given it in this run
    MBackupCounts m_Counts;
};
