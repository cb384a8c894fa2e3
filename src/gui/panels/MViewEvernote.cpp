#include "MViewEvernote.h"

#include "MessageBox.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/MConfig.h"
#include "app/MStrings.h"
#include "import/EvernoteImport.h"
#include "import/MEnexReader.h"
#include "model/MNotebookNode.h"
#include "util/FileUtils.h"
#include "util/Formats.h"

#include <QCheckBox>
#include <QDateTime>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

MViewEvernote::MViewEvernote(QWidget* parent)
    : MImportPanel(Localized("guiTipImportEvernote"), parent)
{
    SetStartText(Localized("strStartImport"));
    auto* form = new QFormLayout();
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* fileRow = new QHBoxLayout();
    mEvernoteEnexFile = new QLineEdit(this);
    mEvernoteEnexFile->setObjectName(QStringLiteral("mEvernoteEnexFile"));
    mEvernoteEnexFile->setPlaceholderText(Localized("guiChooseEnexFile"));
    auto* choose = new QPushButton(Localized("guiChooseFile"), this);
    connect(choose, &QPushButton::clicked, this, &MViewEvernote::ButtonChooseEvernoteEnexFileClick);
    connect(mEvernoteEnexFile, &QLineEdit::editingFinished, this,
        [this] { ShowEvernoteFileInfo(mEvernoteEnexFile->text()); });
    fileRow->addWidget(mEvernoteEnexFile, 1);
    fileRow->addWidget(choose);
    form->addRow(Localized("guiEnexFile"), fileRow);

    auto* rangeRow = new QHBoxLayout();
    mFrom = new QLineEdit(this);
    mTo = new QLineEdit(this);
    for (QLineEdit* field : {mFrom, mTo}) {
        field->setValidator(new QIntValidator(0, INT_MAX, field));
        field->setMaximumWidth(110);
    }
    mTotal = new QLabel(this);
    rangeRow->addWidget(mFrom);
    rangeRow->addWidget(new QLabel(QStringLiteral("–"), this));
    rangeRow->addWidget(mTo);
    rangeRow->addSpacing(16);
    rangeRow->addWidget(mTotal);
    rangeRow->addStretch(1);
    form->addRow(Localized("guiNoteRange"), rangeRow);
    ContentLayout()->addLayout(form);

    mCheckCreateEvernoteTagSections = new QCheckBox(Localized("guiCreateTagSections"), this);
    mCheckHandleIndents = new QCheckBox(Localized("guiHandleIndents"), this);
    mCheckSkipImported
        = MakeSkipImportedBox(QStringLiteral("Evernote_SkipImported"), "guiSkipImported", "guiSkipImportedTip");
    ContentLayout()->addWidget(mCheckCreateEvernoteTagSections);
    ContentLayout()->addWidget(mCheckHandleIndents);
    ContentLayout()->addWidget(mCheckSkipImported);
    UseResultTable();
}

void MViewEvernote::ClearAndReload()
{
    ClearResults();
}

void MViewEvernote::ButtonChooseEvernoteEnexFileClick()
{
    const QString path
        = QFileDialog::getOpenFileName(this, Localized("guiChooseEnexFile"), QString(), Localized("guiEnexFilter"));
    mEvernoteEnexFile->setText(path);
    ShowEvernoteFileInfo(path);
}

void MViewEvernote::ShowEvernoteFileInfo(const QString& path)
{
    mEvernoteEnexFile->setText(path);
    if (path.isEmpty())
        return;
    const std::optional<qint64> count = CountEnexNotes(path);
    if (!count) {
        ShowMessageBox(Localized("strOpenEnexFileError"));
        return;
    }
    m_CountedFile = path;
    m_NoteCount = *count;
    mFrom->setText(*count >= 1 ? QStringLiteral("1") : QString());
    mTo->setText(*count >= 1 ? QString::number(*count) : QString());
    mTotal->setText(EvernoteTotalText(*count));
}

void MViewEvernote::StartRun()
{
    MEvernoteImportSettings settings;
    settings.enexFileName = mEvernoteEnexFile->text();
    if (settings.enexFileName.isEmpty()) {
        ShowMessageBox(Localized("strChooseEnexFile"));
        return;
    }
    if (!FileExists(settings.enexFileName)) {
        ShowMessageBox(Localized("strFileNotExists"));
        return;
    }
    settings.from = StringToInteger(mFrom->text());
    settings.to = StringToInteger(mTo->text());
    settings.createTagSections = mCheckCreateEvernoteTagSections->isChecked();
    settings.handleIndents = mCheckHandleIndents->isChecked();
    settings.expectedNotes = settings.enexFileName == m_CountedFile ? m_NoteCount : 0;
    auto target = std::make_shared<MEvernoteTarget>(ChooseEvernoteTarget(*SharedTree(), settings.createTagSections));
    if (target->parentUrl.isEmpty()) {
        ShowMessageBox(Localized("strSelectASection"));
        return;
    }
    settings.parentUrlSaveTo = target->parentUrl;
    if (!target->sections)
        target->sections = std::make_unique<MNotebookNode>();
    const std::optional<MRunRecording> recording = ChooseRecording(EnexRunIdentity(settings));
    if (!recording)
        return;
    settings.run = *recording;
    ResetNewSections();
    BeginRun(
        QStringLiteral("FeatureThreadImportEvernote"),
        [this, settings, target](MTaskContext& context) {
            MServiceSession session = SessionFor(context);
            MServiceEnexSender sender(session);
            const MEvernoteImportResult result = ThreadImportRun(context, sender, settings, *target->sections);
            AddNewSections(result.newSectionCount);
        },
        settings.enexFileName, target->parentUrl);
}
