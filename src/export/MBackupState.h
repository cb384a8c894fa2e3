#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// One page as the mirror holds it: where its file lies (relative to the mirror's folder), the
// page's "lastModifiedDateTime" when the file was written, and the SHA-256 of what was written.
struct MBackupPage
{
    QString pageId;
    QString sectionId;
    QString modified;
    QString path;
    QString digest;
};

// A section's ".one" file as the mirror holds it: the drive item's time and size when it was fetched.
struct MBackupSectionFile
{
    QString sectionId;
    QString modified;
    qint64 size = 0;
    QString path;
    QString digest;
};

// The state file of a mirror, ".pagewright-backup.sqlite" in its folder: owner-only, SQLite in WAL,
// one row per page and per section file. A row is written only after its file is in place, so that a run killed at any
// moment leaves rows that tell the truth; a file without a row is written again by the next run.
class MBackupState
{
public:
    static constexpr const char* kFileName = ".pagewright-backup.sqlite";

    explicit MBackupState(const QString& folder);
    ~MBackupState();
    MBackupState(const MBackupState&) = delete;
    MBackupState& operator=(const MBackupState&) = delete;

    bool IsOpen() const { return m_Open; }
    QString Error() const { return m_Error; }

    std::optional<MBackupPage> Find(const QString& pageId) const;
    // The page id whose file is `path`, or "".
    QString OwnerOf(const QString& path) const;
    QList<MBackupPage> PagesOf(const QString& sectionId) const;
    bool Put(const MBackupPage& page);
    bool Remove(const QString& pageId);
    // The sections the mirror holds pages or a section file of.
    QStringList Sections() const;

    std::optional<MBackupSectionFile> FindSectionFile(const QString& sectionId) const;
    bool PutSectionFile(const MBackupSectionFile& file);
    bool RemoveSectionFile(const QString& sectionId);

    // When a run last went over every checked section without a failure; invalid before the first.
    QDateTime LastComplete() const;
    bool SetLastComplete(const QDateTime& when);

private:
    QList<MBackupPage> Select(const QString& where, const QString& value) const;

    QString m_Connection;
    bool m_Open = false;
    mutable QString m_Error;
};

// When the mirror in `folder` was last brought up to date, without opening or making a state file
// that is not there; invalid when never.
QDateTime MirrorLastComplete(const QString& folder);
