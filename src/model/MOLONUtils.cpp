#include "MOLONUtils.h"

#include "util/TextUtils.h"

#include <QStringList>
#include <atomic>
#include <climits>

namespace {

class MNoLinkOpener final : public MLinkOpener
{
public:
    void OpenLink(const QString&) override { }
};

std::shared_ptr<MLinkOpener>& Slot()
{
    static std::shared_ptr<MLinkOpener> slot = std::make_shared<MNoLinkOpener>();
    return slot;
}

QString Between(const QString& text, const char* start, const char* end)
{
    const QString value = GetStringBetween(text, QString::fromLatin1(start), QString::fromLatin1(end));
    return value.isNull() ? QStringLiteral("") : value;
}

int HexDigit(QChar c)
{
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        return c.unicode() - '0';
    if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
        return c.unicode() - 'a' + 10;
    if (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        return c.unicode() - 'A' + 10;
    return -1;
}

} // namespace

QString PageIdFromLink(const QString& link)
{
    const QString braced = Between(link, "page-id={", "}");
    return braced.isEmpty() ? Between(link, "page-id=", "&") : braced;
}

QString ObjectIdFromLink(const QString& link)
{
    const QString withBasePath = Between(link, "object-id={", "&base-path=");
    return withBasePath.isEmpty() ? Between(link, "object-id=", "") : withBasePath;
}

QString ObjectIdToElementId(const QString& objectId)
{
    const qsizetype amp = objectId.indexOf(QLatin1Char('&'));
    QString id = amp < 0 ? objectId : objectId.left(amp);
    const int number = amp < 0 ? 0 : HexToInt(objectId.mid(amp + 1));
    // The id may come with both braces, none, or only the closing one (the object field of a link
    // with a base path has its opening brace in the field marker); each gives one pair of braces.
    if (id.startsWith(QLatin1Char('{')))
        id.remove(0, 1);
    if (id.endsWith(QLatin1Char('}')))
        id.chop(1);
    return QStringLiteral("{%1}{%2}").arg(id).arg(number);
}

QString ElementIdToObjectId(const QString& elementId)
{
    const QString id = Between(elementId, "{", "}");
    const int number = Between(elementId, "}{", "}").toInt();
    return id + QLatin1Char('&') + QStringLiteral("%1").arg(number, 2, 16, QLatin1Char('0')).toUpper();
}

QString InsertObjectIdIntoLink(const QString& linkTemplate, const QString& elementIdAttribute)
{
    const QString objectId = ElementIdToObjectId(Between(elementIdAttribute, ":", ""));
    QString link = linkTemplate;
    return link.replace(QLatin1String("&end"), QStringLiteral("&object-id=%1").arg(objectId));
}

QString DecodeAmpEntities(const QString& text)
{
    QString result = text;
    return result.replace(QLatin1String("&amp;"), QLatin1String("&"));
}

QString ProtectAmpersands(const QString& text)
{
    QString result = text;
    return result.replace(QLatin1Char('&'), QChar(0x00A0));
}

QString UnprotectAmpersands(const QString& text)
{
    QString result = text;
    return result.replace(QChar(0x00A0), QLatin1Char('&'));
}

int HexToInt(const QString& text)
{
    int value = 0;
    for (const QChar c : text) {
        const int digit = HexDigit(c);
        if (digit < 0 || value > (INT_MAX - digit) / 16)
            break;
        value = value * 16 + digit;
    }
    return value;
}

QString OneNoteLinkWebPart(const QString& link)
{
    return link.startsWith(QLatin1String("onenote:")) ? link.mid(8) : link;
}

void SetLinkOpener(std::shared_ptr<MLinkOpener> opener)
{
    std::atomic_store(&Slot(), opener ? std::move(opener) : std::make_shared<MNoLinkOpener>());
}

void OpenLinkInOneNote(const QString& link)
{
    std::atomic_load(&Slot())->OpenLink(link);
}
