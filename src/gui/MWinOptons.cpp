#include "MWinOptons.h"

#include "app/GlobalSettings.h"
#include "app/MStrings.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QWidget* SecondsField(QLineEdit* field, QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    field->setMaximumWidth(90);
    field->setAlignment(Qt::AlignRight);
    layout->addWidget(field);
    layout->addWidget(new QLabel(Localized("guiOptionsSeconds"), row));
    layout->addStretch(1);
    return row;
}

} // namespace

MWinOptons::MWinOptons(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(Localized("guiOptionsTitle"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(14);

    auto* intro = new QLabel(Localized("guiOptionsIntro"), this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* form = new QFormLayout();
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setHorizontalSpacing(12);
    tfUploadInterval = new QLineEdit(this);
    tfUploadInterval->setObjectName(QStringLiteral("tfUploadInterval"));
    tfDownloadInterval = new QLineEdit(this);
    tfDownloadInterval->setObjectName(QStringLiteral("tfDownloadInterval"));
    form->addRow(Localized("guiOptionsUploadInterval"), SecondsField(tfUploadInterval, this));
    form->addRow(Localized("guiOptionsDownloadInterval"), SecondsField(tfDownloadInterval, this));
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &MWinOptons::ButtonOKClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &MWinOptons::ButtonCancelClick);
    layout->addWidget(buttons);

    setMinimumWidth(420);
    windowDidLoad();
}

void MWinOptons::windowDidLoad()
{
    tfUploadInterval->setText(QString::number(GlobalSettings().UploadInterval.load()));
    tfDownloadInterval->setText(QString::number(GlobalSettings().DownloadInterval.load()));
}

void MWinOptons::ButtonOKClick()
{
    GlobalSettings().UploadInterval = LeadingInteger(tfUploadInterval->text());
    GlobalSettings().DownloadInterval = LeadingInteger(tfDownloadInterval->text());
    SaveGlobalSettings();
    accept();
}

qint64 MWinOptons::LeadingInteger(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        negative = text.at(i++) == QLatin1Char('-');
    qint64 value = 0;
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9'); ++i) {
        if (value > (std::numeric_limits<qint64>::max() - 9) / 10)
            break; // saturate rather than overflow on an absurdly long number
        value = value * 10 + (text.at(i).unicode() - '0');
    }
    return negative ? -value : value;
}
