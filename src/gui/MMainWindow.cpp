#include "MMainWindow.h"

#include "MIcons.h"
#include "MTreeModel.h"
#include "app/AppPaths.h"
#include "app/MStrings.h"
#include "panels/MPanelBase.h"

#include <QApplication>
#include <QButtonGroup>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// The strip reads as a navigation column: flat buttons, the pressed one highlighted.
constexpr const char* kStripStyle = R"(
#featureStrip { background: palette(base); }
#featureStrip QLabel[groupTitle="true"] { color: palette(dark); font-weight: bold; padding: 7px 8px 1px 8px; }
#featureStrip QToolButton { text-align: left; padding: 2px 8px; border: none; border-radius: 5px; }
#featureStrip QToolButton:hover:enabled { background: palette(alternate-base); }
#featureStrip QToolButton:checked { background: palette(highlight); color: palette(highlighted-text); }
#featureStrip QToolButton:disabled { color: palette(mid); }
)";

QLabel* GroupTitle(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text.toUpper(), parent);
    label->setProperty("groupTitle", true);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    label->setFont(font);
    return label;
}

} // namespace

MMainWindow::MMainWindow(MONObject* root, QWidget* parent)
    : QMainWindow(parent)
    , m_TreeModel(new MTreeModel(root, this))
{
    setWindowTitle(QLatin1String(kApplicationName));
    setWindowIcon(ResourceIcon(QStringLiteral("Pagewright")));

    mOutlineTree = new QTreeView(this);
    mOutlineTree->setObjectName(QStringLiteral("mOutlineTree"));
    mOutlineTree->setModel(m_TreeModel);
    mOutlineTree->setHeaderHidden(true);
    mOutlineTree->setUniformRowHeights(true);
    mOutlineTree->setSelectionMode(QAbstractItemView::SingleSelection);
    mOutlineTree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    mOutlineTree->header()->setStretchLastSection(true);
    mOutlineTree->setMinimumWidth(220);

    mViewFeature = new QStackedWidget(this);
    mViewFeature->setObjectName(QStringLiteral("mViewFeature"));

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(mOutlineTree);
    splitter->addWidget(CreateFeatureStrip());
    splitter->addWidget(mViewFeature);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 0);
    splitter->setStretchFactor(2, 1);
    setCentralWidget(splitter);

    mMainStatusBar = new QLabel(this);
    mMainStatusBar->setObjectName(QStringLiteral("mMainStatusBar"));
    statusBar()->addWidget(mMainStatusBar, 1);
    statusBar()->hide();

    CreateMenus();

    // A window that fits the screen, the outline taking about a quarter of it.
    const QSize available = screen() ? screen()->availableSize() : QSize(1280, 800);
    resize(qMin(1260, available.width()), qMin(780, available.height()));
    const int strip = splitter->widget(1)->minimumWidth();
    const int outline = qMax(mOutlineTree->minimumWidth(), width() / 4);
    splitter->setSizes({outline, strip, qMax(200, width() - outline - strip)});
}

QWidget* MMainWindow::CreateFeatureStrip()
{
    auto* strip = new QWidget();
    strip->setObjectName(QStringLiteral("featureStrip"));
    strip->setStyleSheet(QLatin1String(kStripStyle));
    auto* layout = new QVBoxLayout(strip);
    layout->setContentsMargins(6, 4, 6, 8);
    layout->setSpacing(1);

    m_ButtonGroup = new QButtonGroup(this);
    m_ButtonGroup->setExclusive(true);
    bool first = true;
    MFeatureGroup group = MFeatureGroup::Import;
    for (const MFeatureButton& def : FeatureButtons()) {
        if (first || def.group != group) {
            layout->addWidget(GroupTitle(FeatureGroupTitle(def.group), strip));
            group = def.group;
            first = false;
        }
        auto* button = new QToolButton(strip);
        const QString id = QLatin1String(def.id);
        button->setObjectName(QStringLiteral("m%1").arg(id.at(0).toUpper() + id.mid(1)));
        button->setText(Localized(def.labelKey));
        button->setIcon(ResourceIcon(QLatin1String(def.icon)));
        button->setIconSize(QSize(18, 18));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setCheckable(true);
        button->setEnabled(false);
        button->setToolTip(Localized("guiNotAvailableYet"));
        m_ButtonGroup->addButton(button);
        m_Buttons.insert(id, button);
        connect(button, &QToolButton::clicked, this, [this, id] { ShowButtonAndPanel(id); });
        layout->addWidget(button);
    }
    layout->addStretch(1);

    auto* scroll = new QScrollArea(this);
    scroll->setWidget(strip);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setMinimumWidth(strip->sizeHint().width() + 12);
    return scroll;
}

