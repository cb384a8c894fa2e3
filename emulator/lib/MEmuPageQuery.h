#pragma once

#include "MEmuPageRenderer.h"

#include <QDateTime>
#include <QSet>
#include <functional>
#include <vector>

struct MEmuRequest;

// The OData options the OneNote interface reads on pages (with or without "$"): select and expand
// for one page or a listing; filter, orderby, top and skip for a listing.
struct MEmuPageQuery
{
    QSet<QString> select; // the properties to write; empty: every one
    // Without an expand, the documented default: the parent section with its id, name and self.
    bool parentSectionIds = true;
    bool parentSection = false; // the whole section, as expand=parentSection asks
    bool parentNotebook = false;
    std::function<bool(const MEmuPage&)> filter; // empty: every page
    std::vector<std::pair<QString, bool>> orderBy; // property, descending
    int top = 20; // the documented default
    bool topGiven = false;
    int skip = 0;
    bool pageLevel = false; // pagelevel=true: a listing writes each page's level and order

    bool Wants(const char* property) const { return select.isEmpty() || select.contains(QLatin1String(property)); }
    bool Keeps(const MEmuPage& page) const { return !filter || filter(page); }
    // Orders pages by orderBy, keeping the given order among equals.
    void Sort(std::vector<const MEmuPage*>& pages) const;
};

// The options of a request, or the documented error for one that cannot be read. `listing`: the
// options of a collection are read too.
std::optional<MEmuError> ReadPageQuery(const MEmuRequest& request, bool listing, int maxTop, MEmuPageQuery& query);

// A page's time as the listings write it, "2024-01-02T03:04:05.678Z".
QString PageTime(const QDateTime& time);
