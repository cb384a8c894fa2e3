#pragma once

#include "GuiTestSupport.h"

#include "ServiceFixture.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "model/MOLONUtils.h"
#include "panels/MPanelBase.h"

#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>

// A panel against the demo fixture: the signed-in personal account, its tree shared with the panels,
// zero intervals, and helpers to check a path and run the panel to its end.
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

    qsizetype RequestCount(const QString& part)
    {
        qsizetype count = 0;
        for (const MEmuLoggedRequest& request : f.Emulator().Requests())
            count += request.path.contains(part) ? 1 : 0;
        return count;
    }

    MServiceFixture f;
    std::shared_ptr<MNotebookNode> tree;
};

// Records the links a panel opens instead of opening them.
class MRecordingLinkOpener final : public MLinkOpener
{
public:
    void OpenLink(const QString& link) override { links.append(link); }
    QStringList links;
};
