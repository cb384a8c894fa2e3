#pragma once

#include "MResourceObject.h"
#include "tasks/PageRequest.h"

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <functional>

class MServiceSession;

// The resources of a note as the parts of its page: named by hash, typed by their mime (a resource
// without one goes as "application/octet-stream"), in the note's order; empty ones are left out.
QList<MPagePart> PartsFromResources(const MResourceList& resources);

// The ENEX importer's page creation, with its outcome (created, or why not).
MCreationOutcome CreateNewPageInOnlineOneNote(MServiceSession& session, const QString& sectionUrl, const QString& title,
    const QString& html, const MResourceList& resources);

// Where the ENEX import sends what it creates: the service, or a preview that sends nothing.
class MEnexPageSender
{
public:
    virtual ~MEnexPageSender() = default;
    // The new section's URL, or "" on failure (`failure` says why).
    virtual QString CreateSection(const QString& parentUrl, const QString& name, QString* failure) = 0;
    virtual MCreationOutcome CreatePage(
        const QString& sectionUrl, const QString& title, const QString& html, const MResourceList& resources)
        = 0;
    // A page of that title the run made in the section (the run was cut off while sending it): the
    // page, an empty object when it is not there, absent when that cannot be told.
    virtual std::optional<QJsonObject> FindPage(const QString& sectionUrl, const QString& title, QString* failure) = 0;
    // A resumed run began with its first part and made these pages then.
    virtual void ContinueRun(qint64 runStartMs, const QStringList& createdPageIds) = 0;
    // The service the pages went to, for the link pass after the last note; none in a preview.
    virtual MServiceSession* Session() { return nullptr; }
};

class MServiceEnexSender final : public MEnexPageSender
{
public:
    explicit MServiceEnexSender(MServiceSession& session)
        : m_Session(session)
    { }
    QString CreateSection(const QString& parentUrl, const QString& name, QString* failure) override;
    MCreationOutcome CreatePage(
        const QString& sectionUrl, const QString& title, const QString& html, const MResourceList& resources) override;
    std::optional<QJsonObject> FindPage(const QString& sectionUrl, const QString& title, QString* failure) override;
    void ContinueRun(qint64 runStartMs, const QStringList& createdPageIds) override;
    MServiceSession* Session() override { return &m_Session; }

private:
    MServiceSession& m_Session;
};

// Describes each creation as lines of text instead of making it. Sections "created" get a made-up
// URL under their parent, so later notes of the same tag find them as an import would.
class MDryRunEnexSender final : public MEnexPageSender
{
public:
    explicit MDryRunEnexSender(std::function<void(const QString& line)> print)
        : m_Print(std::move(print))
    { }
    // How a URL is shown in the lines (a path in the notebook tree, say); unknown URLs show as is.
    void SetLabel(const QString& url, const QString& label) { m_Labels.insert(url, label); }
    QString CreateSection(const QString& parentUrl, const QString& name, QString* failure) override;
    MCreationOutcome CreatePage(
        const QString& sectionUrl, const QString& title, const QString& html, const MResourceList& resources) override;
    std::optional<QJsonObject> FindPage(const QString&, const QString&, QString*) override { return QJsonObject(); }
    void ContinueRun(qint64, const QStringList&) override { }

    qint64 Pages() const { return m_Pages; }
    qint64 BodyBytes() const { return m_BodyBytes; }

private:
    QString Label(const QString& url) const { return m_Labels.value(url, url); }

    std::function<void(const QString&)> m_Print;
    QMap<QString, QString> m_Labels;
    qint64 m_Pages = 0;
    qint64 m_BodyBytes = 0;
};
