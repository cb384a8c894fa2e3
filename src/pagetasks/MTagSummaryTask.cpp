#include "MTagSummaryTask.h"

#include "account/MAccount.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "model/MOLONUtils.h"
#include "net/AnswerJson.h"
#include "tasks/MPageWalker.h"
#include "tasks/PageRequest.h"
#include "util/TextEscape.h"

#include <QJsonObject>
#include <QSet>

QString GenerateTagSummaryPageHtml(const QList<MTagItem>& shown)
{
    QString html = QStringLiteral("<!DOCTYPE html>\n <html><head><title>%1</title></head><body>\n")
                       .arg(EscapeHtmlText(QString::fromLatin1(kTagSummaryTitle)));
    QSet<QString> used;
    for (const MTagItem& item : shown) {
        // Elements without an id are told apart by their page and text.
        const QString key = item.objectId.isEmpty() ? item.pageId + QLatin1Char('\n') + item.text : item.objectId;
        if (used.contains(key))
            continue;
        used.insert(key);
        html += QStringLiteral("\n<p data-tag=\"%1\"><a href=\"%2\">%3</a></p>")
                    .arg(EscapeHtmlAttribute(item.dataTag), EscapeHtmlAttribute(item.link), EscapeHtmlText(item.text));
    }
    return html + QStringLiteral("\n</body></html>");
}

MTagSummaryTask::MTagSummaryTask(
    const MTaskContext& context, QString sectionId, QList<MTagItem> shown, bool offerToOpen)
    : m_Context(context)
    , m_SectionId(std::move(sectionId))
    , m_Shown(std::move(shown))
    , m_Rows(context.reporter)
    , m_OfferToOpen(offerToOpen)
{ }

std::optional<QString> MTagSummaryTask::StartProblem(const MNotebookNode* tree, qsizetype shownCount)
{
    if (const std::optional<QString> problem = NothingChecked(tree))
        return problem;
    if (shownCount == 0)
        return QString();
    return std::nullopt;
}

void MTagSummaryTask::ThreadRun()
{
    MTaskReporter* reporter = m_Context.reporter;
    m_Context.RefreshTokens();
    const QString title = QString::fromLatin1(kTagSummaryTitle);
    const qint64 row = m_Rows.Begin(title);
    MServiceSession session = SessionFor(m_Context);
    const MCreationOutcome outcome = CreatePageInOnlineOneNote(
        session, MPageCreationPolicy::NotesAndFiles(), m_SectionId, title, GenerateTagSummaryPageHtml(m_Shown), {});
    if (!outcome.Created()) {
        m_Rows.End(row, title, MItemOutcome::Failed, outcome.reason);
        if (reporter) {
            reporter->Alert(Localized("strCreateTagSummaryFailure"));
            reporter->Finish(Localized("strFinish"));
        }
        return;
    }
    m_Created = true;
    m_Link = LinkHref(AnswerObject(outcome.answer.toUtf8()).value_or(QJsonObject()), QLatin1String("oneNoteClientUrl"));
    m_Rows.End(row, title, MItemOutcome::Created, QString(), m_Link);
    if (reporter && m_OfferToOpen && !m_Link.isEmpty() && reporter->Ask(Localized("askCreateTagSummary")))
        OpenLinkInOneNote(m_Link);
    if (reporter)
        reporter->Finish(Localized("strFinish"));
}
