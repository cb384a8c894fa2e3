#pragma once

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QVariantMap>

// The settings file: a property-list dictionary of key -> value (strings, integers, booleans; dates
// as "yyyyMMdd" strings). Each user of the settings makes its own MConfig, reads or writes values and
// calls Save. Save merges: it re-reads the file and writes back only the keys this object wrote, so
// two savers on different threads never undo each other's keys, and the last save wins per key.
class MConfig
{
public:
    explicit MConfig(const QString& filePath);

    QString ReadValue(const QString& key, const QString& defStr) const;
    QString ReadValue(const QString& key, const char* defStr) const
    {
        return ReadValue(key, QString::fromUtf8(defStr));
    }
    bool ReadValue(const QString& key, bool defBool) const;
    qint64 ReadValue(const QString& key, qint64 defInt) const;
    qint64 ReadValue(const QString& key, int defInt) const { return ReadValue(key, qint64(defInt)); }
    // Midnight (local time) of the stored "yyyyMMdd" day; the default when the key is missing; an
    // invalid QDateTime ("no date") when the stored text does not parse.
    QDateTime ReadValue(const QString& key, const QDateTime& defDate) const;

    void WriteValue(const QString& key, const QString& valueStr);
    void WriteValue(const QString& key, const char* valueStr) { WriteValue(key, QString::fromUtf8(valueStr)); }
    void WriteValue(const QString& key, qint64 valueInt);
    void WriteValue(const QString& key, int valueInt) { WriteValue(key, qint64(valueInt)); }
    void WriteValue(const QString& key, bool valueBool);
    void WriteValue(const QString& key, const QDateTime& valueDate);
    // The key leaves the file at the next Save.
    void RemoveValue(const QString& key);

    // Writes the file atomically, readable by its owner only (it holds tokens).
    bool Save();

    bool Contains(const QString& key) const { return m_Dict.contains(key); }
    const QString& FilePath() const { return m_FilePath; }

private:
    void Store(const QString& key, const QVariant& value);

    QString m_FilePath;
    QVariantMap m_Dict;
    QSet<QString> m_Written;
};
