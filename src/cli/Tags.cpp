#include "Tags.h"

#include "RunOptions.h"

#include "CliRun.h"
#include "OutlinePath.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "pagetasks/MListTagsTask.h"
#include "pagetasks/MTagSummaryTask.h"

namespace {

class MCollectingTagSink final : public MTagSink
{
public:
    void AddTagItems(const QList<MTagItem>& found) override { items.append(found); }
    QList<MTagItem> items;
};

} // namespace

MCliTags::MCliTags()
    : m_Tag(QStringLiteral("tag"), Localized("cliTagsOptionTag"), QStringLiteral("NAME"))
    , m_Text(QStringLiteral("text"), Localized("cliTagsOptionText"), QStringLiteral("TEXT"))
    , m_Todo(QStringLiteral("todo"), Localized("cliTagsOptionTodo"), QStringLiteral("checked|unchecked"))
    , m_SummaryTo(QStringLiteral("summary-to"), Localized("cliTagsOptionSummaryTo"), QStringLiteral("PATH"))
    , m_Check(MCliRun::CheckOption())
    , m_Refresh(MCliRun::RefreshOption())
{
    name = QStringLiteral("tags");
    description = Localized("cliTagsDescription");
    options = {m_Tag, m_Text, m_Todo, m_SummaryTo, m_Check, m_Refresh, ReportOption()};
}

std::optional<QString> MCliTags::CheckArguments(const QCommandLineParser& parser) const
{
    if (!parser.positionalArguments().isEmpty())
        return Localized("cliWrongArgumentCount");
    const QString todo = parser.value(m_Todo);
    if (parser.isSet(m_Todo) && todo != QLatin1String("checked") && todo != QLatin1String("unchecked"))
        return Localized("cliTagsBadTodo");
    if (parser.values(m_Check).isEmpty())
        return Localized("cliNeedsCheck").arg(name);
    return std::nullopt;
}

int MCliTags::Execute(const QCommandLineParser& parser)
{
    MCliRun run(name);
    run.UseReportOption(parser, ReportOption());
    if (!run.Prepare(parser.values(m_Check), parser.isSet(m_Refresh)))
        return kExitFailure;
    QString summarySection;
    if (parser.isSet(m_SummaryTo)) {
        const MNotebookNode* node = FindNodeByPathOrId(run.Root(), parser.value(m_SummaryTo));
        if (!node || node->kind != MNodeKind::Section) {
            PrintErr(Localized(node ? "cliTagsNotASection" : "cliExportNoSuchNode").arg(parser.value(m_SummaryTo)));
            return kExitFailure;
        }
        summarySection = node->id;
    }
    if (const std::optional<QString> problem = MListTagsTask::StartProblem(&run.Root())) {
        PrintErr(Localized(*problem));
        return kExitFailure;
    }

    MCollectingTagSink sink;
    MListTagsTask task(run.Context(), &sink);
    task.ThreadRun();

    MTagFilter filter;
    const QStringList tags = parser.values(m_Tag);
    filter.allTags = tags.isEmpty();
    filter.tags = QSet<QString>(tags.begin(), tags.end());
    filter.text = parser.value(m_Text);
    filter.toDoOnly = parser.isSet(m_Todo);
    filter.toDoShow
        = parser.value(m_Todo) == QLatin1String("checked") ? QStringLiteral("Checked") : QStringLiteral("Unchecked");
    const QList<MTagItem> shown = FillDisplayTagList(sink.items, filter);
    for (const MTagItem& item : shown)
        run.Printer().PrintResult(QStringList {ResultField(item.iconName), ResultField(item.text),
            ResultField(item.pageBreadcrumb), ResultField(item.link)}
                                      .join(QLatin1Char('\t')));

    if (!summarySection.isEmpty() && !shown.isEmpty()) {
        MTagSummaryTask summary(run.Context(), summarySection, shown, false);
        summary.ThreadRun();
        if (!summary.Link().isEmpty())
            run.Printer().PrintResult(summary.Link());
    }
    return run.End(run.Printer().Alerts() > 0 || run.Printer().Counts().failed > 0);
}
