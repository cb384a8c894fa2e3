#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// One tagged element, or one tag of an element that carries several ("to-do:completed,important"
// gives two items of the same element).
struct MTagItem
{
    bool completed = false; // the tag part holds "completed"
    qint64 tagType = 0;
    qint64 symbol = 0; // 1 for a plain "to-do", else 0
    QString pageBreadcrumb; // section path + "/" + page title
    QString objectId; // the element's id attribute
    QString link; // the paragraph's client link
    QString name; // the tag's name: "to-do" of "to-do:completed"
    QString dataTag; // the element's whole data-tag value
    QString iconName; // the tag part with ":" made "-": "to-do-completed"
    QString text; // the element's text
    QString pageName;
    QString pageId;
    QString pageLink;
};

// The 27 tags the panel has a toggle for, in the toggles' order, by the service's names.
const QStringList& TagToggleNames();
// The tags that can be ticked off: "to-do", "call-back", "client-request", ...
const QStringList& ToDoTagNames();
bool IsToDoTag(const QString& name);
// 1 for "to-do", else 0.
qint64 FindTagSymbolByName(const QString& name);

// The items one tagged element gives, one per comma-separated part of its data-tag value.
QList<MTagItem> TagItemsOf(const QString& dataTag, const MTagItem& element);

// What the tag list shows. With `allTags` every tag passes, else the tags named in `tags`; with a
// text, only items whose text holds it (any case); with `toDoOnly`, only to-do tags, and of those
// only the completed ones for "Checked" and the open ones for "Unchecked".
struct MTagFilter
{
    bool allTags = true;
    QSet<QString> tags;
    QString text;
    bool toDoOnly = false;
    QString toDoShow; // "Checked", "Unchecked" or anything else (both)
};

// The items that pass the filter, sorted by icon name (a completed to-do after the open ones), the
// order of collection kept among equal names.
QList<MTagItem> FillDisplayTagList(const QList<MTagItem>& items, const MTagFilter& filter);
