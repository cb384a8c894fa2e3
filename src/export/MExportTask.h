#pragma once

#include "tasks/MFeature.h"
#include "tasks/MPageWalker.h"
#include "tasks/MRunJournal.h"
#include "tasks/ResourceDownload.h"

#include <QList>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>

class MNotebookNode;
class MMarkdownPlan;
struct MMarkdownPlannedPage;

// The kinds of export, one for each export feature.
enum class MExportKind { Text, Html, SectionFile, Markdown };

// One row for each kind: a new kind is a row here and its feature's row.
struct MExportKindInfo
{
    MExportKind kind;
    MFeature feature;
    const char* extension; // of the files it writes
};
const QList<MExportKindInfo>& ExportKinds();
const MExportKindInfo& ExportKindInfo(MExportKind kind);
std::optional<MExportKind> ExportKindForFeature(std::optional<MFeature> feature);

// A section's file on OneDrive as its item read gives it; an empty id when it could not be read.
struct MSectionFileItem
{
    QString id;
    qint64 size = 0;
    QString modified; // "lastModifiedDateTime"
};

// One line of the result list: a page or section file, whether it was written, and why not. A page
// written without some of its images or attachments counts as failed too (its reason says which).
struct MExportItem
{
    QString path;
    bool written = false;
    QString reason;
    QString note; // a remark beside a success: the links that lead outside the export
    bool Failed() const { return !written || !reason.isEmpty(); }
};

// Saves the checked sections below a folder that mirrors notebook, section groups and section:
// each page as a text or HTML file (with its images and attachments in "<page>.files"), as a
// Markdown file (sub-pages in a folder beside their page, images and attachments in the section's
// "_resources" folder, links between exported pages made relative), or each section as its ".one"
// file fetched from OneDrive. Runs on the worker thread; reports through the
// context's reporter.
class MExportTask : public MPageWalker
{
public:
    MExportTask(const MTaskContext& context, MExportKind kind, QString exportFolder);
    ~MExportTask() override;

    // The localized key of the reason a run cannot start ("strSelectASection",
    // "strSpecifyStoreFolder"), or nothing.
    static std::optional<QString> StartProblem(const MNotebookNode* tree, const QString& exportFolder);

    // The worker's body: the walk over the snapshot, then the finish text.
    void ThreadRun();

    // The per-page work of the batch frame; returns 1 when a file was written.
    qint64 ExportPage(const MPageEntry& page, qint64 index, const QString& sectionFolder);
    // The section-file kind: fetches the section's ".one" file into the container folder.
    void BackUpSectionFile(const MNotebookNode& section, const QString& exportFolder);
    // The section file's download address and size, or "" (`failure` says why).
    QString GetSectionFileDownloadUrl(const QString& sectionId, qint64& fileSize, QString* failure = nullptr);
    // The two reads of that address: the section's drive item, then its download address and size
    // (which the next DownloadSectionFile expects).
    MSectionFileItem SectionFileItem(const QString& sectionId, QString* failure = nullptr);
    QString SectionFileDownloadUrl(const QString& itemId, qint64& fileSize, QString* failure = nullptr);
    bool DownloadSectionFile(const QString& downloadUrl, const QString& downloadFileName, QString* failure = nullptr);

    qint64 ExportFilesCount() const { return m_ExportFilesCount; }
    qint64 PagesDone() const { return m_PagesDone; }
    qint64 ResourcesFailed() const { return m_ResourcesFailed; }
    // The images and attachments of the last page converted that were not saved, and the first reason.
    int PageResourcesFailed() const { return m_PageResourcesFailed; }
    const QString& ResourceFailure() const { return m_ResourceFailure; }
    // Read after the run (the worker writes them).
    const QList<MExportItem>& Items() const { return m_Items; }
    qint64 ItemsFailed() const;

protected:
    qint64 HandlePage(const MPageEntry& page, qint64 index, const QString& sectionPath) override;
    qint64 VisitSection(const MNotebookNode& section, const QString& path) override;
    void EnterFolder(const QString& path) override;
    QString ChildPath(const QString& path, const QString& name) const override;
    void OnSectionFailed(const MNotebookNode& section, const QString& sectionPath, const QString& reason) override;
    qint64 RequestsPerPage() const override { return m_Kind == MExportKind::Html ? 2 : 1; }

    // The mirror's task writes its pages and section files with these.
    QString Extension() const;
    // The section's file in `folder`, as the section-file kind names it.
    QString SectionFilePath(const QString& folder, const QString& sectionName) const;
    QString PageContent(const MPageEntry& page, const QString& html, const QString& path);
    // Reads a page and writes its file at `path` (a row either way); returns 1 when it was written.
    qint64 WritePage(const MPageEntry& page, const QString& path);
    // The Markdown kind's second pass: every planned page, once the lists of all sections are read.
    void ExportMarkdownPages();
    QString MarkdownContent(const MMarkdownPlannedPage& page, const QString& html);
    // Saves one image or attachment of the page; a failure is counted against the page.
    bool SaveResource(const QString& url, const QString& file, MExistingFile existing);
    // A row of the result list: the text line, the reporter's row and the item kept for the summary.
    void AddItem(const QString& path, bool written, const QString& reason, const QString& note = QString());

private:
    // The text line of an item: "<path> Success", "<path> Success (<note>)", "<path> Failure (<reason>)".
    static QString OutcomeWords(bool written, const QString& reason, const QString& note = QString());

    MExportKind m_Kind;
    QString m_ExportFolder;
    std::atomic<qint64> m_ExportFilesCount {0};
    std::atomic<qint64> m_PagesDone {0};
    std::atomic<qint64> m_ResourcesFailed {0};
    QList<MExportItem> m_Items;
    qint64 m_SectionFileSize = 0;
    std::unique_ptr<MRunJournal> m_Journal; // every file of the run, in the run ledger
    QString m_ResourceFailure; // the first image or attachment of the current page that was not saved
    int m_PageResourcesFailed = 0;
    QString m_PageNote; // the note of the current page's row
    std::unique_ptr<MMarkdownPlan> m_Plan; // the Markdown kind: where every page goes
    QList<MPageEntry> m_SectionPages; // the Markdown kind: the section being listed
    const MMarkdownPlannedPage* m_Planned = nullptr; // the Markdown kind: the page being written
};
