#include "MViewReplace.h"

#include "MessageBox.h"
#include "app/MStrings.h"
#include "pagetasks/MReplaceTask.h"
#include "widgets/MResultTable.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

MViewReplace::MViewReplace(QWidget* parent)
    : MPanelBase(Localized("guiTipReplace"), parent)
{
    auto* grid = new QGridLayout();
    grid->setColumnStretch(1, 1);
    grid->addWidget(new QLabel(Localized("guiReplaceFind"), this), 0, 0);
    mSearch = new QLineEdit(this);
    mSearch->setObjectName(QStringLiteral("mSearch"));
    mSearch->setPlaceholderText(Localized("guiReplaceFindPlaceholder"));
    grid->addWidget(mSearch, 0, 1);
    grid->addWidget(new QLabel(Localized("guiReplaceWith"), this), 1, 0);
    mReplace = new QLineEdit(this);
    mReplace->setObjectName(QStringLiteral("mReplace"));
    mReplace->setPlaceholderText(Localized("guiReplaceWithPlaceholder"));
    grid->addWidget(mReplace, 1, 1);
    mCheckMatchCase = new QCheckBox(Localized("guiMatchCase"), this);
    mCheckMatchCase->setObjectName(QStringLiteral("mCheckMatchCase"));
    grid->addWidget(mCheckMatchCase, 2, 1);
    ContentLayout()->addLayout(grid);
    UseResultTable();
    ResultTable()->SetCreatedKey("taskSummaryRetitled");
}

void MViewReplace::StartRun()
{
    const QString search = mSearch->text();
    if (const std::optional<QString> problem = MReplaceTask::StartProblem(SharedTree(), search)) {
        if (!problem->isEmpty())
            ShowMessageBox(Localized(*problem));
        return;
    }
    m_MatchCase = mCheckMatchCase->isChecked();
    const MReplaceOptions options {search, mReplace->text(), m_MatchCase};
    BeginRun(QStringLiteral("FeatureThread"), [options](MTaskContext& context) {
        MReplaceTask task(context, options);
        task.ThreadRun();
    });
}
