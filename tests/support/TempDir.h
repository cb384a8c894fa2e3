#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh folder per test, removed with the object.
class MTempDir
{
public:
    MTempDir() { m_Dir.setAutoRemove(true); }
    QString Path() const { return m_Dir.path(); }
    QString FilePath(const QString& name) const { return m_Dir.filePath(name); }

private:
    QTemporaryDir m_Dir;
};
