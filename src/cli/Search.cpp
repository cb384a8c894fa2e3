#include "Search.h"

#include "RunOptions.h"

#include "CliRun.h"
#include "app/MStrings.h"
#include "pagetasks/MSearchTask.h"

namespace {

QString KindName(MNodeKind kind)
{
    switch (kind) {
    case MNodeKind::Page:
        return QStringLiteral("page");
    case MNodeKind::RecognisedText:
        return QStringLiteral("image");
    default:
        return QStringLiteral("paragraph");
    }
}

// Each hit as lines of its own, kept apart from the progress line.
class MCliSearchSink final : public MSearchSink
{
public:
    explicit MCliSearchSink(MCliReporter& reporter)
        : m_Reporter(reporter)
    { }

    void AddPageHit(const MSearchPageHit& hit) override
    {
        Print(MNodeKind::Page, hit, QString(), hit.clientUrl);
        for (const MSearchHit& element : hit.elements)
            Print(element.kind, hit, element.text, element.link.isEmpty() ? hit.clientUrl : element.link);
    }

private:
    void Print(MNodeKind kind, const MSearchPageHit& page, const QString& text, const QString& link)
    {
        const QStringList fields {KindName(kind), ResultField(page.sectionPath), ResultField(page.title),
            ResultField(text), ResultField(link)};
        m_Reporter.PrintResult(fields.join(QLatin1Char('\t')));
    }

    MCliReporter& m_Reporter;
};

} // namespace

MCliSearch::MCliSearch()
    : m_TitleOnly(QStringLiteral("title-only"), Localized("cliSearchOptionTitleOnly"))
    , m_MatchCase(QStringLiteral("match-case"), Localized("cliOptionMatchCase"))
    , m_Check(MCliRun::CheckOption())
    , m_Refresh(MCliRun::RefreshOption())
{
    name = QStringLiteral("search");
    description = Localized("cliSearchDescription");
    options = {m_TitleOnly, m_MatchCase, m_Check, m_Refresh, ReportOption()};
    positionals = {{QStringLiteral("text"), Localized("cliSearchText"), QStringLiteral("TEXT")}};
}

std::optional<QString> MCliSearch::CheckArguments(const QCommandLineParser& parser) const
{
    if (parser.positionalArguments().size() != 1)
        return Localized("cliWrongArgumentCount");
    if (parser.positionalArguments().first().trimmed().isEmpty())
        return Localized("cliSearchNeedsText");
    if (parser.values(m_Check).isEmpty())
        return Localized("cliNeedsCheck").arg(name);
    return std::nullopt;
}

int MCliSearch::Execute(const QCommandLineParser& parser)
{
    MCliRun run(name);
    run.UseReportOption(parser, ReportOption());
    if (!run.Prepare(parser.values(m_Check), parser.isSet(m_Refresh)))
        return kExitFailure;
    if (const std::optional<QString> problem
        = MSearchTask::StartProblem(&run.Root(), parser.positionalArguments().first())) {
        PrintErr(Localized(*problem));
        return kExitFailure;
    }
    const MSearchOptions options {
        parser.positionalArguments().first(), parser.isSet(m_MatchCase), parser.isSet(m_TitleOnly)};
    MCliSearchSink sink(run.Printer());
    MSearchTask task(run.Context(), options, &sink);
    task.ThreadRun();
    return run.End(run.Printer().Alerts() > 0 || run.Printer().Counts().failed > 0);
}
