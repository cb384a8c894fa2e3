#pragma once

#include <QString>

// Appends one entry to the log file when `enabled`: "yyyy-MM-dd HH:mm:ss text\n" with the time,
// "\ttext\n" (a continuation line) without. One append per entry, so lines from several workers
// never interleave.
void WriteLog(bool enabled, bool withTime, const QString& text);
// The form every task uses: the process-wide "EnableLog" switch, with the time.
void WriteLog(const QString& text);
