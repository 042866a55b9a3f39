// Build step: renders each SVG icon to PNG files at the sizes today's screens ask for, and writes the
// resource list that compiles them into the program. Pictures read from PNG start much faster than SVG
// (no plugin to load, nothing to parse), and a picture drawn at the exact size stays sharp.
//
// Usage: iconraster OUTPUT_FOLDER ICON.svg...
// Writes OUTPUT_FOLDER/<name>/<width>x<height>.png and OUTPUT_FOLDER/icons.qrc (prefix /icons).
//
// Usage: iconraster --theme OUTPUT_FOLDER NAME ICON.svg
// Writes the program icon for the desktop's icon theme: OUTPUT_FOLDER/<size>x<size>/apps/NAME.png at the
// sizes the freedesktop hicolor theme lists, and OUTPUT_FOLDER/scalable/apps/NAME.svg.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>

#include <cmath>
#include <cstdio>
#include <set>

using namespace Qt::Literals::StringLiterals;

namespace {

// Widths of the usual small icon sizes, and the design size at the usual screen scale factors.
std::set<int> widthsFor(int designWidth) {
    std::set<int> widths{16, 20, 24, 32, 40, 48, 64};
    for (const double scale : {1.0, 1.25, 1.5, 2.0, 2.5, 3.0, 4.0})
        widths.insert(int(std::lround(designWidth * scale)));
    return widths;
}

// The sizes of the hicolor theme's fixed-size application icon folders.
constexpr int kThemeSizes[] = {16, 22, 24, 32, 48, 64, 128, 256, 512};

QImage render(QSvgRenderer& renderer, int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image;
}

int writeThemeIcons(const QDir& out, const QString& name, const QString& svg) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid() || renderer.defaultSize().isEmpty()) {
        std::fprintf(stderr, "iconraster: %s is not a usable SVG picture\n", qPrintable(svg));
        return 1;
    }
    for (const int size : kThemeSizes) {
        const QString folder = u"%1x%1/apps"_s.arg(size);
        const QString file = out.filePath(folder + u'/' + name + u".png"_s);
        // Square icons: a picture that is not square is centred in its box.
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        const QSizeF design = renderer.defaultSize();
        const double scale = size / std::max(design.width(), design.height());
        const QSize drawn(std::max(1, int(std::lround(design.width() * scale))),
                          std::max(1, int(std::lround(design.height() * scale))));
        QPainter painter(&image);
        painter.drawImage((size - drawn.width()) / 2, (size - drawn.height()) / 2,
                          render(renderer, drawn.width(), drawn.height()));
        painter.end();
        if (!out.mkpath(folder) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "iconraster: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    const QString scalable = out.filePath(u"scalable/apps/"_s + name + u".svg"_s);
    QFile::remove(scalable);
    if (!out.mkpath(u"scalable/apps"_s) || !QFile::copy(svg, scalable)) {
        std::fprintf(stderr, "iconraster: cannot write %s\n", qPrintable(scalable));
        return 1;
    }
    return 0;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 4 && args.first() == u"--theme"_s)
        return writeThemeIcons(QDir(args[1]), args[2], args[3]);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: iconraster OUTPUT_FOLDER ICON.svg...\n"
                             "       iconraster --theme OUTPUT_FOLDER NAME ICON.svg\n");
        return 2;
    }
    const QDir out(args.first());
    QByteArray qrc = "<RCC>\n    <qresource prefix=\"/icons\">\n";
    for (const QString& svg : args.mid(1)) {
        QSvgRenderer renderer(svg);
        const QSize design = renderer.defaultSize();
        if (!renderer.isValid() || design.isEmpty()) {
            std::fprintf(stderr, "iconraster: %s is not a usable SVG picture\n", qPrintable(svg));
            return 1;
        }
        const QString name = QFileInfo(svg).completeBaseName();
        if (!out.mkpath(name)) {
            std::fprintf(stderr, "iconraster: cannot create %s\n", qPrintable(out.filePath(name)));
            return 1;
        }
        for (const int width : widthsFor(design.width())) {
            // Rounded down, as Qt scales a size to fit a box: the file then matches the size asked for.
            const int height = std::max(1, design.height() * width / design.width());
            const QImage image = render(renderer, width, height);
            const QString file = u"%1/%2x%3.png"_s.arg(name).arg(width).arg(height);
            if (!image.save(out.filePath(file), "PNG")) {
                std::fprintf(stderr, "iconraster: cannot write %s\n", qPrintable(out.filePath(file)));
                return 1;
            }
            qrc += "        <file>" + file.toUtf8() + "</file>\n";
        }
    }
    qrc += "    </qresource>\n</RCC>\n";
    if (!writeFile(out.filePath(u"icons.qrc"_s), qrc)) {
        std::fprintf(stderr, "iconraster: cannot write the resource list\n");
        return 1;
    }
    return 0;
}
