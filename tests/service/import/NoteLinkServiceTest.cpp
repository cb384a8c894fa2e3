// Links between imported notes: after the last note, each page holding note links is read with its
// element ids and patched once, its known links pointing at the pages their notes became.
#include "ImportServiceFixture.h"
#include "import/EvernoteImport.h"
#include "import/FileImport.h"
#include "import/FolderTreeScan.h"
#include "import/TreeImport.h"
#include "model/MResultNode.h"
#include "tasks/MRunReport.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QUrl>

namespace {

// Stops the run when the status line shows `stopAt`.
class MStopAtStatus final : public MRecordingReporter
{
public:
    std::atomic<bool>* running = nullptr;
    QString stopAt;
    void ShowStatus(const QString& status) override
    {
        MRecordingReporter::ShowStatus(status);
        if (status == stopAt && running)
            *running = false;
    }
};

QByteArray Note(const QByteArray& title, const QByteArray& body)
{
    return "<note><title>" + title + "</title><content><![CDATA[<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        + "<!DOCTYPE en-note SYSTEM \"http://xml.evernote.com/pub/enml2.dtd\"><en-note><div>" + body
        + "</div></en-note>]]></content></note>\n";
}

QByteArray Link(const QByteArray& text, const QByteArray& guid = "g")
{
    return "<a href=\"evernote:///view/1/s1/" + guid + "/" + guid + "/\">" + text + "</a> ";
}

class NoteLinkService : public ImportServiceTest
{
protected:
    void SetUp() override
    {
        Start(QJsonArray {QJsonObject {{"name", "Book"}, {"sections", QJsonArray {QJsonObject {{"name", "Inbox"}}}}}});
        Check(QStringLiteral("Book/Inbox"));
    }

    MEvernoteImportResult ImportEnex(const QString& name, const QList<QByteArray>& notes, MRunMode mode = MRunMode::New)
    {
        QByteArray enex = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<en-export>\n";
        for (const QByteArray& note : notes)
            enex += note;
        MEvernoteImportSettings settings;
        settings.enexFileName = files.WriteFile(name, enex + "</en-export>\n");
        settings.parentUrlSaveTo = ChooseEvernoteTarget(*tree, false).parentUrl;
        settings.from = 1;
        settings.to = 1000;
        settings.run.record = true;
        settings.run.mode = mode;
        if (mode == MRunMode::Resume) {
            const std::optional<MLedgerRun> unfinished = MRunJournal::FindUnfinished(EnexRunIdentity(settings));
            EXPECT_TRUE(unfinished.has_value());
            settings.run.resumeRun = unfinished ? unfinished->id : 0;
        }
        MNotebookNode sections;
        return ImportEnexRun(settings, sections);
    }

    // Each stored page's content by title (the first page of a title).
    QMap<QString, QString> Pages() const
    {
        QMap<QString, QString> pages;
        for (const QJsonValue& item : emulator->State().value(QStringLiteral("items")).toArray())
            for (const QJsonValue& page : item.toObject().value(QStringLiteral("pages")).toArray()) {
                const QString title = page.toObject().value(QStringLiteral("title")).toString();
                if (!pages.contains(title))
                    pages.insert(title, page.toObject().value(QStringLiteral("html")).toString());
                m_Ids.insert(title, page.toObject().value(QStringLiteral("id")).toString());
            }
        return pages;
    }

    // The link texts of a page, each with what it points at: "text -> page title" for a link to a
    // page of the emulator, else "text -> href".
    QStringList LinksOn(const QString& html) const
    {
        static const QRegularExpression anchor(QStringLiteral("<a href=\"([^\"]*)\"[^>]*>([^<]*)</a>"));
        QStringList links;
        for (const QRegularExpressionMatch& m : anchor.globalMatch(html)) {
            QString target = m.captured(1).replace(QLatin1String("&amp;"), QLatin1String("&"));
            const QString decoded = QUrl::fromPercentEncoding(target.toUtf8());
            for (auto it = m_Ids.constBegin(); it != m_Ids.constEnd(); ++it)
                if (decoded.endsWith(QStringLiteral("page=") + it.value()))
                    target = QStringLiteral("page ") + it.key();
            links << m.captured(2) + QStringLiteral(" -> ") + target;
        }
        return links;
    }

