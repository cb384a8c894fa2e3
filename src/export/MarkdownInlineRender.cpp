#include "MarkdownInline.h"
#include "MarkdownText.h"
#include "util/TextEscape.h"

#include <algorithm>
#include <functional>

namespace {

// A stretch of formatting that opens and closes around runs: one format bit, or a link.
struct MSpan
{
    unsigned format = 0; // 0 for a link
    int link = -1;
    bool operator==(const MSpan&) const = default;
};

std::vector<MSpan> SpansOf(const MInlineRun& run)
{
    std::vector<MSpan> spans;
    if (run.link >= 0)
        spans.push_back({0, run.link});
    for (unsigned bit : {kStrike, kBold, kItalic, kSuperscript, kSubscript})
        if (run.formats & bit)
            spans.push_back({bit, -1});
    return spans;
}

// Closes and opens spans so that exactly `wanted` is open. Spans nest, so the open ones stay only as
// far up as every one of them is still wanted; the rest close and the missing ones open.
void MoveTo(std::vector<MSpan>& open, const std::vector<MSpan>& wanted, const std::function<void(const MSpan&)>& close,
    const std::function<void(const MSpan&)>& opening)
{
    size_t kept = 0;
    while (kept < open.size() && std::find(wanted.begin(), wanted.end(), open[kept]) != wanted.end())
        ++kept;
    while (open.size() > kept) {
        close(open.back());
        open.pop_back();
    }
    for (const MSpan& span : wanted) {
        if (std::find(open.begin(), open.end(), span) == open.end()) {
            opening(span);
            open.push_back(span);
        }
    }
}

struct MToken
{
    enum class Kind { Open, Close, Text, Break, Atom };
    Kind kind = Kind::Text;
    MSpan span;
    qsizetype partner = -1;
    QString text; // the markup, once decided
};

QString CodeSpan(const QString& code, MInlinePlace place)
{
    qsizetype longest = 0;
    qsizetype current = 0;
    for (const QChar c : code) {
        current = c == QLatin1Char('`') ? current + 1 : 0;
        longest = std::max(longest, current);
    }
    const QString fence(longest + 1, QLatin1Char('`'));
    QString body = code;
    // A table row is split at every pipe, inside code spans too, before the cells are read.
    if (place == MInlinePlace::TableCell)
        body.replace(QLatin1Char('|'), QStringLiteral("\\|"));
    const bool pad = body.startsWith(QLatin1Char('`')) || body.endsWith(QLatin1Char('`'));
    return pad ? fence + QLatin1Char(' ') + body + QLatin1Char(' ') + fence : fence + body + fence;
}

QString TableSafe(QString markup, MInlinePlace place)
{
    return place == MInlinePlace::TableCell ? markup.replace(QLatin1Char('|'), QStringLiteral("\\|")) : markup;
}

std::vector<MToken> Tokenize(const MInlineContent& content, MInlinePlace place)
{
    std::vector<MToken> tokens;
    std::vector<MSpan> open;
    std::vector<qsizetype> openAt;
    auto close = [&](const MSpan& span) {
        QString markup;
        if (span.format == 0)
            markup = TableSafe(QStringLiteral("](") + content.links[span.link].MarkdownDestination() + ')', place);
        tokens.push_back({MToken::Kind::Close, span, openAt.back(), markup});
        tokens[openAt.back()].partner = qsizetype(tokens.size()) - 1;
        openAt.pop_back();
    };
    auto opening = [&](const MSpan& span) {
        // "!" right before a link's "[" would make the link an image.
        if (span.format == 0 && !tokens.empty() && tokens.back().kind == MToken::Kind::Text
            && tokens.back().text.endsWith(QLatin1Char('!')))
            tokens.back().text.insert(tokens.back().text.size() - 1, QLatin1Char('\\'));
        openAt.push_back(qsizetype(tokens.size()));
        tokens.push_back({MToken::Kind::Open, span, -1, span.format == 0 ? QStringLiteral("[") : QString()});
    };
    for (const MInlineRun& run : content.runs) {
        if (run.kind == MInlineRun::Kind::Break) {
            tokens.push_back({MToken::Kind::Break, {}, -1, {}});
            continue;
        }
        MoveTo(open, SpansOf(run), close, opening);
        if (run.kind == MInlineRun::Kind::Image) {
            const QString destination = TableSafe(run.image.MarkdownDestination(), place);
            tokens.push_back({MToken::Kind::Atom, {}, -1,
                QStringLiteral("![") + EscapeMarkdownText(run.text) + QStringLiteral("](") + destination + ')'});
        } else if (run.formats & kCode) {
            tokens.push_back({MToken::Kind::Atom, {}, -1, CodeSpan(run.text, place)});
        } else {
            const bool lineStart = tokens.empty() || tokens.back().kind == MToken::Kind::Break;
            const QString escaped = EscapeMarkdownText(run.text);
            tokens.push_back({MToken::Kind::Text, {}, -1, lineStart ? EscapeLineStart(escaped) : escaped});
        }
    }
    MoveTo(open, {}, close, opening);
    return tokens;
}

// What an undecided delimiter will look like to its neighbours: a strikethrough's "~" reads
// differently from the rest, which all read as punctuation.
char32_t Undecided(const MToken& token)
{
    return token.span.format == kStrike ? char32_t('~') : char32_t('*');
}

// The character a reader meets on each side of token i.
char32_t EdgeBefore(const std::vector<MToken>& tokens, qsizetype i)
{
    if (i == 0 || tokens[i - 1].kind == MToken::Kind::Break)
        return '\n';
    const QString& text = tokens[i - 1].text;
    return text.isEmpty() ? Undecided(tokens[i - 1]) : CodePointBefore(text, text.size());
}

char32_t EdgeAfter(const std::vector<MToken>& tokens, qsizetype i)
{
    if (i + 1 >= qsizetype(tokens.size()) || tokens[i + 1].kind == MToken::Kind::Break)
        return '\n';
    const QString& text = tokens[i + 1].text;
    return text.isEmpty() ? Undecided(tokens[i + 1]) : CodePointAt(text, 0);
}

// Whether `delimiter` can open before nextIn and close after prevIn where it stands, for every
// reader. They differ on whether symbols count as punctuation, and cmark-gfm counts a "~" as
// punctuation or not depending on what surrounds it; every choice is tried.
bool DelimiterFits(char32_t delimiter, char32_t prevOut, char32_t nextIn, char32_t prevIn, char32_t nextOut)
{
    if (prevOut == delimiter) // it would join the delimiter before it into one run
        return false;
    const bool underscore = delimiter == '_';
    auto blank = IsMarkdownWhitespace;
    for (int reading = 0; reading < 32; ++reading) {
        // Bit 4 picks the reading of symbols, bits 0 to 3 that of a "~" on each side.
        auto punct = [reading](char32_t c, int side) {
            return c == '~' ? bool(reading & (1 << side)) : IsMarkdownPunctuation(c, reading & 16);
        };
        const bool prevOutPunct = punct(prevOut, 0);
        const bool nextInPunct = punct(nextIn, 1);
        const bool prevInPunct = punct(prevIn, 2);
        const bool nextOutPunct = punct(nextOut, 3);
        const bool openLeft = !blank(nextIn) && (!nextInPunct || blank(prevOut) || prevOutPunct);
        const bool openRight = !blank(prevOut) && (!prevOutPunct || blank(nextIn) || nextInPunct);
        const bool closeRight = !blank(prevIn) && (!prevInPunct || blank(nextOut) || nextOutPunct);
        const bool closeLeft = !blank(nextOut) && (!nextOutPunct || blank(prevIn) || prevInPunct);
        const bool canOpen = openLeft && (!underscore || !openRight || prevOutPunct);
        const bool canClose = closeRight && (!underscore || !closeLeft || nextOutPunct);
        if (!canOpen || !canClose)
            return false;
    }
    return true;
}

void DecideDelimiters(std::vector<MToken>& tokens)
{
    for (qsizetype i = 0; i < qsizetype(tokens.size()); ++i) {
        MToken& token = tokens[i];
        if (token.kind != MToken::Kind::Open || token.span.format == 0)
            continue;
        MToken& closing = tokens[token.partner];
        QStringList choices;
        QString tag;
        switch (token.span.format) {
        case kBold:
            choices = {QStringLiteral("**"), QStringLiteral("__")};
            tag = QStringLiteral("strong");
            break;
        case kItalic:
            choices = {QStringLiteral("*"), QStringLiteral("_")};
            tag = QStringLiteral("em");
            break;
        case kStrike:
            choices = {QStringLiteral("~~")};
            tag = QStringLiteral("del");
            break;
        default:
            tag = token.span.format == kSuperscript ? QStringLiteral("sup") : QStringLiteral("sub");
        }
        const char32_t prevOut = EdgeBefore(tokens, i);
        const char32_t nextIn = EdgeAfter(tokens, i);
        const char32_t prevIn = EdgeBefore(tokens, token.partner);
        const char32_t nextOut = EdgeAfter(tokens, token.partner);
        const auto fits = std::find_if(choices.cbegin(), choices.cend(),
            [&](const QString& d) { return DelimiterFits(d[0].unicode(), prevOut, nextIn, prevIn, nextOut); });
        // Where no delimiter can stand (next to punctuation inside a word), the HTML element can.
        token.text = fits != choices.cend() ? *fits : QLatin1Char('<') + tag + QLatin1Char('>');
        closing.text = fits != choices.cend() ? *fits : QStringLiteral("</") + tag + QLatin1Char('>');
    }
}

QString HtmlTag(const MSpan& span, const MInlineContent& content, bool closing)
{
    if (span.format == 0)
        return closing ? QStringLiteral("</a>")
                       : QStringLiteral("<a href=\"") + content.links[span.link].HtmlHref() + QStringLiteral("\">");
    QString name = QStringLiteral("sub");
    if (span.format == kStrike)
        name = QStringLiteral("del");
    else if (span.format == kBold)
        name = QStringLiteral("strong");
    else if (span.format == kItalic)
        name = QStringLiteral("em");
    else if (span.format == kSuperscript)
        name = QStringLiteral("sup");
    return (closing ? QStringLiteral("</") : QStringLiteral("<")) + name + QLatin1Char('>');
}

} // namespace

