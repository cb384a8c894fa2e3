#include "MAAttachment.h"

#include "util/FileUtils.h"

#include <QSet>

void CheckAllItems(QList<MAAttachment>& items, int mode)
{
    for (MAAttachment& item : items)
        item.downloadIt = mode == 2 ? !item.downloadIt : mode == 1;
}

void CheckByFileType(QList<MAAttachment>& items)
{
    QSet<QString> types;
    for (const MAAttachment& item : items)
        if (item.downloadIt)
            types.insert(item.atype);
    for (MAAttachment& item : items)
        if (types.contains(item.atype))
            item.downloadIt = true;
}

void CheckTypes(QList<MAAttachment>& items, const QStringList& types)
{
    for (MAAttachment& item : items)
        item.downloadIt = types.isEmpty() || types.contains(item.atype, Qt::CaseInsensitive);
}

void CleanAllItemsStatus(QList<MAAttachment>& items)
{
    for (MAAttachment& item : items) {
        item.status.clear();
        item.outcome.reset();
        item.reason.clear();
        item.savedPath.clear();
    }
}

QString AttachmentFileName(const MAAttachment& item)
{
    return MakeSafeFileName(QStringLiteral("%1_%2").arg(item.pageName, item.name));
}
