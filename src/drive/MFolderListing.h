#pragma once

#include <QJsonObject>
#include <QString>

// A OneDrive folder's children as read once, plus what this run has put there since: a name given
// to a copy or an upload is taken from then on, so that two items of one name sent to one folder in
// one run get two names, and a folder made by the run is found (and filled) by the next item that
// needs a folder of that name.
class MFolderListing
{
public:
    MFolderListing() = default;
    explicit MFolderListing(QJsonObject listing)
        : m_Listing(std::move(listing))
    { }
    // Parses a children listing as MOLODUtils reads it.
    static MFolderListing FromJson(const QByteArray& json);

    const QJsonObject& Json() const { return m_Listing; }

    // The first folder (or, with foldersOnly false, any item) of that name ignoring case: its id,
    // and its size in `size`; "" when there is none.
    QString FolderId(const QString& name, qint64& size, bool foldersOnly = true) const;
    // A section file name the folder does not hold: "<base>.one", else "<base> (1).one", ...
    QString UniqueSectionFileName(const QString& baseName) const;
    // A file or a folder this run made in the folder.
    void AddFile(const QString& name, const QString& id, qint64 size);
    void AddFolder(const QString& name, const QString& id);

private:
    QJsonObject m_Listing;
};
