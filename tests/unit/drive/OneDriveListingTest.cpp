#include "drive/MOLODUtils.h"
#include "service/OneDriveReads.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QJsonObject Listing(const char* json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

const char* kSectionFile = R"("file":{"mimeType":"application/msonenote"})";

} // namespace

TEST(OneDriveLookup, FolderTestByPolicy)
{
    const QJsonObject listing = Listing(R"({"value":[
        {"id":"F1","name":"Work","size":10,"file":{"mimeType":"text/plain"}},
        {"id":"D1","name":"work","size":2048,"folder":{"childCount":3}}]})");
    qint64 size = -1;
    EXPECT_EQ(MOLODUtils::GetSectionGroupFolderInOneDrive(listing, u"WORK"_s, size), u"D1"_s);
    EXPECT_EQ(size, 2048);
    EXPECT_EQ(MOLODUtils::GetSectionGroupFolderInOneDrive(listing, u"WORK"_s, size, {.foldersOnly = false}), u"F1"_s);
    EXPECT_EQ(size, 10);
    EXPECT_EQ(MOLODUtils::GetSectionGroupFolderInOneDrive(listing, u"Home"_s, size), u""_s);
    EXPECT_EQ(size, 0);
    EXPECT_EQ(MOLODUtils::GetSectionGroupFolderInOneDrive(QJsonObject(), u"Work"_s, size), u""_s);
}

TEST(OneDriveLookup, SectionFilesOnly)
{
    const QByteArray json = QByteArray(R"({"value":[
        {"id":"D1","name":"Notes.one","folder":{}},
        {"id":"T1","name":"Notes.one","file":{"mimeType":"text/plain"}},
        {"id":"S1","name":"NOTES.ONE",)")
        + kSectionFile + "}]}";
    EXPECT_EQ(MOLODUtils::GetSectionFileInOneDrive(Listing(json.constData()), u"notes.one"_s), u"S1"_s);
}
