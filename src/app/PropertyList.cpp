#include "PropertyList.h"

#include <QDateTime>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

std::optional<QVariant> ReadValue(QXmlStreamReader& xml);

std::optional<QVariantMap> ReadDict(QXmlStreamReader& xml)
{
    QVariantMap dict;
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("key"))
            return std::nullopt;
        const QString key = xml.readElementText();
        if (!xml.readNextStartElement())
            return std::nullopt;
        auto value = ReadValue(xml);
        if (!value)
            return std::nullopt;
        dict.insert(key, *value);
    }
    if (xml.hasError())
        return std::nullopt;
    return dict;
}

std::optional<QVariant> ReadValue(QXmlStreamReader& xml)
{
    const auto name = xml.name();
    if (name == QLatin1String("string"))
        return QVariant(xml.readElementText());
    if (name == QLatin1String("integer")) {
        bool ok = false;
        const qint64 v = xml.readElementText().trimmed().toLongLong(&ok);
        return ok ? std::optional<QVariant>(QVariant(v)) : std::nullopt;
    }
    if (name == QLatin1String("real"))
        return QVariant(xml.readElementText().trimmed().toDouble());
    if (name == QLatin1String("true") || name == QLatin1String("false")) {
        const bool v = name == QLatin1String("true");
        xml.skipCurrentElement();
        return QVariant(v);
    }
    if (name == QLatin1String("date"))
        return QVariant(QDateTime::fromString(xml.readElementText().trimmed(), Qt::ISODate));
    if (name == QLatin1String("data"))
        return QVariant(QByteArray::fromBase64(xml.readElementText().toLatin1()));
    if (name == QLatin1String("dict")) {
        auto dict = ReadDict(xml);
        return dict ? std::optional<QVariant>(QVariant(*dict)) : std::nullopt;
    }
    if (name == QLatin1String("array")) {
        QVariantList list;
        while (xml.readNextStartElement()) {
            auto v = ReadValue(xml);
            if (!v)
                return std::nullopt;
            list.append(*v);
        }
        return QVariant(list);
    }
    return std::nullopt;
}

void WriteValue(QXmlStreamWriter& xml, const QVariant& value);

void WriteDict(QXmlStreamWriter& xml, const QVariantMap& dict)
{
    xml.writeStartElement(QStringLiteral("dict"));
    for (auto it = dict.cbegin(); it != dict.cend(); ++it) {
        xml.writeTextElement(QStringLiteral("key"), it.key());
        WriteValue(xml, it.value());
    }
    xml.writeEndElement();
}

void WriteValue(QXmlStreamWriter& xml, const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        xml.writeEmptyElement(value.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
        break;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        xml.writeTextElement(QStringLiteral("integer"), QString::number(value.toLongLong()));
        break;
    case QMetaType::Double:
        xml.writeTextElement(QStringLiteral("real"), QString::number(value.toDouble(), 'g', 17));
        break;
    case QMetaType::QDateTime:
        xml.writeTextElement(QStringLiteral("date"), value.toDateTime().toUTC().toString(Qt::ISODate));
        break;
    case QMetaType::QByteArray:
        xml.writeTextElement(QStringLiteral("data"), QString::fromLatin1(value.toByteArray().toBase64()));
        break;
    case QMetaType::QVariantMap:
        WriteDict(xml, value.toMap());
        break;
    case QMetaType::QVariantList:
        xml.writeStartElement(QStringLiteral("array"));
        for (const QVariant& v : value.toList())
            WriteValue(xml, v);
        xml.writeEndElement();
        break;
    default:
        xml.writeTextElement(QStringLiteral("string"), value.toString());
        break;
    }
}

} // namespace

std::optional<QVariantMap> ParsePropertyList(const QByteArray& bytes)
{
    QXmlStreamReader xml(bytes);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("plist"))
        return std::nullopt;
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("dict"))
        return std::nullopt;
    return ReadDict(xml);
}

QByteArray SerializePropertyList(const QVariantMap& dict)
{
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(-1); // tabs, as property lists are usually written
    xml.writeStartDocument();
    xml.writeDTD(QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"));
    xml.writeStartElement(QStringLiteral("plist"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    WriteDict(xml, dict);
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}
