// Requests per second from one sequential client (the application's own libcurl client, with a
// kept-alive connection), for a small Graph answer, a page list of 100 and a page's content, and
// megabytes per second for a large multipart page. Run: build/.../bench_emulator
#include "MEmulator.h"
#include "net/MHttpClient.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <benchmark/benchmark.h>

namespace {

struct Running
{
    Running()
    {
        QString error;
        MEmulator::Options options;
        options.fixture = LoadFixtureFile(QStringLiteral(PAGEWRIGHT_SOURCE_DIR "/emulator/fixtures/demo.json"), &error);
        options.fixture.insert(
            QStringLiteral("limits"), QJsonObject {{QStringLiteral("maxRequestBytes"), 400 * 1024 * 1024}});
        emulator = std::make_unique<MEmulator>(options);
        emulator->Start();
        token = "Bearer " + emulator->IssueTokens(QStringLiteral("personal")).accessToken.toUtf8();
        const QJsonArray notebooks
            = QJsonDocument::fromJson(*Get(QStringLiteral("/v1.0/me/onenote/notebooks?expand=sections")).body)
                  .object()
                  .value(QLatin1String("value"))
                  .toArray();
        for (const QJsonValue& nb : notebooks)
            for (const QJsonValue& s : nb.toObject().value(QLatin1String("sections")).toArray())
                if (s.toObject().value(QLatin1String("displayName")).toString() == QLatin1String("Hundred"))
                    hundred = s.toObject().value(QLatin1String("id")).toString();
        const QJsonArray pages = QJsonDocument::fromJson(
            *Get(QStringLiteral("/v1.0/me/onenote/sections/%1/pages?top=1").arg(hundred)).body)
                                     .object()
                                     .value(QLatin1String("value"))
                                     .toArray();
        page = pages[0].toObject().value(QLatin1String("id")).toString();
    }

    MHttpResponse Send(
        const QByteArray& method, const QString& path, const QByteArray& type = {}, const QByteArray& body = {})
    {
        MHttpRequest request;
        request.method = method;
        request.url = emulator->Origin() + path;
        request.headers.append({"Authorization", token});
        if (!type.isEmpty())
            request.headers.append({"Content-Type", type});
        request.body = body;
        request.timeoutSeconds = 120;
        return MHttpClient::ForCurrentThread().Send(request);
    }
    MHttpResponse Get(const QString& path) { return Send("GET", path); }

    std::unique_ptr<MEmulator> emulator;
    QByteArray token;
    QString hundred;
    QString page;
};

Running& Server()
{
    static Running running;
    return running;
}

void BM_SmallRequest(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Server().Get(QStringLiteral("/v1.0/me")));
    state.counters["requests/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SmallRequest)->UseRealTime();

void BM_PageListOf100(benchmark::State& state)
{
    const QString path = QStringLiteral("/v1.0/me/onenote/sections/%1/pages?top=100&skip=0").arg(Server().hundred);
    for (auto _ : state)
        benchmark::DoNotOptimize(Server().Get(path));
    state.counters["requests/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PageListOf100)->UseRealTime();

void BM_PageContent(benchmark::State& state)
{
    const QString path = QStringLiteral("/v1.0/me/onenote/pages/%1/content?includeIDs=true").arg(Server().page);
    for (auto _ : state)
        benchmark::DoNotOptimize(Server().Get(path));
    state.counters["requests/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PageContent)->UseRealTime();

void BM_MultipartPage(benchmark::State& state)
{
    const qint64 size = state.range(0) * 1024 * 1024;
    QByteArray body
        = "--b\r\nContent-Disposition: form-data; name=\"Presentation\"\r\nContent-Type: text/html\r\n\r\n"
          "<html><head><title>Big</title></head><body><object data-attachment=\"a.bin\" data=\"name:a\" "
          "/></body></html>\r\n"
          "--b\r\nContent-Disposition: form-data; name=\"a\"\r\nContent-Type: application/octet-stream\r\n\r\n";
    body += QByteArray(size, 'x') + "\r\n--b--\r\n";
    const QString path = QStringLiteral("/v1.0/me/onenote/sections/%1/pages").arg(Server().hundred);
    for (auto _ : state) {
        const MHttpResponse r = Server().Send("POST", path, "multipart/form-data; boundary=b", body);
        if (r.status != 201)
            state.SkipWithError("the page was not created");
    }
    state.SetBytesProcessed(state.iterations() * body.size());
}
// Parts are capped at 25 MB by default; this measures the body handling, with a raised limit.
BENCHMARK(BM_MultipartPage)->Arg(20)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

BENCHMARK_MAIN();
