#include "MarkdownContext.h"

#include "MarkdownText.h"
#include "util/FileUtils.h"
#include "util/TextEscape.h"

#include <QSet>

namespace {

QString ExtensionForMime(const QString& mimeType)
{
    QString subtype = mimeType.section(QLatin1Char('/'), 1).section(QLatin1Char(';'), 0, 0);
    subtype = subtype.section(QLatin1Char('+'), 0, 0).trimmed().toLower();
    if (subtype == QLatin1String("jpeg"))
        return QStringLiteral("jpg");
    subtype.removeIf([](QChar c) { return !(c.isLetterOrNumber() && c.unicode() < 128); });
    return subtype;
}

} // namespace

bool MNoteTag::IsCheckbox() const
{
    static const QSet<QString> boxes {QStringLiteral("to-do"), QStringLiteral("to-do-priority-1"),
        QStringLiteral("to-do-priority-2"), QStringLiteral("discuss-with-person-a"),
        QStringLiteral("discuss-with-person-b"), QStringLiteral("discuss-with-manager"),
        QStringLiteral("send-in-email"), QStringLiteral("schedule-meeting"), QStringLiteral("call-back"),
        QStringLiteral("client-request")};
    return completed || boxes.contains(shape);
}

QString MNoteTag::Hashtag() const
{
    QString name = shape;
    // Editors end a tag at the first character that is not a letter, digit, "-", "_" or "/".
    for (QChar& c : name)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_') && c != QLatin1Char('/'))
            c = QLatin1Char('-');
    return name.isEmpty() ? QString() : QLatin1Char('#') + name;
}

std::vector<MNoteTag> ParseNoteTags(const QString& dataTag)
{
    std::vector<MNoteTag> tags;
    for (const QString& part : dataTag.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        MNoteTag tag;
        tag.shape = part.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
        tag.completed
            = part.section(QLatin1Char(':'), 1).trimmed().compare(QLatin1String("completed"), Qt::CaseInsensitive) == 0;
        if (!tag.shape.isEmpty())
            tags.push_back(tag);
    }
    return tags;
}

QString MLinkTarget::MarkdownDestination() const
{
    return isPath ? MarkdownPathDestination(target) : ::MarkdownDestination(target);
}

QString MLinkTarget::HtmlHref() const
{
    QString href = target;
    if (isPath)
        href.replace(QLatin1Char('%'), QStringLiteral("%25"))
            .replace(QLatin1Char('#'), QStringLiteral("%23"))
            .replace(QLatin1Char('?'), QStringLiteral("%3F"));
    return EscapeHtmlAttribute(href);
}

MMarkdownContext::MMarkdownContext(const MMarkdownTargets& targets)
    : m_Targets(targets)
{ }

MLinkTarget MMarkdownContext::Image(const pugi::xml_node& img)
{
    MMarkdownResource resource;
    resource.kind = MMarkdownResource::Kind::Image;
    // The full-resolution picture is the one worth keeping; "src" may be a smaller rendition.
    const bool fullResolution = !PageAttribute(img, "data-fullres-src").isEmpty();
    resource.address = PageAttribute(img, fullResolution ? "data-fullres-src" : "src");
    resource.mimeType = PageAttribute(img, fullResolution ? "data-fullres-src-type" : "data-src-type");
    const QString extension = ExtensionForMime(resource.mimeType);
    resource.suggestedName = QStringLiteral("image-%1").arg(m_Images + 1)
        + (extension.isEmpty() ? QString() : QLatin1Char('.') + extension);
    return Resource(resource);
}

MLinkTarget MMarkdownContext::Attachment(const pugi::xml_node& object, QString& name)
{
    name = PageAttribute(object, "data-attachment");
    MMarkdownResource resource;
    resource.kind = MMarkdownResource::Kind::Attachment;
    resource.address = PageAttribute(object, "data");
    resource.mimeType = PageAttribute(object, "type");
    resource.suggestedName = SafePathComponent(name.trimmed());
    if (resource.suggestedName.isEmpty())
        resource.suggestedName = QStringLiteral("attachment");
    if (name.trimmed().isEmpty())
        name = resource.suggestedName;
    return Resource(resource);
}

MLinkTarget MMarkdownContext::Resource(MMarkdownResource resource)
{
    if (resource.address.isEmpty())
        return {};
    if (const auto known = m_ResourcePaths.constFind(resource.address); known != m_ResourcePaths.constEnd())
        return known->isEmpty() ? MLinkTarget {resource.address, false} : MLinkTarget {*known, true};
    if (resource.kind == MMarkdownResource::Kind::Image)
        ++m_Images;
    resource.path = m_Targets.resourcePath ? m_Targets.resourcePath(resource) : QString();
    m_ResourcePaths.insert(resource.address, resource.path);
    if (resource.path.isEmpty())
        return {resource.address, false};
    m_Result.resources.push_back(resource);
    return {resource.path, true};
}

MLinkTarget MMarkdownContext::Link(const QString& href)
{
    if (m_Targets.pagePath)
        if (const std::optional<QString> path = m_Targets.pagePath(href))
            return {*path, true};
    if (IsOneNoteLink(href) && !m_Result.outsideLinks.contains(href))
        m_Result.outsideLinks << href;
    return {href, false};
}

void MMarkdownContext::AddPageTags(const std::vector<MNoteTag>& tags)
{
    for (const MNoteTag& tag : tags) {
        const QString name = tag.Hashtag().mid(1);
        if (!name.isEmpty() && !m_Tags.contains(name))
            m_Tags << name;
    }
}
