#pragma once

#include <QString>

// The user-facing text for `key` from the string table of the user's language (Simplified Chinese
// when the first preferred language begins with "zh-Hans", else English); English when the key is
// missing from that table; "" when it is in neither.
QString Localized(const QString& key);
QString Localized(const char* key);
// Chooses the table explicitly ("en", "zh-Hans"); for tests and for a language setting.
void SetStringTableLanguage(const QString& language);
