#include "MTagItem.h"

#include "util/TextUtils.h"

#include <algorithm>

const QStringList& TagToggleNames()
{
    static const QStringList names {QStringLiteral("to-do"), QStringLiteral("important"), QStringLiteral("question"),
        QStringLiteral("highlight"), QStringLiteral("contact"), QStringLiteral("address"),
        QStringLiteral("phone-number"), QStringLiteral("web-site-to-visit"), QStringLiteral("idea"),
        QStringLiteral("password"), QStringLiteral("critical"), QStringLiteral("project-a"),
        QStringLiteral("project-b"), QStringLiteral("movie-to-see"), QStringLiteral("book-to-read"),
        QStringLiteral("music-to-listen-to"), QStringLiteral("source-for-article"), QStringLiteral("remember-for-blog"),
        QStringLiteral("discuss-with-person-a"), QStringLiteral("discuss-with-person-b"),
        QStringLiteral("discuss-with-manager"), QStringLiteral("send-in-email"), QStringLiteral("schedule-meeting"),
        QStringLiteral("call-back"), QStringLiteral("to-do-priority-1"), QStringLiteral("to-do-priority-2"),
        QStringLiteral("client-request")};
    return names;
}

const QStringList& ToDoTagNames()
{
    static const QStringList names {QStringLiteral("to-do"), QStringLiteral("call-back"),
        QStringLiteral("client-request"), QStringLiteral("discuss-with-manager"),
        QStringLiteral("discuss-with-person-a"), QStringLiteral("discuss-with-person-b"),
        QStringLiteral("schedule-meeting"), QStringLiteral("to-do-priority-1"), QStringLiteral("to-do-priority-2")};
    return names;
}

bool IsToDoTag(const QString& name)
{
    return ToDoTagNames().contains(name);
}

qint64 FindTagSymbolByName(const QString& name)
{
    return name == QLatin1String("to-do") ? 1 : 0;
}

QList<MTagItem> TagItemsOf(const QString& dataTag, const MTagItem& element)
{
    QList<MTagItem> items;
    for (const QString& part : dataTag.split(QLatin1Char(','))) {
        MTagItem item = element;
        item.dataTag = dataTag;
        item.iconName = QString(part).replace(QLatin1Char(':'), QLatin1Char('-'));
        item.completed = part.contains(QLatin1String("completed"));
        item.name = part;
        if (item.completed) {
            qsizetype end = part.indexOf(QLatin1String(":completed"));
            if (end < 0)
                end = part.indexOf(QLatin1String("completed"));
            item.name = part.left(end);
        }
        item.tagType = 0;
        item.symbol = FindTagSymbolByName(item.name);
        items.append(item);
    }
    return items;
}

namespace {

bool Passes(const MTagItem& item, const MTagFilter& filter)
{
    if (!filter.allTags && !filter.tags.contains(item.name))
        return false;
    if (!filter.text.isEmpty() && !StringContainsIgnoreCase(filter.text, item.text))
        return false;
    if (!filter.toDoOnly)
        return true;
    if (!IsToDoTag(item.name))
        return false;
    if (filter.toDoShow == QLatin1String("Checked"))
        return item.completed;
    if (filter.toDoShow == QLatin1String("Unchecked"))
        return !item.completed;
    return true;
}

} // namespace

QList<MTagItem> FillDisplayTagList(const QList<MTagItem>& items, const MTagFilter& filter)
{
    QList<MTagItem> shown;
    for (const MTagItem& item : items)
        if (Passes(item, filter))
            shown.append(item);
    std::stable_sort(
        shown.begin(), shown.end(), [](const MTagItem& a, const MTagItem& b) { return a.iconName < b.iconName; });
    return shown;
}
