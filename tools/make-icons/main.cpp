// Draws the desktop icons from their SVG sources, at the sizes of the icon theme:
//
//   korvane-make-icons SOURCE.svg SIZE OUTPUT.png [SIZE OUTPUT.png ...]
//
// Drawn with Qt's own SVG renderer (the image plugin of libqt6svg6), the same one that draws
// the tool bar's pictures, so the PNGs look as the program shows its SVGs.
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: %s SOURCE.svg SIZE OUTPUT.png [SIZE OUTPUT.png ...]\n",
                     argv[0]);
        return 2;
    }
    // Nothing is shown: the drawing needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    for (int i = 2; i + 1 < argc; i += 2) {
        char* end = nullptr;
        const long size = std::strtol(argv[i], &end, 10);
        if (*end || size < 1 || size > 4096) {
            std::fprintf(stderr, "%s: %s is not an icon size\n", argv[0], argv[i]);
            return 2;
        }
        QImageReader reader(QString::fromLocal8Bit(argv[1]), "svg");
        reader.setScaledSize(QSize(int(size), int(size)));
        const QImage image = reader.read();
        if (image.isNull()) {
            std::fprintf(stderr,
                         "%s: cannot draw %s: %s (the SVG image plugin comes with Debian's "
                         "libqt6svg6)\n",
                         argv[0], argv[1], qPrintable(reader.errorString()));
            return 1;
        }
        if (!image.convertToFormat(QImage::Format_ARGB32)
                 .save(QString::fromLocal8Bit(argv[i + 1]), "PNG")) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[i + 1]);
            return 1;
        }
    }
    return 0;
}
