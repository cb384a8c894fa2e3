#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A fresh folder per test, removed with the object.
class MTempDir
{
public:
    MTempDir() { m_Dir.setAutoRemove(true); }
    QString Path() const { return m_Dir.path(); }
    QString FilePath(const QString& name) const { return m_Dir.filePath(name); }
    // Writes `bytes` to `name` below the folder, creating parent folders; returns the full path.
    QString WriteFile(const QString& name, const QByteArray& bytes) const;
    // Empties the folder (it stays).
    void Clear() const;

private:
    QTemporaryDir m_Dir;
};

// Reads a whole file; an empty array when it cannot be read.
QByteArray ReadAll(const QString& path);
inline QString ReadText(const QString& path)
{
    return QString::fromUtf8(ReadAll(path));
}
