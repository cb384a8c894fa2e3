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

// The services' readers accept more than strict JSON: the application sends bodies such as
// {'name':'New', 'folder': { }}. Single-quoted strings are read as strings; anything else must be
// JSON. Absent for text that is not readable either way.
std::optional<QJsonDocument> ParseLenientJson(const QByteArray& body);
