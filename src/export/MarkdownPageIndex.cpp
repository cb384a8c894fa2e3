#include "MarkdownPageIndex.h"

#include "model/MOLONUtils.h"
#include "util/TextUtils.h"

#include <QStringList>

namespace {

QString Normalized(QString id)
{
    id = id.trimmed().toLower();
    id.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
    return id;
}

} // namespace

QString LinkedPageId(const QString& target)
{
    const QString decoded = RemovePercentEncoding(target).value_or(target);
    const QString pageId = PageIdFromLink(DecodeAmpEntities(decoded));
    if (!pageId.isEmpty())
        return Normalized(pageId);
    // A web address: "wd=target(Section.one|{section}/Title|{page}/)".
    const QString location = GetStringBetween(decoded, QStringLiteral("wd=target("), QStringLiteral(")"));
    if (location.isEmpty())
        return QString();
    QString last = location.section(QLatin1Char('|'), -1);
    while (last.endsWith(QLatin1Char('/')))
        last.chop(1);
    return location.contains(QLatin1Char('|')) ? Normalized(last) : QString();
}

QString RelativeFilePath(const QString& from, const QString& to)
{
    QStringList fromParts = from.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QStringList toParts = to.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (!fromParts.isEmpty())
        fromParts.removeLast();
    qsizetype common = 0;
    while (common < fromParts.size() && common + 1 < toParts.size() && fromParts[common] == toParts[common])
        ++common;
    QStringList parts;
    for (qsizetype i = common; i < fromParts.size(); ++i)
        parts << QStringLiteral("..");
    parts << toParts.mid(common);
    return parts.join(QLatin1Char('/'));
}

void MMarkdownPageIndex::Add(const QString& clientUrl, const QString& webUrl, const QString& file)
{
    if (const QString id = LinkedPageId(clientUrl); !id.isEmpty())
        m_ByPageId.insert(id, file);
    if (!webUrl.isEmpty())
        m_ByWebUrl.insert(webUrl, file);
}

std::optional<QString> MMarkdownPageIndex::FileFor(const QString& target) const
{
    if (const auto web = m_ByWebUrl.constFind(target); web != m_ByWebUrl.constEnd())
        return *web;
    if (const QString id = LinkedPageId(target); !id.isEmpty())
        if (const auto page = m_ByPageId.constFind(id); page != m_ByPageId.constEnd())
            return *page;
    return std::nullopt;
}

std::function<std::optional<QString>(const QString&)> MMarkdownPageIndex::LinksFrom(const QString& fromFile) const
{
    return [this, fromFile](const QString& target) -> std::optional<QString> {
        const std::optional<QString> file = FileFor(target);
        return file ? std::optional<QString>(RelativeFilePath(fromFile, *file)) : std::nullopt;
    };
}
