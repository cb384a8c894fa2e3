#include "MMainWindow.h"

#include "MIcons.h"
#include "MTreeModel.h"
#include "MessageBox.h"
#include "app/AppPaths.h"
#include "app/MStrings.h"
#include "panels/MPanelBase.h"
#include "widgets/MCheckBoxStyle.h"

#include <QApplication>
#include <QButtonGroup>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <cmath>

namespace {

double Luminance(const QColor& colour)
{
    const auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

double Contrast(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QColor Blend(const QColor& from, const QColor& to, double share)
{
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * share),
        float(from.greenF() + (to.greenF() - from.greenF()) * share),
        float(from.blueF() + (to.blueF() - from.blueF()) * share));
}

// `preferred` where it reads on `background`, else black or white, whichever reads better.
QColor ReadableOn(const QColor& background, const QColor& preferred)
{
    if (Contrast(background, preferred) >= 4.5)
        return preferred;
    return Contrast(background, Qt::black) > Contrast(background, Qt::white) ? QColor(Qt::black) : QColor(Qt::white);
}

// The strip reads as a navigation column: flat buttons, the pressed one highlighted. Its colours
// are taken from the active palette and written out, so that the pressed button looks the same
// whether or not the window has the focus: some styles give inactive windows a pale highlight
// that white text cannot be read on.
QString FeatureStripStyle(const QPalette& palette)
{
    const auto active = [&palette](QPalette::ColorRole role) { return palette.color(QPalette::Active, role); };
    const QColor base = active(QPalette::Base);
    const QColor text = ReadableOn(base, active(QPalette::Text));
    const QColor highlight = active(QPalette::Highlight);
    return QStringLiteral(R"(
#featureStrip { background: %1; }
#featureStrip QLabel[groupTitle="true"] { color: %2; font-weight: bold; padding: 7px 8px 1px 8px; }
#featureStrip QToolButton { text-align: left; padding: 2px 8px; border: none; border-radius: 5px; color: %3; }
#featureStrip QToolButton:hover:enabled { background: %4; }
#featureStrip QToolButton:checked { background: %5; color: %6; }
#featureStrip QToolButton:disabled { color: %7; }
)")
        .arg(base.name(), Blend(text, base, 0.35).name(), text.name(), Blend(base, highlight, 0.15).name(),
            highlight.name(), ReadableOn(highlight, active(QPalette::HighlightedText)).name(),
            Blend(text, base, 0.55).name());
}

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

MMainWindow::MMainWindow(MNotebookNode* root, QWidget* parent)
    : QMainWindow(parent)
    , m_TreeModel(new MTreeModel(root, this))
{
    setWindowTitle(QLatin1String(kApplicationName));
    setWindowIcon(ResourceIcon(QStringLiteral("Pagewright")));

    QWidget* outline = CreateOutline();
    mViewFeature = new QStackedWidget(this);
    mViewFeature->setObjectName(QStringLiteral("mViewFeature"));

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setChildrenCollapsible(false);
    splitter->addWidget(outline);
    splitter->addWidget(CreateFeatureStrip());
    splitter->addWidget(mViewFeature);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 0);
    splitter->setStretchFactor(2, 1);
    setCentralWidget(splitter);

    mMainStatusBar = new QLabel(this);
    mMainStatusBar->setObjectName(QStringLiteral("mMainStatusBar"));
    statusBar()->addWidget(mMainStatusBar, 1);
    mNotice = new QLabel(this);
    mNotice->setObjectName(QStringLiteral("mNotice"));
    mNotice->setWordWrap(true);
    mNotice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    mNotice->hide();
    statusBar()->addPermanentWidget(mNotice, 2);
    statusBar()->hide();

    CreateMenus();

    // A window that fits the screen, the outline taking about a quarter of it.
    const QSize available = screen() ? screen()->availableSize() : QSize(1280, 800);
    resize(qMin(1260, available.width()), qMin(780, available.height()));
    const int strip = splitter->widget(1)->minimumWidth();
    const int outlineWidth = qMax(mOutlineTree->minimumWidth(), width() / 4);
    splitter->setSizes({outlineWidth, strip, qMax(200, width() - outlineWidth - strip)});
}

