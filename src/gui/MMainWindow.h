#pragma once

#include "MFeatureButtons.h"
#include "model/MNotebookTree.h"

#include <QHash>
#include <QMainWindow>

class MNotebookNode;
class MPanelBase;
class MTreeModel;
class QAbstractButton;
class QAction;
class QButtonGroup;
class QLabel;
class QStackedWidget;
class QTreeView;

// The main window: the notebook outline at the left, the strip of feature buttons (one radio group,
// in visible groups), the feature area showing the current panel, the status line (hidden while
// idle) and the menus. It also shows the tree retrieval's progress. What the menu commands do is the
// controller's; this class only lays them out.
class MMainWindow : public QMainWindow, public MTreeReporter
{
    Q_OBJECT
public:
    explicit MMainWindow(MNotebookNode* root, QWidget* parent = nullptr);

    // Puts `panel` into the feature area (once; it is kept) and enables the buttons that show it.
    // Buttons of kinds without a panel stay disabled.
    void SetPanel(MPanelKind kind, MPanelBase* panel);
    MPanelBase* Panel(MPanelKind kind) const { return m_Panels.value(kind, nullptr); }
    // What pressing the feature button does; false when the button has no panel.
    bool ShowButtonAndPanel(const QString& buttonId);
    MPanelBase* CurrentPanel() const;
    QAbstractButton* FeatureButton(const QString& buttonId) const { return m_Buttons.value(buttonId, nullptr); }

    QTreeView* OutlineTree() const { return mOutlineTree; }
    // While the tree is fetched the outline says so above its rows and takes no clicks (its rows
    // are about to be replaced); the rest of the window goes on working.
    void SetTreeLoading(bool loading);
    bool IsTreeLoading() const;
    MTreeModel* TreeModel() const { return m_TreeModel; }
    // The node of the selected row, or nullptr.
    MNotebookNode* SelectedNode() const;

    // Menu items, connected by the controller.
    QAction* mMenuItemLogin = nullptr;
    QAction* mMenuItemRefreshTree = nullptr;
    QAction* mMenuItemEnableLog = nullptr;
    QAction* mMenuItemPreferences = nullptr;
    QAction* mMenuItemQuit = nullptr;
    QAction* mMenuItemCheckAllTree = nullptr;
    QAction* mMenuItemUncheckAllTree = nullptr;
    QAction* mMenuItemOpenNotebook = nullptr;
    QAction* mMenuItemNotebookInfo = nullptr;
    QAction* mMenuItemHelp = nullptr;
    QAction* mMenuItemAbout = nullptr;

    // MTreeReporter: the status line and alerts.
    void ShowStatus(const QString& text) override;
    void HideStatus() override;
    void Alert(const QString& text) override;
    void ReloadOutline() override;
    QString MainStatusText() const;
    // A line that stays in the status line beside the progress (the keyring warning).
    void ShowNotice(const QString& text);
    QString NoticeText() const;

private:
    void CreateMenus();
    QWidget* CreateOutline();
    QWidget* CreateFeatureStrip();
    void changeEvent(QEvent* event) override;

    MTreeModel* m_TreeModel = nullptr;
    QTreeView* mOutlineTree = nullptr;
    QWidget* mTreeLoading = nullptr;
    QWidget* m_FeatureStrip = nullptr;
    QStackedWidget* mViewFeature = nullptr;
    QLabel* mMainStatusBar = nullptr;
    QLabel* mNotice = nullptr;
    QButtonGroup* m_ButtonGroup = nullptr;
    QHash<QString, QAbstractButton*> m_Buttons;
    QHash<MPanelKind, MPanelBase*> m_Panels;
};
