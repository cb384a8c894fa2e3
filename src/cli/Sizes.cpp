#include "Sizes.h"

#include "RunOptions.h"

#include "CliReporter.h"
#include "CliRun.h"
#include "app/MStrings.h"
#include "drive/MSectionSizeTask.h"
#include "model/MNotebookNode.h"
#include "model/MResultNode.h"

namespace {

// The report's lines say what the rows would.
class MRowlessReporter final : public MCliReporter
{
public:
    void ReportItem(const MTaskItem&) override { }
};

void AddLines(const MResultNode& node, const QString& path, QStringList& lines)
{
    for (const auto& child : node.children()) {
        const QString childPath = path.isEmpty() ? child->name : path + QLatin1Char('/') + child->name;
        const QString bytes = child->size ? QString::number(*child->size) : QString();
        lines << childPath + QLatin1Char('\t') + bytes + QLatin1Char('\t') + NodeStatus(*child).text;
        AddLines(*child, childPath, lines);
    }
}

} // namespace

QStringList SizeLines(const MResultNode& root)
{
    QStringList lines;
    AddLines(root, QString(), lines);
    return lines;
}

MCliSizes::MCliSizes()
    : m_Check(QStringLiteral("check"), Localized("cliExportOptionCheck"), QStringLiteral("PATH"))
    , m_Refresh(QStringLiteral("refresh"), Localized("cliTreeOptionRefresh"))
{
    name = QStringLiteral("sizes");
    description = Localized("cliSizesDescription");
    options = {m_Check, m_Refresh, ReportOption()};
}

std::optional<QString> MCliSizes::CheckArguments(const QCommandLineParser& parser) const
{
    if (!parser.positionalArguments().isEmpty())
        return Localized("cliWrongArgumentCount");
    if (parser.values(m_Check).isEmpty())
        return Localized("cliExportNeedsCheck");
    return std::nullopt;
}

int MCliSizes::Execute(const QCommandLineParser& parser)
{
    MCliRun run(name);
    run.UseReportOption(parser, ReportOption());
    if (!run.SignIn(true))
        return kExitFailure;
    if (!run.LoadTree(parser.isSet(m_Refresh)) || !run.Check(parser.values(m_Check)))
        return kExitFailure;
    const std::shared_ptr<MNotebookNode> root = run.RootPointer();
    // The rows come out as the report's lines at the end.
    MRowlessReporter reporter;
    MSectionSizeTask task(run.Context(root, reporter));
    task.ThreadViewRun();
    for (const QString& line : SizeLines(task.Tree()))
        PrintOut(line);
    return run.End(task.Counts().failed > 0 || reporter.Alerts() > 0);
}
