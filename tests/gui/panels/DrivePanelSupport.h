#pragma once

#include "../GuiTestSupport.h"

#include "../RecordingMessageBox.h"
#include "ServiceFixture.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "model/MONObject.h"
#include "panels/MOutlinePanel.h"
#include "widgets/MOutlineModel.h"

#include <QAbstractButton>
#include <QSignalSpy>
#include <QTreeView>
#include <gtest/gtest.h>

// The panels on section files against the demo fixture in an in-process emulator, signed in as its
// personal account, with the tree fetched and zero intervals.
class DrivePanelTest : public ::testing::Test
{
protected:
    DrivePanelTest()
    {
        GuiApp();
        SetStringTableLanguage(QStringLiteral("en"));
        InitAppPaths(f.AppFolder(), f.Folder().FilePath(QStringLiteral("Pagewright.log")));
        TheAccount().LoadConfig(f.SettingsFile()); // the panels run on the process-wide account
        GlobalSettings().DownloadInterval = 0;
        GlobalSettings().UploadInterval = 0;
        tree = f.FetchTree();
        MPanelBase::SetSharedTree(tree.get());
    }
    ~DrivePanelTest() override
    {
        MPanelBase::SetSharedTree(nullptr);
        GlobalSettings().DownloadInterval = 3;
        GlobalSettings().UploadInterval = 3;
    }

    MONObject* Check(const char* path)
    {
        auto* node = const_cast<MONObject*>(MServiceFixture::FindPath(*tree, QString::fromUtf8(path)));
        EXPECT_NE(node, nullptr) << path;
        if (node)
            SetCheckState(node, 1);
        return node;
    }

    // Presses `button` and waits until the run it starts has ended.
    static bool RunBy(MPanelBase& panel, QAbstractButton* button)
    {
        QSignalSpy ended(&panel, &MPanelBase::RunEnded);
        button->click();
        return WaitUntil([&] { return ended.count() == 1; }, 30000);
    }

    // "name | other columns | status" for every row of the outline, depth first, indented by depth.
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

    MServiceFixture f;
    std::shared_ptr<MONObject> tree;
};
