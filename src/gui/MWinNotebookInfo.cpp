#include "MWinNotebookInfo.h"

#include "WindowSize.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

MWinNotebookInfo::MWinNotebookInfo(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(Localized("guiMenuNotebookInfo"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    m_NSTVInfo = new QPlainTextEdit(this);
    m_NSTVInfo->setObjectName(QStringLiteral("m_NSTVInfo"));
    m_NSTVInfo->setReadOnly(true);
    layout->addWidget(m_NSTVInfo);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    ResizeToFit(this, QSize(560, 360));
}

void MWinNotebookInfo::SetONObj(const MNotebookNode* notebook)
{
    m_NSTVInfo->setPlainText(notebook ? DisplayMessage(*notebook) : QString());
}

QString MWinNotebookInfo::DisplayMessage(const MNotebookNode& notebook)
{
    if (notebook.userRole == QLatin1String("Owner")) {
        return QStringLiteral("%1\n%2\n\n%3\n%4\n\n%5\n%6")
            .arg(Localized("strNotebookName"), notebook.name, Localized("strClientLink"), notebook.clientUrl,
                Localized("strWebLink"), notebook.webUrl);
    }
    return QStringLiteral("%1\n%2\n\n%3\n%4\n\n%5\n%6\n\n%7\n%8\n\n%9\n%10")
        .arg(Localized("strNotebookName"), notebook.name, Localized("strNotebookCreatedBy"), notebook.createdBy,
            Localized("strNotebookCreatorId"), notebook.creatorId, Localized("strClientLink"), notebook.clientUrl,
            Localized("strWebLink"), notebook.webUrl);
}

QString MWinNotebookInfo::Text() const
{
    return m_NSTVInfo->toPlainText();
}
