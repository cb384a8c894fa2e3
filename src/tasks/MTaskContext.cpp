#include "MTaskContext.h"

MServiceSession SessionFor(const MTaskContext& context)
{
    MTaskReporter* reporter = context.reporter;
    return MServiceSession(*context.account, context.running, [reporter](const QString& status) {
        if (reporter)
            reporter->ShowStatus(status);
    });
}
