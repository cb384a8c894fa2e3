#include "MEmuFaults.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

bool Matches(const QString& pattern, const QString& path)
{
    const QString expression = QRegularExpression::escape(pattern).replace(QLatin1String("\\*"), QLatin1String(".*"));
    return QRegularExpression(QRegularExpression::anchoredPattern(expression)).match(path).hasMatch();
}

std::optional<MEmuFault::Kind> KindNamed(const QString& name)
{
    static const std::pair<const char*, MEmuFault::Kind> kinds[] = {{"delay", MEmuFault::Delay},
        {"drop", MEmuFault::Drop}, {"error", MEmuFault::Error}, {"html", MEmuFault::Html},
        {"throttle", MEmuFault::Throttle}, {"empty", MEmuFault::Empty}, {"failed", MEmuFault::Failed}};
    for (const auto& [text, kind] : kinds)
        if (name == QLatin1String(text))
            return kind;
    return std::nullopt;
}

} // namespace

std::optional<MEmuFault> ParseFault(const QString& rule, QString* error)
{
    const QStringList words = rule.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 3) {
        *error = QStringLiteral("a fault needs a method, a path pattern and a kind: %1").arg(rule);
        return std::nullopt;
    }
    MEmuFault fault;
    fault.method = words[0].toUpper();
    fault.pattern = words[1];
    const std::optional<MEmuFault::Kind> kind = KindNamed(words[2]);
    if (!kind) {
        *error = QStringLiteral("unknown fault kind: %1").arg(words[2]);
        return std::nullopt;
    }
    fault.kind = *kind;
    if (fault.kind == MEmuFault::Error) {
        fault.status = 400;
        fault.code = QStringLiteral("20102");
        fault.message = QStringLiteral("The requested resource does not exist.");
    }
    if (fault.kind == MEmuFault::Failed) {
        fault.code = QStringLiteral("generalException");
        fault.message = QStringLiteral("The copy could not be completed.");
    }
    for (qsizetype i = 3; i < words.size(); ++i) {
        const QString key = words[i].section(QLatin1Char('='), 0, 0);
        const QString value = words[i].section(QLatin1Char('='), 1);
        bool ok = true;
        if (key == QLatin1String("count"))
            fault.count = value.toInt(&ok);
        else if (key == QLatin1String("ms"))
            fault.delayMs = value.toInt(&ok);
        else if (key == QLatin1String("status"))
            fault.status = value.toInt(&ok);
        else if (key == QLatin1String("after"))
            fault.after = value.toInt(&ok);
        else if (key == QLatin1String("retryAfter"))
            fault.retryAfter = value.toInt(&ok);
        else if (key == QLatin1String("code"))
            fault.code = value;
        else if (key == QLatin1String("message"))
            fault.message = QString(value).replace(QLatin1Char('+'), QLatin1Char(' '));
        else
            ok = false;
        if (!ok) {
            *error = QStringLiteral("unreadable fault setting: %1").arg(words[i]);
            return std::nullopt;
        }
    }
    return fault;
}

void MEmuFaults::Add(const MEmuFault& fault)
{
    const std::lock_guard lock(m_Mutex);
    m_Faults.push_back(fault);
}

void MEmuFaults::Clear()
{
    const std::lock_guard lock(m_Mutex);
    m_Faults.clear();
}

std::optional<MEmuFault> MEmuFaults::Take(const QString& method, const QString& path)
{
    const std::lock_guard lock(m_Mutex);
    for (auto it = m_Faults.begin(); it != m_Faults.end(); ++it) {
        if ((it->method != QLatin1String("*") && it->method != method) || !Matches(it->pattern, path))
            continue;
        if (it->after > 0) {
            --it->after;
            return std::nullopt;
        }
        MEmuFault fault = *it;
        if (it->count > 0 && --it->count == 0)
            m_Faults.erase(it);
        return fault;
    }
    return std::nullopt;
}
