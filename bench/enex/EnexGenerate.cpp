// Writes a large ENEX file as a stream: notes with a few paragraphs and, in most of them, one or
// more Base64 images of a few megabytes, until the file reaches the size asked for. The image bytes
// are pseudo-random (so they do not compress and every image hashes differently) and the Base64 is
// wrapped at 76 columns as exporters write it.
//
// enex_generate OUT SIZE_MB [IMAGE_KB] [SEED]

#include <QByteArray>
#include <QCryptographicHash>
#include <QList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct MGenerator
{
    std::uint64_t state;
    std::uint64_t Next()
    {
        // xorshift64*: fast and good enough for bytes nobody reads.
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 2685821657736338717ULL;
    }
    void Fill(QByteArray& bytes)
    {
        auto* data = reinterpret_cast<unsigned char*>(bytes.data());
        for (qsizetype i = 0; i + 8 <= bytes.size(); i += 8) {
            const std::uint64_t value = Next();
            std::memcpy(data + i, &value, 8);
        }
    }
};

QByteArray Wrapped(const QByteArray& base64)
{
    QByteArray out;
    out.reserve(base64.size() + base64.size() / 76 + 1);
    for (qsizetype at = 0; at < base64.size(); at += 76) {
        out.append(base64.constData() + at, std::min<qsizetype>(76, base64.size() - at));
        out.append('\n');
    }
    return out;
}

QByteArray Md5Hex(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
}

QByteArray Note(qint64 number, const QList<QByteArray>& images)
{
    const QByteArray n = QByteArray::number(number);
    QByteArray content = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
                         "<!DOCTYPE en-note SYSTEM \"http://xml.evernote.com/pub/enml2.dtd\">\n"
                         "<en-note><div>Note "
        + n + " &amp; friends</div><div style=\"padding-left:40px;\">Indented line of note " + n
        + "</div><ul style=\"--en-todo:true;\"><li style=\"--en-checked:false;\">open item</li></ul>";
    for (const QByteArray& image : images)
        content += "<div><en-media hash=\"" + Md5Hex(image) + "\" type=\"image/png\"/></div>";
    content += "</en-note>";

    QByteArray xml = "  <note>\n    <title>Generated note " + n + " &lt;" + QByteArray::number(images.size())
        + " images&gt;</title>\n    <created>20230105T101500Z</created>\n    <updated>20230105T101500Z</updated>\n"
          "    <tag>Tag"
        + QByteArray::number(number % 7) + "</tag>\n    <content><![CDATA[" + content + "]]></content>\n";
    for (qsizetype i = 0; i < images.size(); ++i) {
        xml += "    <resource>\n      <data encoding=\"base64\">\n" + Wrapped(images.at(i).toBase64())
            + "</data>\n      <mime>image/png</mime>\n      <resource-attributes><file-name>image" + n + "-"
            + QByteArray::number(i) + ".png</file-name></resource-attributes>\n    </resource>\n";
    }
    return xml + "  </note>\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: enex_generate OUT SIZE_MB [IMAGE_KB] [SEED]\n");
        return 2;
    }
    const qint64 target = std::atoll(argv[2]) * 1024 * 1024;
    const qint64 imageBytes = (argc > 3 ? std::atoll(argv[3]) : 3072) * 1024;
    MGenerator random {argc > 4 ? std::strtoull(argv[4], nullptr, 10) | 1 : 88172645463325252ULL};

    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                            "<!DOCTYPE en-export SYSTEM \"http://xml.evernote.com/pub/evernote-export3.dtd\">\n"
                            "<en-export export-date=\"20230105T101500Z\" application=\"Evernote\" version=\"10.50\">\n";
    std::fwrite(head.constData(), 1, head.size(), out);
    qint64 written = head.size();
    QByteArray image(imageBytes, '\0');
    qint64 number = 0;
    while (written < target) {
        ++number;
        // Every fourth note is text only, every fifth carries two images.
        const int count = number % 4 == 0 ? 0 : (number % 5 == 0 ? 2 : 1);
        QList<QByteArray> images;
        for (int i = 0; i < count; ++i) {
            random.Fill(image);
            images.append(image);
            images.last().detach();
        }
        const QByteArray note = Note(number, images);
        if (std::fwrite(note.constData(), 1, note.size(), out) != size_t(note.size())) {
            std::perror(argv[1]);
            std::fclose(out);
            return 1;
        }
        written += note.size();
    }
    const QByteArray tail = "</en-export>\n";
    std::fwrite(tail.constData(), 1, tail.size(), out);
    std::fclose(out);
    std::fprintf(stderr, "%s: %lld notes, %lld bytes\n", argv[1], number, written + tail.size());
    return 0;
}
