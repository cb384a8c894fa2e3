#include "MEmuJson.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QJsonParseError>
#include <QUuid>

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

namespace {

// A JSON value with its object members in the order they were written (QJsonObject sorts them).
struct JsonNode
{
    enum Kind { Object, Array, String, Literal };
    Kind kind = Literal;
    QString text; // a string's value, or a number's or literal's source text
    std::vector<std::pair<QString, JsonNode>> members;
    std::vector<JsonNode> items;

    JsonNode* Member(QLatin1String key)
    {
        for (auto& [name, value] : members)
            if (name == key)
                return &value;
        return nullptr;
    }
};

class JsonReader
{
public:
    explicit JsonReader(const QByteArray& text)
        : m_Text(text)
    { }

    std::optional<JsonNode> Document()
    {
        std::optional<JsonNode> node = Value(0);
        SkipBlanks();
        if (!node || m_Pos != m_Text.size())
            return std::nullopt;
        return node;
    }

private:
    static constexpr int kDeepest = 256;

    void SkipBlanks()
    {
        while (m_Pos < m_Text.size()
            && (m_Text[m_Pos] == ' ' || m_Text[m_Pos] == '\t' || m_Text[m_Pos] == '\r' || m_Text[m_Pos] == '\n'))
            ++m_Pos;
    }

    bool Take(char c)
    {
        SkipBlanks();
        if (m_Pos < m_Text.size() && m_Text[m_Pos] == c) {
            ++m_Pos;
            return true;
        }
        return false;
    }

    std::optional<JsonNode> Value(int depth)
    {
        SkipBlanks();
        if (m_Pos >= m_Text.size() || depth > kDeepest)
            return std::nullopt;
        const char c = m_Text[m_Pos];
        if (c == '{')
            return Container(depth, JsonNode::Object, '}');
        if (c == '[')
            return Container(depth, JsonNode::Array, ']');
        JsonNode node;
        if (c == '"') {
            node.kind = JsonNode::String;
            if (!StringText(node.text))
                return std::nullopt;
            return node;
        }
        const qsizetype start = m_Pos;
        while (m_Pos < m_Text.size() && QByteArrayView("+-.0123456789Eaeflnrstu").contains(m_Text[m_Pos]))
            ++m_Pos;
        if (m_Pos == start)
            return std::nullopt;
        node.text = QString::fromLatin1(m_Text.mid(start, m_Pos - start));
        return node;
    }

    std::optional<JsonNode> Container(int depth, JsonNode::Kind kind, char close)
    {
        ++m_Pos;
        JsonNode node;
        node.kind = kind;
        if (Take(close))
            return node;
        do {
            QString key;
            if (kind == JsonNode::Object) {
                SkipBlanks();
                if (!StringText(key) || !Take(':'))
                    return std::nullopt;
            }
            std::optional<JsonNode> value = Value(depth + 1);
            if (!value)
                return std::nullopt;
            if (kind == JsonNode::Object)
                node.members.emplace_back(key, std::move(*value));
            else
                node.items.push_back(std::move(*value));
        } while (Take(','));
        if (!Take(close))
            return std::nullopt;
        return node;
    }

    bool StringText(QString& out)
    {
        if (m_Pos >= m_Text.size() || m_Text[m_Pos] != '"')
            return false;
        ++m_Pos;
        qsizetype run = m_Pos;
        while (m_Pos < m_Text.size()) {
            const char c = m_Text[m_Pos];
            if (c != '"' && c != '\\') {
                ++m_Pos;
                continue;
            }
            out += QString::fromUtf8(m_Text.mid(run, m_Pos - run));
            if (c == '"') {
                ++m_Pos;
                return true;
            }
            if (m_Pos + 1 >= m_Text.size())
                return false;
            const char e = m_Text[m_Pos + 1];
            m_Pos += 2;
            switch (e) {
            case 'b':
                out += QLatin1Char('\b');
                break;
            case 'f':
                out += QLatin1Char('\f');
                break;
            case 'n':
                out += QLatin1Char('\n');
                break;
            case 'r':
                out += QLatin1Char('\r');
                break;
            case 't':
                out += QLatin1Char('\t');
                break;
            case 'u': {
                bool ok = false;
                const ushort unit = m_Text.mid(m_Pos, 4).toUShort(&ok, 16);
                if (!ok)
                    return false;
                out += QChar(unit); // the halves of a surrogate pair join in UTF-16 by themselves
                m_Pos += 4;
                break;
            }
            default:
                out += QLatin1Char(e);
            }
            run = m_Pos;
        }
        return false;
    }

