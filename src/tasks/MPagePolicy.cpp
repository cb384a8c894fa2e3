#include "MPagePolicy.h"

MPagePolicy PagePolicyFor(MPageUser user)
{
    MPagePolicy p;
    switch (user) {
    case MPageUser::Export:
        p.listTimeoutSeconds = 30;
        p.listWaitKind = MPacer::Kind::Download;
        p.listWait = MPagePolicy::ListWait::AfterGoodResponse;
        p.logListError = true;
        p.waitBetweenPages = true;
        break;
    case MPageUser::Attachments:
    case MPageUser::Tags:
        p.listTimeoutSeconds = 90;
        p.listWaitKind = MPacer::Kind::Download;
        p.listWait = MPagePolicy::ListWait::BeforeRequest;
        p.logListError = true;
        p.waitBetweenPages = true;
        p.waitBeforeContent = true;
        p.batchCountsEntries = true;
        break;
    case MPageUser::Search:
        p.listTimeoutSeconds = 30;
        p.listWaitKind = MPacer::Kind::Upload;
        p.listWait = MPagePolicy::ListWait::AfterGoodResponse;
        p.logListError = false;
        p.keepEmptyTitle = true;
        p.waitBeforeContent = true;
        p.batchCountsEntries = true;
        break;
    case MPageUser::Replace:
        p.listTimeoutSeconds = 30;
        p.listWaitKind = MPacer::Kind::Upload;
        p.listWait = MPagePolicy::ListWait::AfterGoodResponse;
        p.logListError = false;
        break;
    }
    return p;
}
