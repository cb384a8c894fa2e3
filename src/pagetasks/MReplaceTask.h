#pragma once

#include "tasks/MPageWalker.h"
#include "tasks/MRunRows.h"

#include <QByteArray>
#include <QString>
#include <optional>

struct MReplaceOptions
{
    QString search;
    QString replacement;
    // On: the search text is found and replaced literally, letter case and all. Off: it is an ICU
    // pattern matched without regard to case, and the replacement an ICU template ($1, \$).
    bool matchCase = false;
};

// The new title of a page, or why there is none.
struct MNewTitle
{
    bool matches = false; // the title holds the search text (else the page is left alone)
    std::optional<QString> title; // absent when it matched but no title could be made
    QString problem; // the localized reason when `title` is absent
};

// Renames pages in bulk: in every checked section, each page whose title holds the search text gets
// that text replaced. Only titles change; page bodies are never read. Works on the sections of
// personal accounts only: the other kinds get one skipped row per section and no request.
class MReplaceTask : public MPageWalker
{
public:
    MReplaceTask(const MTaskContext& context, MReplaceOptions options);

    // As the search's: "strSelectASection", "" for an empty search text (nothing to do), or nothing.
    static std::optional<QString> StartProblem(const MNotebookNode* tree, const QString& search);

    void ThreadRun();

    static MNewTitle NewTitle(const QString& title, const MReplaceOptions& options);
    // The body of the title update: [{"target":"title","action":"replace","content":<title>}].
    static QByteArray TitlePatchBody(const QString& title);
    // Sends the title update; true when the service took it (a 204 without a body included).
    bool ReplaceInAPage(const QString& pageId, const QString& title, MFailure* failure = nullptr);
    // Whether the account's kind lets this run change titles.
    bool AccountSupported() const;

    qint64 PagesRetitled() const { return m_ExportFilesCount; }
    const MRunRows& Rows() const { return m_Rows; }

protected:
    qint64 HandlePage(const MPageEntry& page, qint64 index, const QString& sectionPath) override;
    qint64 VisitSection(const MNotebookNode& section, const QString& path) override;
    void OnSectionFailed(const MNotebookNode& section, const QString& sectionPath, const QString& reason) override;
    qint64 RequestsPerPage() const override { return 1; }

private:
    MReplaceOptions m_Options;
    MRunRows m_Rows;
    qint64 m_ExportFilesCount = 0;
};
