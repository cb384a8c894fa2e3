#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>

class MAccount;
class MServiceSession;

// The address of a new file in a folder: "<APIUrl>/drive/items/<parent>:/<name>:<action>", encoded
// as it is sent. The name is encoded as one path segment, so that a blank, "#", "%" or "?" in it
// reaches the service as part of the name.
QString DriveChildAddress(const MAccount& account, const QString& parentId, const QString& name, const QString& action);

// The item named `name` (ignoring case) in a folder, read afresh: the item, an empty object when
// the folder holds none, or absent when the folder could not be read (`failure` says why).
std::optional<QJsonObject> FindItemInFolder(
    MServiceSession& session, const QString& folderId, const QString& name, QString* failure);
