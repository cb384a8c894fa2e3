#include "MWinOptions.h"

#include "MPageCacheOptions.h"
#include "MWinGuide.h"
#include "account/MAccount.h"
#include "app/GlobalSettings.h"
#include "app/MStrings.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpacerItem>
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

MWinOptions::MWinOptions(QWidget* parent)
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

    // The ids share the pauses' label column, so that all fields line up.
    form->addItem(new QSpacerItem(0, 10));
    auto* ids = new QLabel(Localized("guiOptionsClientIds"), this);
    ids->setWordWrap(true);
    form->addRow(ids);
    for (auto [field, name, label] : {std::tuple {&tfClientIdGraph, "tfClientIdGraph", "guiOptionsClientIdGraph"},
             std::tuple {&tfClientIdOneNote, "tfClientIdOneNote", "guiOptionsClientIdOneNote"}}) {
        *field = new QLineEdit(this);
        (*field)->setObjectName(QLatin1String(name));
        (*field)->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        (*field)->setPlaceholderText(QStringLiteral("00000000-0000-0000-0000-000000000000"));
        form->addRow(Localized(label), *field);
    }
    auto* guide = new QLabel(
        QStringLiteral("<a href=\"guide\">%1</a>").arg(Localized("guiOptionsGuide").toHtmlEscaped()), this);
    connect(guide, &QLabel::linkActivated, this, [this] { MWinGuide::Open(this); });
    form->addRow(QString(), guide);
    layout->addLayout(form);
    pageCache = new MPageCacheOptions(this);
    layout->addWidget(pageCache);
    m_Problem = new QLabel(this);
    m_Problem->setObjectName(QStringLiteral("optionsProblem"));
    m_Problem->setWordWrap(true);
    m_Problem->setStyleSheet(QStringLiteral("QLabel { color: #c42b1c; }"));
    m_Problem->hide();
    layout->addWidget(m_Problem);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &MWinOptions::ButtonOKClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &MWinOptions::ButtonCancelClick);
    layout->addWidget(buttons);

    setMinimumWidth(520);
    windowDidLoad();
}

void MWinOptions::windowDidLoad()
{
    tfUploadInterval->setText(QString::number(GlobalSettings().UploadInterval.load()));
    tfDownloadInterval->setText(QString::number(GlobalSettings().DownloadInterval.load()));
    tfClientIdGraph->setText(TheAccount().GetAPIClientID(MAccount::Personal));
    tfClientIdOneNote->setText(TheAccount().GetAPIClientID(MAccount::OneNotePersonal));
}

void MWinOptions::ButtonOKClick()
{
    // An id that is no GUID would only fail later, on Microsoft's sign-in page: nothing is stored.
    for (QLineEdit* field : {tfClientIdGraph, tfClientIdOneNote}) {
        const QString id = field->text().trimmed();
        if (!id.isEmpty() && !IsApplicationId(id)) {
            m_Problem->setText(Localized("msgNotApplicationId").arg(id));
            m_Problem->show();
            field->setFocus();
            field->selectAll();
            return;
        }
    }
    GlobalSettings().UploadInterval = LeadingInteger(tfUploadInterval->text());
    GlobalSettings().DownloadInterval = LeadingInteger(tfDownloadInterval->text());
    SaveGlobalSettings();
    TheAccount().SaveClientId(MAccount::Personal, tfClientIdGraph->text());
    TheAccount().SaveClientId(MAccount::OneNotePersonal, tfClientIdOneNote->text());
    pageCache->Save();
    accept();
}

QString MWinOptions::Problem() const
{
    return m_Problem->isHidden() ? QString() : m_Problem->text();
}

qint64 MWinOptions::LeadingInteger(const QString& text)
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
