#include "EvernoteImport.h"

#include "EnexConvert.h"
#include "MEnexReader.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "model/MONObject.h"
#include "service/MRequestBudget.h"
#include "tasks/MTaskContext.h"
#include "util/Formats.h"
#include "util/MSleeper.h"
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

void ShowProgress(const MTaskContext& context, const MEvernoteImportSettings& settings, qint64 number)
{
    if (!context.reporter)
        return;
    MTaskProgress progress;
    const qint64 last = std::min(settings.to, settings.from + settings.expectedNotes - 1);
    progress.total = settings.expectedNotes > 0 ? last - settings.from + 1 : 0;
    progress.done = std::max<qint64>(0, number - settings.from + 1);
    if (progress.total > 0 && context.account) {
        // One creation a note at the budget's pace, and never faster than the pause after each.
        const qint64 left = std::max<qint64>(0, progress.total - progress.done);
        const qint64 budgetMs = TheRequestBudget().EstimateMs(context.account->UserId(), left, NowMs());
        const qint64 pausesMs = left * (context.pacer ? context.pacer->Seconds(MPacer::Kind::Upload) : 0) * 1000;
        progress.secondsLeft = (std::max(budgetMs, pausesMs) + 999) / 1000;
    }
    context.reporter->ShowProgress(progress);
}

void ImportNote(const MTaskContext& context, MEnexPageSender& sender, const MEvernoteImportSettings& settings,
    MONObject& sections, const MEnexNote& note, qint64 number, MEvernoteImportResult& result)
{
    const MResourceList resources = RestoreImageAndGetHash(note);
    const qsizetype before = result.result.size();
    const QString text = QStringLiteral("%1: %2").arg(QString::number(number), note.title);
    result.result += QStringLiteral("\n%1 ...").arg(text);
    Show(context, result.result, note.title);
    MTaskItem row;
    row.index = result.imported;
    row.text = text;
    if (context.reporter)
        context.reporter->ReportItem(row);

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
    Show(context, result.result, note.title);
    row.outcome = created ? MItemOutcome::Created : MItemOutcome::Failed;
    row.reason = created ? QString() : outcome.reason;
    if (context.reporter)
        context.reporter->ReportItem(row);
    ShowProgress(context, settings, number);
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

QString EvernoteTotalText(qint64 rootChildCount)
{
    return QStringLiteral("%1: %2").arg(Localized("strTotle"), QString::number(rootChildCount));
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
            // Reading as a stream finds a break only when it gets there. Before anything was sent
            // the run ends as for a file that does not open; after, the user hears of it.
            if (result.imported == 0) {
                result.opened = false;
                return result;
            }
            result.brokeOff = true;
            if (context.reporter)
                context.reporter->Alert(Localized("strOpenEnexFileError"));
            break;
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
        ImportNote(context, sender, settings, sections, note, number, result);
        if (!context.IsRunning())
            break;
        seen = number;
    }
    result.result
        += QStringLiteral("\n\nTotal: %1, Success: %2, Failure: %3.")
               .arg(QString::number(result.imported), QString::number(result.success), QString::number(result.failure));
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
