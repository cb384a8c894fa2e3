#pragma once

#include "MAttachment.h"
#include "tasks/MPageWalker.h"
#include "tasks/MRunRows.h"

#include <QList>
#include <QString>
#include <optional>

// Where listed attachments go as each page is scanned. Called on the worker thread.
class MAttachmentSink
{
public:
    virtual ~MAttachmentSink() = default;
    virtual void AddAttachments(const QList<MAttachment>& items) = 0;
};

// Lists every file attached to the pages of the checked sections, ticked for saving. Pages and
// sections that could not be read are reported as failed rows.
class MListAttachmentsTask : public MPageWalker
{
public:
    MListAttachmentsTask(const MTaskContext& context, MAttachmentSink* sink);

    static std::optional<QString> StartProblem(const MNotebookNode* tree);

    void ThreadRun();

    // The attachments of one page's HTML in document order; none when it is not XML.
    static QList<MAttachment> ListAttachmentsInAPageHtml(
        const QString& pageId, const QString& pageTitle, const QString& html, const QString& breadcrumb);

    qint64 PagesWithAttachments() const { return m_FilesCount; }
    const MRunRows& Rows() const { return m_Rows; }

protected:
    qint64 HandlePage(const MPageEntry& page, qint64 index, const QString& sectionPath) override;
    void OnSectionFailed(const MNotebookNode& section, const QString& sectionPath, const QString& reason) override;

private:
    MAttachmentSink* m_Sink;
    MRunRows m_Rows;
    qint64 m_FilesCount = 0;
};
