#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QString>
#include <optional>
#include <vector>

// Compact JSON in the order the fields are written, as the services write it: no blank after a
// colon, members in their documented order (QJsonDocument would sort them by name).
class MJsonWriter
{
public:
    MJsonWriter& BeginObject();
    MJsonWriter& EndObject();
    MJsonWriter& BeginArray();
    MJsonWriter& EndArray();
    MJsonWriter& Key(const char* key);
    MJsonWriter& Key(const QString& key);
    MJsonWriter& String(const QString& value);
    MJsonWriter& Number(qint64 value);
    MJsonWriter& Bool(bool value);
    MJsonWriter& Null();
    // An already serialised JSON value.
    MJsonWriter& Raw(const QByteArray& json);

    // Shorthands for a member.
    MJsonWriter& Field(const char* key, const QString& value) { return Key(key).String(value); }
    MJsonWriter& Field(const char* key, qint64 value) { return Key(key).Number(value); }
    MJsonWriter& FieldBool(const char* key, bool value) { return Key(key).Bool(value); }

    const QByteArray& Text() const { return m_Out; }

private:
    void BeforeValue();
    QByteArray m_Out;
    std::vector<bool> m_First; // one entry per open container: nothing written in it yet
    bool m_AfterKey = false;
};

QByteArray JsonQuote(const QString& text);

// How an answer's JSON is written. The plain style is MJsonWriter's; the real services write the same
// data in other forms, each of which a client must read alike.
struct MJsonStyle
{
    bool pretty = false; // indented, with CRLF line ends
    bool escapeAll = false; // "/" as "\/" and every character beyond ASCII as \uXXXX
    bool reorder = false; // every object's members in the reverse of the order they were written
    // Graph's extra fields: "@odata.context" on the answer's object (this value; none when empty),
    // "@odata.etag" on every entity, "innerError" in an error object that has none.
    QString odataContext;
    bool extraFields = false;
};

// The same JSON in `style`; the text unchanged when it is not JSON.
QByteArray RestyleJson(const QByteArray& json, const MJsonStyle& style);

// The services' readers accept more than strict JSON: the application sends bodies such as
// {'name':'New', 'folder': { }}. Single-quoted strings are read as strings; anything else must be
// JSON. Absent for text that is not readable either way.
std::optional<QJsonDocument> ParseLenientJson(const QByteArray& body);