QWidget* MMainWindow::CreateOutline()
{
    auto* box = new QWidget(this);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    mTreeLoading = new QWidget(box);
    mTreeLoading->setObjectName(QStringLiteral("mTreeLoading"));
    auto* loading = new QVBoxLayout(mTreeLoading);
    loading->setContentsMargins(8, 6, 8, 6);
    loading->setSpacing(4);
    loading->addWidget(new QLabel(Localized("guiLoadingNotebooks"), mTreeLoading));
    auto* busy = new QProgressBar(mTreeLoading);
    busy->setRange(0, 0);
    busy->setTextVisible(false);
    busy->setMaximumHeight(busy->fontMetrics().height() / 2);
    loading->addWidget(busy);
    mTreeLoading->hide();
    layout->addWidget(mTreeLoading);

    mOutlineTree = new QTreeView(box);
    mOutlineTree->setObjectName(QStringLiteral("mOutlineTree"));
    mOutlineTree->setModel(m_TreeModel);
    mOutlineTree->setHeaderHidden(true);
    mOutlineTree->setUniformRowHeights(true);
    mOutlineTree->setSelectionMode(QAbstractItemView::SingleSelection);
    mOutlineTree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    mOutlineTree->header()->setStretchLastSection(true);
    mOutlineTree->setMinimumWidth(220);
    auto* checkStyle = new MCheckBoxStyle();
    checkStyle->setParent(mOutlineTree);
    mOutlineTree->setStyle(checkStyle);
    layout->addWidget(mOutlineTree, 1);
    return box;
}

void MMainWindow::SetTreeLoading(bool loading)
{
    mTreeLoading->setVisible(loading);
    mOutlineTree->setEnabled(!loading);
}

bool MMainWindow::IsTreeLoading() const
{
    return !mTreeLoading->isHidden();
}

void MMainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (m_FeatureStrip
        && (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange)) {
        const QString style = FeatureStripStyle(palette());
        if (m_FeatureStrip->styleSheet() != style)
            m_FeatureStrip->setStyleSheet(style);
    }
}

QWidget* MMainWindow::CreateFeatureStrip()
{
    auto* strip = new QWidget();
    strip->setObjectName(QStringLiteral("featureStrip"));
    strip->setStyleSheet(FeatureStripStyle(palette()));
    m_FeatureStrip = strip;
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
        const QString id = ButtonId(def.feature);
        button->setObjectName(QStringLiteral("m%1").arg(id.at(0).toUpper() + id.mid(1)));
        button->setText(Localized(FeatureInfo(def.feature).labelKey));
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
        QAbstractButton* button = m_Buttons.value(ButtonId(def.feature));
        button->setEnabled(true);
        button->setToolTip(Localized(FeatureInfo(def.feature).tipKey));
    }
}

bool MMainWindow::ShowButtonAndPanel(const QString& buttonId)
{
    const MFeatureButton* def = FindFeatureButton(buttonId);
    MPanelBase* panel = def ? Panel(def->panel) : nullptr;
    if (!panel)
        return false;
    SetCurrentFeature(def->feature);
    m_Buttons.value(buttonId)->setChecked(true);
    if (def->setsTitle)
        panel->SetTitle(Localized(FeatureInfo(def->feature).tipKey));
    if (def->clearAndReload)
        panel->ClearAndReload();
    mViewFeature->setCurrentWidget(panel);
    return true;
}

MPanelBase* MMainWindow::CurrentPanel() const
{
    return qobject_cast<MPanelBase*>(mViewFeature->currentWidget());
}

MNotebookNode* MMainWindow::SelectedNode() const
{
    const QModelIndex index = mOutlineTree->currentIndex();
    return index.isValid() && mOutlineTree->selectionModel()->isSelected(index) ? m_TreeModel->NodeAt(index) : nullptr;
}

void MMainWindow::ShowStatus(const QString& text)
{
    mMainStatusBar->setText(text);
    statusBar()->show();
}

void MMainWindow::HideStatus()
{
    mMainStatusBar->clear();
    statusBar()->setVisible(!mNotice->isHidden());
}

void MMainWindow::Alert(const QString& text)
{
    ShowMessageBox(text);
}

void MMainWindow::ShowNotice(const QString& text)
{
    mNotice->setText(QStringLiteral("⚠ ") + text);
    mNotice->setToolTip(text);
    mNotice->show();
    statusBar()->show();
}

QString MMainWindow::NoticeText() const
{
    return mNotice->isHidden() ? QString() : mNotice->toolTip();
}

void MMainWindow::ReloadOutline()
{
    m_TreeModel->Reload();
}

QString MMainWindow::MainStatusText() const
{
    return mMainStatusBar->text();
}
