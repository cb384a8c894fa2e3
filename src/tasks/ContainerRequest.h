#pragma once

#include "PageRequest.h"
#include "model/MNotebookNode.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <optional>

class MAccount;
class MServiceSession;

// Creating notebooks, section groups and sections.

// {"displayName":"<name>"}, or {"name":"<name>"} for the older OneNote service's accounts; the name
// is escaped as a JSON string, so a name with a quote or a backslash is sent as written.
QByteArray ContainerBody(int accountType, const QString& name);
// The address the creation answer gives under `key` ("self", "sectionsUrl"); "" when it gives none.
QString ReadUrlField(const QString& answer, QLatin1String key);

// The item of the collection at `url` named `name` (ignoring case, as the service compares names):
// an empty object when there is none, nothing when the collection cannot be read (`failure` says why).
std::optional<QJsonObject> FindContainerNamed(
    MServiceSession& session, const QString& url, const QString& name, QString* failure);
// Fills the node's addresses (self, its sections and groups, or its pages) from the service's
// description of it.
void ReadContainerUrls(const QJsonObject& item, MContainerUrls& urls);

// One creation: the request to `url` (the collection, before encoding) with the JSON body, judged
// like a page. Checks only the token; the callers check their targets. When the answer is lost, the
// collection is read for an item of that name (names are unique there) before the request goes once
// more.
MCreationOutcome CreateContainer(MServiceSession& session, const QString& url, const QString& name);

// The ENEX importer's section under a notebook's or section group's selfUrl: the new section's
// selfUrl, or "" on any failure (an answer without "self": included); `failure` says why.
QString CreateNewSectionInOnlineOneNote(
    MServiceSession& session, const QString& parentUrl, const QString& name, QString* failure = nullptr);

// The folder importer's creation of a notebook (the parent is not read), a section group or a
// section in `parent`. On success `made` gets the new container's addresses; on a service error the
// reason is the service's message as plain text.
MCreationOutcome CreateContainerIn(
    MServiceSession& session, const MContainerUrls& parent, MNodeKind kind, const QString& name, MContainerUrls& made);
