#include "Retitle.h"

#include "RunOptions.h"

#include "CliRun.h"
#include "app/MStrings.h"
#include "pagetasks/MReplaceTask.h"

MCliRetitle::MCliRetitle()
    : m_Find(QStringLiteral("find"), Localized("cliRetitleOptionFind"), QStringLiteral("TEXT"))
    , m_Replace(QStringLiteral("replace"), Localized("cliRetitleOptionReplace"), QStringLiteral("TEXT"))
    , m_MatchCase(QStringLiteral("match-case"), Localized("cliOptionMatchCase"))
    , m_Check(MCliRun::CheckOption())
    , m_Refresh(MCliRun::RefreshOption())
{
    name = QStringLiteral("retitle");
    description = Localized("cliRetitleDescription");
    options = {m_Find, m_Replace, m_MatchCase, m_Check, m_Refresh, ReportOption()};
}

std::optional<QString> MCliRetitle::CheckArguments(const QCommandLineParser& parser) const
{
    if (!parser.positionalArguments().isEmpty())
        return Localized("cliWrongArgumentCount");
    // An empty replacement is allowed (it removes the text); an empty search is not.
    if (parser.value(m_Find).isEmpty() || !parser.isSet(m_Replace))
        return Localized("cliRetitleNeedsFind");
    if (parser.values(m_Check).isEmpty())
        return Localized("cliNeedsCheck").arg(name);
    return std::nullopt;
}

int MCliRetitle::Execute(const QCommandLineParser& parser)
{
    MCliRun run(name);
    run.UseReportOption(parser, ReportOption());
    if (!run.Prepare(parser.values(m_Check), parser.isSet(m_Refresh)))
        return kExitFailure;
    if (const std::optional<QString> problem = MReplaceTask::StartProblem(&run.Root(), parser.value(m_Find))) {
        PrintErr(Localized(*problem));
        return kExitFailure;
    }
    const MReplaceOptions options {parser.value(m_Find), parser.value(m_Replace), parser.isSet(m_MatchCase)};
    MReplaceTask task(run.Context(), options);
    task.ThreadRun();
    return run.End(run.Printer().Alerts() > 0 || run.Printer().Counts().failed > 0);
}
