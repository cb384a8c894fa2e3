// The OData options of the OneNote interface's page reads, as Microsoft's "Get OneNote content and
// structure" describes them. filter takes the comparison operators (eq, ne, gt, ge, lt, le) on
// createdDateTime, lastModifiedDateTime (a date or a date and time, unquoted) and title (a quoted
// string), joined by and, or, not and parentheses; the string functions the service also takes
// (contains, tolower, ...) are not emulated and answer as an unsupported operator.
#include "MEmuPageQuery.h"

#include "MEmuInternal.h"

#include <QTimeZone>

namespace {

const QSet<QString>& PageProperties()
{
    // The page resource's properties; a listing writes level and order only when pagelevel=true.
    static const QSet<QString> names {QStringLiteral("id"), QStringLiteral("self"), QStringLiteral("title"),
        QStringLiteral("createdDateTime"), QStringLiteral("lastModifiedDateTime"), QStringLiteral("createdByAppId"),
        QStringLiteral("contentUrl"), QStringLiteral("links"), QStringLiteral("level"), QStringLiteral("order"),
        QStringLiteral("parentSection"), QStringLiteral("parentNotebook")};
    return names;
}

bool IsTime(const QString& property)
{
    return property == QLatin1String("createdDateTime") || property == QLatin1String("lastModifiedDateTime");
}

QString SortValue(const MEmuPage& page, const QString& property)
{
    if (property == QLatin1String("createdDateTime"))
        return PageTime(page.created);
    if (property == QLatin1String("lastModifiedDateTime"))
        return PageTime(page.modified);
    return page.title;
}

MEmuError Invalid(const char* code, const QString& message)
{
    return MEmuError {400, QString::fromLatin1(code), message};
}

using Test = std::function<bool(const MEmuPage&)>;

class FilterParser
{
public:
    explicit FilterParser(const QString& text) { Tokenize(text); }

    std::optional<MEmuError> Parse(Test& out)
    {
        out = Or();
        if (!m_Error && m_At < m_Tokens.size())
            Fail("20143", QStringLiteral("The filter has '%1' where it should end.").arg(m_Tokens[m_At]));
        return m_Error;
    }

private:
    void Tokenize(const QString& text)
    {
        for (qsizetype i = 0; i < text.size();) {
            const QChar c = text[i];
            if (c.isSpace()) {
                ++i;
            } else if (c == QLatin1Char('(') || c == QLatin1Char(')') || c == QLatin1Char(',')) {
                m_Tokens << QString(c);
                ++i;
            } else if (c == QLatin1Char('\'')) {
                // A string literal keeps its opening quote as its mark; '' stands for one quote.
                QString literal = QStringLiteral("'");
                for (++i; i < text.size(); ++i) {
                    if (text[i] == QLatin1Char('\'') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\'')) {
                        literal += QLatin1Char('\'');
                        ++i;
                    } else if (text[i] == QLatin1Char('\'')) {
                        break;
                    } else {
                        literal += text[i];
                    }
                }
                if (i >= text.size())
                    Fail("20128", QStringLiteral("A string in the filter is not closed."));
                m_Tokens << literal;
                ++i;
            } else {
                const qsizetype start = i;
                while (i < text.size() && !text[i].isSpace() && text[i] != QLatin1Char('(')
                    && text[i] != QLatin1Char(')') && text[i] != QLatin1Char(','))
                    ++i;
                m_Tokens << text.mid(start, i - start);
            }
        }
    }

    QString Next() { return m_At < m_Tokens.size() ? m_Tokens[m_At++] : QString(); }
    QString Peek() const { return m_At < m_Tokens.size() ? m_Tokens[m_At] : QString(); }

    Test Fail(const char* code, const QString& message)
    {
        if (!m_Error)
            m_Error = Invalid(code, message);
        return [](const MEmuPage&) { return false; };
    }

    Test Or()
    {
        Test left = And();
        while (!m_Error && Peek() == QLatin1String("or")) {
            ++m_At;
            left = [l = left, r = And()](const MEmuPage& p) { return l(p) || r(p); };
        }
        return left;
    }

    Test And()
    {
        Test left = Not();
        while (!m_Error && Peek() == QLatin1String("and")) {
            ++m_At;
            left = [l = left, r = Not()](const MEmuPage& p) { return l(p) && r(p); };
        }
        return left;
    }

    Test Not()
    {
        if (Peek() != QLatin1String("not"))
            return Primary();
        ++m_At;
        return [inner = Not()](const MEmuPage& p) { return !inner(p); };
    }

