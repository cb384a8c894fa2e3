#include "MReplaceTask.h"

#include "account/MAccount.h"
#include "app/Log.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "net/ServiceRequest.h"
#include "util/HtmlText.h"
#include "util/TextUtils.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int kTitleUpdateTimeout = 120;

QString RowText(const QString& oldTitle, const QString& newTitle)
{
    return QStringLiteral("%1 → %2").arg(oldTitle, newTitle);
}

} // namespace

MReplaceTask::MReplaceTask(const MTaskContext& context, MReplaceOptions options)
    : MPageWalker(context, PagePolicyFor(MPageUser::Replace))
    , m_Options(std::move(options))
    , m_Rows(context.reporter)
{ }

std::optional<QString> MReplaceTask::StartProblem(const MNotebookNode* tree, const QString& search)
{
    if (const std::optional<QString> problem = NothingChecked(tree))
        return problem;
    if (search.isEmpty())
        return QString();
    return std::nullopt;
}

void MReplaceTask::ThreadRun()
{
    m_Context.RefreshTokens();
    if (m_Context.tree)
        WalkNotebooks(*m_Context.tree, QString());
    if (m_Context.reporter)
        m_Context.reporter->Finish(Localized("strFinish"));
}

MNewTitle MReplaceTask::NewTitle(const QString& title, const MReplaceOptions& options)
{
    MNewTitle result;
    if (options.matchCase) {
        result.matches = StringContains(options.search, title);
        if (result.matches)
            result.title = QString(title).replace(options.search, options.replacement, Qt::CaseSensitive);
        return result;
    }
    const std::optional<bool> found = RegexFind(title, options.search, false);
    if (!found) {
        // No pattern to match with: a title holding the text as it is written is named on its row,
        // and keeps its title.
        result.matches = StringContainsIgnoreCase(options.search, title);
        result.problem = Localized("reasonInvalidPattern");
        return result;
    }
    result.matches = *found;
    if (!result.matches)
        return result;
    result.title = RegexReplaceAll(title, options.search, options.replacement, false);
    if (!result.title)
        result.problem = Localized("reasonInvalidReplacement");
    return result;
}

QByteArray MReplaceTask::TitlePatchBody(const QString& title)
{
    const QJsonObject change {{QStringLiteral("target"), QStringLiteral("title")},
        {QStringLiteral("action"), QStringLiteral("replace")}, {QStringLiteral("content"), title}};
    return QJsonDocument(QJsonArray {change}).toJson(QJsonDocument::Compact);
}

bool MReplaceTask::AccountSupported() const
{
    const int type = m_Context.account ? m_Context.account->MSAccountType() : MAccount::NoAccount;
    return type == MAccount::Personal || type == MAccount::OneNotePersonal;
}

qint64 MReplaceTask::VisitSection(const MNotebookNode& section, const QString& path)
{
    if (!m_Context.account || m_Context.account->OnlineOneNoteAccessToken().isEmpty())
        return 0;
    if (AccountSupported())
        return ListSection(section, path);
    const QString sectionPath = ChildPath(path, section.name);
    const QString line = QStringLiteral("'%1', %2\n").arg(sectionPath, Localized("msgNotSupportSection"));
    m_Result += line;
    ShowToUI(line);
    m_Rows.Add(sectionPath, MItemOutcome::Failed, Localized("msgNotSupportSection"));
    return 0;
}

qint64 MReplaceTask::HandlePage(const MPageEntry& page, qint64, const QString&)
{
    const MNewTitle newTitle = NewTitle(page.title, m_Options);
    if (!newTitle.matches)
        return 0;

    m_Result += page.title;
    ShowToUI(page.title);
    const qint64 row = m_Rows.Begin(page.title);
    bool retitled = false;
    if (!newTitle.title) {
        m_Rows.End(row, page.title, MItemOutcome::Failed, newTitle.problem);
        m_Result += QStringLiteral(" %1 (%2)").arg(Localized("strFailure"), newTitle.problem);
    } else {
        const QString text = RowText(page.title, *newTitle.title);
        MFailure failure;
        retitled = ReplaceInAPage(page.id, *newTitle.title, &failure);
        if (retitled) {
            ++m_ExportFilesCount;
            m_Result += QLatin1Char(' ') + Localized("strSuccess");
            m_Rows.End(row, text, MItemOutcome::Created, QString(), page.clientUrl);
        } else if (!Running() && failure.Stopped()) {
            m_Rows.End(row, text, MItemOutcome::Skipped, failure.reason);
        } else {
            m_Result += QStringLiteral(" %1 (%2)").arg(Localized("strFailure"), failure.reason);
            m_Rows.End(row, text, MItemOutcome::Failed, failure.reason);
        }
    }
    m_Result += QLatin1Char('\n');
    ShowToUI(page.title);
    Wait(MPacer::Kind::Upload);
    return retitled ? 1 : 0;
}

bool MReplaceTask::ReplaceInAPage(const QString& pageId, const QString& title, MFailure* failure)
{
    if (!m_Context.account || m_Context.account->OnlineOneNoteAccessToken().isEmpty() || pageId.isEmpty()) {
        if (failure)
            *failure = {MAnswerFailure::NotSent, Localized("reasonNotSignedIn")};
        return false;
    }
    MHttpRequest request = ServiceRequestEncoded(
        "PATCH", QStringLiteral("%1/pages/%2/content").arg(m_Context.account->BaseUrl(), pageId), kTitleUpdateTimeout);
    SetRequestBody(request, "application/json", TitlePatchBody(title));
    // Replacing a title twice gives the same page: a PATCH whose answer was lost may go again.
    const MServiceAnswer answer = m_Session.Send(request, MExpect::Success);
    if (answer.Ok())
        return true;
    if (answer.failure != MAnswerFailure::Stopped)
        WriteLog(QStringLiteral("Retrieve page error: %1, code: %2").arg(title, answer.CodeOrReason()));
    if (failure)
        *failure = MFailure::Of(answer);
    return false;
}

void MReplaceTask::OnSectionFailed(const MNotebookNode&, const QString& sectionPath, const QString& reason)
{
    m_Rows.Add(sectionPath, MItemOutcome::Failed, reason);
}
