#include "MarkdownPlan.h"

#include "util/FileUtils.h"

#include <QFileInfo>
#include <algorithm>

MMarkdownPlan::MMarkdownPlan(QString exportFolder)
    : m_ExportFolder(std::move(exportFolder))
{ }

QString MMarkdownPlan::Relative(const QString& file) const
{
    return file.startsWith(m_ExportFolder + QLatin1Char('/')) ? file.mid(m_ExportFolder.size() + 1) : file;
}

QString MMarkdownPlan::FreePath(const QString& folder, const QString& base, const QString& ext, const QString& reserved)
{
    const auto taken = [&](const QString& name, const QString& path) {
        return m_Given.contains(path.toLower()) || QFileInfo::exists(path)
            || name.compare(reserved, Qt::CaseInsensitive) == 0;
    };
    QString name = base;
    QString path = folder + QLatin1Char('/') + name + ext;
    for (int n = 1; taken(name, path); ++n) {
        name = QStringLiteral("%1(%2)").arg(base).arg(n);
        path = folder + QLatin1Char('/') + name + ext;
    }
    m_Given.insert(path.toLower());
    return path;
}

void MMarkdownPlan::AddSection(const QString& sectionFolder, QList<MPageEntry> pages)
{
    // The list comes in the service's order; the section's own order is what nesting follows.
    if (std::all_of(pages.begin(), pages.end(), [](const MPageEntry& p) { return p.order >= 0; }))
        std::stable_sort(
            pages.begin(), pages.end(), [](const MPageEntry& a, const MPageEntry& b) { return a.order < b.order; });
    const QString resources = sectionFolder + QLatin1Char('/') + ResourceFolderName();
    struct MOpen
    {
        int level;
        QString childFolder;
    };
    std::vector<MOpen> open; // the pages above the current one, outermost first
    for (qsizetype i = 0; i < pages.size(); ++i) {
        const MPageEntry& entry = pages.at(i);
        while (!open.empty() && open.back().level >= entry.level)
            open.pop_back();
        const QString folder = open.empty() ? sectionFolder : open.back().childFolder;
        QString base = MUtils::SanitizeFileNameString(entry.title);
        // A title of nothing but removed characters would give a hidden ".md".
        if (base.isEmpty())
            base = QString::number(i);
        const QString file
            = FreePath(folder, base, QStringLiteral(".md"), open.empty() ? ResourceFolderName() : QString());
        m_Pages.push_back({entry, file, Relative(file), resources});
        m_Index.Add(entry.clientUrl, entry.webUrl, m_Pages.back().relativeFile);
        open.push_back({entry.level, file.chopped(3)});
    }
}

QString MMarkdownPlan::ReserveResource(const MMarkdownPlannedPage& page, const QString& suggestedName)
{
    const QString name = SafePathComponent(suggestedName);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const bool hasExt = dot > 0;
    return FreePath(page.resourceFolder, hasExt ? name.left(dot) : name, hasExt ? name.mid(dot) : QString());
}

QString MMarkdownPlan::RelativeToPage(const MMarkdownPlannedPage& page, const QString& file) const
{
    return RelativeFilePath(page.relativeFile, Relative(file));
}
