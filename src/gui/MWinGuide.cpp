#include "MWinGuide.h"

#include "MIcons.h"
#include "WindowSize.h"
#include "app/MStrings.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QPointer>
#include <QTextBrowser>
#include <QVBoxLayout>

MWinGuide::MWinGuide(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(Localized("guiGuideTitle"));
    setWindowIcon(ResourceIcon(QStringLiteral("Pagewright")));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 10);
    m_Browser = new QTextBrowser(this);
    m_Browser->setObjectName(QStringLiteral("guideText"));
    m_Browser->setOpenExternalLinks(true);
    m_Browser->setFrameShape(QFrame::NoFrame);
    m_Browser->document()->setDocumentMargin(18);
    m_Browser->setMarkdown(Text());
    layout->addWidget(m_Browser, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setContentsMargins(12, 0, 12, 0);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    ResizeToFit(this, QSize(760, 720));
}

QString MWinGuide::Text()
{
    ResourceIcon(QStringLiteral("Pagewright")); // makes sure the resources are registered
    QFile file(QStringLiteral(":/docs/microsoft-account.md"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void MWinGuide::Open(QWidget* parent)
{
    // Not modal: the user reads it while working in the admin center and in the sign-in window.
    static QPointer<MWinGuide> guide;
    if (!guide) {
        guide = new MWinGuide(parent);
        guide->setAttribute(Qt::WA_DeleteOnClose);
    }
    guide->show();
    guide->raise();
    guide->activateWindow();
}
