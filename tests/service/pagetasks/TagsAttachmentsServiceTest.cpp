#include "FeatureServiceTest.h"
#include "model/MOLONUtils.h"
#include "pagetasks/MListAttachmentsTask.h"
#include "pagetasks/MListTagsTask.h"
#include "pagetasks/MSaveAttachmentsTask.h"
#include "pagetasks/MTagSummaryTask.h"

#include <QDir>
#include <QRegularExpression>

namespace {

using TagsService = FeatureServiceTest;
using AttachmentsService = FeatureServiceTest;

class MTags final : public MTagSink
{
public:
    void AddTagItems(const QList<MTagItem>& found) override { items.append(found); }
    QList<MTagItem> items;
};

class MAttachments final : public MAttachmentSink
{
public:
    void AddAttachments(const QList<MAttachment>& found) override { items.append(found); }
    QList<MAttachment> items;
};

class MRecordingOpener final : public MLinkOpener
{
public:
    void OpenLink(const QString& link) override { links.append(link); }
    QStringList links;
};

const QString kTaggedBody
    = QStringLiteral("<p data-tag=\"to-do:completed,important\">Visa &amp; passport &lt;blue folder&gt;</p>"
                     "<p data-tag=\"question\">Adapter?</p><p>untagged</p>");

TEST_F(TagsService, TwoTagsOfOneParagraphAreTwoItemsAndTheSummaryShowsItOnceWithALinkToIt)
{
    Start(QJsonArray {Notebook("Book", {Section("Empty", {}), Section("Trip", {Page("Visa", kTaggedBody)})})});
    Check("Book");
    MTags tags;
    OnWorker([&] { MListTagsTask(context, &tags).ThreadRun(); });
    ASSERT_EQ(tags.items.size(), 3);
    EXPECT_EQ(tags.items[0].iconName, QStringLiteral("to-do-completed"));
    EXPECT_EQ(tags.items[1].iconName, QStringLiteral("important"));
    EXPECT_EQ(tags.items[0].text, QStringLiteral("Visa & passport <blue folder>"));
    EXPECT_EQ(tags.items[0].pageBreadcrumb, QStringLiteral("Book/Trip/Visa"));
    EXPECT_EQ(pacer.DownloadWaits(), 1 + 2 + 1 + 1)
        << "before the run, before each list, before the content and after the page";

    auto opener = std::make_shared<MRecordingOpener>();
    SetLinkOpener(opener);
    reporter.SetAnswer(true);
    const QString firstSection = MNotebookNode::GetFirstCheckedSection(tree.get())->id;
    MTagSummaryTask summary(context, firstSection, FillDisplayTagList(tags.items, MTagFilter()));
    OnWorker([&] { summary.ThreadRun(); });
    SetLinkOpener(nullptr);
    ASSERT_TRUE(summary.Created());
    EXPECT_EQ(reporter.Questions(), QStringList {Localized("askCreateTagSummary")});
    EXPECT_EQ(opener->links, QStringList {summary.Link()});

    // Made in the first checked section, one paragraph per tagged element, each linking to it.
    const QList<QJsonObject> made = StatePages("Empty");
    ASSERT_EQ(made.size(), 1);
    EXPECT_EQ(made[0].value(QLatin1String("title")).toString(), QStringLiteral("Tag Summary"));
    const QString html = made[0].value(QLatin1String("html")).toString();
    EXPECT_EQ(html.count(QLatin1String("<a ")), 2);
    EXPECT_TRUE(html.contains(QLatin1String("data-tag=\"to-do:completed,important\"")));
    EXPECT_TRUE(html.contains(QLatin1String(">Visa &amp; passport &lt;blue folder&gt;</a>")));
    const QString source = StatePages("Trip")[0].value(QLatin1String("html")).toString();
    const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
    for (auto it = href.globalMatch(html); it.hasNext();) {
        const QString link = it.next().captured(1).replace(QLatin1String("&amp;"), QLatin1String("&"));
        const QString element = ObjectIdToElementId(ObjectIdFromLink(link));
        EXPECT_TRUE(source.contains(QStringLiteral("id=\"p:%1\"").arg(element)))
            << "the link opens no element of the page: " << link.toStdString();
    }
}

TEST_F(TagsService, NothingMadeIsAnAlertAndAFailedRowWithTheReason)
{
    Start(QJsonArray {Notebook("Book", {Section("Trip", {Page("Visa", kTaggedBody)})})});
    Check("Book/Trip");
    MTags tags;
    OnWorker([&] { MListTagsTask(context, &tags).ThreadRun(); });
    ASSERT_FALSE(emulator->AddFault(QStringLiteral("POST */pages error status=507 code=19999 message=Quota+full")));
    MTagSummaryTask summary(context, Check("Book/Trip")->id, tags.items);
    OnWorker([&] { summary.ThreadRun(); });
    EXPECT_FALSE(summary.Created());
    EXPECT_EQ(reporter.Alerts(), QStringList {Localized("strCreateTagSummaryFailure")});
    ASSERT_EQ(FinalRows().size(), 1);
    EXPECT_EQ(FinalRows()[0].outcome, MItemOutcome::Failed);
    EXPECT_TRUE(FinalRows()[0].reason.contains(QLatin1String("Quota full"))) << FinalRows()[0].reason.toStdString();
    EXPECT_TRUE(reporter.Questions().isEmpty());
}

QJsonArray ReceiptResources()
{
    return QJsonArray {QJsonObject {{"name", "first"}, {"mime", "application/pdf"}, {"text", "first stay"}},
        QJsonObject {{"name", "second"}, {"mime", "application/pdf"}, {"text", "second stay"}},
        QJsonObject {{"name", "times"}, {"mime", "text/plain"}, {"text", "09:11"}}};
}

const QString kReceiptsBody
    = QStringLiteral("<object data-attachment=\"receipt.pdf\" type=\"application/pdf\" data=\"name:first\" />"
                     "<p><object data-attachment=\"receipt.pdf\" type=\"application/pdf\" data=\"name:second\" /></p>"
                     "<object data-attachment=\"times.txt\" type=\"text/plain\" data=\"name:times\" />");

TEST_F(AttachmentsService, SameNamedFilesAndTheUsersOwnFileAreAllKept)
{
    Start(QJsonArray {Notebook("Book", {Section("Trip", {Page("Receipts", kReceiptsBody, ReceiptResources())})})});
    Check("Book/Trip");
    MAttachments listed;
    OnWorker([&] { MListAttachmentsTask(context, &listed).ThreadRun(); });
    ASSERT_EQ(listed.items.size(), 3);
    EXPECT_EQ(listed.items[0].name, listed.items[1].name);

    out.WriteFile(QStringLiteral("Receipts_receipt.pdf"), "the user's own");
    listed.items[2].downloadIt = false;
    MSaveAttachmentsTask save(context, listed.items, out.Path());
    OnWorker([&] { save.ThreadRun(); });

    EXPECT_EQ(ReadText(out.FilePath(QStringLiteral("Receipts_receipt.pdf"))), QStringLiteral("the user's own"));
    EXPECT_EQ(ReadText(out.FilePath(QStringLiteral("Receipts_receipt(1).pdf"))), QStringLiteral("first stay"));
    EXPECT_EQ(ReadText(out.FilePath(QStringLiteral("Receipts_receipt(2).pdf"))), QStringLiteral("second stay"));
    EXPECT_EQ(QDir(out.Path()).entryList(QDir::Files).size(), 3) << "no part file left, the unticked file not saved";
    const QList<MTaskItem> rows = FinalRows();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1].index, 1) << "a row's index is its place in the list";
    EXPECT_EQ(rows[1].target, out.FilePath(QStringLiteral("Receipts_receipt(2).pdf")));
    EXPECT_EQ(save.Items()[1].status, Localized("strSuccess"));
    EXPECT_TRUE(save.Items()[2].status.isEmpty());
}

