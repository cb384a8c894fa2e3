// An account whose library holds more OneNote items than the service lists at once: the expanded
// notebook list is refused (403, code 10008) and the tree comes notebook by notebook, whole.
#include "RecordingReporter.h"
#include "ServiceFixture.h"
#include "app/MStrings.h"
#include "model/MNotebookTree.h"

#include <QJsonArray>
#include <gtest/gtest.h>

namespace {

QJsonObject Generated(int count, const QJsonObject& inside)
{
    QJsonObject generated = inside;
    generated.insert(QStringLiteral("count"), count);
    return generated;
}

// The demo account and four generated notebooks of 1,282 items each (1,200 sections of its own and
// three groups, each with 20 sections and a group of 5): 5,128 items with the demo's, over the
// documented 5,000.
QJsonObject BigFixture()
{
    QJsonObject fixture = MServiceFixture::DemoFixture();
    QJsonArray accounts = fixture.value(QLatin1String("accounts")).toArray();
    QJsonObject personal = accounts[0].toObject();
    const QJsonObject inner = Generated(1, {{QStringLiteral("generatedSections"), 5}});
    const QJsonObject groups
        = Generated(3, {{QStringLiteral("generatedSections"), 20}, {QStringLiteral("generatedSectionGroups"), inner}});
    personal.insert(QStringLiteral("generatedNotebooks"),
        Generated(
            4, {{QStringLiteral("generatedSections"), 1200}, {QStringLiteral("generatedSectionGroups"), groups}}));
    accounts[0] = personal;
    fixture.insert(QStringLiteral("accounts"), accounts);
    return fixture;
}

TEST(BigLibraryServiceTest, TheTreeComesNotebookByNotebookWithEveryItemAndTheStatusSaysWhy)
{
    MServiceFixture f(BigFixture());
    MRecordingTreeReporter status;
    MNotebookNode root;
    MNotebookTree tree(f.Account(), root, f.CacheFile(), &status);
    const MTreeBuildResult result = tree.CreateNotebooksTree(true, false);

    const std::vector<MEmuLoggedRequest> requests = f.Emulator().Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_TRUE(requests.front().path.contains(QLatin1String("/notebooks?expand=")));
    EXPECT_TRUE(result.built && result.isList);
    EXPECT_TRUE(result.stepByStep);
    EXPECT_TRUE(result.tooManyItems);
    EXPECT_TRUE(result.incomplete.isEmpty());
    EXPECT_EQ(result.notebooks, 7) << "the demo's two, the shared one and four generated";
    EXPECT_EQ(f.RequestCount(QStringLiteral("/onenote/notebooks")), 1 + 1 + 7)
        << "the refused list, the plain list, one per notebook";

    const MNotebookNode* deep
        = MServiceFixture::FindPath(root, QStringLiteral("Notebook 04/Group 03/Group 01/Section 0005"));
    ASSERT_NE(deep, nullptr);
    EXPECT_EQ(deep->kind, MNodeKind::Section);

    // The limit is no failure: no alert, and the status line said why it took longer, up to the last notebook.
    EXPECT_TRUE(status.alerts.isEmpty()) << qPrintable(status.alerts.join(QLatin1String(" | ")));
    EXPECT_EQ(status.texts.last(),
        Localized("msgTreeTooManyItems")
            .arg(QStringLiteral("7"), QStringLiteral("7"), QStringLiteral("Team Handbook")));
    EXPECT_TRUE(status.hidden);

    // The cache holds the joined tree: the next start shows every notebook without a request.
    f.Emulator().ClearRequests();
    MNotebookNode cached;
    EXPECT_EQ(MNotebookTree(f.Account(), cached, f.CacheFile()).CreateNotebooksTree(false, false).notebooks, 7);
    EXPECT_TRUE(f.Emulator().Requests().empty());
    // Whole to its last section.
    EXPECT_NE(MServiceFixture::FindPath(cached, QStringLiteral("Notebook 02/Section 1200")), nullptr);
}

} // namespace
