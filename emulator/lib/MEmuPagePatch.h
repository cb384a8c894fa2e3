#pragma once

#include "MEmuPageRenderer.h"

#include <QJsonArray>

// Applies the changes of a PATCH of a page's content, the documented array of change objects
// ({"target", "action", "position", "content"}), to a rendered page: every change in order, or none
// of them and the error the service answers. `parts` are the data parts of a multipart PATCH, named
// from the content as "name:part". The caller records the write (MEmuState::PageWritten).
std::optional<MEmuError> PatchPageContent(
    MEmuState& state, MEmuPage& page, const QJsonArray& changes, const std::map<QString, MEmuPart>& parts);
