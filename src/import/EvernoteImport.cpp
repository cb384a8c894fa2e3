#include "EvernoteImport.h"

#include "EnexConvert.h"
#include "EnexImportReport.h"
#include "MEnexReader.h"
#include "NoteLinkPass.h"
#include "account/MAccount.h"
#include "app/MStrings.h"
#include "model/MNotebookNode.h"
#include "tasks/MTaskContext.h"
#include "tasks/TaskTexts.h"
#include "util/Formats.h"

#include "util/TextUtils.h"
#include <QCryptographicHash>
#include <QDateTime>
#include <QFileInfo>
#include <QJsonDocument>

namespace {

const QString kNoTag = QStringLiteral("NoTag");

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
    MNotebookNode& sections, const QString& tag, MEvernoteImportResult& result, QString* failure)
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
        MNotebookNode* section = sections.AddChild(MNodeKind::Section, QString(), tag);
        section->selfUrl = created;
        section->parentSectionGroupUrl = settings.parentUrlSaveTo;
    }
    WaitUpload(context);
    return created;
}

// The finished line of a note in the result text, with its reason when there is one.
void FinishNoteLine(const MTaskContext& context, MEvernoteImportResult& result, const QString& text,
    MItemOutcome outcome, const QString& reason, const QString& status)
{
    QString words = OutcomeText(outcome);
    if (!reason.isEmpty())
        words += QStringLiteral(" (%1)").arg(reason);
    result.result += QStringLiteral("\n%1 ... %2").arg(text, words);
    ++result.imported;
    if (outcome == MItemOutcome::Created)
        ++result.success;
    else if (outcome == MItemOutcome::Skipped)
        ++result.skipped;
    else
        ++result.failure;
    Show(context, result.result, status);
}

void ImportNote(const MTaskContext& context, MEnexPageSender& sender, const MEvernoteImportSettings& settings,
    MNotebookNode& sections, MRunJournal* journal, const MEnexNote& note, qint64 number, MEvernoteImportResult& result)
{
    const qint64 index = number - std::max<qint64>(settings.from, 1);
    const MResourceList resources = RestoreImageAndGetHash(note);
    QStringList warnings = EmptyResourceWarnings(resources);
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
    MRunItemResult item;
    if (target.isEmpty()) {
        item.reason = failure.isEmpty() ? Localized("reasonNoTarget") : failure;
    } else {
        item = SendRunItem(
            journal, index, journal ? EnexNoteKey(note) : QString(), note.title, target,
            [&](QString* lookupFailure) { return sender.FindPage(target, PageTitleOfHtml(html), lookupFailure); },
            [&] { return sender.CreatePage(target, note.title, html, resources); });
        RememberMadePage(journal, index, note.title, QString(), item, html);
    }
    result.result.truncate(before);
    if (item.outcome == MItemOutcome::Skipped && item.prior != MRunJournal::MPrior::ImportedBefore) {
        // Stopped while it waited for its turn: it was never sent, and is not counted.
        ReportEnexNote(context, settings, number, note.title, MItemOutcome::Skipped, item.reason);
        Show(context, result.result, note.title);
        return;
    }
    // A reference to a resource the note lacks went as a line on the page: the note is imported, with
    // a warning naming what is missing.
    warnings += item.creation.missingParts;
    // What this run made before it was interrupted, or an earlier run made, is told as such.
    const bool fromLedger
        = item.prior == MRunJournal::MPrior::Done || item.prior == MRunJournal::MPrior::ImportedBefore;
    const bool created = item.outcome == MItemOutcome::Created;
    // The line shown while the page was sent is replaced by its finished form.
    FinishNoteLine(context, result, text, item.outcome, created && !fromLedger ? QString() : item.reason, note.title);
    if (!fromLedger)
        AppendNoteWarnings(warnings, created, result);
    const QString rowReason = created && !fromLedger ? QStringList(warnings).join(QStringLiteral("; ")) : item.reason;
    ReportEnexNote(
        context, settings, number, note.title, item.outcome, rowReason.isEmpty() ? item.reason : rowReason, item.link);
    Show(context, result.result, note.title);
    if (!fromLedger)
        WaitUpload(context);
}

} // namespace

MEvernoteTarget ChooseEvernoteTarget(const MNotebookNode& root, bool createTagSections)
{
    MEvernoteTarget target;
    target.sections = std::make_unique<MNotebookNode>();
    if (!createTagSections) {
        if (const MNotebookNode* section = MNotebookNode::GetFirstCheckedSection(&root))
            target.parentUrl = section->webUrl; // a section keeps its REST address there
        return target;
    }
    const MNotebookNode* parent = MNotebookNode::GetFirstCheckedSectionGroup(&root);
    if (!parent)
        parent = MNotebookNode::GetFirstCheckedNotebook(&root);
    if (!parent)
        return target;
    target.parentUrl = parent->selfUrl;
    // Every section of the parent, ticked or not: the service allows one section of a name (letter case
    // aside), so a tag's section that is there already must be the one used.
    for (const auto& child : parent->children()) {
        if (child->kind == MNodeKind::Section)
            target.sections->AddCopy(*child);
    }
    return target;
}

