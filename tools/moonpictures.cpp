// Draws the Moon's phases that the lunar calendar's pages show: OUTPUT_FOLDER/phase-00.png ..
// phase-35.png, one for every 10° of the Moon's elongation from the Sun (0° new moon, 180° full moon).
// The pictures are committed to the data folder; the build makes this tool but does not run it.
//
// Usage: moonpictures OUTPUT_FOLDER   (the data folder's Lunar/)
#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QTransform>

#include <cmath>
#include <cstdio>
#include <numbers>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kSize = 96;
constexpr int kPictures = 36;
constexpr double kRim = 1.5;
constexpr double kRadius = kSize / 2.0 - kRim - 0.5;
constexpr int kTerminatorSteps = 90;

// The pages are shown on a cream sheet and, in night mode, on a dark one, and pictures keep their colours:
// each colour reads against both (3:1 at least), and the rim marks the disk even at new moon.
const QColor kLit(0xf2, 0xd5, 0x6b);
const QColor kUnlit(0x6b, 0x72, 0x80);
const QColor kRimColour(0x9a, 0x8a, 0x50);

// The lit part of the disk centred at the origin, seen from the northern hemisphere: waxing, it lies
// between the right limb and the terminator, an ellipse of half-width r·cos(elongation).
QPainterPath litPart(double elongation) {
    const double radians = elongation * std::numbers::pi / 180.0;
    const bool waning = elongation > 180.0;
    // cos(360° − e) = cos e: a waning Moon is the waxing one of the same lit fraction, mirrored.
    const double squeeze = std::cos(radians);
    QPainterPath path(QPointF(0, -kRadius));
    for (int i = 1; i <= kTerminatorSteps; ++i) { // the limb, top to bottom
        const double a = std::numbers::pi * i / kTerminatorSteps;
        path.lineTo(QPointF(kRadius * std::sin(a), -kRadius * std::cos(a)));
    }
    for (int i = kTerminatorSteps - 1; i > 0; --i) { // the terminator, bottom to top
        const double a = std::numbers::pi * i / kTerminatorSteps;
        path.lineTo(QPointF(squeeze * kRadius * std::sin(a), -kRadius * std::cos(a)));
    }
    path.closeSubpath();
    // Waning, the lit part is the mirror image: on the left.
    return waning ? QTransform::fromScale(-1, 1).map(path) : path;
}

QImage draw(double elongation) {
    QImage image(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(kSize / 2.0, kSize / 2.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kUnlit);
    painter.drawEllipse(QPointF(0, 0), kRadius, kRadius);
    painter.setBrush(kLit);
    painter.drawPath(litPart(elongation));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kRimColour, kRim));
    painter.drawEllipse(QPointF(0, 0), kRadius, kRadius);
    return image;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "Usage: moonpictures OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists()) {
        std::fprintf(stderr, "moonpictures: no folder %s\n", argv[1]);
        return 1;
    }
    for (int i = 0; i < kPictures; ++i) {
        const QString file = folder.filePath(u"phase-%1.png"_s.arg(i, 2, 10, QChar(u'0')));
        if (!draw(i * 10.0).save(file, "PNG")) {
            std::fprintf(stderr, "moonpictures: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
