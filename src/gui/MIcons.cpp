#include "MIcons.h"

#include "model/MONObject.h"

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

QString NodeIconName(const MONObject& node, bool distinguishShared)
{
    switch (node.objType) {
    case MONObject::Section:
        return QStringLiteral("Section");
    case MONObject::SectionGroup:
        return QStringLiteral("SectionGroup");
    case MONObject::Notebook:
        // A notebook the service gave no role for (a panel's own copy, a planned one) is no shared one.
        if (!distinguishShared || node.userRole.isEmpty() || node.userRole == QLatin1String("Owner"))
            return QStringLiteral("Notebook");
        return QStringLiteral("NotebookShared");
    case 4:
        return QStringLiteral("Page");
    case 5:
        return QStringLiteral("Paragraph");
    case 6:
        return QStringLiteral("RecognisedText");
    default:
        return QString();
    }
}

QIcon NodeIcon(const MONObject& node, bool distinguishShared)
{
    const QString name = NodeIconName(node, distinguishShared);
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

QIcon OutcomeIcon(MNodeOutcome outcome)
{
    switch (outcome) {
    case MNodeOutcome::Success:
        return OutcomeIcon(MItemOutcome::Created);
    case MNodeOutcome::Reused:
        return OutcomeIcon(MItemOutcome::Reused);
    case MNodeOutcome::Failed:
        return OutcomeIcon(MItemOutcome::Failed);
    case MNodeOutcome::None:
    case MNodeOutcome::Size:
        return QIcon();
    }
    return QIcon();
}
