#include "MViewCopySections.h"

#include "MWinChooseSection.h"
#include "MessageBox.h"
#include "app/MStrings.h"
#include "drive/MCopySectionsTask.h"

#include <QLabel>
#include <QVBoxLayout>

MViewCopySections::MViewCopySections(QWidget* parent)
    : MOutlinePanel(Localized("guiTipCopySections"), MOutlineModel::Options {}, parent)
{
    auto* hint = new QLabel(Localized("guiCopyHint"), this);
    hint->setWordWrap(true);
    ContentLayout()->addWidget(hint);
    ChooseTarget = [this] {
        MWinChooseSection chooser(SharedTree(), 2, this);
        chooser.exec();
        return chooser.idReturn;
    };
}

void MViewCopySections::StartRun()
{
    if (!CheckAccountType())
        return;
    if (const std::optional<QString> problem = MCopySectionsTask::StartProblem(SharedTree())) {
        ShowMessageBox(Localized(*problem));
        return;
    }
    const QString targetId = ChooseTarget ? ChooseTarget() : QString();
    if (targetId.isEmpty())
        return;
    ClearTree();
    m_CopySuccessCount = 0;
    MOutlineSink* sink = Sink();
    BeginRun(QStringLiteral("TreeThreadCopySections"), [this, targetId, sink](MTaskContext& context) {
        MCopySectionsTask task(context, targetId, sink);
        task.ThreadViewRun();
        m_CopySuccessCount = task.CopySuccessCount();
    });
}

void MViewCopySections::OnRunEnded()
{
    if (m_CopySuccessCount.load() >= 1)
        ShowMessageBox(Localized("msgFinishCopySections"));
}
