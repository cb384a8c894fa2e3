#pragma once

#include <QString>
#include <functional>

class MServiceSession;

// Upload sessions take a file in fragments whose size is a multiple of 320 KiB (the last excepted).
inline constexpr qint64 kUploadFragmentUnit = 320 * 1024;

struct MUploadRules
{
    // Files larger than this go through an upload session, fragment by fragment; smaller ones in one
    // request. (One request takes at most 250 MB; a session any size.)
    qint64 sessionThreshold = 10 * 1000 * 1000;
    // The fragment size: 32 x 320 KiB, 10 MiB.
    qint64 fragmentBytes = 32 * kUploadFragmentUnit;
    // How often in a row a fragment whose answer was lost may be recovered before the upload fails.
    int recoveries = 3;
};

// How an upload ended, in the terms of the panels' node statuses.
struct MUploadOutcome
{
    bool ok = false;
    qint64 code = 0; // 1 uploaded; -1 nothing sent (no token, stopped), -3 no answer, -4 an error answer
    QString id; // the new file's item id
    QString message; // the service's message (else the reason) for the row's status
    QString reason; // why it failed, in words a user can read
    bool foundAfterLostAnswer = false; // the last answer was lost, and the file was found complete
};

// Uploads the local file as `name` into the OneDrive folder `parentId`, streamed from disk: a file
// above the threshold through an upload session in fragments, any other in one request. A file of
// that name already in the folder is never replaced: the service is told to refuse, and the upload
// fails. Where an answer is lost, what arrived is asked before anything goes again. `progress` is
// told the bytes sent so far.
MUploadOutcome UploadSectionFile(MServiceSession& session, const QString& parentId, const QString& name,
    const QString& localPath, const MUploadRules& rules = {},
    const std::function<void(qint64 sent, qint64 total)>& progress = {});