    const QByteArray& m_Text;
    qsizetype m_Pos = 0;
};

QByteArray QuoteEscapingAll(const QString& text)
{
    QByteArray out;
    out.reserve(text.size() + 8);
    out += '"';
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        switch (u) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '/':
            out += "\\/";
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
            if (u < 0x20 || u > 0x7E)
                out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0')).toLatin1();
            else
                out += char(u);
        }
    }
    out += '"';
    return out;
}

void AddGraphFields(JsonNode& node, bool top, const MJsonStyle& style)
{
    if (node.kind == JsonNode::Array)
        for (JsonNode& item : node.items)
            AddGraphFields(item, false, style);
    if (node.kind != JsonNode::Object)
        return;
    JsonNode* error = top ? node.Member(QLatin1String("error")) : nullptr;
    if (error && error->kind == JsonNode::Object) {
        if (!error->Member(QLatin1String("innerError"))) {
            JsonNode inner;
            inner.kind = JsonNode::Object;
            auto add = [&inner](const char* key, const QString& value) {
                JsonNode text;
                text.kind = JsonNode::String;
                text.text = value;
                inner.members.emplace_back(QString::fromLatin1(key), std::move(text));
            };
            add("date", QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
            add("request-id", QUuid::createUuid().toString(QUuid::WithoutBraces));
            add("client-request-id", QUuid::createUuid().toString(QUuid::WithoutBraces));
            error->members.emplace_back(QStringLiteral("innerError"), std::move(inner));
        }
        return;
    }
    auto prepend = [&node](const char* key, const QString& value) {
        JsonNode text;
        text.kind = JsonNode::String;
        text.text = value;
        node.members.insert(node.members.begin(), {QString::fromLatin1(key), std::move(text)});
    };
    const JsonNode* id = node.Member(QLatin1String("id"));
    const bool entity = id && id->kind == JsonNode::String
        && (node.Member(QLatin1String("name")) || node.Member(QLatin1String("displayName"))
            || node.Member(QLatin1String("title")));
    if (entity && !node.Member(QLatin1String("@odata.etag")))
        prepend("@odata.etag",
            QStringLiteral("W/\"%1\"")
                .arg(QString::fromLatin1(
                    QCryptographicHash::hash(id->text.toUtf8(), QCryptographicHash::Sha1).toHex().left(16))));
    if (top && !style.odataContext.isEmpty() && !node.Member(QLatin1String("@odata.context")))
        prepend("@odata.context", style.odataContext);
    for (auto& [key, value] : node.members)
        AddGraphFields(value, false, style);
}

class StyledWriter
{
public:
    explicit StyledWriter(const MJsonStyle& style)
        : m_Style(style)
    { }

    QByteArray Write(const JsonNode& node)
    {
        Value(node, 0);
        return m_Out;
    }

private:
    void LineBreak(int depth)
    {
        if (!m_Style.pretty)
            return;
        m_Out += "\r\n";
        m_Out += QByteArray(depth * 2, ' ');
    }

    QByteArray Quote(const QString& text) const { return m_Style.escapeAll ? QuoteEscapingAll(text) : JsonQuote(text); }

    void Value(const JsonNode& node, int depth)
    {
        switch (node.kind) {
        case JsonNode::String:
            m_Out += Quote(node.text);
            return;
        case JsonNode::Literal:
            m_Out += node.text.toLatin1();
            return;
        case JsonNode::Array:
            m_Out += '[';
            for (size_t i = 0; i < node.items.size(); ++i) {
                if (i > 0)
                    m_Out += ',';
                LineBreak(depth + 1);
                Value(node.items[i], depth + 1);
            }
            if (!node.items.empty())
                LineBreak(depth);
            m_Out += ']';
            return;
        case JsonNode::Object:
            m_Out += '{';
            for (size_t i = 0; i < node.members.size(); ++i) {
                const auto& [key, value] = node.members[m_Style.reorder ? node.members.size() - 1 - i : i];
                if (i > 0)
                    m_Out += ',';
                LineBreak(depth + 1);
                m_Out += Quote(key);
                m_Out += m_Style.pretty ? ": " : ":";
                Value(value, depth + 1);
            }
            if (!node.members.empty())
                LineBreak(depth);
            m_Out += '}';
            return;
        }
    }

    const MJsonStyle& m_Style;
    QByteArray m_Out;
};

} // namespace

QByteArray RestyleJson(const QByteArray& json, const MJsonStyle& style)
{
    std::optional<JsonNode> document = JsonReader(json).Document();
    if (!document)
        return json;
    if (style.extraFields)
        AddGraphFields(*document, true, style);
    return StyledWriter(style).Write(*document);
}
