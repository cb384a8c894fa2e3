#pragma once

#include "MResourceObject.h"
#include "tasks/PageRequest.h"

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

    qint64 Pages() const { return m_Pages; }
    qint64 BodyBytes() const { return m_BodyBytes; }

private:
    QString Label(const QString& url) const { return m_Labels.value(url, url); }

    std::function<void(const QString&)> m_Print;
    QMap<QString, QString> m_Labels;
    qint64 m_Pages = 0;
    qint64 m_BodyBytes = 0;
};
