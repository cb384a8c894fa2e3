#include "Attachments.h"

#include "RunOptions.h"

#include "CliRun.h"
#include "app/MStrings.h"
#include "pagetasks/MListAttachmentsTask.h"
#include "pagetasks/MSaveAttachmentsTask.h"
#include "util/FileUtils.h"

namespace {

const QString kList = QStringLiteral("list");
const QString kSave = QStringLiteral("save");

class MCollectingAttachmentSink final : public MAttachmentSink
{
public:
    void AddAttachments(const QList<MAttachment>& found) override { items.append(found); }
    QList<MAttachment> items;
};

bool Failed(MCliReporter& reporter)
{
    return reporter.Alerts() > 0 || reporter.Counts().failed > 0;
}

} // namespace

MCliAttachments::MCliAttachments()
    : m_Out(QStringLiteral("out"), Localized("cliAttachmentsOptionOut"), QStringLiteral("DIR"))
    , m_Type(QStringLiteral("type"), Localized("cliAttachmentsOptionType"), QStringLiteral("MIME"))
    , m_Check(MCliRun::CheckOption())
    , m_Refresh(MCliRun::RefreshOption())
{
    name = QStringLiteral("attachments");
    description = Localized("cliAttachmentsDescription");
    options = {m_Out, m_Type, m_Check, m_Refresh, ReportOption()};
    positionals = {{QStringLiteral("action"), Localized("cliAttachmentsAction"), QStringLiteral("list|save")}};
}

std::optional<QString> MCliAttachments::CheckArguments(const QCommandLineParser& parser) const
{
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() != 1 || (arguments.first() != kList && arguments.first() != kSave))
        return Localized("cliAttachmentsNeedsAction");
    if (arguments.first() == kSave && parser.value(m_Out).isEmpty())
        return Localized("cliAttachmentsNeedsOut");
    if (parser.values(m_Check).isEmpty())
        return Localized("cliNeedsCheck").arg(name);
    return std::nullopt;
}

int MCliAttachments::Execute(const QCommandLineParser& parser)
{
    MCliRun run(name);
    run.UseReportOption(parser, ReportOption());
    if (!run.Prepare(parser.values(m_Check), parser.isSet(m_Refresh)))
        return kExitFailure;
    if (const std::optional<QString> problem = MListAttachmentsTask::StartProblem(&run.Root())) {
        PrintErr(Localized(*problem));
        return kExitFailure;
    }
    MCollectingAttachmentSink sink;
    MListAttachmentsTask list(run.Context(), &sink);
    list.ThreadRun();

    if (parser.positionalArguments().first() == kList) {
        for (const MAttachment& item : sink.items)
            run.Printer().PrintResult(
                QStringList {ResultField(item.name), ResultField(item.atype), ResultField(item.pageBreadcrumb)}.join(
                    QLatin1Char('\t')));
        return run.End(Failed(run.Printer()));
    }

    const QString folder = parser.value(m_Out);
    CreateFolder(folder);
    CheckTypes(sink.items, parser.values(m_Type));
    if (const std::optional<QString> problem = MSaveAttachmentsTask::StartProblem(sink.items, folder)) {
        // Nothing ticked is nothing to do; a folder that cannot be made is a failure.
        if (!problem->isEmpty()) {
            PrintErr(Localized(*problem));
            return kExitFailure;
        }
        return run.End(Failed(run.Printer()));
    }
    MSaveAttachmentsTask save(run.Context(), sink.items, folder);
    save.ThreadRun();
    return run.End(Failed(run.Printer()));
}
