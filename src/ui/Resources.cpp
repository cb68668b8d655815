#include "ui/Resources.h"

#include <QVector>

// The resources live in a static library: make sure the linker keeps them and Qt knows them.
static void EnsureResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(kestrel);
        return true;
    }();
    (void)done;
}

namespace ui {

QPixmap LoadBitmap(int id)
{
    EnsureResources();
    return QPixmap(QStringLiteral(":/bitmaps/%1").arg(id));
}

QImage LoadBitmapImage(int id)
{
    EnsureResources();
    return QImage(QStringLiteral(":/bitmaps/%1").arg(id));
}

QIcon LoadAppIcon()
{
    EnsureResources();
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1_%2").arg(IDR_MAINFRAME).arg(size), QSize(size, size));
    return icon;
}

QRegion RegionFromImage(const QImage& image, const QColor& key)
{
    if (image.isNull())
        return {};
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    const QRgb k = key.rgb() & 0xFFFFFF;
    // Build the shape from runs of kept pixels, one row at a time: the same region as cutting
    // the key pixels out of the full rectangle one by one, built in one pass.
    QVector<QRect> rects;
    for (int y = 0; y < img.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        int x = 0;
        while (x < img.width()) {
            while (x < img.width() && (line[x] & 0xFFFFFF) == k)
                ++x;
            const int start = x;
            while (x < img.width() && (line[x] & 0xFFFFFF) != k)
                ++x;
            if (x > start)
                rects.append(QRect(start, y, x - start, 1));
        }
    }
    QRegion region;
    region.setRects(rects.constData(), int(rects.size()));
    return region;
}

} // namespace ui
