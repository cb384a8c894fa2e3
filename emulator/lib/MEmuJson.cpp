#include "MEmuJson.h"

#include <QJsonParseError>

MJsonWriter& MJsonWriter::BeginObject()
{
    BeforeValue();
    m_Out += '{';
    m_First.push_back(true);
    return *this;
}

MJsonWriter& MJsonWriter::EndObject()
{
    m_Out += '}';
    m_First.pop_back();
    return *this;
}

MJsonWriter& MJsonWriter::BeginArray()
{
    BeforeValue();
    m_Out += '[';
    m_First.push_back(true);
    return *this;
}

MJsonWriter& MJsonWriter::EndArray()
{
    m_Out += ']';
    m_First.pop_back();
    return *this;
}

MJsonWriter& MJsonWriter::Key(const char* key)
{
    return Key(QString::fromUtf8(key));
}

MJsonWriter& MJsonWriter::Key(const QString& key)
{
    BeforeValue();
    m_Out += JsonQuote(key);
    m_Out += ':';
    m_AfterKey = true;
    return *this;
}

MJsonWriter& MJsonWriter::String(const QString& value)
{
    BeforeValue();
    m_Out += JsonQuote(value);
    return *this;
}

MJsonWriter& MJsonWriter::Number(qint64 value)
{
    BeforeValue();
    m_Out += QByteArray::number(value);
    return *this;
}

MJsonWriter& MJsonWriter::Bool(bool value)
{
    BeforeValue();
    m_Out += value ? "true" : "false";
    return *this;
}

MJsonWriter& MJsonWriter::Null()
{
    BeforeValue();
    m_Out += "null";
    return *this;
}

MJsonWriter& MJsonWriter::Raw(const QByteArray& json)
{
    BeforeValue();
    m_Out += json;
    return *this;
}

void MJsonWriter::BeforeValue()
{
    if (m_AfterKey) {
        m_AfterKey = false;
        return;
    }
    if (m_First.empty())
        return;
    if (!m_First.back())
        m_Out += ',';
    m_First.back() = false;
}

QByteArray JsonQuote(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() + 2);
    out += '"';
    qsizetype plainStart = 0; // characters that need no escape are copied in runs
    auto flush = [&](qsizetype end) {
        if (end > plainStart)
            out += QStringView(text).mid(plainStart, end - plainStart).toUtf8();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u >= 0x20 && u != '"' && u != '\\')
            continue;
        flush(i);
        plainStart = i + 1;
        switch (u) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0')).toLatin1();
        }
    }
    flush(text.size());
    out += '"';
    return out;
}

namespace {

// Rewrites single-quoted strings as double-quoted ones; double-quoted strings pass unchanged.
QByteArray DoubleQuoted(const QByteArray& body)
{
    QByteArray out;
    out.reserve(body.size());
    char quote = 0;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (quote == 0) {
            if (c == '\'') {
                quote = c;
                out += '"';
            } else {
                if (c == '"')
                    quote = c;
                out += c;
            }
            continue;
        }
        if (c == '\\' && i + 1 < body.size()) {
            if (quote == '\'' && body[i + 1] == '\'') {
                out += '\'';
            } else {
                out += c;
                out += body[i + 1];
            }
            ++i;
            continue;
        }
        if (c == quote) {
            out += '"';
            quote = 0;
        } else if (quote == '\'' && c == '"') {
            out += "\\\"";
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::optional<QJsonDocument> ParseLenientJson(const QByteArray& body)
{
    QJsonParseError error;
    QJsonDocument doc = QJsonDocument::fromJson(body, &error);
    if (error.error == QJsonParseError::NoError)
        return doc;
    doc = QJsonDocument::fromJson(DoubleQuoted(body), &error);
    if (error.error == QJsonParseError::NoError)
        return doc;
    return std::nullopt;
}
