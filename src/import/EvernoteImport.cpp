#include "EvernoteImport.h"

#include "EnexConvert.h"
#include "EnexImportReport.h"
#include "MEnexReader.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "model/MONObject.h"
#include "tasks/MTaskContext.h"
#include "util/Formats.h"
#include "util/TextUtils.h"

namespace {

const QString kNoTag = QStringLiteral("NoTag");

void RefreshTokens(const MTaskContext& context)
{
    if (context.account)
        context.account->RefreshTokens(false);
}

void Show(const MTaskContext& context, const QString& result, const QString& status)
{
    if (context.reporter)
        context.reporter->ShowMessage(result, status);
}

void WaitUpload(const MTaskContext& context)
{
    if (context.pacer)
        context.pacer->WaitUpload();
}

// The tag's section under the target: one the run already knows (ticked before the run, or made
// earlier in it), else a new one, remembered for the notes after it.
QString TagSectionUrl(const MTaskContext& context, MEnexPageSender& sender, const MEvernoteImportSettings& settings,
    MONObject& sections, const QString& tag, MEvernoteImportResult& result, QString* failure)
{
    const QString known = GetSectionSelfUrl(sections, tag);
    if (!known.isEmpty())
        return known;
    QString why;
    const QString created = sender.CreateSection(settings.parentUrlSaveTo, tag, &why);
    if (created.isEmpty())
        *failure = Localized("reasonTagSectionNotMade").arg(tag, why);
    if (!created.isEmpty()) {
        ++result.newSectionCount;
        sections.addSubObject(MONObject::Section, QStringLiteral(""), tag, QStringLiteral(""), QStringLiteral(""),
            QStringLiteral(""), QStringLiteral(""), created, settings.parentUrlSaveTo, QStringLiteral(""));
    }
    WaitUpload(context);
    return created;
}

void ImportNote(const MTaskContext& context, MEnexPageSender& sender, const MEvernoteImportSettings& settings,
    MONObject& sections, const MEnexNote& note, qint64 number, MEvernoteImportResult& result)
{
    const MResourceList resources = RestoreImageAndGetHash(note);
    const QStringList warnings = EmptyResourceWarnings(resources);
    const qsizetype before = result.result.size();
    const QString text = EnexNoteItemText(number, note.title);
    result.result += QStringLiteral("\n%1 ...").arg(text);
    Show(context, result.result, note.title);
    ReportEnexNote(context, settings, number, note.title, MItemOutcome::Sending);

    const QString html = ConvertNoteToPageHtml(note, resources, settings.handleIndents, CurrentDate());
    QString target = settings.parentUrlSaveTo;
    QString failure;
    if (settings.createTagSections)
        target = TagSectionUrl(context, sender, settings, sections, note.firstTag.value_or(kNoTag), result, &failure);

    MCreationOutcome outcome;
    if (!target.isEmpty())
        outcome = sender.CreatePage(target, note.title, html, resources);
    else
        outcome.reason = failure.isEmpty() ? Localized("reasonNoTarget") : failure;
    result.result.truncate(before);
    if (outcome.code == kCreationStopped) {
        // Stopped while it waited for its turn: it was never sent, and is not counted.
        ReportEnexNote(context, settings, number, note.title, MItemOutcome::Skipped, outcome.reason);
        Show(context, result.result, note.title);
        return;
    }
    const bool created = outcome.Created();
    ++(created ? result.success : result.failure);
    ++result.imported;

    // The line shown while the page was sent is replaced by its finished form.
    QString words = Localized(created ? "strSuccess" : "strFailure");
    if (!created && !outcome.reason.isEmpty())
        words += QStringLiteral(" (%1)").arg(outcome.reason);
    result.result += QStringLiteral("\n%1 ... %2").arg(text, words);
    AppendNoteWarnings(warnings, created, result);
    ReportEnexNote(context, settings, number, note.title, created ? MItemOutcome::Created : MItemOutcome::Failed,
        created ? warnings.join(QStringLiteral("; ")) : outcome.reason);
    Show(context, result.result, note.title);
    WaitUpload(context);
}

} // namespace

MEvernoteTarget ChooseEvernoteTarget(const MONObject& root, bool createTagSections)
{
    MEvernoteTarget target;
    target.sections = std::make_unique<MONObject>();
    if (!createTagSections) {
        if (const MONObject* section = MONObject::GetFirstCheckedSection(&root))
            target.parentUrl = section->webUrl; // a section keeps its REST address there
        return target;
    }
    const MONObject* parent = MONObject::GetFirstCheckedSectionGroup(&root);
    if (!parent)
        parent = MONObject::GetFirstCheckedNotebook(&root);
    if (!parent)
        return target;
    target.parentUrl = parent->selfUrl;
    for (const auto& child : parent->children()) {
        if (child->objType == MONObject::Section && child->intValue != 0)
            target.sections->copyAdd(*child);
    }
    return target;
}

QString EvernoteTotalText(qint64 noteCount)
{
    return QStringLiteral("%1: %2").arg(Localized("strTotle"), QString::number(noteCount));
}

QString GetSectionSelfUrl(const MONObject& container, const QString& name)
{
    for (const auto& child : container.children()) {
        if (StringEqualsIgnoreCase(child->name, name))
            return child->selfUrl;
    }
    return QStringLiteral("");
}

MEvernoteImportResult ImportEvernoteFile(
    const MTaskContext& context, MEnexPageSender& sender, const MEvernoteImportSettings& settings, MONObject& sections)
{
    MEvernoteImportResult result;
    MEnexReader reader(settings.enexFileName);
    MEnexNote note;
    QString lastTitle;
    qint64 seen = 0;
    result.opened = true;
    for (;;) {
        const MEnexReader::Step step = reader.NextNote(note);
        if (step == MEnexReader::Step::End)
            break;
        if (step == MEnexReader::Step::Error) {
            // A file that is no export at all ends the run as one that does not open; one that
            // stops being readable part of the way through (a failing disk) is told.
            if (result.imported == 0) {
                result.opened = false;
                return result;
            }
            result.brokeOff = true;
            if (context.reporter)
                context.reporter->Alert(Localized("strOpenEnexFileError"));
            break;
        }
        if (step == MEnexReader::Step::Damaged) {
            if (seen + 1 >= settings.from)
                ReportEnexDamage(context, reader.Problem(), result);
            continue;
        }
        if (!context.IsRunning())
            break;
        RefreshTokens(context);
        const qint64 number = seen + 1;
        if (number < settings.from) {
            seen = number;
            continue;
        }
        if (seen >= settings.to)
            break;
        lastTitle = note.title;
        if (step == MEnexReader::Step::Skipped)
            ReportSkippedNote(context, settings, note, number, reader.Problem(), result);
        else
            ImportNote(context, sender, settings, sections, note, number, result);
        if (!context.IsRunning())
            break;
        ReportEnexProgress(context, settings, number);
        seen = number;
    }
    result.result
        += QStringLiteral("\n\nTotal: %1, Success: %2, Failure: %3.")
               .arg(QString::number(result.imported), QString::number(result.success), QString::number(result.failure))
        + EnexWarningsSummary(result);
    Show(context, result.result, lastTitle);
    return result;
}

MEvernoteImportResult ThreadImportRun(
    const MTaskContext& context, MEnexPageSender& sender, const MEvernoteImportSettings& settings, MONObject& sections)
{
    RefreshTokens(context);
    MEvernoteImportResult result = ImportEvernoteFile(context, sender, settings, sections);
    if (context.reporter)
        context.reporter->Finish(Localized("strFinish"));
    return result;
}
