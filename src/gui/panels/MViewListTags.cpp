#include "MViewListTags.h"

#include "MTagTableModel.h"
#include "MainThread.h"
#include "MessageBox.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "model/MOLONUtils.h"
#include "pagetasks/MListTagsTask.h"
#include "pagetasks/MTagSummaryTask.h"
#include "widgets/MListLook.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

namespace {

// The toggles' control names and the keys of the tags' names, in the toggles' order.
const char* const kToggleSuffixes[]
    = {"ToDo", "Important", "Question", "Highlight", "Contact", "Address", "PhoneNumber", "WebSiteToVisit", "Idea",
        "Password", "Critical", "ProjectA", "ProjectB", "MovieToSee", "BookToRead", "MusicToListenTo",
        "SourceForArticle", "RememberForBlog", "DiscussWithPersonA", "DiscussWithPersonB", "DiscussWithManager",
        "SendInEmail", "ScheduleMeeting", "CallBack", "ToDoPriority1", "ToDoPriority2", "ClientRequest"};
constexpr int kTogglesPerRow = 14;

} // namespace

// The tags of each page, handed to the panel on the main thread.
class MTagPanelSink final : public MTagSink
{
public:
    explicit MTagPanelSink(MViewListTags* panel)
        : m_Panel(panel)
    { }
    void AddTagItems(const QList<MTagItem>& items) override
    {
        if (MViewListTags* panel = m_Panel.data())
            RunOnThreadOf(panel, [&] { panel->AddTagItems(items); });
    }

private:
    QPointer<MViewListTags> m_Panel;
};

MViewListTags::MViewListTags(QWidget* parent)
    : MPanelBase(Localized("guiTipListTags"), parent)
{
    ContentLayout()->addWidget(CreateToggles());
    ContentLayout()->addWidget(CreateFilters());
    // The summary is made of what the list shows: its button sits with the run's.
    mBtnTagSummary = new QPushButton(TagIcon(QStringLiteral("Tag")), Localized("guiTagSummary"), this);
    mBtnTagSummary->setObjectName(QStringLiteral("mBtnTagSummary"));
    mBtnTagSummary->setToolTip(Localized("guiTagSummaryTip"));
    connect(mBtnTagSummary, &QPushButton::clicked, this, &MViewListTags::ButtonSaveTagSummaryPageClick);
    AddToStartRow(mBtnTagSummary);

    m_Model = new MTagTableModel(this);
    mTableViewTags = new QTableView(this);
    mTableViewTags->setObjectName(QStringLiteral("mTableViewTags"));
    mTableViewTags->setModel(m_Model);
    ApplyListLook(mTableViewTags);
    ElideAtEnd(mTableViewTags, MTagTableModel::NameColumn);
    mTableViewTags->horizontalHeader()->setStretchLastSection(false);
    mTableViewTags->horizontalHeader()->setSectionResizeMode(MTagTableModel::NameColumn, QHeaderView::Stretch);
    mTableViewTags->horizontalHeader()->setSectionResizeMode(MTagTableModel::PathColumn, QHeaderView::Interactive);
    KeepColumnShare(mTableViewTags, MTagTableModel::PathColumn, 40);
    connect(mTableViewTags, &QTableView::activated, this, &MViewListTags::RowActivated);
    SetOwnResultView(mTableViewTags);
}

QWidget* MViewListTags::CreateToggles()
{
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    mBtnAllTags = new QToolButton(box);
    mBtnAllTags->setObjectName(QStringLiteral("mBtnAllTags"));
    mBtnAllTags->setText(Localized("guiTagAll"));
    mBtnAllTags->setToolTip(Localized("guiTagAllTip"));
    mBtnAllTags->setCheckable(true);
    mBtnAllTags->setChecked(true);
    mBtnAllTags->setAutoRaise(true);
    mBtnAllTags->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    connect(mBtnAllTags, &QToolButton::clicked, this, &MViewListTags::ButtonAllTagsClick);
    grid->addWidget(mBtnAllTags, 0, 0, 2, 1);

    const QStringList& names = TagToggleNames();
    for (int i = 0; i < names.size(); ++i) {
        const QString suffix = QLatin1String(kToggleSuffixes[i]);
        auto* button = new QToolButton(box);
        button->setObjectName(QStringLiteral("mBtnTag") + suffix);
        button->setProperty("tagName", names.at(i));
        button->setIcon(TagIcon(names.at(i)));
        button->setIconSize(QSize(18, 18));
        button->setToolTip(Localized(QStringLiteral("guiTag") + suffix));
        button->setCheckable(true);
        button->setAutoRaise(true);
        connect(button, &QToolButton::clicked, this, &MViewListTags::ButtonTagTodoClick);
        grid->addWidget(button, i / kTogglesPerRow, 1 + i % kTogglesPerRow);
        m_TagButtons.append(button);
    }
    grid->setColumnStretch(kTogglesPerRow + 1, 1);
    return box;
}