void MMainWindow::CreateMenus()
{
    QMenu* file = menuBar()->addMenu(Localized("guiMenuFile"));
    mMenuItemLogin = file->addAction(ResourceIcon(QStringLiteral("Account")), Localized("strLogin"));
    mMenuItemRefreshTree = file->addAction(Localized("guiMenuRefreshTree"));
    mMenuItemRefreshTree->setShortcut(QKeySequence::Refresh);
    file->addSeparator();
    mMenuItemEnableLog = file->addAction(Localized("guiMenuEnableLog"));
    mMenuItemEnableLog->setCheckable(true);
    mMenuItemPreferences = file->addAction(Localized("guiMenuPreferences"));
    mMenuItemPreferences->setShortcut(QKeySequence::Preferences);
    mMenuItemPreferences->setMenuRole(QAction::PreferencesRole);
    file->addSeparator();
    mMenuItemQuit = file->addAction(Localized("guiMenuQuit"));
    mMenuItemQuit->setShortcut(QKeySequence::Quit);
    mMenuItemQuit->setMenuRole(QAction::QuitRole);

    QMenu* notebook = menuBar()->addMenu(Localized("guiMenuNotebook"));
    mMenuItemCheckAllTree = notebook->addAction(Localized("guiMenuCheckAll"));
    mMenuItemUncheckAllTree = notebook->addAction(Localized("guiMenuUncheckAll"));
    notebook->addSeparator();
    mMenuItemOpenNotebook = notebook->addAction(Localized("guiMenuOpenNotebook"));
    mMenuItemNotebookInfo = notebook->addAction(Localized("guiMenuNotebookInfo"));

    QMenu* help = menuBar()->addMenu(Localized("guiMenuHelp"));
    mMenuItemHelp = help->addAction(Localized("guiMenuHelpPage"));
    mMenuItemHelp->setShortcut(QKeySequence::HelpContents);
    mMenuItemAbout = help->addAction(Localized("guiMenuAbout"));
    mMenuItemAbout->setMenuRole(QAction::AboutRole);
}

void MMainWindow::SetPanel(MPanelKind kind, MPanelBase* panel)
{
    if (!panel || m_Panels.contains(kind))
        return;
    m_Panels.insert(kind, panel);
    mViewFeature->addWidget(panel);
    for (const MFeatureButton& def : FeatureButtons()) {
        if (def.panel != kind)
            continue;
        QAbstractButton* button = m_Buttons.value(QLatin1String(def.id));
        button->setEnabled(true);
        button->setToolTip(Localized(def.tipKey));
    }
}

bool MMainWindow::ShowButtonAndPanel(const QString& buttonId)
{
    const MFeatureButton* def = FindFeatureButton(buttonId);
    MPanelBase* panel = def ? Panel(def->panel) : nullptr;
    if (!panel)
        return false;
    SetCurrentFeature(buttonId);
    m_Buttons.value(buttonId)->setChecked(true);
    if (def->setsTitle)
        panel->SetTitle(Localized(def->tipKey));
    if (def->clearAndReload)
        panel->ClearAndReload();
    mViewFeature->setCurrentWidget(panel);
    return true;
}

MPanelBase* MMainWindow::CurrentPanel() const
{
    return qobject_cast<MPanelBase*>(mViewFeature->currentWidget());
}

MONObject* MMainWindow::SelectedNode() const
{
    const QModelIndex index = mOutlineTree->currentIndex();
    return index.isValid() && mOutlineTree->selectionModel()->isSelected(index) ? m_TreeModel->NodeAt(index) : nullptr;
}

void MMainWindow::ShowStatus(const QString& text)
{
    mMainStatusBar->setText(text);
    statusBar()->show();
    // The tree is built on this thread, which stays busy until it is done: paint the text now.
    statusBar()->repaint();
}

void MMainWindow::HideStatus()
{
    mMainStatusBar->clear();
    statusBar()->hide();
}

void MMainWindow::ReloadOutline()
{
    m_TreeModel->Reload();
}

QString MMainWindow::MainStatusText() const
{
    return mMainStatusBar->text();
}
