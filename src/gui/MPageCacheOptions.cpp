#include "MPageCacheOptions.h"

#include "app/AppPaths.h"
#include "app/MStrings.h"
#include "tasks/MPageCache.h"
#include "util/Formats.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

MPageCacheOptions::MPageCacheOptions(QWidget* parent)
    : QGroupBox(Localized("guiOptionsPageCache"), parent)
{
    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(12);
    auto* intro = new QLabel(Localized("guiOptionsPageCacheIntro"), this);
    intro->setWordWrap(true);
    layout->addWidget(intro, 0, 0, 1, 4);

    cbPageCache = new QCheckBox(Localized("guiOptionsPageCacheOn"), this);
    cbPageCache->setObjectName(QStringLiteral("cbPageCache"));
    tfPageCacheMB = new QLineEdit(this);
    tfPageCacheMB->setObjectName(QStringLiteral("tfPageCacheMB"));
    tfPageCacheMB->setMaximumWidth(90);
    tfPageCacheMB->setAlignment(Qt::AlignRight);
    layout->addWidget(cbPageCache, 1, 0);
    layout->addWidget(new QLabel(Localized("guiOptionsPageCacheLimit"), this), 1, 1, Qt::AlignRight);
    layout->addWidget(tfPageCacheMB, 1, 2);
    layout->addWidget(new QLabel(Localized("guiOptionsMegabytes"), this), 1, 3);
    connect(cbPageCache, &QCheckBox::toggled, tfPageCacheMB, &QWidget::setEnabled);

    m_Size = new QLabel(this);
    m_Size->setObjectName(QStringLiteral("pageCacheSize"));
    btnClearPageCache = new QPushButton(Localized("guiOptionsClearPageCache"), this);
    btnClearPageCache->setObjectName(QStringLiteral("btnClearPageCache"));
    connect(btnClearPageCache, &QPushButton::clicked, this, &MPageCacheOptions::ClearCache);
    auto* row = new QHBoxLayout();
    row->addWidget(m_Size, 1);
    row->addWidget(btnClearPageCache);
    layout->addLayout(row, 2, 0, 1, 4);
    layout->setColumnStretch(0, 1);

    const MPageCacheSettings settings = MPageCacheSettings::Load(AppPaths().settingsFile);
    cbPageCache->setChecked(settings.on);
    tfPageCacheMB->setEnabled(settings.on);
    tfPageCacheMB->setText(QString::number(settings.limitMB));
    ShowSize();
}

bool MPageCacheOptions::Save() const
{
    MPageCacheSettings settings;
    settings.on = cbPageCache->isChecked();
    settings.limitMB = std::max<qint64>(0, StringToInteger(tfPageCacheMB->text()));
    return settings.Save(AppPaths().settingsFile);
}

void MPageCacheOptions::ClearCache()
{
    // Read the cache as it lies: the window opens no file that is not there.
    MPageCache(MPageCache::DefaultPath(), MPageCacheSettings().LimitBytes(), MPageCache::Mode::ExistingOnly).Clear();
    ShowSize();
}

QString MPageCacheOptions::SizeText() const
{
    return m_Size->text();
}

void MPageCacheOptions::ShowSize()
{
    const MPageCacheUsage usage
        = MPageCache(MPageCache::DefaultPath(), MPageCacheSettings().LimitBytes(), MPageCache::Mode::ExistingOnly)
              .Usage();
    m_Size->setText(Localized("guiOptionsPageCacheSize").arg(usage.pages).arg(FormatByteSize(usage.fileBytes)));
    btnClearPageCache->setEnabled(usage.pages > 0 || usage.fileBytes > 0);
}
