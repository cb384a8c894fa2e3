#pragma once

#include "MPacer.h"

// The five features that work page by page share one walker; they differ only in these points.
// Every one of them lists a section until a batch comes back with fewer than 100 pages (a request
// past the last page returns nothing and only spends the user's hourly budget), and every one renews
// an expired token once and asks again.
enum class MPageUser { Export, Attachments, Tags, Search, Replace };

struct MPagePolicy
{
    // Where the pause before or after a page-list request falls.
    enum class ListWait { BeforeRequest, AfterGoodResponse };

    int listTimeoutSeconds = 30;
    MPacer::Kind listWaitKind = MPacer::Kind::Download;
    ListWait listWait = ListWait::AfterGoodResponse;
    bool logListError = true;
    // Untitled pages are named by their index in the batch, except where the title is shown as found.
    bool keepEmptyTitle = false;
    // The pause between pages of a batch (on the download interval).
    bool waitBetweenPages = false;
    // The pause before a page's content is read (on the download interval).
    bool waitBeforeContent = false;
    // A section's count is its entries (else the pages the feature handled: files written, titles
    // changed).
    bool batchCountsEntries = false;
    // The page list gives each page's level and order (what sub-pages need).
    bool pageLevels = false;
};

MPagePolicy PagePolicyFor(MPageUser user);
