#include "MPageWalker.h"

#include "account/MAccount.h"
#include "app/Log.h"
#include "model/MONObject.h"
#include "service/ServiceCall.h"
#include "service/ServiceText.h"

namespace {

constexpr int kPageBlock = 100;
constexpr int kBlocksPerSection = 10;
constexpr int kContentTimeout = 90;
constexpr int kMetadataTimeout = 90;

} // namespace

MPageWalker::MPageWalker(const MTaskContext& context, MPagePolicy policy)
    : m_Context(context)
    , m_Policy(policy)
{ }

void MPageWalker::WalkNotebooks(const MONObject& node, const QString& path)
{
    // The count is read on every pass: the snapshot does not change, but the rule is "while there
    // are children left", not a count taken once.
    for (size_t i = 0; i < node.childCount(); ++i) {
        if (!Running())
            return;
        RefreshTokens();
        const MONObject& child = *node.child(i);
        if (child.intValue == 0)
            continue;
        if (child.objType == MONObject::Section) {
            VisitSection(child, path);
        } else {
            const QString childPath = ChildPath(path, child.name);
            EnterFolder(childPath);
            WalkNotebooks(child, childPath);
        }
    }
}

qint64 MPageWalker::VisitSection(const MONObject& section, const QString& path)
{
    return ListSection(section, path);
}

qint64 MPageWalker::ListSection(const MONObject& section, const QString& path)
{
    if (!m_Context.account || m_Context.account->OnlineOneNoteAccessToken().isEmpty())
        return 0;
    const QString sectionPath = ChildPath(path, section.name);
    EnterFolder(sectionPath);

    qint64 total = 0;
    qint64 skip = 0;
    for (int block = 0; block < kBlocksPerSection; ++block) {
        if (!Running())
            break;
        RefreshTokens();
        ShowToUI(sectionPath);
        if (m_Policy.listWait == MPagePolicy::ListWait::BeforeRequest)
            Wait(m_Policy.listWaitKind);

        const MHttpResponse response = Send(ServiceRequestEncoded(
            "GET", PageListUrl(m_Context.account->BaseUrl(), section.objId, skip), m_Policy.listTimeoutSeconds));
        if (!response.HasBody())
            break;
        const QString text = response.Text();
        if (const std::optional<QString> code = ServiceErrorCode(text)) {
            if (m_Policy.expireTokenOnInvalidToken)
                MarkTokenExpiredOnInvalidToken(*m_Context.account, text);
            const QString message
                = QStringLiteral("Retrieve page list of section '%1'  error: %2").arg(section.name, *code);
            if (m_Policy.logListError)
                WriteLog(message);
            Alert(message);
            break;
        }
        if (m_Policy.listWait == MPagePolicy::ListWait::AfterGoodResponse)
            Wait(m_Policy.listWaitKind);

        const qint64 handled = HandleBatch(*response.body, sectionPath);
        total += handled;
        if (m_Policy.endOnShortBatch && handled < kPageBlock)
            break;
        skip += kPageBlock;
    }
    return total;
}

qint64 MPageWalker::HandleBatch(const QByteArray& body, const QString& sectionPath)
{
    const QList<MPageEntry> pages = ParsePageList(body);
    qint64 handled = 0;
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (!Running())
            break;
        RefreshTokens();
        MPageEntry page = pages.at(i);
        // Untitled pages take their index in this batch, so the second batch starts at "0" again.
        if (page.title.isEmpty() && !m_Policy.keepEmptyTitle)
            page.title = QString::number(i);
        handled += HandlePage(page, i, sectionPath);
        if (m_Policy.waitBetweenPages)
            Wait(MPacer::Kind::Download);
    }
    return m_Policy.batchCountsEntries ? pages.size() : handled;
}

QString MPageWalker::GetPageContent(const QString& pageId, const QString& title)
{
    if (!m_Context.account || m_Context.account->OnlineOneNoteAccessToken().isEmpty() || pageId.isEmpty())
        return QString();
    if (m_Policy.waitBeforeContent)
        Wait(MPacer::Kind::Download);
    const std::optional<QString> text = GetText(PageContentUrl(m_Context.account->BaseUrl(), pageId), kContentTimeout);
    if (!text)
        return QString();
    if (const std::optional<QString> code = ServiceErrorCode(*text)) {
        if (m_Policy.expireTokenOnInvalidToken)
            MarkTokenExpiredOnInvalidToken(*m_Context.account, *text);
        WriteLog(QStringLiteral("Retrieve page error: %1, code: %2").arg(title, *code));
        return QString();
    }
    return *text;
}

QString MPageWalker::GetPageOneNoteClientUrl(const QString& pageId)
{
    if (!m_Context.account || m_Context.account->OnlineOneNoteAccessToken().isEmpty() || pageId.isEmpty())
        return QString();
    const std::optional<QString> text
        = GetText(PageMetadataUrl(m_Context.account->BaseUrl(), pageId), kMetadataTimeout);
    return text ? ClientUrlFromPageMetadata(*text) : QString();
}

void MPageWalker::EnterFolder(const QString&) { }

QString MPageWalker::ChildPath(const QString& path, const QString& name) const
{
    return path + QLatin1Char('/') + name;
}

MHttpResponse MPageWalker::Send(const MHttpRequest& request)
{
    return SendAuthorized(*m_Context.account, request);
}

std::optional<QString> MPageWalker::GetText(const QString& url, int timeoutSeconds)
{
    const MHttpResponse response = Send(ServiceRequestEncoded("GET", url, timeoutSeconds));
    if (!response.HasBody())
        return std::nullopt;
    return response.Text();
}

void MPageWalker::ShowToUI(const QString& status)
{
    if (m_Context.reporter)
        m_Context.reporter->ShowMessage(m_Result, status);
}

void MPageWalker::Alert(const QString& text)
{
    if (m_Context.reporter)
        m_Context.reporter->Alert(text);
}

void MPageWalker::Wait(MPacer::Kind kind)
{
    if (m_Context.pacer)
        m_Context.pacer->Wait(kind);
}

void MPageWalker::RefreshTokens()
{
    if (m_Context.account)
        m_Context.account->RefreshTokens(false);
}
