#include "MPanelBase.h"

#include "MDesktopReporter.h"
#include "MFeatureButtons.h"
#include "MessageBox.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/GlobalSettings.h"
#include "app/MConfig.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
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

    m_Title = new QLabel(title, this);
    m_Title->setObjectName(QStringLiteral("panelTitle"));
    QFont titleFont = m_Title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    m_Title->setFont(titleFont);
    layout->addWidget(m_Title);

    m_Content = new QVBoxLayout();
    m_Content->setSpacing(8);
    layout->addLayout(m_Content);

    m_StartRow = new QWidget(this);
    auto* row = new QHBoxLayout(m_StartRow);
    row->setContentsMargins(0, 0, 0, 0);
    m_BtnStart = new QPushButton(m_StartRow);
    m_BtnStart->setObjectName(QStringLiteral("mBtnStart"));
    m_BtnStart->setMinimumWidth(110);
    connect(m_BtnStart, &QPushButton::clicked, this, &MPanelBase::StartStopClicked);
    row->addWidget(m_BtnStart);
    // Statuses are often paths as deep as the notebooks: cut in the middle, the window keeps its size.
    m_StatusBar = new MElidedLabel(m_StartRow, Qt::ElideMiddle);
    m_StatusBar->setObjectName(QStringLiteral("mStatusBar"));
    m_StatusBar->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row->addWidget(m_StatusBar, 1);
    m_BtnReport = new QPushButton(Localized("guiOpenReport"), m_StartRow);
    m_BtnReport->setObjectName(QStringLiteral("mBtnReport"));
    m_BtnReport->hide();
    connect(m_BtnReport, &QPushButton::clicked, this, &MPanelBase::OpenReport);
    row->addWidget(m_BtnReport);
    layout->addWidget(m_StartRow);

    m_ProgressRow = new QWidget(this);
    auto* progressRow = new QHBoxLayout(m_ProgressRow);
    progressRow->setContentsMargins(0, 0, 0, 0);
    m_Progress = new QProgressBar(m_ProgressRow);
    m_Progress->setObjectName(QStringLiteral("mProgress"));
    // The count stands beside the bar in words; a percentage inside it would say less.
    m_Progress->setTextVisible(false);
    m_Progress->setMaximumHeight(m_Progress->fontMetrics().height());
    progressRow->addWidget(m_Progress, 1);
    m_ProgressText = new QLabel(m_ProgressRow);
    m_ProgressText->setObjectName(QStringLiteral("mProgressText"));
    progressRow->addWidget(m_ProgressText);
    m_ProgressRow->hide();
    layout->addWidget(m_ProgressRow);

    m_Result = new QPlainTextEdit(this);
    m_Result->setObjectName(QStringLiteral("mResult"));
    m_Result->setReadOnly(true);
    layout->addWidget(m_Result, 1);
    m_ResultTable = new MResultTable(this);
    layout->addWidget(m_ResultTable, 1);

    ShowRunning(false);
    ShowResultView();
}

MPanelBase::~MPanelBase() = default;

MNotebookNode*& MPanelBase::SharedTreeSlot()
{
    static MNotebookNode* root = nullptr;
    return root;
}

int& MPanelBase::BusyCount()
{
    static int busy = 0;
    return busy;
}

void MPanelBase::SetSharedTree(MNotebookNode* root)
{
    SharedTreeSlot() = root;
}

MNotebookNode* MPanelBase::SharedTree()
{
    return SharedTreeSlot();
}

void MPanelBase::SetTitle(const QString& title)
{
    m_Title->setText(title);
}

QString MPanelBase::Title() const
{
    return m_Title->text();
}

QString MPanelBase::StatusText() const
{
    return m_StatusBar->FullText();
}

QString MPanelBase::ResultText() const
{
    return m_Result->toPlainText();
}

QString MPanelBase::ProgressText() const
{
    return m_ProgressText->text();
}

void MPanelBase::UseResultTable()
{
    m_ListPanel = true;
    ShowResultView();
}

void MPanelBase::SetOwnResultView(QWidget* view)
{
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    layout->insertWidget(layout->indexOf(m_Result), view, 3);
    m_OwnView = view;
    ShowResultView();
}

void MPanelBase::AddToStartRow(QWidget* widget)
{
    widget->setParent(m_StartRow);
    m_StartRow->layout()->addWidget(widget);
}

void MPanelBase::SetResultAreaVisible(bool visible)
{
    m_ResultAreaVisible = visible;
    ShowResultView();
}

void MPanelBase::ShowResultView()
{
    if (m_OwnView) {
        m_ResultTable->setVisible(m_ResultAreaVisible && m_ResultTable->Model()->rowCount() > 0);
        m_Result->setVisible(false);
        return;
    }
    const bool table = m_ResultTable->Model()->rowCount() > 0 || (m_ListPanel && m_Result->document()->isEmpty());
    m_ResultTable->setVisible(m_ResultAreaVisible && table);
    m_Result->setVisible(m_ResultAreaVisible && !table);
}

void MPanelBase::SetStartRowVisible(bool visible)
{
    m_StartRow->setVisible(visible);
}

void MPanelBase::SetStatus(const QString& text)
{
    m_StatusBar->SetFullText(text);
}

void MPanelBase::SetResult(const QString& text)
{
    m_Result->setPlainText(text);
    ShowResultView();
}

void MPanelBase::ClearResults()
{
    m_ResultTable->Clear();
    SetResult(QString());
}

void MPanelBase::OnReportProgress(const MTaskProgress& progress)
{
    if (progress.total > 0) {
        m_Progress->setRange(0, int(qMin<qint64>(progress.total, INT_MAX)));
        m_Progress->setValue(int(qMin(progress.done, progress.total)));
    } else {
        m_Progress->setRange(0, 0); // busy: how many there are is not known yet
    }
    const bool counted = progress.total > 0 || progress.done > 0;
    m_ProgressText->setText(counted ? ProgressLineText(progress) : TimeLeftText(progress));
}

void MPanelBase::OnReportItem(const MTaskItem& item)
{
    m_ResultTable->Report(item);
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
    m_BtnStart->setEnabled(false);
}

bool MPanelBase::BeginRun(
    const QString& threadName, std::function<void(MTaskContext&)> work, const QString& source, const QString& target)
{
    if (m_Busy)
        return false;
    const std::optional<MFeature> feature = CurrentFeature();
    m_Recorder = std::make_shared<MRunRecorder>(
        m_Reporter.get(), feature ? ReportName(*feature) : QStringLiteral("run"), Title(), &m_Running);
    m_Recorder->SetSourceAndTarget(source, target);
    std::shared_ptr<const MNotebookNode> snapshot = SharedTree()
        ? std::shared_ptr<const MNotebookNode>(SharedTree()->CloneTree())
        : std::make_shared<MNotebookNode>();
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
    m_RunFinished = false;
    ++BusyCount();
    ShowRunning(true);
    ClearResults();
    OnReportProgress(MTaskProgress());
    m_ProgressRow->show();
    m_BtnReport->hide();
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
    m_ProgressRow->hide();
    if (m_ResultTable->isVisibleTo(this))
        m_ResultTable->ShowSummary();
    m_LastReport = m_Recorder ? m_Recorder->ReportPath() : QString();
    m_BtnReport->setVisible(!m_LastReport.isEmpty());
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
    m_BtnStart->setIcon(style()->standardIcon(symbol));
    m_BtnStart->setText(Localized(running ? "guiStop" : "guiStart"));
    m_BtnStart->setEnabled(true);
}
