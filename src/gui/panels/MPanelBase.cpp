#include "MPanelBase.h"

#include "MDesktopReporter.h"
#include "MFeatureButtons.h"
#include "MessageBox.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MConfig.h"
#include "app/MStrings.h"
#include "model/MONObject.h"
#include "tasks/MRunReport.h"
#include "tasks/TaskTexts.h"
#include "widgets/MElidedLabel.h"
#include "widgets/MResultModel.h"
#include "widgets/MResultTable.h"

#include <QCheckBox>
#include <QDateTime>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>

MPanelBase::MPanelBase(const QString& title, QWidget* parent)
    : QWidget(parent)
    , m_StartText(Localized("strStart"))
    , m_Reporter(std::make_unique<MDesktopReporter>(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->setSpacing(10);

    mTitle = new QLabel(title, this);
    mTitle->setObjectName(QStringLiteral("panelTitle"));
    QFont titleFont = mTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    mTitle->setFont(titleFont);
    layout->addWidget(mTitle);

    m_Content = new QVBoxLayout();
    m_Content->setSpacing(8);
    layout->addLayout(m_Content);

    mStartRow = new QWidget(this);
    auto* row = new QHBoxLayout(mStartRow);
    row->setContentsMargins(0, 0, 0, 0);
    mBtnStart = new QPushButton(mStartRow);
    mBtnStart->setObjectName(QStringLiteral("mBtnStart"));
    mBtnStart->setMinimumWidth(110);
    connect(mBtnStart, &QPushButton::clicked, this, &MPanelBase::StartStopClicked);
    row->addWidget(mBtnStart);
    // Statuses are often paths as deep as the notebooks: cut in the middle, the window keeps its size.
    mStatusBar = new MElidedLabel(mStartRow, Qt::ElideMiddle);
    mStatusBar->setObjectName(QStringLiteral("mStatusBar"));
    mStatusBar->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row->addWidget(mStatusBar, 1);
    mBtnReport = new QPushButton(Localized("guiOpenReport"), mStartRow);
    mBtnReport->setObjectName(QStringLiteral("mBtnReport"));
    mBtnReport->hide();
    connect(mBtnReport, &QPushButton::clicked, this, &MPanelBase::OpenReport);
    row->addWidget(mBtnReport);
    layout->addWidget(mStartRow);

    mProgressRow = new QWidget(this);
    auto* progressRow = new QHBoxLayout(mProgressRow);
    progressRow->setContentsMargins(0, 0, 0, 0);
    mProgress = new QProgressBar(mProgressRow);
    mProgress->setObjectName(QStringLiteral("mProgress"));
    // The count stands beside the bar in words; a percentage inside it would say less.
    mProgress->setTextVisible(false);
    mProgress->setMaximumHeight(mProgress->fontMetrics().height());
    progressRow->addWidget(mProgress, 1);
    mProgressText = new QLabel(mProgressRow);
    mProgressText->setObjectName(QStringLiteral("mProgressText"));
    progressRow->addWidget(mProgressText);
    mProgressRow->hide();
    layout->addWidget(mProgressRow);

    mResult = new QPlainTextEdit(this);
    mResult->setObjectName(QStringLiteral("mResult"));
    mResult->setReadOnly(true);
    layout->addWidget(mResult, 1);
    mResultTable = new MResultTable(this);
    layout->addWidget(mResultTable, 1);

    ShowRunning(false);
    ShowResultView();
}

MPanelBase::~MPanelBase() = default;

MONObject*& MPanelBase::SharedTreeSlot()
{
    static MONObject* root = nullptr;
    return root;
}

int& MPanelBase::BusyCount()
{
    static int busy = 0;
    return busy;
}

void MPanelBase::SetSharedTree(MONObject* root)
{
    SharedTreeSlot() = root;
}

MONObject* MPanelBase::SharedTree()
{
    return SharedTreeSlot();
}

void MPanelBase::SetTitle(const QString& title)
{
    mTitle->setText(title);
}

QString MPanelBase::Title() const
{
    return mTitle->text();
}

QString MPanelBase::StatusText() const
{
    return mStatusBar->FullText();
}

QString MPanelBase::ResultText() const
{
    return mResult->toPlainText();
}

QString MPanelBase::ProgressText() const
{
    return mProgressText->text();
}

void MPanelBase::UseResultTable()
{
    m_ListPanel = true;
    ShowResultView();
}

void MPanelBase::SetOwnResultView(QWidget* view)
{
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    layout->insertWidget(layout->indexOf(mResult), view, 3);
    m_OwnView = view;
    ShowResultView();
}

void MPanelBase::AddToStartRow(QWidget* widget)
{
    widget->setParent(mStartRow);
    mStartRow->layout()->addWidget(widget);
}

void MPanelBase::SetResultAreaVisible(bool visible)
{
    m_ResultAreaVisible = visible;
    ShowResultView();
}

void MPanelBase::ShowResultView()
{
    if (m_OwnView) {
        mResultTable->setVisible(m_ResultAreaVisible && mResultTable->Model()->rowCount() > 0);
        mResult->setVisible(false);
        return;
    }
    const bool table = mResultTable->Model()->rowCount() > 0 || (m_ListPanel && mResult->document()->isEmpty());
    mResultTable->setVisible(m_ResultAreaVisible && table);
    mResult->setVisible(m_ResultAreaVisible && !table);
}

void MPanelBase::SetStartRowVisible(bool visible)
{
    mStartRow->setVisible(visible);
}

void MPanelBase::SetStatus(const QString& text)
{
    mStatusBar->SetFullText(text);
}

void MPanelBase::SetResult(const QString& text)
{
    mResult->setPlainText(text);
    ShowResultView();
}

void MPanelBase::ClearResults()
{
    mResultTable->Clear();
    SetResult(QString());
}

void MPanelBase::OnReportProgress(const MTaskProgress& progress)
{
    if (progress.total > 0) {
        mProgress->setRange(0, int(qMin<qint64>(progress.total, INT_MAX)));
        mProgress->setValue(int(qMin(progress.done, progress.total)));
    } else {
        mProgress->setRange(0, 0); // busy: how many there are is not known yet
    }
    const bool counted = progress.total > 0 || progress.done > 0;
    mProgressText->setText(counted ? ProgressLineText(progress) : TimeLeftText(progress));
}

void MPanelBase::OnReportItem(const MTaskItem& item)
{
    mResultTable->Report(item);
    ShowResultView();
}

void MPanelBase::OnReportMessage(const QString& result, const QString& status)
{
    SetResult(result);
    SetStatus(status);
}

void MPanelBase::StartStopClicked()
{
    if (m_Busy) {
        StopRun();
        return;
    }
    StartRun();
}

void MPanelBase::StopRun()
{
    if (!m_Busy)
        return;
    // The worker reads the flag before each item and ends by itself; it is not waited for.
    m_Running = false;
    mBtnStart->setEnabled(false);
}

bool MPanelBase::BeginRun(
    const QString& threadName, std::function<void(MTaskContext&)> work, const QString& source, const QString& target)
{
    if (m_Busy)
        return false;
    m_Recorder = std::make_shared<MRunRecorder>(m_Reporter.get(), RunTaskName(CurrentFeature()), Title(), &m_Running);
    m_Recorder->SetSourceAndTarget(source, target);
    std::shared_ptr<const MONObject> snapshot
        = SharedTree() ? std::shared_ptr<const MONObject>(SharedTree()->CloneTree()) : std::make_shared<MONObject>();
    m_Pacer = std::make_unique<MPacer>(
        GlobalSettings().UploadInterval.load(), GlobalSettings().DownloadInterval.load(), &m_Running);
    auto context = std::make_shared<MTaskContext>();
    context->account = &TheAccount();
    context->tree = std::move(snapshot);
    context->reporter = m_Recorder.get();
    context->pacer = m_Pacer.get();
    context->running = &m_Running;
    context->feature = CurrentFeature();

    SetStatus(m_StartText);
    m_Running = true;
    m_Busy = true;
    ++BusyCount();
    ShowRunning(true);
    ClearResults();
    OnReportProgress(MTaskProgress());
    mProgressRow->show();
    mBtnReport->hide();
    ShowResultView();

    // A run that ends without its finish text (stopped early) still gets its report.
    QThread* thread = QThread::create([context, recorder = m_Recorder, work = std::move(work)] {
        work(*context);
        recorder->WriteReport();
    });
    thread->setObjectName(threadName);
    m_ThreadName = threadName;
    connect(thread, &QThread::finished, this, &MPanelBase::EndRun);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    return true;
}

void MPanelBase::EndRun()
{
    m_Running = false;
    if (m_Busy)
        --BusyCount();
    m_Busy = false;
    ShowRunning(false);
    mProgressRow->hide();
    if (mResultTable->isVisibleTo(this))
        mResultTable->ShowSummary();
    m_LastReport = m_Recorder ? m_Recorder->ReportPath() : QString();
    mBtnReport->setVisible(!m_LastReport.isEmpty());
    OnRunEnded();
    emit RunEnded();
}

void MPanelBase::OpenReport()
{
    if (!m_LastReport.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(MRunReport::HtmlPathFor(m_LastReport)));
}

void MPanelBase::ShowRunning(bool running)
{
    const QStyle::StandardPixmap symbol = running ? QStyle::SP_MediaStop : QStyle::SP_MediaPlay;
    mBtnStart->setIcon(style()->standardIcon(symbol));
    mBtnStart->setText(Localized(running ? "guiStop" : "guiStart"));
    mBtnStart->setEnabled(true);
}

std::optional<MRunRecording> MPanelBase::ChooseRecording(const MRunJournal::MIdentity& identity, bool skipImported)
{
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

QCheckBox* MPanelBase::MakeSkipImportedBox(const QString& settingsKey, const char* label, const char* tip)
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
    return box;
}
