#pragma once

#include "FeatureServiceTest.h"
#include "net/MHttpClient.h"

#include <QJsonArray>
#include <QJsonDocument>

// The section-file tasks against an emulator loaded with the test's own drive: the signed-in
// personal account (notebooks, loose files, notebooks shared by a second account), the notebook
// tree fetched from it, and a task context with zero intervals. The drive is inspected through
// the emulator's state, as the user would find it.
class DriveServiceTest : public FeatureServiceTest
{
protected:
    // `personal` holds the personal account's "notebooks", "files" and "sharedNotebooks";
    // `others` more accounts; `limits` the emulator's limits.
    void Start(const QJsonObject& personal, const QJsonArray& others = {}, const QJsonObject& limits = {})
    {
        QJsonObject account = personal;
        account.insert(QStringLiteral("key"), QStringLiteral("personal"));
        account.insert(QStringLiteral("kind"), QStringLiteral("personal"));
        account.insert(QStringLiteral("cid"), QStringLiteral("C0FFEE"));
        QJsonArray accounts {account};
        for (const QJsonValue& other : others)
            accounts.append(other);
        QJsonObject fixture {{"tokenLifetime", 3599}, {"accounts", accounts}, {"limits", limits}};
        if (!answerStyle.isEmpty())
            fixture.insert(QStringLiteral("answerStyle"), answerStyle);
        StartWith(fixture);
    }

    // The drive item at a slash-separated path below the drive root ("Documents/Book/Plan.one"), as
    // the emulator holds it; an empty object when there is none. Names match exactly.
    QJsonObject Item(const QString& path) const
    {
        const QJsonObject state = emulator->State();
        QString parent;
        for (const QJsonValue& a : state.value(QLatin1String("accounts")).toArray())
            if (a.toObject().value(QLatin1String("key")).toString() == QLatin1String("personal"))
                parent = a.toObject().value(QLatin1String("rootId")).toString();
        QJsonObject found;
        for (const QString& name : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
            found = QJsonObject();
            for (const QJsonValue& item : state.value(QLatin1String("items")).toArray()) {
                const QJsonObject o = item.toObject();
                if (o.value(QLatin1String("parentId")).toString() == parent
                    && o.value(QLatin1String("name")).toString() == name)
                    found = o;
            }
            if (found.isEmpty())
                return found;
            parent = found.value(QLatin1String("id")).toString();
        }
        return found;
    }
    // The names in a drive folder, sorted.
    QStringList Names(const QString& folder) const
    {
        const QString id = Item(folder).value(QLatin1String("id")).toString();
        QStringList names;
        for (const QJsonValue& item : emulator->State().value(QLatin1String("items")).toArray())
            if (item.toObject().value(QLatin1String("parentId")).toString() == id)
                names << item.toObject().value(QLatin1String("name")).toString();
        names.sort();
        return names;
    }
    // A file's bytes as the service hands them out.
    QByteArray Content(const QString& path)
    {
        MHttpRequest request;
        request.url = service->Origin()
            + QStringLiteral("/v1.0/me/drive/items/%1/content").arg(Item(path).value(QLatin1String("id")).toString());
        request.headers.append(
            {QByteArray("Authorization"), "Bearer " + service->Account().OnlineOneNoteAccessToken().toUtf8()});
        QByteArray body;
        OnWorker([&] { body = MHttpClient::ForCurrentThread().Send(request).body.value_or(QByteArray()); });
        return body;
    }

    static QJsonObject Section(const QString& name, qint64 size = 4096)
    {
        return QJsonObject {{"name", name}, {"size", size}};
    }
    static QJsonObject Group(const QString& name, const QJsonArray& sections, const QJsonArray& groups = {})
    {
        return QJsonObject {{"name", name}, {"sections", sections}, {"sectionGroups", groups}};
    }

    QString answerStyle; // the emulator's, when a test needs one whatever the run's
};
