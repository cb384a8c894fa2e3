#include "drive/MOLODUtils.h"
#include "service/OneDriveReads.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

namespace {

QString S(const char* s)
{
    return QString::fromUtf8(s);
}

QJsonObject Listing(const char* json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

const char* kSectionFile = R"("file":{"mimeType":"application/msonenote"})";

} // namespace

TEST(OneDriveId, TextAfterTheFirstHyphen)
{
    EXPECT_EQ(OneNoteIdDrivePart(S("0-ABC!123")), S("ABC!123"));
    EXPECT_EQ(OneNoteIdDrivePart(S("1-2-3")), S("2-3"));
    EXPECT_EQ(OneNoteIdDrivePart(S("ABC!123")), S(""));
}

TEST(OneDriveLookup, FolderTestByPolicy)
{
    const QJsonObject listing = Listing(R"({"value":[
        {"id":"F1","name":"Work","size":10,"file":{"mimeType":"text/plain"}},
        {"id":"D1","name":"work","size":2048,"folder":{"childCount":3}}]})");
    qint64 size = -1;
    EXPECT_EQ(MOLODUtils::GetSectionGroupFolderInOneDrive(listing, S("WORK"), size), S("D1"));
    EXPECT_EQ(size, 2048);
    EXPECT_EQ(MOLODUtils::GetSectionGroupFolderInOneDrive(listing, S("WORK"), size, {.foldersOnly = false}), S("F1"));
    EXPECT_EQ(size, 10);
    EXPECT_EQ(MOLODUtils::GetSectionGroupFolderInOneDrive(listing, S("Home"), size), S(""));
    EXPECT_EQ(size, 0);
    EXPECT_EQ(MOLODUtils::GetSectionGroupFolderInOneDrive(QJsonObject(), S("Work"), size), S(""));
}

TEST(OneDriveLookup, SectionFilesOnly)
{
    const QByteArray json = QByteArray(R"({"value":[
        {"id":"D1","name":"Notes.one","folder":{}},
        {"id":"T1","name":"Notes.one","file":{"mimeType":"text/plain"}},
        {"id":"S1","name":"NOTES.ONE",)")
        + kSectionFile + "}]}";
    EXPECT_EQ(MOLODUtils::GetSectionFileInOneDrive(Listing(json.constData()), S("notes.one")), S("S1"));
}

TEST(OneDriveLookup, UniqueSectionFileName)
{
    const QByteArray json = QByteArray(R"({"value":[{"id":"1","name":"Notes.one",)") + kSectionFile
        + R"(},{"id":"2","name":"Notes (1).one",)" + kSectionFile + R"(},{"id":"3","name":"Plan.one","folder":{}}]})";
    const QJsonObject listing = Listing(json.constData());
    EXPECT_EQ(MOLODUtils::CalculateUniqueSectionFileNameInOneDrive(listing, S("Notes")), S("Notes (2).one"));
    // A folder of that name is no clash.
    EXPECT_EQ(MOLODUtils::CalculateUniqueSectionFileNameInOneDrive(listing, S("Plan")), S("Plan.one"));
    EXPECT_EQ(MOLODUtils::CalculateUniqueSectionFileNameInOneDrive(listing, S("New")), S("New.one"));
}
