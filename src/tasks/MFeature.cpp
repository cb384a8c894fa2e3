#include "MFeature.h"

const QList<MFeatureInfo>& Features()
{
    using F = MFeature;
    // A new feature (an export kind, say) is one row here; its button and panel are one row of the
    // desktop's strip.
    static const QList<MFeatureInfo> rows {
        {F::ImportEvernote, "btnImportEvernote", "guiBtnImportEvernote", "guiTipImportEvernote", "import-enex",
            "import-enex", ""},
        {F::ImportNotes, "btnImportNotes", "guiBtnImportNotes", "guiTipImportNotes", "import-notes", "import-files",
            "notes"},
        {F::ImportGoogleKeep, "btnImportGoogleKeep", "guiBtnImportGoogleKeep", "guiTipImportGoogleKeep", "import-keep",
            "import-files", "keep"},
        {F::ImportTxt, "btnImportTxt", "guiBtnImportTxt", "guiTipImportTxt", "import-txt", "import-files", "txt"},
        {F::ImportHtml, "btnImportHtml", "guiBtnImportHtml", "guiTipImportHtml", "import-html", "import-files", "html"},
        {F::ImportImages, "btnImportImages", "guiBtnImportImages", "guiTipImportImages", "import-images",
            "import-files", "images"},
        {F::ImportTree, "btnImportTree", "guiBtnImportTree", "guiTipImportTree", "import-tree", "import-tree", ""},
        {F::ExportTxt, "btnExportToTxt", "guiBtnExportToTxt", "guiTipExportToTxt", "export-txt", "export", "txt"},
        {F::ExportHtml, "btnExportToHtml", "guiBtnExportToHtml", "guiTipExportToHtml", "export-html", "export", "html"},
        {F::ExportMarkdown, "btnExportToMarkdown", "guiBtnExportToMarkdown", "guiTipExportToMarkdown", "export-md",
            "export", "md"},
        {F::Backup, "btnBackup", "guiBtnBackup", "guiTipBackup", "export-backup", "export", "backup"},
        {F::Search, "btnSearch", "guiBtnSearch", "guiTipSearch", "search", "search", ""},
        {F::Replace, "btnReplace", "guiBtnReplace", "guiTipReplace", "retitle", "retitle", ""},
        {F::ListTags, "btnListTags", "guiBtnListTags", "guiTipListTags", "tags", "tags", ""},
        {F::ListAttachments, "btnListAttachments", "guiBtnListAttachments", "guiTipListAttachments", "attachments",
            "attachments", ""},
        {F::FindLost, "btnFindLost", "guiBtnFindLost", "guiTipFindLost", "lost", "lost", ""},
        {F::CopySections, "btnCopySections", "guiBtnCopySections", "guiTipCopySections", "copy-sections",
            "copy-sections", ""},
        {F::Restore, "btnRestore", "guiBtnRestore", "guiTipRestore", "restore", "restore", ""},
        {F::SectionSize, "btnSectionSize", "guiBtnSectionSize", "guiTipSectionSize", "sizes", "sizes", ""},
        {F::Account, "btnAccount", "guiBtnAccount", "guiTipAccount", "account", "", ""},
    };
    return rows;
}

const MFeatureInfo& FeatureInfo(MFeature feature)
{
    for (const MFeatureInfo& row : Features()) {
        if (row.feature == feature)
            return row;
    }
    return Features().front(); // every feature has its row (a test keeps it so)
}

QString ButtonId(MFeature feature)
{
    return QLatin1String(FeatureInfo(feature).buttonId);
}

QString LedgerName(MFeature feature)
{
    return QLatin1String(FeatureInfo(feature).ledgerName);
}

std::optional<MFeature> FeatureOfButton(const QString& buttonId)
{
    for (const MFeatureInfo& row : Features()) {
        if (buttonId.compare(QLatin1String(row.buttonId), Qt::CaseInsensitive) == 0)
            return row.feature;
    }
    return std::nullopt;
}

std::optional<MFeature> FeatureOfLedgerName(const QString& ledgerName)
{
    for (const MFeatureInfo& row : Features()) {
        if (ledgerName == QLatin1String(row.ledgerName))
            return row.feature;
    }
    return std::nullopt;
}

std::optional<MFeature> FeatureOfCommand(const QString& command, const QString& kind)
{
    for (const MFeatureInfo& row : Features()) {
        if (command == QLatin1String(row.command) && kind == QLatin1String(row.kind) && !command.isEmpty())
            return row.feature;
    }
    return std::nullopt;
}

QStringList CommandKinds(const QString& command)
{
    QStringList kinds;
    for (const MFeatureInfo& row : Features()) {
        if (command == QLatin1String(row.command) && *row.kind)
            kinds.append(QLatin1String(row.kind));
    }
    return kinds;
}

QString ReportName(MFeature feature)
{
    const QString id = ButtonId(feature);
    return (id.startsWith(QLatin1String("btn")) ? id.mid(3) : id).toLower();
}
