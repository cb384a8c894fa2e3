#include "MTaskContext.h"

#include "account/MAccount.h"

std::optional<QString> NothingChecked(const MNotebookNode* tree, MNodeKind level)
{
    const bool notebook = level == MNodeKind::Notebook;
    if (!tree
        || !(notebook ? MNotebookNode::GetFirstCheckedNotebook(tree) : MNotebookNode::GetFirstCheckedSection(tree)))
        return QStringLiteral("strSelectASection");
    return std::nullopt;
}

MServiceSession SessionFor(const MTaskContext& context)
{
    MTaskReporter* reporter = context.reporter;
    return MServiceSession(*context.account, context.running, [reporter](const QString& status) {
        if (reporter)
            reporter->ShowStatus(status);
    });
}

void MTaskContext::RefreshTokens(bool alertFailure) const
{
    if (!account)
        return;
    const MTokenFailure failure = account->RefreshTokens();
    if (failure && alertFailure && reporter)
        reporter->Alert(*failure);
}
