#pragma once

#include "MPacer.h"

// The five features that work page by page share one walker; they differ only in these points.
enum class MPageUser { Export, Attachments, Tags, Search, Replace };

struct MPagePolicy
{
    // Where the pause before or after a page-list request falls.
    enum class ListWait { BeforeRequest, AfterGoodResponse };

    int listTimeoutSeconds = 30;
    MPacer::Kind listWaitKind = MPacer::Kind::Download;
    ListWait listWait = ListWait::AfterGoodResponse;
    // A batch of fewer than 100 pages ends the section (else all ten blocks are always asked for).
    bool endOnShortBatch = false;
    bool logListError = true;
    // An "InvalidAuthenticationToken" answer expires the token so the next refresh check renews it.
    bool expireTokenOnInvalidToken = false;
    // Untitled pages are named by their index in the batch, except where the title is shown as found.
    bool keepEmptyTitle = false;
    // The pause between pages of a batch (on the download interval).
    bool waitBetweenPages = false;
    // The pause before a page's content is read (on the download interval).
    bool waitBeforeContent = false;
    // The batch counts its entries (which the short-batch rule reads) rather than the pages handled.
    bool batchCountsEntries = false;
};

MPagePolicy PagePolicyFor(MPageUser user);
