#pragma once

#include "MTagItem.h"
#include "tasks/MPageWalker.h"
#include "tasks/MRunRows.h"

#include <QList>
#include <QString>
#include <optional>

// Where the tag items go as each page is scanned (the panel's list, the command line's). Called on
// the worker thread.
class MTagSink
{
public:
    virtual ~MTagSink() = default;
    virtual void AddTagItems(const QList<MTagItem>& items) = 0;
};

// Collects every tagged element of the pages of the checked sections. Pages and sections that could
// not be read are reported as failed rows.
class MListTagsTask : public MPageWalker
{
public:
    MListTagsTask(const MTaskContext& context, MTagSink* sink);

    static std::optional<QString> StartProblem(const MNotebookNode* tree);

    void ThreadRun();

    // The tag items of one page's HTML, in document order; none when it is not XML.
    static QList<MTagItem> ListTagsInAPageHtml(const QString& pageLink, const QString& pageId, const QString& pageTitle,
        const QString& html, const QString& breadcrumb);

    qint64 PagesWithTags() const { return m_FilesCount; }
    qint64 ItemsFound() const { return m_ItemsFound; }
    const MRunRows& Rows() const { return m_Rows; }

protected:
    qint64 HandlePage(const MPageEntry& page, qint64 index, const QString& sectionPath) override;
    void OnSectionFailed(const MNotebookNode& section, const QString& sectionPath, const QString& reason) override;

private:
    MTagSink* m_Sink;
    MRunRows m_Rows;
    qint64 m_FilesCount = 0;
    qint64 m_ItemsFound = 0;
};
