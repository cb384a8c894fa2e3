// Page HTML to Markdown in MB/s of page HTML, on the same pages as the text conversion beside it;
// every image is given a resource path, as the export gives them.
#include "BenchPages.h"
#include "export/PageMarkdown.h"

#include <benchmark/benchmark.h>

namespace {

void BM_PageHtmlToMarkdown(benchmark::State& state)
{
    const QString html = ServicePageOfSize(state.range(0));
    const qint64 bytes = html.toUtf8().size();
    MMarkdownTargets targets;
    targets.resourcePath = [](const MMarkdownResource& r) { return QStringLiteral("_resources/") + r.suggestedName; };
    targets.pagePath = [](const QString&) { return std::optional<QString>(); };
    for (auto _ : state)
        benchmark::DoNotOptimize(ConvertPageHtmlToMarkdown(html, {}, targets));
    state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_PageHtmlToMarkdown)->Arg(4 << 10)->Arg(64 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

} // namespace