QWidget* MViewListTags::CreateFilters()
{
    auto* box = new QWidget(this);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    mCheckSearch = new QCheckBox(Localized("guiTagFilterText"), box);
    mCheckSearch->setObjectName(QStringLiteral("mCheckSearch"));
    row->addWidget(mCheckSearch);
    mFieldSearch = new QLineEdit(box);
    mFieldSearch->setObjectName(QStringLiteral("mFieldSearch"));
    mFieldSearch->setClearButtonEnabled(true);
    mFieldSearch->setMinimumWidth(mFieldSearch->fontMetrics().averageCharWidth() * 16);
    row->addWidget(mFieldSearch, 1);
    row->addSpacing(12);
    mCheckToDoTagsOnly = new QCheckBox(Localized("guiTagToDoOnly"), box);
    mCheckToDoTagsOnly->setObjectName(QStringLiteral("mCheckToDoTagsOnly"));
    row->addWidget(mCheckToDoTagsOnly);
    mComboBoxToDoShow = new QComboBox(box);
    mComboBoxToDoShow->setObjectName(QStringLiteral("mComboBoxToDoShow"));
    // The items' data is what the filter compares; their text is the user's language.
    mComboBoxToDoShow->addItem(Localized("guiTagShowAll"), QStringLiteral("All"));
    mComboBoxToDoShow->addItem(Localized("guiTagShowChecked"), QStringLiteral("Checked"));
    mComboBoxToDoShow->addItem(Localized("guiTagShowUnchecked"), QStringLiteral("Unchecked"));
    row->addWidget(mComboBoxToDoShow);

    connect(mCheckSearch, &QCheckBox::toggled, this, &MViewListTags::TableReloadData);
    connect(mFieldSearch, &QLineEdit::textChanged, this, [this] {
        // Typing a filter means using it.
        if (!mFieldSearch->text().isEmpty() && !mCheckSearch->isChecked())
            mCheckSearch->setChecked(true);
        else
            TableReloadData();
    });
    connect(mCheckToDoTagsOnly, &QCheckBox::toggled, this, &MViewListTags::TableReloadData);
    connect(mComboBoxToDoShow, &QComboBox::currentIndexChanged, this, &MViewListTags::TableReloadData);
    return box;
}

QToolButton* MViewListTags::FindButtonByIdentifier(const QString& tagName) const
{
    for (QToolButton* button : m_TagButtons)
        if (button->property("tagName").toString() == tagName)
            return button;
    return nullptr;
}

MTagFilter MViewListTags::Filter() const
{
    MTagFilter filter;
    filter.allTags = mBtnAllTags->isChecked();
    for (const QToolButton* button : m_TagButtons)
        if (button->isChecked())
            filter.tags.insert(button->property("tagName").toString());
    filter.text = mCheckSearch->isChecked() ? mFieldSearch->text() : QString();
    filter.toDoOnly = mCheckToDoTagsOnly->isChecked();
    filter.toDoShow = mComboBoxToDoShow->currentData().toString();
    return filter;
}

void MViewListTags::ClearAndReload()
{
    m_TagList.clear();
    TableReloadData();
}

void MViewListTags::StartRun()
{
    if (const std::optional<QString> problem = MListTagsTask::StartProblem(SharedTree())) {
        ShowMessageBox(Localized(*problem));
        return;
    }
    ClearAndReload();
    m_FilesCount = 0;
    auto sink = std::make_shared<MTagPanelSink>(this);
    BeginRun(QStringLiteral("ListTagsThread"), [sink](MTaskContext& context) {
        MListTagsTask task(context, sink.get());
        task.ThreadRun();
    });
}

void MViewListTags::AddTagItems(const QList<MTagItem>& items)
{
    ++m_FilesCount;
    m_TagList.append(items);
    TableReloadData();
}

void MViewListTags::TableReloadData()
{
    m_DisplayTagList = FillDisplayTagList(m_TagList, Filter());
    m_Model->SetItems(m_DisplayTagList);
    if (!IsBusy())
        ShowCounts();
}

void MViewListTags::ShowCounts()
{
    if (m_TagList.isEmpty())
        return;
    SetStatus(
        Localized("guiTagsShown").arg(QString::number(m_DisplayTagList.size()), QString::number(m_TagList.size())));
}

void MViewListTags::ButtonAllTagsClick()
{
    if (mBtnAllTags->isChecked()) {
        SetAllTagButtonsOffState();
    } else {
        FindButtonByIdentifier(QStringLiteral("to-do"))->setChecked(true);
        FindButtonByIdentifier(QStringLiteral("important"))->setChecked(true);
    }
    TableReloadData();
}

void MViewListTags::ButtonTagTodoClick()
{
    mBtnAllTags->setChecked(IsAllTagButtonsOffState());
    TableReloadData();
}

void MViewListTags::SetAllTagButtonsOffState()
{
    for (QToolButton* button : m_TagButtons)
        button->setChecked(false);
}

bool MViewListTags::IsAllTagButtonsOffState() const
{
    return std::none_of(m_TagButtons.begin(), m_TagButtons.end(), [](QToolButton* b) { return b->isChecked(); });
}

void MViewListTags::ButtonSaveTagSummaryPageClick()
{
    const std::optional<QString> problem = MTagSummaryTask::StartProblem(SharedTree(), m_DisplayTagList.size());
    if (problem && !problem->isEmpty()) {
        ShowMessageBox(Localized(*problem));
        return;
    }
    if (problem || IsBusy())
        return;
    const QString sectionId = MNotebookNode::GetFirstCheckedSection(SharedTree())->id;
    const QList<MTagItem> shown = m_DisplayTagList;
    BeginRun(QStringLiteral("SaveThread"), [sectionId, shown](MTaskContext& context) {
        MTagSummaryTask task(context, sectionId, shown);
        task.ThreadRun();
    });
}

void MViewListTags::RowActivated(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    const MTagItem& item = m_Model->Item(index.row());
    const QString link = item.link.isEmpty() ? item.pageLink : item.link;
    if (!link.isEmpty())
        OpenLinkInOneNote(link);
}

void MViewListTags::OnRunEnded()
{
    // The finish text may say how many pages came from the page cache: the count follows it.
    if (!m_TagList.isEmpty() && RunFinished())
        SetStatus(QStringLiteral("%1 %2").arg(StatusText(),
            Localized("guiTagsShown")
                .arg(QString::number(m_DisplayTagList.size()), QString::number(m_TagList.size()))));
}
