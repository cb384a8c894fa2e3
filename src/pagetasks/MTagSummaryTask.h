#pragma once

#include "MTagItem.h"
#include "tasks/MRunRows.h"
#include "tasks/MTaskContext.h"

#include <QList>
#include <QString>
#include <optional>

// The title of the summary page.
inline constexpr char kTagSummaryTitle[] = "Tag Summary";

// The summary page's HTML: one paragraph per tagged element shown (an element with several tags
// once), carrying its whole tag value and a link back to the element. Texts and links are escaped,
// so a "<" or "&" in a tagged paragraph arrives as written.
QString GenerateTagSummaryPageHtml(const QList<MTagItem>& shown);

// Creates the summary page of the shown tag items in a section, then offers to open it.
class MTagSummaryTask
{
public:
    // Without `offerToOpen` the page is only made (a script prints its link instead).
    MTagSummaryTask(const MTaskContext& context, QString sectionId, QList<MTagItem> shown, bool offerToOpen = true);

    // "strSelectASection" with no checked section; "" when there is nothing to do (nothing shown);
    // nothing when the page may be made.
    static std::optional<QString> StartProblem(const MNotebookNode* tree, qsizetype shownCount);

    // Creates the page; on success asks "askCreateTagSummary" and opens the page on yes, on failure
    // alerts "strCreateTagSummaryFailure". Either way the page is a row of the run.
    void ThreadRun();

    bool Created() const { return m_Created; }
    // The new page's client link ("" when none came back).
    const QString& Link() const { return m_Link; }
    const MRunRows& Rows() const { return m_Rows; }

private:
    const MTaskContext& m_Context;
    QString m_SectionId;
    QList<MTagItem> m_Shown;
    MRunRows m_Rows;
    bool m_OfferToOpen;
    QString m_Link;
    bool m_Created = false;
};
