#include "ImportProgress.h"

#include "account/MAccount.h"
#include "net/MRequestBudget.h"
#include "tasks/MTaskContext.h"
#include "util/MSleeper.h"

#include <algorithm>

void ReportImportProgress(const MTaskContext& context, qint64 done, qint64 total, int requestsPerItem)
{
    if (!context.reporter)
        return;
    MTaskProgress progress;
    progress.done = done;
    progress.total = total;
    if (total > 0 && context.account) {
        const qint64 left = std::max<qint64>(0, total - done);
        const qint64 budgetMs
            = TheRequestBudget().EstimateMs(context.account->UserId(), left * requestsPerItem, NowMs());
        const qint64 pausesMs = left * (context.pacer ? context.pacer->Seconds(MPacer::Kind::Upload) : 0) * 1000;
        progress.secondsLeft = (std::max(budgetMs, pausesMs) + 999) / 1000;
    }
    context.reporter->ShowProgress(progress);
}
