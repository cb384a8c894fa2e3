#include "Lost.h"

#include "RunOptions.h"

#include "CliReporter.h"
#include "CliRun.h"
#include "app/MStrings.h"
#include "drive/MFindLostTask.h"
#include "model/MNotebookNode.h"
#include "model/MResultNode.h"
#include "util/FileUtils.h"

#include <algorithm>

MCliLost::MCliLost()
    : m_Out(QStringLiteral("out"), Localized("cliLostOptionOut"), QStringLiteral("DIR"))
    , m_Id(QStringLiteral("id"), Localized("cliLostOptionId"), QStringLiteral("ID"))
{
    name = QStringLiteral("lost");
    description = Localized("cliLostDescription");
    options = {m_Out, m_Id, ReportOption()};
    positionals = {{QStringLiteral("action"), Localized("cliLostArgAction"), QStringLiteral("list|save")}};
}

std::optional<QString> MCliLost::CheckArguments(const QCommandLineParser& parser) const
{
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1 || (args[0] != QLatin1String("list") && args[0] != QLatin1String("save")))
        return Localized("cliLostNeedsAction");
    if (args[0] == QLatin1String("save") && parser.value(m_Out).isEmpty())
        return Localized("strSpecifyStoreFolder");
    return std::nullopt;
}

int MCliLost::Execute(const QCommandLineParser& parser)
{
    MCliRun run(name);
    run.UseReportOption(parser, ReportOption());
    if (!run.SignIn(true))
        return kExitFailure;
    const bool save = parser.positionalArguments().value(0) == QLatin1String("save");

    // The search's rows are its failures; standard output is kept for the list itself.
    MCliReporter searchReporter(stderr, save ? stdout : stderr);
    MFindLostTask search(run.Context(std::make_shared<MNotebookNode>(), searchReporter));
    search.ThreadRun();
    const bool searchFailed = search.Counts().failed > 0 || searchReporter.Alerts() > 0;
    if (!save) {
        for (const auto& found : search.Tree().children())
            PrintOut(found->id + QLatin1Char('\t') + LostSectionFolder(*found) + QLatin1Char('/') + found->name);
        return run.End(searchFailed);
    }

    auto found = std::make_shared<MResultNode>();
    std::unique_ptr<MResultNode> copy = search.Tree().CloneTree();
    found->swapChildren(*copy);
    const QStringList ids = parser.values(m_Id);
    for (const QString& id : ids) {
        const auto named = [&](const auto& node) { return node->id.compare(id, Qt::CaseInsensitive) == 0; };
        if (id.isEmpty() || std::none_of(found->children().begin(), found->children().end(), named)) {
            PrintErr(Localized("cliLostNoSuchId").arg(id));
            return kExitFailure;
        }
    }
    if (!ids.isEmpty()) {
        for (const auto& node : found->children())
            node->checked = ids.contains(node->id, Qt::CaseInsensitive);
    }
    const QString folder = parser.value(m_Out);
    CreateFolder(folder);
    MCliReporter reporter;
    MSaveLostTask task(run.Context(std::make_shared<MNotebookNode>(), reporter), *found, folder);
    task.ThreadRunSave();
    return run.End(searchFailed || reporter.Counts().failed > 0 || reporter.Alerts() > 0);
}
