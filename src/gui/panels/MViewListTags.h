#pragma once

#include "MPanelBase.h"
#include "pagetasks/MTagItem.h"

#include <QList>
#include <QStringList>

class MTagTableModel;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;
class QToolButton;

// Tags: every tagged element of the checked sections, listed with its tag's icon and its page. A row
// of toggles picks the tags shown ("all" or any of the 27), a text filter and a to-do filter
// (checked or unchecked) narrow the list, and "Tag Summary" makes a page of the shown items in the
// first checked section. Filtering works on the collected items and needs no request. This is the
// panel the main window opens with.
class MViewListTags : public MPanelBase
{
    Q_OBJECT
public:
    explicit MViewListTags(QWidget* parent = nullptr);

    QTableView* mTableViewTags = nullptr;
    QCheckBox* mCheckSearch = nullptr;
    QLineEdit* mFieldSearch = nullptr;
    QCheckBox* mCheckToDoTagsOnly = nullptr;
    QComboBox* mComboBoxToDoShow = nullptr;
    QToolButton* mBtnAllTags = nullptr;
    QPushButton* mBtnTagSummary = nullptr;
    // The 27 tag toggles in their order, each named by the tag it stands for.
    QList<QToolButton*> m_TagButtons;

    QToolButton* FindButtonByIdentifier(const QString& tagName) const;
    const QList<MTagItem>& TagList() const { return m_TagList; }
    const QList<MTagItem>& DisplayTagList() const { return m_DisplayTagList; }
    MTagTableModel* TableModel() const { return m_Model; }
    // The filter the controls stand for.
    MTagFilter Filter() const;

    void ClearAndReload() override;

protected:
    void StartRun() override;
    void OnRunEnded() override;

private:
    friend class MTagPanelSink;
    QWidget* CreateToggles();
    QWidget* CreateFilters();
    void AddTagItems(const QList<MTagItem>& items);
    void TableReloadData();
    void ButtonAllTagsClick();
    void ButtonTagTodoClick();
    void SetAllTagButtonsOffState();
    bool IsAllTagButtonsOffState() const;
    void ButtonSaveTagSummaryPageClick();
    void RowActivated(const QModelIndex& index);
    void ShowCounts();

    QList<MTagItem> m_TagList;
    QList<MTagItem> m_DisplayTagList;
    MTagTableModel* m_Model = nullptr;
    qint64 m_FilesCount = 0;
};
