#include "MViewSearch.h"

#include "MainThread.h"
#include "MessageBox.h"
#include "app/AppPaths.h"
#include "app/MConfig.h"
#include "app/MStrings.h"
#include "model/MOLONUtils.h"
#include "pagetasks/MSearchTask.h"
#include "widgets/MListLook.h"
#include "widgets/MOutlineModel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTreeView>

namespace {

const QString kMatchCaseKey = QStringLiteral("Search_MatchCase");
const QString kInPageTitleKey = QStringLiteral("Search_InPageTitle");

MOutlineModel::Options SearchColumns()
{
    MOutlineModel::Options options;
    options.columns.push_back({Localized("guiColumnPath"), [](const MResultNode& node) { return node.path; }});
    options.status = false;
    return options;
}

} // namespace

// The run's hits, handed to the panel on the main thread (the worker waits until they are in).
class MSearchPanelSink final : public MSearchSink
{
public:
    explicit MSearchPanelSink(MViewSearch* panel)
        : m_Panel(panel)
    { }
    void AddPageHit(const MSearchPageHit& hit) override
    {
        if (MViewSearch* panel = m_Panel.data())
            RunOnThreadOf(panel, [&] { panel->AddPageHit(hit); });
    }

private:
    QPointer<MViewSearch> m_Panel;
};

MViewSearch::MViewSearch(QWidget* parent)
    : MOutlinePanel(Localized("guiTipSearch"), SearchColumns(), parent)
{
    auto* row = new QHBoxLayout();
    mSearch = new QLineEdit(this);
    mSearch->setObjectName(QStringLiteral("mSearch"));
    mSearch->setPlaceholderText(Localized("guiSearchPlaceholder"));
    mSearch->setClearButtonEnabled(true);
    connect(mSearch, &QLineEdit::returnPressed, this, [this] {
        if (!IsBusy())
            StartRun();
    });
    row->addWidget(mSearch, 1);
    mCheckMatchCase = new QCheckBox(Localized("guiMatchCase"), this);
    mCheckMatchCase->setObjectName(QStringLiteral("mCheckMatchCase"));
    row->addWidget(mCheckMatchCase);
    mCheckSearchInPageTitle = new QCheckBox(Localized("guiSearchInPageTitle"), this);
    mCheckSearchInPageTitle->setObjectName(QStringLiteral("mCheckSearchInPageTitle"));
    row->addWidget(mCheckSearchInPageTitle);
    ContentLayout()->addLayout(row);

    QTreeView* mOutlineTree = OutlineTree();
    mOutlineTree->setSelectionMode(QAbstractItemView::SingleSelection);
    mOutlineTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mOutlineTree->setTextElideMode(Qt::ElideMiddle);
    ElideAtEnd(mOutlineTree, 0);
    mOutlineTree->header()->setStretchLastSection(false);
    mOutlineTree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    mOutlineTree->header()->setSectionResizeMode(1, QHeaderView::Interactive);
    KeepColumnShare(mOutlineTree, 1, 35);
    mOutlineTree->setToolTip(Localized("guiSearchHint"));
    connect(mOutlineTree, &QTreeView::activated, this, &MViewSearch::RowActivated);
    SetResultAreaVisible(true); // the pages that could not be read are listed under the outline
    LoadConfig();
}

void MViewSearch::LoadConfig()
{
    const MConfig config(AppPaths().settingsFile);
    mCheckMatchCase->setChecked(config.ReadValue(kMatchCaseKey, false));
    mCheckSearchInPageTitle->setChecked(config.ReadValue(kInPageTitleKey, true));
}

void MViewSearch::SaveConfig()
{
    MConfig config(AppPaths().settingsFile);
    config.WriteValue(kMatchCaseKey, mCheckMatchCase->isChecked());
    config.WriteValue(kInPageTitleKey, mCheckSearchInPageTitle->isChecked());
    config.Save();
}

void MViewSearch::StartRun()
{
    const QString text = mSearch->text();
    if (const std::optional<QString> problem = MSearchTask::StartProblem(SharedTree(), text)) {
        if (!problem->isEmpty())
            ShowMessageBox(Localized(*problem));
        return;
    }
    SaveConfig();
    ClearTree();
    m_MatchCase = mCheckMatchCase->isChecked();
    m_SearchInPageTitle = mCheckSearchInPageTitle->isChecked();
    m_ExportFilesCount = 0;
    const MSearchOptions options {text, m_MatchCase, m_SearchInPageTitle};
    auto sink = std::make_shared<MSearchPanelSink>(this);
    BeginRun(QStringLiteral("FeatureThread"), [options, sink](MTaskContext& context) {
        MSearchTask task(context, options, sink.get());
        task.ThreadRun();
    });
}

void MViewSearch::AddPageHit(const MSearchPageHit& hit)
{
    ++m_ExportFilesCount;
    MResultNode& root = Tree();
    OutlineModel()->AppendChildren(root, 1, [&] {
        // An untitled page keeps its empty title in the search; its row says what it is.
        const QString name = hit.title.isEmpty() ? Localized("guiUntitledPage") : hit.title;
        MResultNode* page = root.AddChild(MNodeKind::Page, name);
        page->id = hit.pageId;
        page->address = hit.clientUrl;
        page->path = hit.sectionPath;
        for (const MSearchHit& element : hit.elements) {
            MResultNode* row = page->AddChild(element.kind, element.text);
            row->id = element.id;
            row->address = element.link;
        }
    });
    // The paragraphs are what was looked for: a page's rows are shown open.
    OutlineTree()->expand(OutlineModel()->IndexOf(root.children().back().get()));
}

void MViewSearch::RowActivated(const QModelIndex& index)
{
    const MResultNode* node = OutlineModel()->NodeAt(index);
    if (!node || node == &ObjectTree())
        return;
    // A paragraph without an id of its own opens its page.
    QString link = node->address;
    if (link.isEmpty() && node->parent())
        link = node->parent()->address;
    if (!link.isEmpty())
        OpenLinkInOneNote(link);
}

void MViewSearch::OnRunEnded()
{
    // The finish text may say how many pages came from the page cache: the count follows it.
    if (RunFinished())
        SetStatus(QStringLiteral("%1 %2").arg(
            StatusText(), Localized("guiSearchFound").arg(QString::number(m_ExportFilesCount))));
}
