#pragma once

// Pages shaped like the service's output for the page-conversion benchmarks: positioned outlines of
// paragraphs with spans and entities, nested lists, a table and images.
#include <QString>

inline QString BenchOutline(int n)
{
    return QStringLiteral(
        "<div id=\"div:{1c5b7a3e-0000-4000-8000-%1}{4}\" data-id=\"_default\" style=\"position:absolute;left:48px;"
        "top:120px;width:624px\">\n"
        "<p id=\"p:{1c5b7a3e-0000-4000-8000-%1}{8}\" style=\"margin-top:0pt;margin-bottom:0pt\">Meeting&nbsp;notes "
        "<span style=\"font-weight:bold\">item %2</span> &amp; <span lang=\"en-US\">follow-up</span></p>\n"
        "<ul><li>first point</li><li>second point<ol><li>detail a</li><li>detail b</li></ol></li></ul>\n"
        "<table><tr><td><p>cell</p></td><td><p>value &lt;%2&gt;</p></td></tr></table>\n"
        "<img id=\"img:{1c5b7a3e-0000-4000-8000-%1}{9}\" width=\"320\" height=\"240\" "
        "src=\"https://graph.microsoft.com/v1.0/me/onenote/resources/1-abc!1-def/$value\" data-src-type=\"image/png\" "
        "/>\n"
        "</div>\n")
        .arg(n, 12, 10, QLatin1Char('0'))
        .arg(n);
}

inline QString ServicePageOfSize(qsizetype bytes)
{
    QString html
        = QStringLiteral("<html lang=\"en-US\">\n<head>\n<title>Benchmark page</title>\n"
                         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n"
                         "<meta name=\"created\" content=\"2015-07-22T09:00:00.0000000\" />\n</head>\n"
                         "<body data-absolute-enabled=\"true\" style=\"font-family:Calibri;font-size:11pt\">\n");
    for (int n = 0; html.size() < bytes; ++n)
        html += BenchOutline(n);
    return html + QStringLiteral("</body>\n</html>\n");
}
