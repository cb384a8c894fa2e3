#include "MImportPanel.h"

#include "MessageBox.h"
#include "app/AppPaths.h"
#include "app/MConfig.h"
#include "app/MStrings.h"

#include <QCheckBox>
#include <QDateTime>

std::optional<MRunRecording> MImportPanel::ChooseRecording(const MRunJournal::MIdentity& identity)
{
    const bool skipImported = mCheckSkipImported && mCheckSkipImported->isChecked();
    MRunChoice choice = ChooseRun(identity, skipImported ? MRunRequest::SkipImported : MRunRequest::Default);
    MRunRecording& recording = choice.recording;
    if (choice.kind == MRunChoice::Kind::AskUnfinished) {
        // Starting again would make every page of the interrupted run a second time: ask.
        const QString started
            = QDateTime::fromMSecsSinceEpoch(choice.earlier.startedMs).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
        if (AskYesNo(
                Localized("msgResumeImport").arg(started, QString::number(MRunJournal::DoneItems(choice.earlier.id))))
            == kAlertSecondButtonReturn) {
            recording.mode = MRunMode::Resume;
            recording.resumeRun = choice.earlier.id;
        }
    } else if (choice.kind == MRunChoice::Kind::AskFinished) {
        const int answer = AskChoice(Localized("msgImportedBefore").arg(EarlierRunText(choice.earlier)),
            {Localized("guiImportAgain"), Localized("guiImportOnlyNew"), Localized("guiCancel")});
        if (answer != 0 && answer != 1)
            return std::nullopt;
        recording.mode = answer == 0 ? MRunMode::New : MRunMode::SkipImported;
    }
    return recording;
}

QCheckBox* MImportPanel::MakeSkipImportedBox(const QString& settingsKey, const char* label, const char* tip)
{
    auto* box = new QCheckBox(Localized(label), this);
    box->setObjectName(QStringLiteral("mCheckSkipImported"));
    box->setToolTip(Localized(tip));
    box->setChecked(MConfig(AppPaths().settingsFile).ReadValue(settingsKey, false));
    connect(box, &QCheckBox::toggled, this, [settingsKey](bool on) {
        MConfig config(AppPaths().settingsFile);
        config.WriteValue(settingsKey, on);
        config.Save();
    });
    mCheckSkipImported = box;
    return box;
}

void MImportPanel::OnRunEnded()
{
    if (m_NewSectionCount > 0)
        emit SectionsCreated();
}
