// harbrix-iconpng SVG SIZE PNG: draws an SVG image as a SIZE x SIZE PNG, for the desktop
// icon themes that want pixels beside the scalable icon. Used by the build only.
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: harbrix-iconpng SVG SIZE PNG\n");
        return 2;
    }
    // Shapes and gradients only: no application object, no display.
    const int size = std::atoi(argv[2]);
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid() || size <= 0 || size > 4096) {
        std::fprintf(stderr, "harbrix-iconpng: cannot draw %s at %s pixels\n", argv[1], argv[2]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "harbrix-iconpng: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
