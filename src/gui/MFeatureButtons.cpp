#include "MFeatureButtons.h"

#include "app/MStrings.h"

namespace {

std::optional<MFeature>& CurrentFeatureSlot()
{
    static std::optional<MFeature> current;
    return current;
}

} // namespace

const std::vector<MFeatureButton>& FeatureButtons()
{
    using G = MFeatureGroup;
    using P = MPanelKind;
    using F = MFeature;
    static const std::vector<MFeatureButton> buttons = {
        {F::ImportEvernote, G::Import, P::ImportEvernote, "ImportEvernote", false, true},
        {F::ImportNotes, G::Import, P::Import, "ImportNotes", true, true},
        {F::ImportGoogleKeep, G::Import, P::Import, "ImportGoogleKeep", true, true},
        {F::ImportTxt, G::Import, P::Import, "ImportTxt", true, true},
        {F::ImportHtml, G::Import, P::Import, "ImportHtml", true, true},
        {F::ImportImages, G::Import, P::Import, "ImportImages", true, true},
        {F::ImportTree, G::Import, P::ImportTree, "ImportTree", true, true},
        {F::ExportTxt, G::Export, P::Export, "ExportToTxt", true, true},
        {F::ExportHtml, G::Export, P::Export, "ExportToHtml", true, true},
        {F::ExportMarkdown, G::Export, P::Export, "ExportToMarkdown", true, true},
        {F::Backup, G::Export, P::Export, "Backup", true, true},
        {F::Search, G::PageTasks, P::Search, "Search", false, false},
        {F::Replace, G::PageTasks, P::Replace, "Replace", false, false},
        {F::ListTags, G::PageTasks, P::ListTags, "ListTags", false, false},
        {F::ListAttachments, G::PageTasks, P::ListAttachments, "ListAttachments", false, false},
        {F::FindLost, G::SectionFiles, P::FindLost, "FindLost", false, false},
        {F::CopySections, G::SectionFiles, P::CopySections, "CopySections", false, false},
        {F::Restore, G::SectionFiles, P::Restore, "Restore", false, true},
        {F::SectionSize, G::SectionFiles, P::SectionSize, "SectionSize", false, false},
        {F::Account, G::Account, P::Account, "Account", false, true},
    };
    return buttons;
}

const MFeatureButton* FindFeatureButton(const QString& id)
{
    for (const MFeatureButton& button : FeatureButtons()) {
        if (id == ButtonId(button.feature))
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

std::optional<MFeature> CurrentFeature()
{
    return CurrentFeatureSlot();
}

void SetCurrentFeature(std::optional<MFeature> feature)
{
    CurrentFeatureSlot() = feature;
}
