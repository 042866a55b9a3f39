#include "icons.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace solvenna::ui {

namespace {

struct Picture {
    QString path;
    QSize size;
};

// Reads a picture only when it is first shown, straight as PNG: Qt's own file icons ask every image
// plugin about every file, which cost the start-up tens of milliseconds.
class PictureEngine final : public QIconEngine {
public:
    explicit PictureEngine(QList<Picture> pictures) : m_pictures(std::move(pictures)) {
        std::sort(m_pictures.begin(), m_pictures.end(),
                  [](const Picture& a, const Picture& b) { return a.size.width() < b.size.width(); });
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const Picture* picture = best(size);
        return picture ? shownSize(*picture, size) : QSize();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        const Picture* picture = best(size);
        if (!picture) return {};
        const QSize shown = shownSize(*picture, size);
        if (shown.isEmpty()) return {};
        const quint64 key = (quint64(shown.width()) << 32) | (quint64(shown.height()) << 8) | quint64(mode);
        if (const auto it = m_cache.constFind(key); it != m_cache.cend()) return *it;

        QImageReader reader(picture->path, "png");
        reader.setAutoDetectImageFormat(false);
        QPixmap result = QPixmap::fromImage(reader.read());
        if (result.isNull()) return {};
        if (result.size() != shown)
            result = result.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (mode == QIcon::Disabled) {
            QStyleOption option;
            option.palette = QApplication::palette();
            result = QApplication::style()->generatedIconPixmap(mode, result, &option);
        }
        m_cache.insert(key, result);
        return result;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap picture = pixmap(rect.size() * ratio, mode, state);
        if (picture.isNull()) return;
        picture.setDevicePixelRatio(ratio);
        const QSize shown = picture.deviceIndependentSize().toSize();
        painter->drawPixmap(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, shown, rect), picture);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const Picture& picture : std::as_const(m_pictures))
            sizes << picture.size;
        return sizes;
    }

    QIconEngine* clone() const override { return new PictureEngine(m_pictures); }
    QString key() const override { return u"solvenna-picture"_s; }

private:
    // The smallest picture that fills the box asked for without being enlarged, else the largest there
    // is: pictures are only ever scaled down, never blown up.
    const Picture* best(const QSize& box) const {
        if (m_pictures.isEmpty()) return nullptr;
        for (const Picture& picture : m_pictures) {
            const QSize fitted = picture.size.scaled(box, Qt::KeepAspectRatio);
            if (fitted.width() <= picture.size.width() && fitted.height() <= picture.size.height())
                return &picture;
        }
        return &m_pictures.last();
    }

    // The picture as drawn in the box: scaled down to fit it, or as it is when it is no larger.
    static QSize shownSize(const Picture& picture, const QSize& box) {
        const QSize fitted = picture.size.scaled(box, Qt::KeepAspectRatio);
        return fitted.width() < picture.size.width() ? fitted : picture.size;
    }

    QList<Picture> m_pictures;
    QHash<quint64, QPixmap> m_cache;
};

QIcon pictureIcon(const QString& name, const QList<int>& widths) {
    QList<Picture> pictures;
    const QString folder = u":/icons/"_s + name;
    const QStringList files = QDir(folder).entryList(QDir::Files);
    for (const QString& file : files) {
        // Each file is named after its size, "<width>x<height>.png".
        const QStringList size = QFileInfo(file).completeBaseName().split(u'x');
        if (size.size() != 2) continue;
        const QSize pictureSize(size[0].toInt(), size[1].toInt());
        if (widths.isEmpty() || widths.contains(pictureSize.width()))
            pictures.append({folder + u'/' + file, pictureSize});
    }
    if (pictures.isEmpty()) return {};
    return QIcon(new PictureEngine(std::move(pictures)));
}

} // namespace

QIcon programIcon(const QString& name) {
    return pictureIcon(name, {});
}

QIcon windowIcon() {
    return pictureIcon(u"solvenna"_s, {16, 24, 32, 48, 64, 96});
}

} // namespace solvenna::ui
