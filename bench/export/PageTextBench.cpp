// Page HTML to plain text in MB/s of page HTML, over pages shaped like the service's output:
// positioned outlines of paragraphs with spans and entities, nested lists, a table and images.
#include "BenchPages.h"
#include "export/PageText.h"

#include <QString>
#include <benchmark/benchmark.h>

namespace {

void BM_PageHtmlToText(benchmark::State& state)
{
    const QString html = ServicePageOfSize(state.range(0));
    const qint64 bytes = html.toUtf8().size();
    for (auto _ : state)
        benchmark::DoNotOptimize(ConvertOnlineHtml2PlainText(html, QString()));
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_PageHtmlToText)->Arg(4 << 10)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

// The fallback for pages that are not XML: one unclosed tag sends the whole page through it.
void BM_MalformedPageHtmlToText(benchmark::State& state)
{
    const QString html = ServicePageOfSize(state.range(0)) + QStringLiteral("<br>");
    const qint64 bytes = html.toUtf8().size();
    for (auto _ : state)
        benchmark::DoNotOptimize(ConvertOnlineHtml2PlainText(html, QString()));
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_MalformedPageHtmlToText)->Arg(64 << 10)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
