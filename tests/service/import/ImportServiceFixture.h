#pragma once

#include "FeatureServiceTest.h"
#include "tasks/TaskTexts.h"

#include <QJsonArray>
#include <QMap>

inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '[';
    for (const QString& text : list)
        *os << "\n  \"" << text.toStdString() << '"';
    *os << " ]";
}

// The file and folder importers' service tests: an emulator with the test's own notebooks, the
// signed-in personal account, the notebook tree fetched from it, a task context with zero
// intervals, and a folder for the files to import.
class ImportServiceTest : public FeatureServiceTest
{
protected:
    std::vector<MEmuLoggedRequest> Posts(const QString& pathEnd) const
    {
        std::vector<MEmuLoggedRequest> posts;
        for (const MEmuLoggedRequest& request : emulator->Requests()) {
            if (request.method == QLatin1String("POST") && request.path.endsWith(pathEnd))
                posts.push_back(request);
        }
        return posts;
    }

    // The service's notebooks as "Notebook/Group/Section: title, title" lines (sections only,
    // sorted), read from the emulator's state.
    QStringList Online() const
    {
        const QJsonArray items = emulator->State().value(QStringLiteral("items")).toArray();
        QMap<QString, QJsonObject> byId;
        for (const QJsonValue& item : items)
            byId.insert(item.toObject().value(QStringLiteral("id")).toString(), item.toObject());
        QStringList lines;
        for (const QJsonObject& item : byId) {
            const QString name = item.value(QStringLiteral("name")).toString();
            if (!name.endsWith(QLatin1String(".one")))
                continue;
            QStringList path {name.chopped(4)};
            for (QJsonObject up = byId.value(item.value(QStringLiteral("parentId")).toString()); !up.isEmpty();
                 up = byId.value(up.value(QStringLiteral("parentId")).toString())) {
                path.prepend(up.value(QStringLiteral("name")).toString());
                if (up.value(QStringLiteral("kind")).toString() == QLatin1String("notebook"))
                    break;
            }
            QStringList titles;
            for (const QJsonValue& page : item.value(QStringLiteral("pages")).toArray())
                titles.append(page.toObject().value(QStringLiteral("title")).toString());
            lines.append(path.join(QLatin1Char('/')) + QStringLiteral(": ") + titles.join(QStringLiteral(", ")));
        }
        lines.sort();
        return lines;
    }

    // The final rows the run reported: "Outcome text | reason".
    QStringList Rows() const
    {
        QMap<qint64, QString> rows;
        for (const MTaskItem& item : reporter.Items()) {
            if (item.outcome == MItemOutcome::Sending)
                continue;
            QString line = OutcomeText(item.outcome) + QLatin1Char(' ') + item.text;
            if (!item.reason.isEmpty())
                line += QStringLiteral(" | ") + item.reason;
            rows.insert(item.index, line);
        }
        return rows.values();
    }

    MTempDir files;
};
