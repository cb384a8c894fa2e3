#pragma once

#include "FilePages.h"
#include "tasks/MTaskReporter.h"
#include "tasks/PageRequest.h"

#include <QString>
#include <QStringList>
#include <optional>

class MServiceSession;

// Sending a page made from local files, as the file and folder importers do.

// Why the page's files cannot go in one request, told before a byte of them is read: a file above
// the service's 25 MB a part, or a page above its 70 MB a request. Nothing when they can.
std::optional<QString> AttachmentSizeProblem(const QString& html, const MAttachmentMap& attachments);

// What became of one local page.
struct MLocalPageOutcome
{
    MCreationOutcome creation;
    QStringList missing; // attached files that were not there to send (each a line on the page instead)
};

// Checks the page (its failure, the size limits), reads its parts and creates it through the
// session into `target` (as `policy` addresses it). A page that cannot go is kCreationNotSent with
// its reason, and nothing is sent.
MLocalPageOutcome SendLocalPage(MServiceSession& session, const MPageCreationPolicy& policy, const QString& target,
    const QString& name, const MLocalPage& page);

// The row of a result table for an outcome: created (the missing files as a warning beside it),
// skipped when the run stopped before it went out, else failed with its code and reason
// ("-3: no answer: ...").
MItemOutcome ItemOutcomeOf(const MCreationOutcome& outcome);
QString ItemReasonOf(const MLocalPageOutcome& outcome);
// "-4: HTTP 400 Bad Request, 20008: ..." for a failed request; the reason alone for a page that was
// never sent.
QString CreationFailureText(const MCreationOutcome& outcome);
