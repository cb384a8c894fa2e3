#pragma once

#include <QtGlobal>

struct MTaskContext;

// How far an import of `total` items has come, with the time the rest still needs: one request an
// item (or `requestsPerItem`) at the request budget's pace, and never faster than the upload pause
// after each.
void ReportImportProgress(const MTaskContext& context, qint64 done, qint64 total, int requestsPerItem = 1);
