#pragma once
// Kestrel's bitmaps and icons, compiled into the program from res/kestrel.qrc.
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QRegion>

#include "ui/UiConstants.h"

namespace ui {

// The bitmap with this resource number (ui::IDB_*); a null pixmap when there is none.
QPixmap LoadBitmap(int id);
// The same picture as an image, pixels as drawn (for reading key colours).
QImage LoadBitmapImage(int id);
// The application icon (resource 128) at every size it is drawn in.
QIcon LoadAppIcon();
// The shape of a picture: its whole rectangle less every pixel of exactly the key colour.
// Every column is read (no rounding of the width).
QRegion RegionFromImage(const QImage& image, const QColor& key);

} // namespace ui
