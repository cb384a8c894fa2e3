#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What a user can start: a button of the desktop's feature strip, a command of the command line.
// Everything that names a feature (the desktop's buttons, the task context, the exporters and
// importers, the run ledger, the reports, the command line) goes through the one table in
// MFeature.cpp, so that renaming a button or a command orphans no recorded run.
enum class MFeature {
    ImportEvernote,
    ImportNotes,
    ImportGoogleKeep,
    ImportTxt,
    ImportHtml,
    ImportImages,
    ImportTree,
    ExportTxt,
    ExportHtml,
    ExportMarkdown,
    Backup,
    Search,
    Replace,
    ListTags,
    ListAttachments,
    FindLost,
    CopySections,
    Restore,
    SectionSize,
    Account,
};

// One row of the table.
struct MFeatureInfo
{
    MFeature feature;
    const char* buttonId; // the desktop's button ("btnExportToTxt")
    const char* labelKey; // the button's short text (resources/strings)
    const char* tipKey; // its tooltip, which panels shared by several buttons take as their title
    const char* ledgerName; // how the run ledger names it; stored in users' ledgers, never changed
    const char* command; // the command line's command ("export"); "" when it has none
    const char* kind; // its --kind where the command runs several features ("txt"); else ""
};

// Every feature, in the order of the desktop's feature strip.
const QList<MFeatureInfo>& Features();
const MFeatureInfo& FeatureInfo(MFeature feature);

QString ButtonId(MFeature feature);
QString LedgerName(MFeature feature);
std::optional<MFeature> FeatureOfButton(const QString& buttonId);
std::optional<MFeature> FeatureOfLedgerName(const QString& ledgerName);
// The feature a command runs with `--kind kind` ("export", "txt"); kind is "" for a command of one
// feature.
std::optional<MFeature> FeatureOfCommand(const QString& command, const QString& kind = QString());
// The --kind values of a command, in table order ("txt", "html", "backup").
QStringList CommandKinds(const QString& command);
// The name a run's report files carry: the button id without its "btn", in lower case
// ("exporttotxt").
QString ReportName(MFeature feature);
