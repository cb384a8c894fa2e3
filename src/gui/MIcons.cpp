#include "MIcons.h"

#include "model/MNotebookNode.h"

#include <QFile>
#include <QHash>

static void InitGuiResources()
{
    Q_INIT_RESOURCE(gui);
}

QIcon ResourceIcon(const QString& name)
{
    static QHash<QString, QIcon> cache;
    const auto found = cache.constFind(name);
    if (found != cache.constEnd())
        return *found;
    InitGuiResources();
    const QIcon icon(QStringLiteral(":/icons/%1.svg").arg(name));
    cache.insert(name, icon);
    return icon;
}

bool ResourceIconExists(const QString& name)
{
    InitGuiResources();
    return QFile::exists(QStringLiteral(":/icons/%1.svg").arg(name));
}

QString NodeIconName(MNodeKind kind, bool shared)
{
    switch (kind) {
    case MNodeKind::Section:
        return QStringLiteral("Section");
    case MNodeKind::SectionGroup:
        return QStringLiteral("SectionGroup");
    case MNodeKind::Notebook:
        return shared ? QStringLiteral("NotebookShared") : QStringLiteral("Notebook");
    case MNodeKind::Page:
        return QStringLiteral("Page");
    case MNodeKind::Paragraph:
        return QStringLiteral("Paragraph");
    case MNodeKind::RecognisedText:
        return QStringLiteral("RecognisedText");
    case MNodeKind::Root:
        break;
    }
    return QString();
}

QIcon NodeIcon(const MNotebookNode& node, bool distinguishShared)
{
    const QString name = NodeIconName(node.kind, distinguishShared && node.Shared());
    return name.isEmpty() ? QIcon() : ResourceIcon(name);
}

QIcon OutcomeIcon(MItemOutcome outcome)
{
    switch (outcome) {
    case MItemOutcome::Sending:
        return ResourceIcon(QStringLiteral("StatusSending"));
    case MItemOutcome::Created:
        return ResourceIcon(QStringLiteral("StatusCreated"));
    case MItemOutcome::Reused:
        return ResourceIcon(QStringLiteral("StatusReused"));
    case MItemOutcome::Skipped:
        return ResourceIcon(QStringLiteral("StatusSkipped"));
    case MItemOutcome::Failed:
        return ResourceIcon(QStringLiteral("StatusFailed"));
    case MItemOutcome::NotAttempted:
        break;
    }
    return QIcon();
}
