#include "MWinAbout.h"

#include "MDesktopMessageBox.h"
#include "MIcons.h"
#include "account/MAccount.h"
#include "app/AppPaths.h"
#include "app/MStrings.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr const char* kSupportAddress = "support@brindlecraft.com";

} // namespace

MWinAbout::MWinAbout(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(Localized("guiMenuAbout"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 22, 28, 16);
    layout->setSpacing(8);

    auto* icon = new QLabel(this);
    icon->setPixmap(ResourceIcon(QStringLiteral("Pagewright")).pixmap(QSize(72, 72)));
    icon->setAlignment(Qt::AlignHCenter);
    layout->addWidget(icon);

    auto* name = new QLabel(QLatin1String(kApplicationName), this);
    QFont nameFont = name->font();
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.6);
    nameFont.setBold(true);
    name->setFont(nameFont);
    name->setAlignment(Qt::AlignHCenter);
    layout->addWidget(name);

    tfVersion = new QLabel(QStringLiteral("%1 %2").arg(Localized("strVersion"), ApplicationVersion()), this);
    tfVersion->setObjectName(QStringLiteral("tfVersion"));
    tfVersion->setAlignment(Qt::AlignHCenter);
    tfVersion->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(tfVersion);

    auto* tagline = new QLabel(Localized("guiAboutTagline"), this);
    tagline->setAlignment(Qt::AlignHCenter);
    tagline->setWordWrap(true);
    layout->addWidget(tagline);
    layout->addSpacing(8);

    auto* links = new QHBoxLayout();
    const QString linkStyle
        = QStringLiteral("QPushButton { color: palette(link); text-decoration: underline; border: none; "
                         "padding: 2px 6px; }");
    links->addStretch(1);
    auto* website = new QPushButton(Localized("guiAboutWebsite"), this);
    website->setFlat(true);
    website->setStyleSheet(linkStyle);
    website->setCursor(Qt::PointingHandCursor);
    connect(website, &QPushButton::clicked, this, &MWinAbout::buttonLabelWebsiteClick);
    links->addWidget(website);
    auto* support = new QPushButton(Localized("guiAboutSupport"), this);
    support->setFlat(true);
    support->setStyleSheet(linkStyle);
    support->setCursor(Qt::PointingHandCursor);
    connect(support, &QPushButton::clicked, this, &MWinAbout::buttonLabelSupportClick);
    links->addWidget(support);
    links->addStretch(1);
    layout->addLayout(links);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

QString MWinAbout::WebsiteUrl()
{
    return TheAccount().Endpoints().makerWeb;
}

QString MWinAbout::SupportMailUrl()
{
    return QStringLiteral("mailto:%1?subject=%2").arg(QLatin1String(kSupportAddress), QLatin1String(kApplicationName));
}

void MWinAbout::buttonLabelWebsiteClick()
{
    OpenInBrowser(WebsiteUrl());
}

void MWinAbout::buttonLabelSupportClick()
{
    OpenInBrowser(SupportMailUrl());
}
