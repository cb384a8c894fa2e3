#include "MPanelBase.h"

#include "MDesktopReporter.h"
#include "MFeatureButtons.h"
#include "account/MAccount.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"
#include "model/MONObject.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QThread>
#include <QVBoxLayout>

MPanelBase::MPanelBase(const QString& title, QWidget* parent)
    : QWidget(parent)
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
    mStatusBar = new QLabel(mStartRow);
    mStatusBar->setObjectName(QStringLiteral("mStatusBar"));
    mStatusBar->setTextInteractionFlags(Qt::TextSelectableByMouse);
    row->addWidget(mStatusBar, 1);
    layout->addWidget(mStartRow);

    mResult = new QPlainTextEdit(this);
    mResult->setObjectName(QStringLiteral("mResult"));
    mResult->setReadOnly(true);
    layout->addWidget(mResult, 1);

    ShowRunning(false);
}

MPanelBase::~MPanelBase() = default;

MONObject*& MPanelBase::SharedTreeSlot()
{
    static MONObject* root = nullptr;
    return root;
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
    return mStatusBar->text();
}

QString MPanelBase::ResultText() const
{
    return mResult->toPlainText();
}

void MPanelBase::SetResultAreaVisible(bool visible)
{
    mResult->setVisible(visible);
}

void MPanelBase::SetStartRowVisible(bool visible)
{
    mStartRow->setVisible(visible);
}

void MPanelBase::SetStatus(const QString& text)
{
    mStatusBar->setText(text);
}

void MPanelBase::SetResult(const QString& text)
{
    mResult->setPlainText(text);
}

void MPanelBase::OnReportMessage(const QString& result, const QString& status)
{
    SetResult(result);
    SetStatus(status);
}

void MPanelBase::StartStopClicked()
{
    if (m_Busy) {
        // The worker reads the flag before each item and ends by itself; it is not waited for.
        m_Running = false;
        mBtnStart->setEnabled(false);
        return;
    }
    StartRun();
}

bool MPanelBase::BeginRun(const QString& threadName, std::function<void(MTaskContext&)> work)
{
    if (m_Busy)
        return false;
    std::shared_ptr<const MONObject> snapshot
        = SharedTree() ? std::shared_ptr<const MONObject>(SharedTree()->CloneTree()) : std::make_shared<MONObject>();
    m_Pacer = std::make_unique<MPacer>(
        GlobalSettings().UploadInterval.load(), GlobalSettings().DownloadInterval.load(), &m_Running);
    auto context = std::make_shared<MTaskContext>();
    context->account = &TheAccount();
    context->tree = std::move(snapshot);
    context->reporter = m_Reporter.get();
    context->pacer = m_Pacer.get();
    context->running = &m_Running;
    context->feature = CurrentFeature();

    SetStatus(Localized("strStart"));
    m_Running = true;
    m_Busy = true;
    ShowRunning(true);

    QThread* thread = QThread::create([context, work = std::move(work)] { work(*context); });
    thread->setObjectName(threadName);
    connect(thread, &QThread::finished, this, &MPanelBase::EndRun);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
    return true;
}

void MPanelBase::EndRun()
{
    m_Running = false;
    m_Busy = false;
    ShowRunning(false);
    OnRunEnded();
    emit RunEnded();
}

void MPanelBase::ShowRunning(bool running)
{
    const QStyle::StandardPixmap symbol = running ? QStyle::SP_MediaStop : QStyle::SP_MediaPlay;
    mBtnStart->setIcon(style()->standardIcon(symbol));
    mBtnStart->setText(Localized(running ? "guiStop" : "guiStart"));
    mBtnStart->setEnabled(true);
}
