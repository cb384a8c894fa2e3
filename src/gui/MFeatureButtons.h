#pragma once

#include "tasks/MFeature.h"

#include <QString>
#include <optional>
#include <vector>

// The feature panels the controller creates once and keeps for the process, in creation order.
enum class MPanelKind {
    ListTags,
    ListAttachments,
    Replace,
    Search,
    FindLost,
    SectionSize,
    CopySections,
    Export,
    Import,
    ImportTree,
    ImportEvernote,
    Restore,
    Account,
};

// The visible groups of the feature strip, top to bottom.
enum class MFeatureGroup { Import, Export, PageTasks, SectionFiles, Account };

// One button of the feature strip; its id and texts are its feature's (see MFeature).
struct MFeatureButton
{
    MFeature feature;
    MFeatureGroup group;
    MPanelKind panel;
    const char* icon; // name in resources/icons
    bool setsTitle; // the panel's title becomes the tooltip
    bool clearAndReload; // the panel is reset when the button is pressed
};

// Every feature button in strip order.
const std::vector<MFeatureButton>& FeatureButtons();
const MFeatureButton* FindFeatureButton(const QString& id);
QString FeatureGroupTitle(MFeatureGroup group);

// The feature whose button was pressed last; panels read it on the main thread when a run starts
// and hand it to the task.
std::optional<MFeature> CurrentFeature();
void SetCurrentFeature(std::optional<MFeature> feature);
