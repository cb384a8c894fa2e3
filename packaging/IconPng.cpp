// pagewright-icon-png SVG OUTDIR SIZE...: writes OUTDIR/SIZE.png for each size, the SVG drawn by Qt
// as the application itself draws it, for the hicolor icon theme of the package.
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <cstdio>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: pagewright-icon-png SVG OUTDIR SIZE...\n");
        return 2;
    }
    const QIcon icon(QString::fromLocal8Bit(argv[1]));
    const QDir out(QString::fromLocal8Bit(argv[2]));
    QDir().mkpath(out.path());
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        if (image.width() != size || !image.save(out.filePath(QStringLiteral("%1.png").arg(size)))) {
            std::fprintf(stderr, "pagewright-icon-png: could not draw %s at %d\n", argv[1], size);
            return 1;
        }
    }
    return 0;
}
