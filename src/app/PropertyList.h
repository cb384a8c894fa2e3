#pragma once

#include <QByteArray>
#include <QVariantMap>
#include <optional>

// XML property lists: <dict> of <string>, <integer>, <real>, <true/>, <false/>, <date>, <data>,
// <array> and nested <dict>. Values of kinds the program does not write are kept as read, so a
// save never drops what another writer stored.
std::optional<QVariantMap> ParsePropertyList(const QByteArray& xml);
QByteArray SerializePropertyList(const QVariantMap& dict);
