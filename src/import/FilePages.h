#pragma once

#include "LocalHtmlImport.h"
#include "tasks/MFeature.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

// What one local file becomes for the file and folder importers: the page HTML and the files its
// parts are read from, or why it cannot become a page (nothing is sent then).

// The five features of the notes-and-files import.
enum class MFileImportKind { Notes, GoogleKeep, Text, Html, Images };

std::optional<MFileImportKind> FileImportKindForFeature(std::optional<MFeature> feature);
MFeature FeatureForFileImportKind(MFileImportKind kind);
// The extensions the kind takes, in lower case: offered by the file dialog, and taken (ignoring
// case) when a folder is scanned.
QStringList FileImportExtensions(MFileImportKind kind);
bool HasFileImportExtension(MFileImportKind kind, const QString& path);

struct MLocalPage
{
    QString html;
    MAttachmentMap attachments;
    QString failure; // why there is no page; empty when there is one
    bool Ok() const { return failure.isEmpty(); }
};

// Plain text in a pre block: "&", "<" and ">" as entities, the lines as they are.
QString ConvertPlainText2Html(const QString& text);
// Plain text as lines: escaped as above, every line break a "<br/>".
QString ConvertPlainTextLines2Html(const QString& text);
// A Notes export: its object tags taken out.
QString ConvertMacNotes2Html(const QString& text);

// The page of one file for the notes-and-files import. Text is read as UTF-8 when `utf8` is set,
// else in the encoding recognised; `now` is the created time of an HTML page without one.
MLocalPage BuildFileImportPage(MFileImportKind kind, const QString& path, bool utf8, const QDateTime& now);
// The page of one file of a folder tree: a ".txt" file as lines, an ".htm" or ".html" file through
// the local HTML conversion.
MLocalPage BuildTreeImportPage(const QString& path, bool utf8, const QDateTime& now);