QString RenderInlineMarkdown(const MInlineContent& content, MInlinePlace place)
{
    std::vector<MToken> tokens = Tokenize(content, place);
    DecideDelimiters(tokens);
    QString out;
    for (const MToken& token : tokens) {
        if (token.kind != MToken::Kind::Break)
            out += token.text;
        else if (place == MInlinePlace::Paragraph)
            out += QStringLiteral("\\\n");
        else
            out += place == MInlinePlace::TableCell ? QStringLiteral("<br>") : QStringLiteral(" ");
    }
    return out;
}

QString RenderInlineHtml(const MInlineContent& content)
{
    QString out;
    std::vector<MSpan> open;
    auto close = [&](const MSpan& span) { out += HtmlTag(span, content, true); };
    auto opening = [&](const MSpan& span) { out += HtmlTag(span, content, false); };
    for (const MInlineRun& run : content.runs) {
        if (run.kind == MInlineRun::Kind::Break) {
            out += QStringLiteral("<br />");
            continue;
        }
        MoveTo(open, SpansOf(run), close, opening);
        if (run.kind == MInlineRun::Kind::Image)
            out += QStringLiteral("<img src=\"") + run.image.HtmlHref() + QStringLiteral("\" alt=\"")
                + EscapeHtmlAttribute(run.text) + QStringLiteral("\" />");
        else if (run.formats & kCode)
            out += QStringLiteral("<code>") + EscapeHtmlText(run.text) + QStringLiteral("</code>");
        else
            out += EscapeHtmlText(run.text);
    }
    MoveTo(open, {}, close, opening);
    return out;
}
