#pragma once

#include "tasks/MTaskReporter.h"
#include "tasks/TaskTexts.h"

#include <QString>
#include <cstdio>

// How a run shows itself in a terminal or a script. Progress and messages go to `progress`
// (standard error): on a terminal as one line that is rewritten in place ("12 of 40 · about 3 min
// left · Lisbon 2024"), otherwise as a plain line for each new status. Each item that has an
// outcome goes to `results` (standard output) as one tab-separated line: outcome, text, and the
// reason when there is one.
// Nobody is there to answer a question: every question is answered no.
class MCliReporter : public MTaskReporter
{
public:
    explicit MCliReporter(FILE* progress = stderr, FILE* results = stdout);
    ~MCliReporter() override;

    void ShowMessage(const QString& result, const QString& status) override;
    void ShowStatus(const QString& status) override;
    void Alert(const QString& text) override;
    bool Ask(const QString& text) override;
    void Finish(const QString& text) override;
    void ShowProgress(const MTaskProgress& progress) override;
    void ReportItem(const MTaskItem& item) override;

    // A line of the run's own output on standard output (a dry run's description), kept apart from
    // the progress line.
    void PrintResult(const QString& line) { PrintLine(m_Results, line); }

    bool IsTerminal() const { return m_Terminal; }
    int Alerts() const { return m_Alerts; }
    // The final outcomes of the items reported so far.
    const MOutcomeCounts& Counts() const { return m_Counts; }

private:
    // Prints a line of its own, clearing the progress line first and drawing it again after.
    void PrintLine(FILE* stream, const QString& text);
    void DrawProgressLine();
    void ClearProgressLine();
    QString ProgressPrefix() const;
    int Columns() const;

    FILE* m_Progress;
    FILE* m_Results;
    bool m_Terminal;
    bool m_LineShown = false;
    bool m_HaveProgress = false;
    MTaskProgress m_Last;
    QString m_Status;
    QString m_Drawn;
    int m_Alerts = 0;
    MOutcomeCounts m_Counts;
};