QString EvernoteTotalText(qint64 noteCount)
{
    return QStringLiteral("%1: %2").arg(Localized("strTotle"), QString::number(noteCount));
}

QString GetSectionSelfUrl(const MNotebookNode& container, const QString& name)
{
    for (const auto& child : container.children()) {
        if (StringEqualsIgnoreCase(child->name, name))
            return child->selfUrl;
    }
    return QStringLiteral("");
}

MRunJournal::MIdentity EnexRunIdentity(const MEvernoteImportSettings& settings)
{
    MRunJournal::MIdentity identity;
    identity.task = QStringLiteral("import-enex");
    const QFileInfo file(settings.enexFileName);
    identity.source = QStringLiteral("%1|%2")
                          .arg(file.canonicalFilePath().isEmpty() ? file.absoluteFilePath() : file.canonicalFilePath())
                          .arg(file.size());
    identity.target = settings.parentUrlSaveTo;
    identity.settings = QStringLiteral("from=%1;to=%2;tags=%3;indents=%4")
                            .arg(settings.from)
                            .arg(settings.to)
                            .arg(settings.createTagSections ? 1 : 0)
                            .arg(settings.handleIndents ? 1 : 0);
    return identity;
}

QString EnexNoteKey(const MEnexNote& note)
{
    QCryptographicHash hash(QCryptographicHash::Md5);
    const QChar separator(0x1F);
    hash.addData((note.title + separator + note.content + separator + note.created.value_or(QString()) + separator
        + note.firstTag.value_or(QString()))
                     .toUtf8());
    for (const MEnexResource& resource : note.resources) {
        hash.addData(resource.mime.toUtf8());
        hash.addData(resource.data);
    }
    return QStringLiteral("note:") + QString::fromLatin1(hash.result().toHex());
}

MEvernoteImportResult ImportEvernoteFile(const MTaskContext& context, MEnexPageSender& sender,
    const MEvernoteImportSettings& settings, MNotebookNode& sections)
{
    MEvernoteImportResult result;
    const std::unique_ptr<MRunJournal> journal
        = OpenRunJournal(EnexRunIdentity(settings), settings.run, context.reporter);
    if (journal && journal->Mode() == MRunMode::Resume)
        sender.ContinueRun(journal->RunStartMs(), journal->CreatedPageIds());
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
        context.RefreshTokens();
        const qint64 number = seen + 1;
        if (number < settings.from) {
            seen = number;
            continue;
        }
        if (seen >= settings.to)
            break;
        lastTitle = note.title;
        if (step == MEnexReader::Step::Skipped) {
            ReportSkippedNote(context, settings, note, number, reader.Problem(), result);
            if (journal)
                journal->Outcome(number - std::max<qint64>(settings.from, 1), MItemOutcome::Failed, QString(),
                    QString(), reader.Problem().message);
        } else {
            ImportNote(context, sender, settings, sections, journal.get(), note, number, result);
        }
        if (!context.IsRunning())
            break;
        ReportEnexProgress(context, settings, number);
        seen = number;
    }
    MLinkPassResult& links = result.links;
    if (journal && sender.Session() && context.IsRunning())
        links = RunLinkPass(context, *sender.Session(), journal.get());
    if (journal)
        journal->End(!context.IsRunning());
    for (const QString& line : links.lines)
        result.result += QLatin1Char('\n') + line;
    QString summary
        = QStringLiteral("\n\nTotal: %1, Success: %2, Failure: %3")
              .arg(QString::number(result.imported), QString::number(result.success), QString::number(result.failure));
    if (result.skipped > 0)
        summary += QStringLiteral(", Skipped: %1").arg(result.skipped);
    result.result += WithLinkSummary(summary, links) + QLatin1Char('.') + EnexWarningsSummary(result);
    Show(context, result.result, lastTitle);
    return result;
}

MEvernoteImportResult ThreadImportRun(const MTaskContext& context, MEnexPageSender& sender,
    const MEvernoteImportSettings& settings, MNotebookNode& sections)
{
    context.RefreshTokens();
    MEvernoteImportResult result = ImportEvernoteFile(context, sender, settings, sections);
    if (context.reporter)
        context.reporter->Finish(Localized("strFinish"));
    return result;
}
