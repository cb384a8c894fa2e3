#include "MConfig.h"

#include "PrivateFiles.h"
#include "PropertyList.h"
#include "util/FileUtils.h"

#include <QFile>
#include <QSaveFile>
#include <mutex>

namespace {

const QString kDateFormat = QStringLiteral("yyyyMMdd");

// Serialises the read-merge-write of every save in the process.
std::mutex& SaveMutex()
{
    static std::mutex mutex;
    return mutex;
}

enum class MLoad { Missing, Unreadable, Loaded };

MLoad LoadDict(const QString& path, QVariantMap& dict)
{
    QFile file(path);
    if (!file.exists())
        return MLoad::Missing;
    if (!file.open(QIODevice::ReadOnly))
        return MLoad::Unreadable;
    auto parsed = ParsePropertyList(file.readAll());
    if (!parsed)
        return MLoad::Unreadable;
    dict = std::move(*parsed);
    return MLoad::Loaded;
}

} // namespace

MConfig::MConfig(const QString& filePath)
    : m_FilePath(filePath)
{
    LoadDict(m_FilePath, m_Dict);
}

QString MConfig::ReadValue(const QString& key, const QString& defStr) const
{
    const auto it = m_Dict.constFind(key);
    return it == m_Dict.cend() ? defStr : it->toString();
}

bool MConfig::ReadValue(const QString& key, bool defBool) const
{
    const auto it = m_Dict.constFind(key);
    return it == m_Dict.cend() ? defBool : it->toBool();
}

qint64 MConfig::ReadValue(const QString& key, qint64 defInt) const
{
    const auto it = m_Dict.constFind(key);
    return it == m_Dict.cend() ? defInt : it->toLongLong();
}

QDateTime MConfig::ReadValue(const QString& key, const QDateTime& defDate) const
{
    const auto it = m_Dict.constFind(key);
    if (it == m_Dict.cend())
        return defDate;
    const QDate day = QDate::fromString(it->toString(), kDateFormat);
    if (!day.isValid())
        return QDateTime();
    return QDateTime(day, QTime(0, 0), Qt::LocalTime);
}

void MConfig::Store(const QString& key, const QVariant& value)
{
    m_Dict.insert(key, value);
    m_Written.insert(key);
}

void MConfig::WriteValue(const QString& key, const QString& valueStr)
{
    Store(key, valueStr);
}

void MConfig::WriteValue(const QString& key, qint64 valueInt)
{
    Store(key, valueInt);
}

void MConfig::WriteValue(const QString& key, bool valueBool)
{
    Store(key, valueBool);
}

void MConfig::WriteValue(const QString& key, const QDateTime& valueDate)
{
    Store(key, valueDate.toLocalTime().date().toString(kDateFormat));
}

void MConfig::RemoveValue(const QString& key)
{
    m_Dict.remove(key);
    m_Written.insert(key);
}

bool MConfig::Save()
{
    const std::lock_guard lock(SaveMutex());

    QVariantMap onDisk;
    if (LoadDict(m_FilePath, onDisk) == MLoad::Unreadable) {
        // Keep the file we could not read beside the new one instead of writing over it: it may be
        // repairable, and otherwise no setting could ever be saved again.
        const QString aside
            = MUtils::getFilePathNewName(m_FilePath + QStringLiteral(".unreadable"), QStringLiteral(".unreadable"));
        QFile::rename(m_FilePath, aside);
    }
    for (const QString& key : std::as_const(m_Written)) {
        if (m_Dict.contains(key))
            onDisk.insert(key, m_Dict.value(key));
        else
            onDisk.remove(key);
    }

    // Written to a temporary file and renamed over the old one: a crash or a full disk mid-write
    // must never leave a truncated settings file, which would lose the tokens.
    QSaveFile file(m_FilePath);
    if (!OpenPrivately(file, QIODevice::WriteOnly))
        return false;
    if (file.write(SerializePropertyList(onDisk)) < 0)
        return false;
    if (!file.commit())
        return false;
    m_Dict = onDisk;
    return true;
}
