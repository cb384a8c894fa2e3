#include "MFeatureButtons.h"

#include "app/MStrings.h"

namespace {

QString& CurrentFeatureSlot()
{
    static QString current;
    return current;
}

} // namespace

const std::vector<MFeatureButton>& FeatureButtons()
{
    using G = MFeatureGroup;
    using P = MPanelKind;
    static const std::vector<MFeatureButton> buttons = {
        {"btnImportEvernote", G::Import, P::ImportEvernote, "guiBtnImportEvernote", "guiTipImportEvernote",
            "ImportEvernote", false, true},
        {"btnImportNotes", G::Import, P::Import, "guiBtnImportNotes", "guiTipImportNotes", "ImportNotes", true, true},
        {"btnImportGoogleKeep", G::Import, P::Import, "guiBtnImportGoogleKeep", "guiTipImportGoogleKeep",
            "ImportGoogleKeep", true, true},
        {"btnImportTxt", G::Import, P::Import, "guiBtnImportTxt", "guiTipImportTxt", "ImportTxt", true, true},
        {"btnImportHtml", G::Import, P::Import, "guiBtnImportHtml", "guiTipImportHtml", "ImportHtml", true, true},
        {"btnImportImages", G::Import, P::Import, "guiBtnImportImages", "guiTipImportImages", "ImportImages", true,
            true},
        {"btnImportTree", G::Import, P::ImportTree, "guiBtnImportTree", "guiTipImportTree", "ImportTree", true, true},
        {"btnExportToTxt", G::Export, P::Export, "guiBtnExportToTxt", "guiTipExportToTxt", "ExportToTxt", true, true},
        {"btnExportToHtml", G::Export, P::Export, "guiBtnExportToHtml", "guiTipExportToHtml", "ExportToHtml", true,
            true},
        {"btnExportToMarkdown", G::Export, P::Export, "guiBtnExportToMarkdown", "guiTipExportToMarkdown",
            "ExportToMarkdown", true, true},
        {"btnBackup", G::Export, P::Export, "guiBtnBackup", "guiTipBackup", "Backup", true, true},
        {"btnSearch", G::PageTasks, P::Search, "guiBtnSearch", "guiTipSearch", "Search", false, false},
        {"btnReplace", G::PageTasks, P::Replace, "guiBtnReplace", "guiTipReplace", "Replace", false, false},
        {"btnListTags", G::PageTasks, P::ListTags, "guiBtnListTags", "guiTipListTags", "ListTags", false, false},
        {"btnListAttachments", G::PageTasks, P::ListAttachments, "guiBtnListAttachments", "guiTipListAttachments",
            "ListAttachments", false, false},
        {"btnFindLost", G::SectionFiles, P::FindLost, "guiBtnFindLost", "guiTipFindLost", "FindLost", false, false},
        {"btnCopySections", G::SectionFiles, P::CopySections, "guiBtnCopySections", "guiTipCopySections",
            "CopySections", false, false},
        {"btnRestore", G::SectionFiles, P::Restore, "guiBtnRestore", "guiTipRestore", "Restore", false, true},
        {"btnSectionSize", G::SectionFiles, P::SectionSize, "guiBtnSectionSize", "guiTipSectionSize", "SectionSize",
            false, false},
        {"btnAccount", G::Account, P::Account, "guiBtnAccount", "guiTipAccount", "Account", false, true},
    };
    return buttons;
}

const MFeatureButton* FindFeatureButton(const QString& id)
{
    for (const MFeatureButton& button : FeatureButtons()) {
        if (id == QLatin1String(button.id))
            return &button;
    }
    return nullptr;
}

QString FeatureGroupTitle(MFeatureGroup group)
{
    switch (group) {
    case MFeatureGroup::Import:
        return Localized("guiGroupImport");
    case MFeatureGroup::Export:
        return Localized("guiGroupExport");
    case MFeatureGroup::PageTasks:
        return Localized("guiGroupPageTasks");
    case MFeatureGroup::SectionFiles:
        return Localized("guiGroupSectionFiles");
    case MFeatureGroup::Account:
        return Localized("guiGroupAccount");
    }
    return QString();
}

QString CurrentFeature()
{
    return CurrentFeatureSlot();
}

void SetCurrentFeature(const QString& id)
{
    CurrentFeatureSlot() = id;
}
