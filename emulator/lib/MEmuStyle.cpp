// The varied answer style: the same data as the plain style, in the forms the real services use.
// Every answer passes through here on its way out, so every route gets the style alike.
#include "MEmuInternal.h"

#include <zlib.h>

namespace {

// Graph's own content type for JSON; a client that tested for "application/json" exactly would fail.
constexpr const char* kGraphJsonType
    = "application/json;odata.metadata=minimal;odata.streaming=true;IEEE754Compatible=false;charset=utf-8";

bool IsGraphPath(const QString& path)
{
    return path.startsWith(QLatin1String("/v1.0/")) || path.startsWith(QLatin1String("/api/"))
        || path.startsWith(QLatin1String("/_monitor/")) || path.startsWith(QLatin1String("/_upload/"));
}

bool IsText(const QByteArray& contentType)
{
    return contentType.startsWith("application/json") || contentType.startsWith("text/")
        || contentType.startsWith("application/xml") || contentType.startsWith("application/xhtml+xml");
}

bool AcceptsGzip(const MEmuRequest& request)
{
    for (const QString& coding : request.Header(QStringLiteral("accept-encoding")).split(QLatin1Char(',')))
        if (coding.section(QLatin1Char(';'), 0, 0).trimmed().compare(QLatin1String("gzip"), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

std::optional<QByteArray> Gzip(const QByteArray& data)
{
    z_stream stream {};
    // 15 window bits, +16 for the gzip wrapper instead of zlib's.
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return std::nullopt;
    QByteArray out(qsizetype(deflateBound(&stream, uLong(data.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.truncate(qsizetype(stream.total_out));
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        return std::nullopt;
    return out;
}

} // namespace

MEmuResponse StyleAnswer(const MEmuRequest& request, MEmuResponse answer)
{
    if (answer.drop || answer.body.isEmpty())
        return answer;
    if (answer.contentType.startsWith("application/json")) {
        const bool graph = IsGraphPath(request.path);
        MJsonStyle style;
        style.pretty = true;
        style.escapeAll = true;
        style.reorder = true;
        style.extraFields = graph;
        if (graph)
            style.odataContext
                = request.origin + QStringLiteral("/v1.0/$metadata#") + request.path.section(QLatin1Char('/'), -1);
        answer.body = RestyleJson(answer.body, style);
        if (graph)
            answer.contentType = kGraphJsonType;
    }
    if (IsText(answer.contentType) && AcceptsGzip(request))
        if (std::optional<QByteArray> packed = Gzip(answer.body)) {
            answer.body = std::move(*packed);
            answer.headers.emplace_back("Content-Encoding", "gzip");
            answer.headers.emplace_back("Vary", "Accept-Encoding");
        }
    return answer;
}
