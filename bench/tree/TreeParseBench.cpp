// Parsing the notebook list of a large account into the tree: 10,000 sections in 20 notebooks,
// each with sections of its own and three levels of section groups, every object with the fields
// the service writes (dates, links, creator), as one expanded request returns them.

#include "account/MAccount.h"
#include "model/MNotebookNode.h"
#include "model/MNotebookTree.h"

#include <QJsonDocument>
#include <benchmark/benchmark.h>

namespace {

constexpr int kNotebooks = 20;
constexpr int kGroupsPerNotebook = 5;
constexpr int kSubgroupsPerGroup = 3;
constexpr int kSectionsPerContainer = 25; // 20 x (1 + 5 + 5 x 3) x 25 = 10,500 sections

const QString kGraph
    = QStringLiteral("https://graph.microsoft.com/v1.0/users/4f1e2d3c-0000-4000-8000-00000000abcd/onenote");

QString Common(const QString& kind, const QString& id, const QString& name)
{
    return QStringLiteral(R"("id":"%2","self":"%1/%3/%2","createdDateTime":"2023-05-01T09:12:00Z",)"
                          R"("lastModifiedDateTime":"2024-02-11T17:40:05Z","displayName":"%4","isDefault":false,)"
                          R"("createdBy":{"user":{"id":"4f1e2d3c","displayName":"Ann Example"}},)"
                          R"("lastModifiedBy":{"user":{"id":"4f1e2d3c","displayName":"Ann Example"}},)")
        .arg(kGraph, id, kind, name);
}

QString Section(const QString& id, int n)
{
    return QStringLiteral(
        R"({%1"pagesUrl":"%2/sections/%3/pages","links":{"oneNoteClientUrl":{"href":)"
        R"("onenote:https://d.docs.live.net/8a3f/Documents/Notebook/Section%4.one"},)"
        R"("oneNoteWebUrl":{"href":"https://onedrive.live.com/redir.aspx?cid=8a3f&page=edit&resid=%3"}}})")
        .arg(Common(QStringLiteral("sections"), id, QStringLiteral("Section %1").arg(n)), kGraph, id)
        .arg(n);
}

QString Sections(const QString& prefix, int& counter)
{
    QStringList sections;
    for (int s = 0; s < kSectionsPerContainer; ++s, ++counter)
        sections.append(Section(QStringLiteral("1-%1-s%2").arg(prefix).arg(s), counter));
    return sections.join(QLatin1Char(','));
}

QString Group(const QString& id, int depth, int& counter)
{
    QStringList groups;
    if (depth == 0) {
        for (int g = 0; g < kSubgroupsPerGroup; ++g)
            groups.append(Group(QStringLiteral("%1-g%2").arg(id).arg(g), depth + 1, counter));
    }
    return QStringLiteral(
        R"({%1"sectionsUrl":"%2/sectionGroups/%3/sections","sectionGroupsUrl":"%2/sectionGroups/%3/sectionGroups",)"
        R"("sections":[%4],"sectionGroups":[%5]})")
        .arg(Common(QStringLiteral("sectionGroups"), QStringLiteral("1-") + id, QStringLiteral("Group ") + id), kGraph,
            QStringLiteral("1-") + id, Sections(id, counter), groups.join(QLatin1Char(',')));
}

QString NotebookList(int& sections)
{
    QStringList notebooks;
    for (int n = 0; n < kNotebooks; ++n) {
        const QString id = QStringLiteral("nb%1").arg(n);
        QStringList groups;
        const QString own = Sections(id, sections);
        for (int g = 0; g < kGroupsPerNotebook; ++g)
            groups.append(Group(QStringLiteral("%1-g%2").arg(id).arg(g), 0, sections));
        notebooks.append(
            QStringLiteral(
                R"({%1"userRole":"Owner","isShared":false,)"
                R"("sectionsUrl":"%2/notebooks/1-%3/sections","sectionGroupsUrl":"%2/notebooks/1-%3/sectionGroups",)"
                R"("links":{"oneNoteClientUrl":{"href":"onenote:https://d.docs.live.net/8a3f/Documents/%3"},)"
                R"("oneNoteWebUrl":{"href":"https://onedrive.live.com/redir.aspx?cid=8a3f&resid=%3"}},)"
                R"("sections":[%4],"sectionGroups":[%5]})")
                .arg(Common(QStringLiteral("notebooks"), QStringLiteral("1-") + id, QStringLiteral("Notebook ") + id),
                    kGraph, id, own, groups.join(QLatin1Char(','))));
    }
    return QStringLiteral(R"({"@odata.context":"%1/$metadata#users('x')/onenote/notebooks","value":[%2]})")
        .arg(kGraph, notebooks.join(QLatin1Char(',')));
}

qint64 CountSections(const MNotebookNode& node)
{
    qint64 count = node.kind == MNodeKind::Section ? 1 : 0;
    for (const auto& child : node.children())
        count += CountSections(*child);
    return count;
}

void ParseNotebookList(benchmark::State& state)
{
    int sections = 0;
    const QString json = NotebookList(sections);
    for (auto _ : state) {
        MNotebookNode root;
        benchmark::DoNotOptimize(MNotebookTree::NotebooksFromJson(json, root, MAccount::GlobalWork));
        state.PauseTiming(); // the check and the freeing of the tree are not part of parsing
        if (CountSections(root) != sections)
            state.SkipWithError("the tree lost sections");
        root.clear();
        state.ResumeTiming();
    }
    state.counters["sections"] = sections;
    state.counters["json_MiB"] = static_cast<double>(json.toUtf8().size()) / (1024.0 * 1024.0);
}

// The share of the JSON reader alone, for comparison.
void ReadJsonOnly(benchmark::State& state)
{
    int sections = 0;
    const QString json = NotebookList(sections);
    for (auto _ : state)
        benchmark::DoNotOptimize(QJsonDocument::fromJson(json.toUtf8()));
}

} // namespace

BENCHMARK(ParseNotebookList)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadJsonOnly)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
