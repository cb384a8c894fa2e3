#include "MAttachment.h"

#include "util/FileUtils.h"

#include <QSet>

void CheckAllItems(QList<MAttachment>& items, MCheckAll mode)
{
    for (MAttachment& item : items)
        item.downloadIt = CheckedAfter(mode, item.downloadIt);
}

void CheckByFileType(QList<MAttachment>& items)
{
    QSet<QString> types;
    for (const MAttachment& item : items)
        if (item.downloadIt)
            types.insert(item.atype);
    for (MAttachment& item : items)
        if (types.contains(item.atype))
            item.downloadIt = true;
}

void CheckTypes(QList<MAttachment>& items, const QStringList& types)
{
    for (MAttachment& item : items)
        item.downloadIt = types.isEmpty() || types.contains(item.atype, Qt::CaseInsensitive);
}

void CleanAllItemsStatus(QList<MAttachment>& items)
{
    for (MAttachment& item : items) {
        item.status.clear();
        item.outcome.reset();
        item.reason.clear();
        item.savedPath.clear();
    }
}

QString AttachmentFileName(const MAttachment& item)
{
    return MakeSafeFileName(QStringLiteral("%1_%2").arg(item.pageName, item.name));
}
