#pragma once

#include "GuiTestSupport.h"

#include "ServiceFixture.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "model/MOLONUtils.h"
#include "panels/MPanelBase.h"
#include "widgets/MOutlineModel.h"
#include "widgets/MResultModel.h"
#include "widgets/MResultTable.h"

#include <QJsonArray>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

// A panel against the demo fixture: the signed-in personal account (the process-wide one the panels
// run on), its tree shared with the panels, zero intervals, and helpers to check a path and run the
// panel to its end.
class MPanelFixture : public ::testing::Test
{
protected:
    MPanelFixture()
    {
        GuiApp();
        SetStringTableLanguage(QStringLiteral("en"));
        InitAppPaths(f.AppFolder(), f.Folder().FilePath(QStringLiteral("Pagewright.log")));
        GlobalSettings().DownloadInterval = 0;
        GlobalSettings().UploadInterval = 0;
        TheAccount().LoadConfig(f.SettingsFile());
        Refetch();
        f.Emulator().ClearRequests();
    }
    ~MPanelFixture() override
    {
        MPanelBase::SetSharedTree(nullptr);
        SetLinkOpener(nullptr);
        GlobalSettings().DownloadInterval = 3;
        GlobalSettings().UploadInterval = 3;
    }

    // The tree fetched again and shared with the panels, as the controller does after a run that
    // made containers.
    void Refetch()
    {
        tree = f.FetchTree();
        MPanelBase::SetSharedTree(tree.get());
    }

    MNotebookNode* Check(const char* path)
    {
        auto* node = const_cast<MNotebookNode*>(MServiceFixture::FindPath(*tree, QString::fromUtf8(path)));
        EXPECT_NE(node, nullptr) << path;
        if (node)
            SetCheckState(node, 1);
        return node;
    }

    // Presses `start` (the start button unless another is given) and waits for the run to end.
    static bool Run(MPanelBase& panel, QAbstractButton* start = nullptr)
    {
        QSignalSpy ended(&panel, &MPanelBase::RunEnded);
        (start ? start : panel.StartButton())->click();
        return WaitUntil([&] { return ended.count() == 1; }, 30000);
    }

    // "name | other columns | status" for every row of an outline, depth first, indented by depth.
    static QStringList Rows(const MOutlineModel& model, const QModelIndex& parent = {}, int depth = 0)
    {
        QStringList rows;
        for (int row = 0; row < model.rowCount(parent); ++row) {
            QStringList cells;
            for (int column = 0; column < model.columnCount(); ++column)
                cells << model.index(row, column, parent).data().toString();
            rows << QString(depth * 2, QLatin1Char(' ')) + cells.join(QStringLiteral(" | "));
            rows += Rows(model, model.index(row, 0, parent), depth + 1);
        }
        return rows;
    }

    // The titles of the pages of a section (by name) as the service holds them, in order.
    QStringList PageTitles(const QString& section)
    {
        QStringList titles;
        for (const QJsonValue& item : f.Emulator().State().value(QLatin1String("items")).toArray())
            if (item.toObject().value(QLatin1String("name")).toString() == section + QStringLiteral(".one"))
                for (const QJsonValue& page : item.toObject().value(QLatin1String("pages")).toArray())
                    titles << page.toObject().value(QLatin1String("title")).toString();
        return titles;
    }

    MServiceFixture f;
    std::shared_ptr<MNotebookNode> tree;
};

// A result table's rows as "status | text | reason".
inline QStringList TableRows(const MResultTable& table)
{
    const MResultModel* model = table.Model();
    QStringList rows;
    for (int row = 0; row < model->rowCount(); ++row)
        rows.append(model->index(row, MResultModel::StatusColumn).data().toString() + QStringLiteral(" | ")
            + model->index(row, MResultModel::TextColumn).data().toString() + QStringLiteral(" | ")
            + model->index(row, MResultModel::ReasonColumn).data().toString());
    return rows;
}

// A panel that keeps every progress count it showed (the count alone: the time left depends on what
// the request budget has seen so far).
template<typename Panel> class MWatchedPanel : public Panel
{
public:
    QStringList seen;

protected:
    void OnReportProgress(const MTaskProgress& progress) override
    {
        Panel::OnReportProgress(progress);
        const QString count = Panel::ProgressText().section(QStringLiteral(" · "), 0, 0);
        if (!count.isEmpty() && (seen.isEmpty() || seen.last() != count))
            seen.append(count);
    }
};