    // Runs `work` with the run's reporter behind a recorder, as the panels and the command line run
    // it: the report's link tables as its CSV writes them, line by line.
    QStringList ReportedLinks(const std::function<void()>& work)
    {
        MTaskReporter* inner = context.reporter;
        MRunRecorder recorder(inner, QStringLiteral("import"), QStringLiteral("test"), &running);
        context.reporter = &recorder;
        work();
        context.reporter = inner;
        const QString csv = QString::fromUtf8(recorder.Report().Csv());
        return csv.mid(csv.indexOf(QLatin1String("\r\n\r\n"))).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    mutable QMap<QString, QString> m_Ids;
};

TEST_F(NoteLinkService, EnexLinksPointAtTheNotesOfThisAndAnEarlierRunByTitleAndTheRestIsReported)
{
    ImportEnex(QStringLiteral("old.enex"), {Note("Old note", "made first")});
    emulator->ClearRequests();
    MEvernoteImportResult result;
    const QStringList reported = ReportedLinks([&] {
        result = ImportEnex(QStringLiteral("new.enex"),
            {Note("Index",
                 Link("Alpha") + "<a href=\"https://www.evernote.com/shard/s1/nl/9/b-c/\">Old note</a> " + Link("Twin")
                     + Link("Nowhere") + "<a href=\"https://example.com/alpha\">Alpha</a>"),
                Note("Alpha", "see " + Link("Index")), Note("Twin", "one"), Note("Twin", "two"),
                Note("Plain", "no links")});
    });
    EXPECT_EQ(reported,
        QStringList({"links rewritten,links ambiguous,links not found,links unchanged", "3,1,1,0",
            "page,link text,link,reason", "Index,Twin,evernote:///view/1/s1/g/g/," + Localized("reasonLinkAmbiguous"),
            "Index,Nowhere,evernote:///view/1/s1/g/g/," + Localized("reasonLinkNotFound")}));
    const QMap<QString, QString> pages = Pages();
    EXPECT_EQ(LinksOn(pages.value(QStringLiteral("Index"))),
        QStringList({"Alpha -> page Alpha", "Old note -> page Old note", "Twin -> evernote:///view/1/s1/g/g/",
            "Nowhere -> evernote:///view/1/s1/g/g/", "Alpha -> https://example.com/alpha"}));
    EXPECT_EQ(LinksOn(pages.value(QStringLiteral("Alpha"))), QStringList({"Index -> page Index"}));
    EXPECT_TRUE(pages.value(QStringLiteral("Alpha")).contains(QLatin1String("see ")));
    // Two pages hold links: each is read once and patched once; the others are not read.
    EXPECT_EQ(RequestsTo("GET", "/content").size(), 2u);
    EXPECT_EQ(RequestsTo("PATCH", "/content").size(), 2u);
    EXPECT_EQ(result.links.requests, 4);
    EXPECT_EQ(result.links.SummaryText(), QStringLiteral("Links: 3 rewritten, 1 ambiguous, 1 not found"));
    EXPECT_TRUE(result.result.contains(QStringLiteral(". Links: 3 rewritten")));
}

TEST_F(NoteLinkService, RelativeLinksBetweenTheFilesOfAFolderTreePointAtTheirPages)
{
    files.WriteFile(QStringLiteral("Tree/Trips/Lisbon.html"),
        "<html><head><title>Lisbon</title></head><body><p>Next: <a href=\"Porto%20Old.html#day2\">Porto</a>, "
        "<a href=\"../Gone/Missing.html\">gone</a>, <a href=\"https://x.org/Porto%20Old.html\">web</a></p>"
        "<ul><li>Back to <a href=\"Lisbon.html\">self</a></li></ul></body></html>");
    files.WriteFile(QStringLiteral("Tree/Trips/Porto Old.html"),
        "<html><head><title>Porto</title></head><body><p>&#160;Back: <a href=\"./Lisbon.html\">Lisbon</a> &amp; "
        "more</p></body></html>");
    files.WriteFile(QStringLiteral("Tree/Trips/Faro.txt"), "No links to Lisbon.html here");
    Check(QStringLiteral("Book"));
    auto planned = std::make_unique<MResultNode>();
    ScanImportTree({files.FilePath(QStringLiteral("Tree"))}, *planned, MImportTreeOptions());
    MRunRecording recording;
    recording.record = true;
    MLinkPassResult links;
    OnWorker([&] {
        MTreeImportTask task(context, std::move(planned), false, false);
        task.SetRecording(recording);
        task.ThreadImportRun();
        links = task.LinkPass();
    });
    const QMap<QString, QString> pages = Pages();
    EXPECT_EQ(LinksOn(pages.value(QStringLiteral("Lisbon"))),
        QStringList({"Porto -> page Porto", "gone -> ../Gone/Missing.html", "web -> https://x.org/Porto%20Old.html",
            "self -> page Lisbon"}));
    EXPECT_EQ(LinksOn(pages.value(QStringLiteral("Porto"))), QStringList({"Lisbon -> page Lisbon"}));
    EXPECT_TRUE(pages.value(QStringLiteral("Porto")).contains(QStringLiteral("&nbsp;Back:")));
    EXPECT_TRUE(pages.value(QStringLiteral("Porto")).contains(QStringLiteral("&amp; more")));
    EXPECT_EQ(links.SummaryText(), QStringLiteral("Links: 3 rewritten, 0 ambiguous, 1 not found"));
    EXPECT_EQ(links.requests, 4);
}

TEST_F(NoteLinkService, AFileImportLinksItsOwnFilesAndReportsTheLinksItLeft)
{
    files.WriteFile(QStringLiteral("in/pic.png"), QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(500, 'B'));
    QList<MFileObject> list;
    AddToFileList(list,
        files.WriteFile(QStringLiteral("in/A.html"),
            "<html><head><title>A</title></head><body><p>To <a href=\"B.html\">B</a></p>"
            "<p><img src=\"pic.png\"/> and <a href=\"B.html\">B again</a></p></body></html>"));
    AddToFileList(list,
        files.WriteFile(QStringLiteral("in/B.html"),
            "<html><head><title>B</title></head><body><p>Back to <a href=\"A.html\">A</a>, "
            "<a href=\"C.html\">C</a></p></body></html>"));
    MFileImportSettings settings {MFileImportKind::Html, false, MFileImportTask::TargetSectionId(tree.get())};
    settings.run.record = true;
    const QStringList reported
        = ReportedLinks([&] { OnWorker([&] { MFileImportTask(context, settings, list).ThreadImportRun(); }); });
    const QMap<QString, QString> pages = Pages();
    // The picture's paragraph cannot be sent back whole: its link is left, and counted.
    EXPECT_EQ(LinksOn(pages.value(QStringLiteral("A"))), QStringList({"B -> page B", "B again -> B.html"}));
    EXPECT_EQ(LinksOn(pages.value(QStringLiteral("B"))), QStringList({"A -> page A", "C -> C.html"}));
    EXPECT_EQ(reported,
        QStringList({"links rewritten,links ambiguous,links not found,links unchanged", "2,0,1,1",
            "page,link text,link,reason", "A,B again,B.html,\"" + Localized("reasonLinkUnchangeable") + '"',
            "B,C,C.html," + Localized("reasonLinkNotFound")}));
}

TEST_F(NoteLinkService, AStopDuringTheLinkPassResumesWithEveryLinkRewrittenOnce)
{
    const QList<QByteArray> notes {
        Note("A", "to " + Link("B")), Note("B", "to " + Link("C")), Note("C", "to " + Link("A"))};
    MStopAtStatus stopping;
    stopping.running = &running;
    stopping.stopAt = Localized("strLinkingPages").arg(QStringLiteral("2"), QStringLiteral("3"));
    context.reporter = &stopping;
    const MEvernoteImportResult stopped = ImportEnex(QStringLiteral("ring.enex"), notes);
    context.reporter = &reporter;
    EXPECT_TRUE(stopped.links.stopped);
    EXPECT_EQ(stopped.links.requests, 2);
    QMap<QString, QString> pages = Pages();
    EXPECT_EQ(LinksOn(pages.value(QStringLiteral("A"))), QStringList({"B -> page B"}));
    EXPECT_EQ(LinksOn(pages.value(QStringLiteral("B"))), QStringList({"C -> evernote:///view/1/s1/g/g/"}));

    // Someone edits B's linking paragraph online right after the pass reads it: the patch built on
    // that read is refused, and B is read and patched again.
    const QString paragraph = QRegularExpression(QStringLiteral("<div id=\"([^\"]+)\">to <a "))
                                  .match(pages.value(QStringLiteral("B")))
                                  .captured(1);
    ASSERT_FALSE(paragraph.isEmpty());
    const QJsonArray edit {QJsonObject {{"target", paragraph}, {"action", "replace"},
        {"content", QStringLiteral("<div>%1 edited online</div>").arg(QString::fromUtf8(Link("C")))}}};
    ASSERT_FALSE(
        emulator->ChangePageAfterRead(m_Ids.value(QStringLiteral("B")), QJsonDocument(edit).toJson()).has_value());
    emulator->ClearRequests();
    running = true;
    const MEvernoteImportResult resumed = ImportEnex(QStringLiteral("ring.enex"), notes, MRunMode::Resume);
    pages = Pages();
    for (const auto& [title, target] : {std::pair {"A", "B"}, {"B", "C"}, {"C", "A"}})
        EXPECT_EQ(LinksOn(pages.value(QLatin1String(title))),
            QStringList({QStringLiteral("%1 -> page %1").arg(QLatin1String(target))}));
    EXPECT_TRUE(pages.value(QStringLiteral("B")).contains(QLatin1String("edited online")));
    EXPECT_EQ(RequestsTo("POST", "/pages").size(), 0u);
    // The page patched before the stop is left be; B is read and patched twice.
    EXPECT_EQ(RequestsTo("GET", "/content").size(), 3u);
    EXPECT_EQ(RequestsTo("PATCH", "/content").size(), 3u);
    EXPECT_EQ(resumed.links.requests, 6);
    EXPECT_EQ(resumed.links.SummaryText(), QStringLiteral("Links: 3 rewritten, 0 ambiguous, 0 not found"));
    EXPECT_EQ(Pages().size(), 3);
}

} // namespace
