#include "EnexPageSender.h"

#include "app/MStrings.h"
#include "service/MServiceSession.h"
#include "tasks/ContainerRequest.h"
#include "util/Formats.h"

QList<MPagePart> PartsFromResources(const MResourceList& resources)
{
    QList<MPagePart> parts;
    parts.reserve(resources.size());
    for (const MResourceObject& resource : resources) {
        if (resource.bytes.isEmpty())
            continue; // an empty part would arrive as nothing at all; the page does not name it
        const QByteArray type
            = resource.mime.isEmpty() ? QByteArray("application/octet-stream") : resource.mime.toUtf8();
        parts.append(MPagePart {resource.hashValue, type, resource.bytes});
    }
    return parts;
}

MCreationOutcome CreateNewPageInOnlineOneNote(MServiceSession& session, const QString& sectionUrl, const QString& title,
    const QString& html, const MResourceList& resources)
{
    return CreatePageInOnlineOneNote(
        session, MPageCreationPolicy::Enex(), sectionUrl, title, html, PartsFromResources(resources));
}

QString MServiceEnexSender::CreateSection(const QString& parentUrl, const QString& name, QString* failure)
{
    return CreateNewSectionInOnlineOneNote(m_Session, parentUrl, name, failure);
}

MCreationOutcome MServiceEnexSender::CreatePage(
    const QString& sectionUrl, const QString& title, const QString& html, const MResourceList& resources)
{
    return CreateNewPageInOnlineOneNote(m_Session, sectionUrl, title, html, resources);
}

std::optional<QJsonObject> MServiceEnexSender::FindPage(
    const QString& sectionUrl, const QString& title, QString* failure)
{
    return FindPageMadeInThisRun(
        m_Session, MPageCreationPolicy::Enex().PagesUrl(m_Session.Account(), sectionUrl), title, failure);
}

void MServiceEnexSender::ContinueRun(qint64 runStartMs, const QStringList& createdPageIds)
{
    m_Session.SetRunStartMs(runStartMs);
    for (const QString& id : createdPageIds)
        m_Session.RememberCreated(id);
}

QString MDryRunEnexSender::CreateSection(const QString& parentUrl, const QString& name, QString* failure)
{
    if (parentUrl.isEmpty()) {
        if (failure)
            *failure = Localized("reasonNoTarget");
        return QString();
    }
    const QString url = parentUrl + QStringLiteral("/sections/(new:") + name + QLatin1Char(')');
    const QString label = Label(parentUrl) + QLatin1Char('/') + name;
    m_Labels.insert(url, label);
    m_Print(QStringLiteral("new section: %1").arg(label));
    return url;
}

MCreationOutcome MDryRunEnexSender::CreatePage(
    const QString& sectionUrl, const QString& title, const QString& html, const MResourceList& resources)
{
    MCreationOutcome outcome;
    if (sectionUrl.isEmpty()) {
        outcome.code = kCreationNoTarget;
        outcome.reason = Localized("reasonNoTarget");
        return outcome;
    }
    const QList<MPagePart> parts = PartsFromResources(resources);
    const qint64 size = PageBodySize(WithoutMissingParts(html, parts, {}, &outcome.missingParts), parts);
    ++m_Pages;
    m_BodyBytes += size;
    m_Print(QStringLiteral("page: %1 -> %2 (%3, %4 parts)")
                .arg(title, Label(sectionUrl), FormatByteSize(size), QString::number(parts.size())));
    for (const MPagePart& part : parts) {
        m_Print(QStringLiteral("  part: %1 %2 %3")
                    .arg(part.name, QString::fromUtf8(part.contentType), FormatByteSize(part.bytes.size())));
    }
    outcome.code = kCreationCreated;
    return outcome;
}
