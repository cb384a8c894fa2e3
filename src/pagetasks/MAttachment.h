#pragma once

#include "tasks/MTaskReporter.h"
#include "util/CheckAll.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// One file attached to a page (a page element with a data-attachment attribute).
struct MAttachment
{
    bool downloadIt = true; // ticked for saving
    QString name; // the file name the page gives it
    QString data; // the resource address
    QString atype; // the MIME type
    QString pageName;
    QString pageId;
    QString pageBreadcrumb; // section path + "/" + page title
    QString pageLink;
    QString status; // "" when listed; "Success" or "Failure" (localized) after a save
    // What the last save made of it: absent before, Sending while it is fetched, then the outcome.
    std::optional<MItemOutcome> outcome;
    QString reason; // why it was not saved
    QString savedPath; // where it was saved
};

// The menu's ticking of every item.
void CheckAllItems(QList<MAttachment>& items, MCheckAll mode);
// Ticks every item whose type is the type of an item already ticked (nothing is unticked).
void CheckByFileType(QList<MAttachment>& items);
// Ticks exactly the items of the given types (every item when none is given).
void CheckTypes(QList<MAttachment>& items, const QStringList& types);
// Forgets what earlier saves made of the items.
void CleanAllItemsStatus(QList<MAttachment>& items);
// The file name an attachment is saved under: "<page title>_<file name>", made safe.
QString AttachmentFileName(const MAttachment& item);