    Test Primary()
    {
        const QString property = Next();
        if (property == QLatin1String("(")) {
            Test inner = Or();
            if (Next() != QLatin1String(")"))
                return Fail("20128", QStringLiteral("A parenthesis in the filter is not closed."));
            return inner;
        }
        if (Peek() == QLatin1String("("))
            return Fail("20106", QStringLiteral("The filter function '%1' is not supported here.").arg(property));
        if (property.isEmpty() || property.startsWith(QLatin1Char('\'')))
            return Fail("20143", QStringLiteral("The filter is missing a property name."));
        if (!IsTime(property) && property != QLatin1String("title"))
            return Fail("20127", QStringLiteral("The pages cannot be filtered by '%1'.").arg(property));
        const QString op = Next();
        static const QStringList ops {QStringLiteral("eq"), QStringLiteral("ne"), QStringLiteral("gt"),
            QStringLiteral("ge"), QStringLiteral("lt"), QStringLiteral("le")};
        if (!ops.contains(op))
            return Fail("20106", QStringLiteral("The filter operator '%1' is not supported.").arg(op));
        const QString literal = Next();
        int (*compare)(const MEmuPage&, const QVariant&) = nullptr;
        QVariant value;
        if (IsTime(property)) {
            // A date alone is its midnight, and a time without a zone is UTC, as the service keeps times.
            QDateTime time;
            if (literal.contains(QLatin1Char('T'))) {
                time = QDateTime::fromString(literal, Qt::ISODateWithMs);
                if (time.isValid() && time.timeSpec() == Qt::LocalTime)
                    time.setTimeZone(QTimeZone::utc());
            } else if (const QDate date = QDate::fromString(literal, Qt::ISODate); date.isValid()) {
                time = QDateTime(date, QTime(0, 0), QTimeZone::utc());
            }
            if (!time.isValid())
                return Fail("20143", QStringLiteral("'%1' is not a date and time.").arg(literal));
            value = time.toUTC();
            compare = property == QLatin1String("createdDateTime")
                ? +[](const MEmuPage& p, const QVariant& v) { return Order(p.created, v.toDateTime()); }
                : +[](const MEmuPage& p, const QVariant& v) { return Order(p.modified, v.toDateTime()); };
        } else {
            if (!literal.startsWith(QLatin1Char('\'')))
                return Fail("20143", QStringLiteral("The title is compared with a quoted string."));
            value = literal.mid(1);
            compare = +[](const MEmuPage& p, const QVariant& v) { return p.title.compare(v.toString()); };
        }
        return [compare, value, op](const MEmuPage& p) {
            const int c = compare(p, value);
            return op == QLatin1String("eq") ? c == 0
                : op == QLatin1String("ne")  ? c != 0
                : op == QLatin1String("gt")  ? c > 0
                : op == QLatin1String("ge")  ? c >= 0
                : op == QLatin1String("lt")  ? c < 0
                                             : c <= 0;
        };
    }

    // Times compare as the listings show them: to the millisecond.
    static int Order(const QDateTime& a, const QDateTime& b)
    {
        const qint64 x = a.toMSecsSinceEpoch();
        const qint64 y = b.toMSecsSinceEpoch();
        return x < y ? -1 : x > y ? 1 : 0;
    }

    QStringList m_Tokens;
    qsizetype m_At = 0;
    std::optional<MEmuError> m_Error;
};

// The names of a select or expand list; options in parentheses after a name are not read.
QStringList Terms(const QString& text)
{
    QStringList terms;
    int depth = 0;
    QString current;
    for (const QChar c : text) {
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')'))
            --depth;
        else if (c == QLatin1Char(',') && depth == 0) {
            terms << current.trimmed();
            current.clear();
        } else if (depth == 0)
            current += c;
    }
    terms << current.trimmed();
    terms.removeAll(QString());
    return terms;
}

} // namespace

QString PageTime(const QDateTime& time)
{
    return time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
}

void MEmuPageQuery::Sort(std::vector<const MEmuPage*>& pages) const
{
    if (orderBy.empty())
        return;
    std::stable_sort(pages.begin(), pages.end(), [&](const MEmuPage* a, const MEmuPage* b) {
        for (const auto& [property, descending] : orderBy) {
            const int c = SortValue(*a, property).compare(SortValue(*b, property));
            if (c != 0)
                return descending ? c > 0 : c < 0;
        }
        return false;
    });
}

std::optional<MEmuError> ReadPageQuery(const MEmuRequest& request, bool listing, int maxTop, MEmuPageQuery& query)
{
    for (const QString& term : Terms(request.Option(QStringLiteral("select")))) {
        if (!PageProperties().contains(term))
            return Invalid("20145", QStringLiteral("The select term '%1' is not a property of a page.").arg(term));
        query.select.insert(term);
    }
    // An expand names what to expand in place of the default, which it replaces.
    if (request.HasQuery(QStringLiteral("expand")) || request.HasQuery(QStringLiteral("$expand"))) {
        query.parentSectionIds = false;
        for (const QString& term : Terms(request.Option(QStringLiteral("expand")))) {
            if (term == QLatin1String("parentSection"))
                query.parentSection = true;
            else if (term == QLatin1String("parentNotebook"))
                query.parentNotebook = true;
            else
                return Invalid("20145",
                    QStringLiteral("The expand term '%1' is not supported: a page expands parentNotebook and "
                                   "parentSection.")
                        .arg(term));
        }
    }
    if (!listing)
        return std::nullopt;

    if (const QString filter = request.Option(QStringLiteral("filter")); !filter.trimmed().isEmpty())
        if (auto error = FilterParser(filter).Parse(query.filter))
            return error;
    for (const QString& key : Terms(request.Option(QStringLiteral("orderby")))) {
        const QStringList words = key.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString direction = words.value(1).toLower();
        if (words.size() > 2 || (!IsTime(words[0]) && words[0] != QLatin1String("title"))
            || (!direction.isEmpty() && direction != QLatin1String("asc") && direction != QLatin1String("desc")))
            return Invalid("20127", QStringLiteral("The pages cannot be ordered by '%1'.").arg(key));
        query.orderBy.emplace_back(words[0], direction == QLatin1String("desc"));
    }
    query.pageLevel
        = request.Option(QStringLiteral("pagelevel")).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    const QString topText = request.Option(QStringLiteral("top"));
    const QString skipText = request.Option(QStringLiteral("skip"));
    bool ok = true;
    query.topGiven = !topText.isEmpty();
    query.top = topText.isEmpty() ? 20 : topText.toInt(&ok);
    if (!ok || query.top < 1 || query.top > maxTop)
        return Invalid("20129", QStringLiteral("The value of top must be between 1 and %1.").arg(maxTop));
    query.skip = skipText.isEmpty() ? 0 : skipText.toInt(&ok);
    if (!ok || query.skip < 0)
        return Invalid("20129", QStringLiteral("The value of skip is not valid."));
    return std::nullopt;
}
