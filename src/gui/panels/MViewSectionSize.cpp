#include "MViewSectionSize.h"

#include "MessageBox.h"
#include "app/MStrings.h"
#include "drive/MSectionSizeTask.h"

namespace {

MOutlineModel::Options SizeOutline()
{
    MOutlineModel::Options options;
    options.statusTitle = Localized("guiColumnSize");
    return options;
}

} // namespace

MViewSectionSize::MViewSectionSize(QWidget* parent)
    : MOutlinePanel(Localized("guiTipSectionSize"), SizeOutline(), parent)
{ }

void MViewSectionSize::StartRun()
{
    if (!CheckAccountType())
        return;
    if (const std::optional<QString> problem = MSectionSizeTask::StartProblem(SharedTree())) {
        ShowMessageBox(Localized(*problem));
        return;
    }
    ClearTree();
    MOutlineSink* sink = Sink();
    BeginRun(QStringLiteral("TreeThreadSectionSize"),
        [sink](MTaskContext& context) { MSectionSizeTask(context, sink).ThreadViewRun(); });
}

QString MViewSectionSize::ClosingLine(const MOutcomeCounts& counts) const
{
    // Every row states its size or why there is none; only failed reads are worth a count.
    return counts.failed > 0 ? SummaryText(MOutcomeCounts {0, 0, 0, counts.failed}) : QString();
}
