#include "HtmlText.h"

#include "TextUtils.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <memory>

QString StripHtmlTags(const QString& text)
{
    QString result = text;
    for (;;) {
        const QString inner = GetStringBetween(result, QStringLiteral("<"), QStringLiteral(">"));
        if (inner.isEmpty())
            return result;
        result.remove(result.indexOf(QLatin1Char('<')), inner.size() + 2);
    }
}

QString DecodeHtmlEntities(const QString& text)
{
    static const std::pair<const char*, const char*> steps[] = {
        {"&nbsp;", " "},
        {"&lt;", "<"},
        {"&gt;", ">"},
        {"&apos;", "'"},
        {"&quot;", "\""},
        {"&amp;", "&"},
        {"&#160;", " "},
        {"&#39;", "'"},
    };
    QString result = text;
    for (const auto& [entity, replacement] : steps)
        result.replace(QLatin1String(entity), QLatin1String(replacement));
    return result;
}

QString StripHtmlToText(const QString& text)
{
    return DecodeHtmlEntities(StripHtmlTags(text));
}

namespace {

icu::UnicodeString ToIcu(const QString& s)
{
    return icu::UnicodeString(reinterpret_cast<const UChar*>(s.utf16()), static_cast<int32_t>(s.size()));
}

QString FromIcu(const icu::UnicodeString& s)
{
    return QString(reinterpret_cast<const QChar*>(s.getBuffer()), s.length());
}

} // namespace

namespace {

std::unique_ptr<icu::RegexPattern> CompilePattern(const QString& pattern, bool matchCase)
{
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError;
    const uint32_t flags = matchCase ? 0 : UREGEX_CASE_INSENSITIVE;
    std::unique_ptr<icu::RegexPattern> compiled(icu::RegexPattern::compile(ToIcu(pattern), flags, parseError, status));
    if (U_FAILURE(status))
        return nullptr;
    return compiled;
}

} // namespace

std::optional<bool> RegexFind(const QString& text, const QString& pattern, bool matchCase)
{
    const std::unique_ptr<icu::RegexPattern> compiled = CompilePattern(pattern, matchCase);
    if (!compiled)
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString input = ToIcu(text);
    std::unique_ptr<icu::RegexMatcher> matcher(compiled->matcher(input, status));
    if (U_FAILURE(status) || !matcher)
        return std::nullopt;
    const bool found = matcher->find(0, status);
    if (U_FAILURE(status))
        return std::nullopt;
    return found;
}

std::optional<QString> RegexReplaceAll(
    const QString& text, const QString& pattern, const QString& replacement, bool matchCase)
{
    const std::unique_ptr<icu::RegexPattern> compiled = CompilePattern(pattern, matchCase);
    if (!compiled)
        return std::nullopt;
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString input = ToIcu(text);
    std::unique_ptr<icu::RegexMatcher> matcher(compiled->matcher(input, status));
    if (U_FAILURE(status) || !matcher)
        return std::nullopt;
    const icu::UnicodeString output = matcher->replaceAll(ToIcu(replacement), status);
    if (U_FAILURE(status))
        return std::nullopt;
    return FromIcu(output);
}
