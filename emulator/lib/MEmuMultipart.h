#pragma once

#include "MEmuPageRenderer.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// A multipart/form-data body taken apart: each part's name (from Content-Disposition), its content
// type and its bytes, in the order sent. Absent, with the reason, when the body is not well formed
// (no boundary, a part without headers or name, no closing boundary).
std::optional<std::vector<MEmuPart>> ParseMultipart(
    const QByteArray& contentType, const QByteArray& body, QString* error);
