#include "../PanelFixture.h"

#include "../RecordingMessageBox.h"
#include "TempDir.h"
#include "panels/MAttachmentTableModel.h"
#include "panels/MViewListAttachments.h"

#include <QAction>
#include <QDir>
#include <QTableView>

namespace {

using AttachmentsPanel = MPanelFixture;

QString Ticks(const MViewListAttachments& panel)
{
    QString ticks;
    for (const MAttachment& item : panel.List())
        ticks += item.downloadIt ? QLatin1Char('x') : QLatin1Char('-');
    return ticks;
}

TEST_F(AttachmentsPanel, TheTickMenuSetsTheTicksAndSavingShowsEachRowsStatus)
{
    Check("Travel Journal/Archive/Field notes");
    MViewListAttachments panel;
    panel.show();
    ASSERT_TRUE(Run(panel));
    ASSERT_EQ(panel.List().size(), 3); // receipt.pdf twice, then timetable.txt
    EXPECT_EQ(Ticks(panel), QStringLiteral("xxx"));
    MAttachmentTableModel* model = panel.TableModel();
    EXPECT_EQ(model->index(1, MAttachmentTableModel::NameColumn).data().toString(), QStringLiteral("receipt.pdf"));
    EXPECT_EQ(model->index(1, MAttachmentTableModel::PathColumn).data().toString(),
        QStringLiteral("Travel Journal/Archive/Field notes/Receipts"));

    panel.mMenuItemReverse->trigger();
    EXPECT_EQ(Ticks(panel), QStringLiteral("---"));
    panel.mMenuItemCheckByFileType->trigger();
    EXPECT_EQ(Ticks(panel), QStringLiteral("---")) << "nothing ticked, no type to add";
    ASSERT_TRUE(model->setData(model->index(0, 0), Qt::Checked, Qt::CheckStateRole));
    panel.mMenuItemCheckByFileType->trigger();
    EXPECT_EQ(Ticks(panel), QStringLiteral("xx-"));
    EXPECT_EQ(model->index(1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
    panel.mMenuItemReverse->trigger();
    EXPECT_EQ(Ticks(panel), QStringLiteral("--x"));
    panel.mMenuItemCheckAll->trigger();
    EXPECT_EQ(Ticks(panel), QStringLiteral("xxx"));
    panel.mMenuItemUncheckAll->trigger();
    EXPECT_EQ(Ticks(panel), QStringLiteral("---"));
    EXPECT_EQ(panel.StatusText(), Localized("guiAttachmentsListed").arg(QStringLiteral("3"), QStringLiteral("0")));

    // A second listing replaces the first, ticks and all: each file is still saved once.
    ASSERT_TRUE(Run(panel));
    EXPECT_EQ(panel.List().size(), 3);
    EXPECT_EQ(model->rowCount(), 3);
    EXPECT_EQ(Ticks(panel), QStringLiteral("xxx"));

    MTempDir out;
    ASSERT_TRUE(
        f.Emulator().AddFault(QStringLiteral("GET */resources/* error status=404 code=20102 message=gone after=2"))
        == std::nullopt);

    QSignalSpy ended(&panel, &MPanelBase::RunEnded);
    panel.RunThreadSave(out.Path());
    ASSERT_TRUE(WaitUntil([&] { return ended.count() == 1; }, 30000));
    // Which names the files take beside others is the task's own tests' work.
    EXPECT_EQ(QDir(out.Path()).entryList(QDir::Files).size(), 2);

    const int status = MAttachmentTableModel::StatusColumn;
    EXPECT_EQ(model->index(0, status).data().toString(), Localized("strSuccess"));
    EXPECT_EQ(model->index(2, status).data().toString(), Localized("strFailure"));
    EXPECT_TRUE(model->index(2, status).data(Qt::ToolTipRole).toString().contains(QLatin1String("gone")));
    EXPECT_FALSE(model->index(2, status).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_EQ(panel.StatusText(), Localized("strFinish") + QStringLiteral(" 2 saved, 1 failed"));

    // A double-click on a saved row opens its file.
    auto opener = std::make_shared<MRecordingLinkOpener>();
    SetLinkOpener(opener);
    emit panel.mTableView->activated(model->index(1, 0));
    emit panel.mTableView->activated(model->index(2, 0));
    EXPECT_EQ(opener->links,
        QStringList {QUrl::fromLocalFile(out.FilePath(QStringLiteral("Receipts_receipt(1).pdf"))).toString()});
}

TEST_F(AttachmentsPanel, TheSaveButtonStopsARunningSaveAfterTheCurrentFile)
{
    Check("Travel Journal/Archive/Field notes");
    MViewListAttachments panel;
    panel.show();
    ASSERT_TRUE(Run(panel));
    MTempDir out;
    ASSERT_FALSE(f.Emulator().AddFault(QStringLiteral("GET */resources/* delay ms=400 count=-1")).has_value());
    QSignalSpy ended(&panel, &MPanelBase::RunEnded);
    panel.RunThreadSave(out.Path());
    ASSERT_TRUE(
        WaitUntil([&] { return !panel.List().isEmpty() && panel.List().first().outcome == MItemOutcome::Sending; }));
    panel.mBtnSave->click();
    ASSERT_TRUE(WaitUntil([&] { return ended.count() == 1; }, 30000));
    f.Emulator().ClearFaults();
    EXPECT_EQ(panel.List()[0].outcome, MItemOutcome::Created);
    EXPECT_FALSE(panel.List()[1].outcome.has_value()) << "nothing after the current file";
    EXPECT_EQ(panel.mBtnSave->text(), Localized("guiSaveAttachments"));
}

} // namespace