TEST_F(AttachmentsService, AFailedDownloadIsAFailedRowAndTheNextFileIsStillSaved)
{
    Start(QJsonArray {Notebook("Book", {Section("Trip", {Page("Receipts", kReceiptsBody, ReceiptResources())})})});
    Check("Book/Trip");
    MAttachments listed;
    OnWorker([&] { MListAttachmentsTask(context, &listed).ThreadRun(); });
    ASSERT_FALSE(emulator->AddFault(QStringLiteral("GET */resources/* error status=404 code=20102 message=gone")));
    MSaveAttachmentsTask save(context, listed.items, out.Path());
    OnWorker([&] { save.ThreadRun(); });
    EXPECT_EQ(save.Items()[0].outcome, MItemOutcome::Failed);
    EXPECT_EQ(save.Items()[0].status, Localized("strFailure"));
    EXPECT_TRUE(save.Items()[0].reason.contains(QLatin1String("gone")));
    EXPECT_EQ(save.Items()[1].outcome, MItemOutcome::Created);
    EXPECT_EQ(QDir(out.Path()).entryList(QDir::Files),
        QStringList({QStringLiteral("Receipts_receipt.pdf"), QStringLiteral("Receipts_times.txt")}));
    EXPECT_EQ(ReadText(out.FilePath(QStringLiteral("Receipts_receipt.pdf"))), QStringLiteral("second stay"));
    EXPECT_EQ(save.Rows().Failed(), 1);
}

} // namespace
