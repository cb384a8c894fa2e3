#pragma once

#include "MAttachment.h"
#include "service/MServiceSession.h"
#include "tasks/MRunRows.h"
#include "tasks/MTaskContext.h"

#include <QList>
#include <QString>

// Saves the ticked attachments into a folder as "<page title>_<file name>". A name that is taken
// already gets "(1)", "(2)", ... (two attachments of one page with one name keep both, and no file of
// the user's is overwritten); each file is fetched beside its place and moved there only when whole.
// Each ticked item is a row whose index is its place in the list.
class MSaveAttachmentsTask
{
public:
    MSaveAttachmentsTask(const MTaskContext& context, QList<MAttachment> items, QString folder);

    static std::optional<QString> StartProblem(const QList<MAttachment>& items, const QString& folder);

    void ThreadRun();

    // The items with what the save made of them.
    const QList<MAttachment>& Items() const { return m_Items; }
    const MRunRows& Rows() const { return m_Rows; }

private:
    void SaveItem(qsizetype index);
    bool Running() const { return m_Context.IsRunning(); }

    const MTaskContext& m_Context;
    QList<MAttachment> m_Items;
    QString m_Folder;
    MServiceSession m_Session;
    MRunRows m_Rows;
};
