// kestrel-artwork: draws every bitmap and icon of Kestrel's windows with QPainter and writes them
// as PNG files. Deterministic: the same program always gives the same pictures.
//
//   kestrel-artwork <output folder> [--preview <file.png>]
//
// The output folder receives bitmaps/<id>_<name>.png and icons/128_app_<size>.png, the layout
// res/ uses. With --preview it also composes a mock of the main window, the docked bar and the
// popup into one picture, for a person to look at.
//
// The look: a graphite frame with a red record accent, light inset panels where the windows draw
// black or red text (status row, elapsed-time display, popup body). Pictures that shape a window
// are opaque 24-bit with a key colour in their holes: pure green (0,255,0) for the main window,
// magenta (255,0,255) for the popup, white for the docked bar. Antialiased edges are resolved
// against the frame colour so no key-coloured fringe is left. Buttons and marks carry alpha and
// are painted over whatever lies under them.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include <cstdio>
#include <functional>
#include <map>
#include <vector>

namespace {

// ---- palette -----------------------------------------------------------------------------------
const QColor kFrameDark(0x1b, 0x1f, 0x25);
const QColor kFrameMid(0x2a, 0x30, 0x38);
const QColor kFrameTop(0x35, 0x3c, 0x46);
const QColor kFrameEdge(0x0e, 0x10, 0x13);
const QColor kFrameHighlight(0x55, 0x5f, 0x6c);
const QColor kPanelLight(0xe4, 0xe8, 0xec);
const QColor kPanelLightLow(0xd0, 0xd6, 0xdc);
const QColor kPanelEdge(0x0c, 0x0e, 0x11);
const QColor kGlyph(0xdf, 0xe4, 0xea);
const QColor kGlyphDim(0xa9, 0xb2, 0xbd);
const QColor kRed(0xe3, 0x2b, 0x36);
const QColor kRedLight(0xff, 0x5a, 0x62);
const QColor kRedDark(0x9c, 0x12, 0x1b);
const QColor kGreenKey(0, 255, 0);
const QColor kMagentaKey(255, 0, 255);
const QColor kWhiteKey(255, 255, 255);

QString g_out;
int g_errors = 0;
std::map<int, QImage> g_made; // id -> picture, for the preview

QImage NewImage(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

void Save(const QImage& img, const QString& rel)
{
    const QString path = g_out + "/" + rel;
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!img.save(path, "PNG")) {
        std::fprintf(stderr, "kestrel-artwork: cannot write %s\n", qPrintable(path));
        ++g_errors;
    }
}

QStringList g_qrcBitmaps, g_qrcIcons; // qrc lines

void SaveBitmap(int id, const QString& name, const QImage& img)
{
    g_made[id] = img;
    const QString rel = QString("bitmaps/%1_%2.png").arg(id).arg(name);
    Save(img, rel);
    g_qrcBitmaps << QString("    <file alias=\"%1\">%2</file>").arg(id).arg(rel);
}

void SaveIcon(int size, const QImage& img)
{
    const QString rel = QString("icons/128_app_%1.png").arg(size);
    Save(img, rel);
    g_qrcIcons << QString("    <file alias=\"128_%1\">%2</file>").arg(size).arg(rel);
}

// kestrel.qrc: every bitmap under :/bitmaps/<id>, the application icon under :/icons/128_<size>.
void WriteQrc()
{
    QFile f(g_out + "/kestrel.qrc");
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "kestrel-artwork: cannot write %s\n", qPrintable(f.fileName()));
        ++g_errors;
        return;
    }
    QStringList lines;
    lines << "<!-- Written by kestrel-artwork (tools/artwork); do not edit by hand. -->"
          << "<RCC>" << "  <qresource prefix=\"/bitmaps\">" << g_qrcBitmaps << "  </qresource>"
          << "  <qresource prefix=\"/icons\">" << g_qrcIcons << "  </qresource>" << "</RCC>";
    f.write((lines.join("\n") + "\n").toUtf8());
}

// Turns an antialiased picture with transparent surroundings into an opaque 24-bit picture: pixels
// less than half covered become the key colour, the others are resolved against `under` (the
// colour of the shape's own outer edge), so the window shape is exact and has no key fringe.
QImage KeyOut(const QImage& src, const QColor& key, const QColor& under)
{
    QImage out(src.size(), QImage::Format_RGB888);
    const QImage s = src.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < s.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(s.constScanLine(y));
        for (int x = 0; x < s.width(); ++x) {
            const QRgb p = in[x];
            const int a = qAlpha(p);
            QColor c;
            if (a < 128) {
                c = key;
            } else {
                const double f = a / 255.0;
                c = QColor(qRound(qRed(p) * f + under.red() * (1 - f)),
                           qRound(qGreen(p) * f + under.green() * (1 - f)),
                           qRound(qBlue(p) * f + under.blue() * (1 - f)));
                if (c == key) // never let a drawn pixel be taken for a hole
                    c = QColor(key.red() ^ 1, key.green() ^ 1, key.blue() ^ 1);
            }
            out.setPixelColor(x, y, c);
        }
    }
    return out;
}

QPainterPath RoundRect(const QRectF& r, double radius)
{
    QPainterPath p;
    p.addRoundedRect(r, radius, radius);
    return p;
}

QFont Font(double px, bool bold)
{
    QFont f("DejaVu Sans");
    f.setPixelSize(qRound(px));
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}

// A light, slightly recessed panel for text: dark rim, light body with a soft top shadow.
void LightPanel(QPainter& p, const QRectF& r, double radius)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kPanelEdge);
    p.drawPath(RoundRect(r, radius));
    const QRectF in = r.adjusted(1, 1, -1, -1);
    QLinearGradient g(in.topLeft(), in.bottomLeft());
    g.setColorAt(0, kPanelLightLow);
    g.setColorAt(0.25, kPanelLight);
    g.setColorAt(1, QColor(0xee, 0xf1, 0xf4));
    p.setBrush(g);
    p.drawPath(RoundRect(in, qMax(0.0, radius - 1)));
}

// A dark recessed well.
void DarkWell(QPainter& p, const QRectF& r, double radius)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 18)); // lower lip catching light
    p.drawPath(RoundRect(r.adjusted(0, 1, 0, 1), radius));
    p.setBrush(QColor(0x12, 0x15, 0x19));
    p.drawPath(RoundRect(r, radius));
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(0x17, 0x1a, 0x1f));
    g.setColorAt(1, QColor(0x22, 0x27, 0x2e));
    p.setBrush(g);
    p.drawPath(RoundRect(r.adjusted(1, 1, -1, -1), qMax(0.0, radius - 1)));
}

// The Kestrel mark: a red record dot with a thin light ring.
void RecordMark(QPainter& p, const QPointF& c, double r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawEllipse(c + QPointF(0, r * 0.08), r, r);
    QRadialGradient g(c - QPointF(r * 0.35, r * 0.4), r * 1.5);
    g.setColorAt(0, kRedLight);
    g.setColorAt(0.55, kRed);
    g.setColorAt(1, kRedDark);
    p.setBrush(g);
    p.drawEllipse(c, r * 0.92, r * 0.92);
}

// ---- main window background (129) -------------------------------------------------------------
constexpr int kMainW = 438, kMainH = 98;
// Small enough that the hide button in the top-right corner (right edge 1 px from the window's
// edge, y = 1) lies wholly inside the window's shape.
constexpr double kMainRadius = 6;

QImage MainBackground()
{
    QImage img = NewImage(kMainW, kMainH);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF all(0, 0, kMainW, kMainH);
    p.setPen(Qt::NoPen);
    p.setBrush(kFrameEdge);
    p.drawPath(RoundRect(all, kMainRadius));
    QLinearGradient g(0, 0, 0, kMainH);
    g.setColorAt(0, kFrameTop);
    g.setColorAt(0.22, kFrameMid);
    g.setColorAt(1, kFrameDark);
    p.setBrush(g);
    p.drawPath(RoundRect(all.adjusted(1, 1, -1, -1), kMainRadius - 1));
    // top highlight line
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 40), 1));
    p.drawLine(QPointF(kMainRadius, 1.5), QPointF(kMainW - kMainRadius, 1.5));
    // title strip separator
    p.setPen(QPen(QColor(0, 0, 0, 110), 1));
    p.drawLine(QPointF(6, 19.5), QPointF(kMainW - 6, 19.5));
    p.setPen(QPen(QColor(255, 255, 255, 22), 1));
    p.drawLine(QPointF(6, 20.5), QPointF(kMainW - 6, 20.5));
    // title: mark and product name
    RecordMark(p, QPointF(13, 10), 5);
    p.setPen(kGlyphDim);
    p.setFont(Font(11, true));
    p.drawText(QRectF(23, 1, 200, 18), Qt::AlignLeft | Qt::AlignVCenter, "Kestrel");
    // instrument panel behind the level marks, meters and elapsed-time display
    DarkWell(p, QRectF(93, 25, 189, 42), 5);
    // transport and tool groups sit on shallow plates
    DarkWell(p, QRectF(11, 25, 82 - 1, 42), 5);
    DarkWell(p, QRectF(293, 25, 126, 42), 5);
    // status row: light panel for the black and red status texts
    LightPanel(p, QRectF(3, 74, kMainW - 6, 21), 5);
    p.end();
    return KeyOut(img, kGreenKey, kFrameEdge);
}

// ---- buttons ------------------------------------------------------------------------------------
enum class Look { Normal, Hover, Pressed, Active };

// A button body: rounded square, graphite, lighter on hover, sunken when pressed, red-rimmed when
// active (a toggle that is on).
void ButtonBody(QPainter& p, const QRectF& r, double radius, Look look)
{
    p.setPen(Qt::NoPen);
    // outer shadow / rim
    p.setBrush(QColor(0, 0, 0, look == Look::Pressed ? 70 : 130));
    p.drawPath(RoundRect(r, radius));
    const QRectF in = r.adjusted(1, 1, -1, -1);
    QLinearGradient g(in.topLeft(), in.bottomLeft());
    switch (look) {
    case Look::Normal:
        g.setColorAt(0, QColor(0x4a, 0x52, 0x5e));
        g.setColorAt(1, QColor(0x2c, 0x32, 0x3a));
        break;
    case Look::Hover:
        g.setColorAt(0, QColor(0x5e, 0x68, 0x76));
        g.setColorAt(1, QColor(0x37, 0x3f, 0x49));
        break;
    case Look::Pressed:
        g.setColorAt(0, QColor(0x1c, 0x20, 0x26));
        g.setColorAt(1, QColor(0x2f, 0x35, 0x3e));
        break;
    case Look::Active:
        g.setColorAt(0, QColor(0x6a, 0x26, 0x2c));
        g.setColorAt(1, QColor(0x3e, 0x16, 0x1b));
        break;
    }
    p.setBrush(g);
    p.drawPath(RoundRect(in, qMax(0.0, radius - 1)));
    if (look != Look::Pressed) { // top bevel
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 255, 255, look == Look::Hover ? 70 : 45), 1));
        p.drawLine(QPointF(in.left() + radius - 1, in.top() + 0.5), QPointF(in.right() - radius + 1, in.top() + 0.5));
        p.setPen(Qt::NoPen);
    }
    if (look == Look::Hover || look == Look::Active) { // accent rim
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(look == Look::Active ? kRed : QColor(0xe3, 0x2b, 0x36, 150), 1));
        p.drawPath(RoundRect(in.adjusted(0.5, 0.5, -0.5, -0.5), qMax(0.0, radius - 1.5)));
        p.setPen(Qt::NoPen);
    }
}

QColor GlyphColour(Look look)
{
    switch (look) {
    case Look::Hover: return QColor(0xff, 0xff, 0xff);
    case Look::Pressed: return kGlyphDim;
    default: return kGlyph;
    }
}

using GlyphFn = std::function<void(QPainter&, const QRectF&, Look)>;

QImage Button(int size, double radius, Look look, const GlyphFn& glyph)
{
    QImage img = NewImage(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0, 0, size, size);
    ButtonBody(p, r, radius, look);
    QRectF area = r;
    if (look == Look::Pressed)
        area.translate(0, 1);
    glyph(p, area, look);
    return img;
}

// Record: the red dot.
void GlyphRecord(QPainter& p, const QRectF& r, Look look)
{
    const QPointF c = r.center();
    const double rad = r.width() * 0.27;
    if (look == Look::Hover) {
        QRadialGradient glow(c, rad * 1.9);
        glow.setColorAt(0, QColor(0xff, 0x40, 0x48, 120));
        glow.setColorAt(1, QColor(0xff, 0x40, 0x48, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(c, rad * 1.9, rad * 1.9);
    }
    RecordMark(p, c, rad);
    if (look != Look::Pressed) { // glint
        p.setBrush(QColor(255, 255, 255, 110));
        p.drawEllipse(c + QPointF(-rad * 0.35, -rad * 0.4), rad * 0.28, rad * 0.2);
    }
}

// Stop: a light square.
void GlyphStop(QPainter& p, const QRectF& r, Look look)
{
    const double s = r.width() * 0.36;
    QRectF sq(0, 0, s, s);
    sq.moveCenter(r.center());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawPath(RoundRect(sq.translated(0, 1), 2));
    p.setBrush(look == Look::Hover ? QColor(0xff, 0xff, 0xff) : GlyphColour(look));
    p.drawPath(RoundRect(sq, 2));
    if (look == Look::Hover) {
        p.setBrush(kRed);
        p.drawPath(RoundRect(sq.adjusted(3, 3, -3, -3), 1));
    }
}

// Pause: two bars.
void GlyphPause(QPainter& p, const QRectF& r, Look look)
{
    const double h = r.height() * 0.40, w = r.width() * 0.13, gap = r.width() * 0.11;
    const QPointF c = r.center();
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 2; ++i) {
        const double x = i == 0 ? c.x() - gap / 2 - w : c.x() + gap / 2;
        const QRectF bar(x, c.y() - h / 2, w, h);
        p.setBrush(QColor(0, 0, 0, 90));
        p.drawPath(RoundRect(bar.translated(0, 1), 1.5));
        p.setBrush(GlyphColour(look));
        p.drawPath(RoundRect(bar, 1.5));
    }
}

// History: a clock face with a list stroke.
void GlyphHistory(QPainter& p, const QRectF& r, Look look)
{
    const QPointF c = r.center() + QPointF(0, 0.5);
    const double rad = r.width() * 0.29;
    const QColor col = GlyphColour(look);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(col, 2.2, Qt::SolidLine, Qt::RoundCap));
    // open circle with an arrow head: "back in time"
    p.drawArc(QRectF(c.x() - rad, c.y() - rad, 2 * rad, 2 * rad), 120 * 16, 300 * 16);
    const QPointF tail(c.x() + rad * qCos(qDegreesToRadians(120.0)), c.y() - rad * qSin(qDegreesToRadians(120.0)));
    QPainterPath head;
    head.moveTo(tail + QPointF(-4.2, -0.6));
    head.lineTo(tail + QPointF(0.6, 0.6));
    head.lineTo(tail + QPointF(0.2, -4.4));
    p.setPen(QPen(col, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(head);
    // hands
    p.setPen(QPen(look == Look::Hover ? kRedLight : col, 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(0, -rad * 0.6));
    p.drawLine(c, c + QPointF(rad * 0.45, rad * 0.3));
}

// Options: a gear.
void GlyphOptions(QPainter& p, const QRectF& r, Look look)
{
    const QPointF c = r.center();
    const double outer = r.width() * 0.31, inner = r.width() * 0.22, hole = r.width() * 0.09;
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = (i - 0.5) * M_PI / teeth, a1 = (i + 0.5) * M_PI / teeth;
        const double rad = (i % 2 == 0) ? outer : inner;
        const double shrink = (i % 2 == 0) ? 0.22 : 0.0; // narrower tooth tips
        const QPointF p0 = c + QPointF(rad * qCos(a0 + shrink / 2 * M_PI / teeth * 2), rad * qSin(a0 + shrink / 2 * M_PI / teeth * 2));
        const QPointF p1 = c + QPointF(rad * qCos(a1 - shrink / 2 * M_PI / teeth * 2), rad * qSin(a1 - shrink / 2 * M_PI / teeth * 2));
        if (i == 0)
            gear.moveTo(p0);
        else
            gear.lineTo(p0);
        gear.lineTo(p1);
    }
    gear.closeSubpath();
    gear.addEllipse(c, hole, hole);
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawPath(gear.translated(0, 1));
    p.setBrush(GlyphColour(look));
    p.drawPath(gear);
    if (look == Look::Hover) {
        p.setBrush(kRed);
        p.drawEllipse(c, hole * 0.55, hole * 0.55);
    }
}

// Help: a question mark in a ring.
void GlyphHelp(QPainter& p, const QRectF& r, Look look)
{
    const QPointF c = r.center();
    const double rad = r.width() * 0.30;
    const QColor col = GlyphColour(look);
    p.setPen(QPen(col, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, rad, rad);
    QPainterPath q;
    q.moveTo(c + QPointF(-rad * 0.42, -rad * 0.28));
    q.cubicTo(c + QPointF(-rad * 0.42, -rad * 0.78), c + QPointF(rad * 0.48, -rad * 0.80), c + QPointF(rad * 0.42, -rad * 0.25));
    q.cubicTo(c + QPointF(rad * 0.38, rad * 0.05), c + QPointF(0, rad * 0.05), c + QPointF(0, rad * 0.32));
    p.setPen(QPen(col, 2.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(q);
    p.setPen(Qt::NoPen);
    p.setBrush(look == Look::Hover ? kRedLight : col);
    p.drawEllipse(c + QPointF(0, rad * 0.62), 1.4, 1.4);
}

// Hide: a short bar at the bottom, as on a minimise button.
void GlyphHide(QPainter& p, const QRectF& r, Look look)
{
    p.setPen(Qt::NoPen);
    p.setBrush(GlyphColour(look));
    p.drawPath(RoundRect(QRectF(r.left() + 4, r.top() + 9.5, r.width() - 8, 2.2), 1));
}

// Top-most: a push pin.
void GlyphPin(QPainter& p, const QRectF& r, Look look)
{
    const QColor col = look == Look::Active ? QColor(0xff, 0xff, 0xff) : GlyphColour(look);
    p.save();
    p.translate(r.center());
    p.rotate(40);
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    p.drawPath(RoundRect(QRectF(-2.4, -5.2, 4.8, 4.4), 1));   // head
    p.drawRect(QRectF(-3.6, -1.2, 7.2, 1.6));                  // collar
    p.setPen(QPen(col, 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, 0.4), QPointF(0, 5.4));              // needle
    p.restore();
}

// Stick to Skype: a window with a bar docked under it.
void GlyphDock(QPainter& p, const QRectF& r, Look look)
{
    const QColor col = look == Look::Active ? QColor(0xff, 0xff, 0xff) : GlyphColour(look);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(col, 1.1));
    p.drawRect(QRectF(r.left() + 3.5, r.top() + 3.0, r.width() - 7, 5.5));
    p.setPen(Qt::NoPen);
    p.setBrush(look == Look::Hover || look == Look::Active ? kRedLight : col);
    p.drawRect(QRectF(r.left() + 3, r.top() + 9.5, r.width() - 6, 2.2));
}

// ---- small marks -------------------------------------------------------------------------------
// 1007: microphone (own side), 12 x 12.
QImage MicMark()
{
    QImage img = NewImage(12, 12);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kGlyph);
    p.drawPath(RoundRect(QRectF(4, 0.5, 4, 6.5), 2));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kGlyph, 1.1, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(2.2, 1.8, 7.6, 7.4), 180 * 16, 180 * 16);
    p.drawLine(QPointF(6, 9.3), QPointF(6, 11.2));
    p.drawLine(QPointF(4, 11.3), QPointF(8, 11.3));
    return img;
}

// 1008: speaker (remote side), 10 x 10.
QImage SpeakerMark()
{
    QImage img = NewImage(10, 10);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kGlyph);
    QPainterPath s;
    s.moveTo(0.5, 3.5);
    s.lineTo(2.5, 3.5);
    s.lineTo(5.2, 1.0);
    s.lineTo(5.2, 9.0);
    s.lineTo(2.5, 6.5);
    s.lineTo(0.5, 6.5);
    s.closeSubpath();
    p.drawPath(s);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kRedLight, 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(4.2, 2.6, 3.6, 4.8), -55 * 16, 110 * 16);
    p.drawArc(QRectF(3.6, 0.8, 6.0, 8.4), -55 * 16, 110 * 16);
    return img;
}

// ---- status icon strip (1010) -------------------------------------------------------------------
QImage StatusStrip()
{
    QImage img = NewImage(6 * 16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    auto disc = [&](int index, const QColor& top, const QColor& bottom, const QColor& rim) {
        const QPointF c(index * 16 + 8, 8);
        p.setPen(QPen(rim, 1));
        QLinearGradient g(c.x(), 1, c.x(), 15);
        g.setColorAt(0, top);
        g.setColorAt(1, bottom);
        p.setBrush(g);
        p.drawEllipse(c, 6.5, 6.5);
        return c;
    };
    const QColor white(255, 255, 255);
    // 0 unknown: grey with a question mark
    {
        const QPointF c = disc(0, QColor(0xb8, 0xbf, 0xc7), QColor(0x86, 0x8f, 0x99), QColor(0x5a, 0x62, 0x6b));
        QPainterPath q;
        q.moveTo(c + QPointF(-2.2, -1.6));
        q.cubicTo(c + QPointF(-2.2, -4.4), c + QPointF(2.4, -4.4), c + QPointF(2.2, -1.6));
        q.cubicTo(c + QPointF(2.0, 0), c + QPointF(0, 0), c + QPointF(0, 1.6));
        p.setPen(QPen(white, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(q);
        p.setPen(Qt::NoPen);
        p.setBrush(white);
        p.drawEllipse(c + QPointF(0, 3.8), 0.95, 0.95);
    }
    // 1 offline: hollow grey ring
    {
        const QPointF c(16 + 8, 8);
        p.setPen(QPen(QColor(0x6b, 0x74, 0x7e), 1));
        p.setBrush(QColor(0xee, 0xf0, 0xf2));
        p.drawEllipse(c, 6.5, 6.5);
        p.setPen(QPen(QColor(0x8a, 0x93, 0x9d), 2.0));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 3.4, 3.4);
    }
    // 2 online: green with a tick
    {
        const QPointF c = disc(2, QColor(0x5f, 0xd8, 0x5a), QColor(0x1f, 0x9a, 0x2c), QColor(0x13, 0x6b, 0x1d));
        QPainterPath t;
        t.moveTo(c + QPointF(-3.2, 0.2));
        t.lineTo(c + QPointF(-0.8, 2.6));
        t.lineTo(c + QPointF(3.3, -2.4));
        p.setPen(QPen(white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(t);
    }
    // 3 away: amber with clock hands
    {
        const QPointF c = disc(3, QColor(0xff, 0xd3, 0x4d), QColor(0xe8, 0x9a, 0x0c), QColor(0x9c, 0x63, 0x00));
        p.setPen(QPen(white, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + QPointF(0, 0.4), c + QPointF(0, -3.6));
        p.drawLine(c + QPointF(0, 0.4), c + QPointF(2.8, 1.9));
    }
    // 4 not available / do not disturb: red with a white bar
    {
        const QPointF c = disc(4, QColor(0xff, 0x62, 0x68), QColor(0xc8, 0x16, 0x22), QColor(0x86, 0x0b, 0x13));
        p.setPen(Qt::NoPen);
        p.setBrush(white);
        p.drawPath(RoundRect(QRectF(c.x() - 3.8, c.y() - 1.1, 7.6, 2.2), 1));
    }
    // 5 SkypeMe: blue with a heart
    {
        const QPointF c = disc(5, QColor(0x6f, 0xc3, 0xff), QColor(0x1a, 0x78, 0xd6), QColor(0x0e, 0x4f, 0x96));
        QPainterPath h;
        h.moveTo(c + QPointF(0, 3.6));
        h.cubicTo(c + QPointF(-4.6, 0.4), c + QPointF(-3.2, -4.2), c + QPointF(0, -1.6));
        h.cubicTo(c + QPointF(3.2, -4.2), c + QPointF(4.6, 0.4), c + QPointF(0, 3.6));
        p.setPen(Qt::NoPen);
        p.setBrush(white);
        p.drawPath(h);
    }
    return img;
}

// ---- elapsed-time box (2016) --------------------------------------------------------------------
constexpr int kElapsedW = 72, kElapsedH = 32;

QImage ElapsedBox()
{
    QImage img(kElapsedW, kElapsedH, QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(0x17, 0x1a, 0x1f)); // the well colour it sits in
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    LightPanel(p, QRectF(0, 0, kElapsedW, kElapsedH), 4);
    // faint display segments behind the digits
    p.setPen(QPen(QColor(0, 0, 0, 14), 1));
    for (int y = 5; y < kElapsedH - 3; y += 3)
        p.drawLine(QPointF(3, y + 0.5), QPointF(kElapsedW - 3, y + 0.5));
    p.end();
    return img.convertToFormat(QImage::Format_RGB888);
}

// ---- popup skin (2006) -------------------------------------------------------------------------
constexpr int kPopupW = 252, kPopupH = 108;

QImage PopupSkin()
{
    QImage img = NewImage(kPopupW, kPopupH);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF all(0, 0, kPopupW, kPopupH);
    p.setPen(Qt::NoPen);
    p.setBrush(kFrameEdge);
    p.drawPath(RoundRect(all, 10));
    QLinearGradient g(0, 0, 0, kPopupH);
    g.setColorAt(0, kFrameTop);
    g.setColorAt(0.3, kFrameMid);
    g.setColorAt(1, kFrameDark);
    p.setBrush(g);
    p.drawPath(RoundRect(all.adjusted(1, 1, -1, -1), 9));
    p.setPen(QPen(QColor(255, 255, 255, 40), 1));
    p.drawLine(QPointF(10, 1.5), QPointF(kPopupW - 10, 1.5));
    // title
    RecordMark(p, QPointF(15, 13), 6);
    p.setPen(kGlyph);
    p.setFont(Font(12, true));
    p.drawText(QRectF(27, 2, 200, 22), Qt::AlignLeft | Qt::AlignVCenter, "Kestrel");
    // red accent under the title
    QLinearGradient acc(6, 0, kPopupW - 6, 0);
    acc.setColorAt(0, kRed);
    acc.setColorAt(1, QColor(0xe3, 0x2b, 0x36, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(acc);
    p.drawRect(QRectF(6, 24, kPopupW - 12, 1.5));
    // body: the text rectangle (10, 30, w - 10, h - 10) lies inside this light panel
    LightPanel(p, QRectF(6, 28, kPopupW - 12, kPopupH - 34), 6);
    p.end();
    return KeyOut(img, kMagentaKey, kFrameEdge);
}

// ---- docked bar pieces (2012-2015), white holes ----------------------------------------------
constexpr int kBarH = 45, kCapW = 37, kCentreW = 426, kFillerW = 11;

void BarGround(QPainter& p, const QRectF& r)
{
    QLinearGradient g(0, 0, 0, kBarH);
    g.setColorAt(0, kFrameTop);
    g.setColorAt(0.25, kFrameMid);
    g.setColorAt(1, kFrameDark);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRect(r);
    p.setBrush(QColor(255, 255, 255, 36));
    p.drawRect(QRectF(r.left(), 0, r.width(), 1)); // seam under the Skype window
    p.setBrush(kFrameEdge);
    p.drawRect(QRectF(r.left(), kBarH - 1, r.width(), 1));
}

QImage BarCap(bool left)
{
    QImage img = NewImage(kCapW, kBarH);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // a shape with square top corners and a rounded outer bottom corner
    const double rad = 9;
    QPainterPath shape;
    if (left) {
        shape.moveTo(0, 0);
        shape.lineTo(kCapW + 1, 0);
        shape.lineTo(kCapW + 1, kBarH);
        shape.lineTo(rad, kBarH);
        shape.arcTo(QRectF(0, kBarH - 2 * rad, 2 * rad, 2 * rad), 270, -90);
        shape.closeSubpath();
    } else {
        shape.moveTo(-1, 0);
        shape.lineTo(kCapW, 0);
        shape.lineTo(kCapW, kBarH - rad);
        shape.arcTo(QRectF(kCapW - 2 * rad, kBarH - 2 * rad, 2 * rad, 2 * rad), 0, -90);
        shape.lineTo(-1, kBarH);
        shape.closeSubpath();
    }
    p.setPen(Qt::NoPen);
    p.setBrush(kFrameEdge);
    p.drawPath(shape);
    p.setClipPath(shape.translated(left ? 1 : -1, -1).intersected(shape));
    BarGround(p, QRectF(0, 0, kCapW, kBarH - 1));
    p.setClipping(false);
    if (left)
        RecordMark(p, QPointF(18, 21), 6);
    p.end();
    return KeyOut(img, kWhiteKey, kFrameEdge);
}

QImage BarFiller()
{
    QImage img = NewImage(kFillerW, kBarH);
    QPainter p(&img);
    BarGround(p, QRectF(0, 0, kFillerW, kBarH));
    p.end();
    return KeyOut(img, kWhiteKey, kFrameEdge);
}

// Centre piece: controls sit at the docked layout: 1001 (11,7), 1002 (53,7), marks at 93,
// meters right of them, elapsed box from 3 to 75 right of the meter, tools from 102 right of it.
QImage BarCentre()
{
    QImage img = NewImage(kCentreW, kBarH);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    BarGround(p, QRectF(0, 0, kCentreW, kBarH));
    DarkWell(p, QRectF(6, 3, 84, 40), 5);
    DarkWell(p, QRectF(90, 3, 195, 40), 5);
    DarkWell(p, QRectF(293, 2, 126, 38), 5);
    p.end();
    return KeyOut(img, kWhiteKey, kFrameEdge);
}

// ---- application icon (128) ---------------------------------------------------------------------
QImage AppIcon(int size)
{
    QImage img = NewImage(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    const double m = s <= 16 ? 0.5 : s * 0.04;
    const QRectF tile(m, m, s - 2 * m, s - 2 * m);
    const double rad = s * 0.22;
    p.setPen(Qt::NoPen);
    p.setBrush(kFrameEdge);
    p.drawPath(RoundRect(tile, rad));
    QLinearGradient g(tile.topLeft(), tile.bottomLeft());
    g.setColorAt(0, QColor(0x4a, 0x53, 0x60));
    g.setColorAt(1, kFrameDark);
    p.setBrush(g);
    const double rim = qMax(1.0, s / 48);
    p.drawPath(RoundRect(tile.adjusted(rim, rim, -rim, -rim), rad - rim));
    const QPointF c = tile.center() + QPointF(-s * 0.09, 0);
    const double dot = s * 0.2;
    // sound waves to the right of the dot
    p.setBrush(Qt::NoBrush);
    const double pen = qMax(1.2, s * 0.065);
    for (int i = 1; i <= (s < 24 ? 1 : 2); ++i) {
        const double r = dot + i * s * 0.11;
        p.setPen(QPen(i == 1 ? kGlyph : kGlyphDim, pen, Qt::SolidLine, Qt::RoundCap));
        p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
    }
    // ring and record dot
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf0, 0xf2, 0xf5));
    p.drawEllipse(c, dot * 1.22, dot * 1.22);
    RecordMark(p, c, dot);
    if (s >= 32) {
        p.setBrush(QColor(255, 255, 255, 110));
        p.drawEllipse(c + QPointF(-dot * 0.35, -dot * 0.4), dot * 0.28, dot * 0.2);
    }
    return img;
}

// ---- history window (1016-1017, 1029-1035, 1056, 2000-2005) -----------------------------------
const QColor kBlueRow(51, 150, 253);   // the tree's highlighted record row
const QColor kHistoryInk(0x4a, 0x55, 0x62);
const QColor kNewAccent(0xfc, 0x8c, 0x05);

// Day-row expand glyphs, 16 x 16: a small chevron, right (collapsed) or down (expanded).
QImage ExpandGlyph(bool expanded)
{
    QImage img = NewImage(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x9a, 0xa3, 0xad), 1));
    p.setBrush(QColor(0xf6, 0xf7, 0xf9));
    p.drawPath(RoundRect(QRectF(2.5, 2.5, 11, 11), 2.5));
    QPainterPath v;
    if (expanded) {
        v.moveTo(5, 6.5);
        v.lineTo(8, 9.8);
        v.lineTo(11, 6.5);
    } else {
        v.moveTo(6.5, 5);
        v.lineTo(9.8, 8);
        v.lineTo(6.5, 11);
    }
    p.setPen(QPen(kHistoryInk, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(v);
    return img;
}

// A handset, drawn into a 16 x 16 cell at `o`.
void Handset(QPainter& p, const QPointF& o, const QColor& col, double scale = 1.0)
{
    p.save();
    p.translate(o);
    p.scale(scale, scale);
    QPainterPath h;
    h.moveTo(3.2, 2.2);
    h.cubicTo(1.6, 3.4, 1.8, 7.2, 5.2, 10.6);
    h.cubicTo(8.6, 14.0, 12.4, 14.2, 13.6, 12.6);
    h.lineTo(11.4, 10.0);
    h.cubicTo(10.6, 9.6, 10.0, 10.6, 9.4, 10.8);
    h.cubicTo(8.0, 10.2, 5.8, 8.0, 5.2, 6.6);
    h.cubicTo(5.4, 6.0, 6.4, 5.4, 6.0, 4.6);
    h.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    p.drawPath(h);
    p.restore();
}

// Record icons, four 16 x 16 images: 0 outgoing played, 1 incoming played, 2 outgoing new,
// 3 incoming new. A handset with an arrow: away from it (outgoing, green) or towards it
// (incoming, blue); played calls are drawn in grey, new ones in colour with an orange dot.
QImage RecordIcons()
{
    QImage img = NewImage(64, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 4; ++i) {
        const bool incoming = i % 2 == 1, fresh = i >= 2;
        const QPointF o(i * 16, 0);
        const QColor hand = fresh ? kHistoryInk : QColor(0xa4, 0xab, 0xb4);
        const QColor arrow = !fresh ? QColor(0x9a, 0xa1, 0xaa) : incoming ? QColor(0x1f, 0x78, 0xd1) : QColor(0x1f, 0x9a, 0x3c);
        Handset(p, o + QPointF(-0.5, 1.5), hand, 0.9);
        // the arrow in the upper right corner
        p.setPen(QPen(arrow, 1.7, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        const QPointF a = o + QPointF(9.0, 7.0), b = o + QPointF(14.5, 1.5);
        const QPointF from = incoming ? b : a, to = incoming ? a : b;
        p.drawLine(from, to);
        QPainterPath head;
        if (incoming) {
            head.moveTo(to + QPointF(0, -3.6));
            head.lineTo(to);
            head.lineTo(to + QPointF(3.6, 0));
        } else {
            head.moveTo(to + QPointF(-3.6, 0));
            head.lineTo(to);
            head.lineTo(to + QPointF(0, 3.6));
        }
        p.drawPath(head);
        if (fresh) {
            p.setPen(QPen(Qt::white, 1));
            p.setBrush(kNewAccent);
            p.drawEllipse(o + QPointF(12.5, 12.5), 2.8, 2.8);
        }
    }
    return img;
}

// Trash can glyph in a 14 x 14 cell.
void Trash(QPainter& p, const QPointF& o, const QColor& col, const QColor& grooves)
{
    p.setPen(Qt::NoPen);
    p.setBrush(col);
    p.drawPath(RoundRect(QRectF(o.x() + 2.5, o.y() + 2.6, 9, 1.6), 0.6));  // lid
    p.drawRect(QRectF(o.x() + 5.5, o.y() + 1.2, 3, 1.6));                 // handle
    QPainterPath body;
    body.moveTo(o.x() + 3.5, o.y() + 4.8);
    body.lineTo(o.x() + 10.5, o.y() + 4.8);
    body.lineTo(o.x() + 9.8, o.y() + 12.6);
    body.lineTo(o.x() + 4.2, o.y() + 12.6);
    body.closeSubpath();
    p.drawPath(body);
    p.setPen(QPen(grooves, 0.9));
    for (double x : {5.6, 7.0, 8.4})
        p.drawLine(QPointF(o.x() + x, o.y() + 6.3), QPointF(o.x() + x, o.y() + 11.2));
}

// Folder glyph (with a small magnifier dot) in a cell of `size` px.
void Folder(QPainter& p, const QPointF& o, double size, const QColor& back, const QColor& front, const QColor& edge)
{
    const double s = size / 14.0;
    p.save();
    p.translate(o);
    p.scale(s, s);
    p.setPen(QPen(edge, 0.8));
    p.setBrush(back);
    QPainterPath b;
    b.moveTo(1.2, 3.0);
    b.lineTo(5.2, 3.0);
    b.lineTo(6.4, 4.4);
    b.lineTo(12.6, 4.4);
    b.lineTo(12.6, 11.8);
    b.lineTo(1.2, 11.8);
    b.closeSubpath();
    p.drawPath(b);
    p.setBrush(front);
    QPainterPath f;
    f.moveTo(1.2, 11.8);
    f.lineTo(2.6, 6.2);
    f.lineTo(13.6, 6.2);
    f.lineTo(12.4, 11.8);
    f.closeSubpath();
    p.drawPath(f);
    p.restore();
}

// Row buttons, four 14 x 14 images: 0 delete on the selected (blue) row, 1 delete on another row,
// 2 show in folder on the selected row, 3 show in folder on another row.
QImage RowButtons()
{
    QImage img = NewImage(56, 14);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // on the blue row: white glyphs on a slightly darker blue chip
    for (int i : {0, 2}) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1f, 0x6f, 0xc8));
        p.drawPath(RoundRect(QRectF(i * 14 + 0.5, 0.5, 13, 13), 3));
    }
    Trash(p, QPointF(0, 0), Qt::white, QColor(0x1f, 0x6f, 0xc8));
    Folder(p, QPointF(28 + 0.5, 0), 13, QColor(0xd6, 0xe8, 0xff), Qt::white, QColor(0xd6, 0xe8, 0xff));
    // on a white row: a red trash can and a yellow folder on a light chip
    for (int i : {1, 3}) {
        p.setPen(QPen(QColor(0xc9, 0xcf, 0xd6), 1));
        p.setBrush(QColor(0xf7, 0xf8, 0xfa));
        p.drawPath(RoundRect(QRectF(i * 14 + 0.5, 0.5, 13, 13), 3));
    }
    Trash(p, QPointF(14, 0), kRed, QColor(0xf7, 0xf8, 0xfa));
    Folder(p, QPointF(42 + 0.5, 0), 13, QColor(0xe0, 0xa8, 0x2e), QColor(0xff, 0xd0, 0x5a), QColor(0xb0, 0x7a, 0x10));
    return img;
}

// Root row icon, 16 x 16: a stack of recordings (three rounded cards with a red dot).
QImage RootIcon()
{
    QImage img = NewImage(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x6b, 0x74, 0x7e), 1));
    p.setBrush(QColor(0xdc, 0xe1, 0xe6));
    p.drawPath(RoundRect(QRectF(4.5, 1.5, 10, 8), 1.5));
    p.setBrush(QColor(0xea, 0xee, 0xf1));
    p.drawPath(RoundRect(QRectF(2.5, 3.5, 10, 8), 1.5));
    p.setBrush(Qt::white);
    p.drawPath(RoundRect(QRectF(0.5, 5.5, 11, 9), 1.5));
    RecordMark(p, QPointF(6, 10), 2.6);
    return img;
}

// Title strip of the history window, 66 x 22: left corner, a 22 px middle that is stretched,
// right corner. A light panel (the title text is dark grey) with a red accent and a dark rule.
QImage HistoryTitle()
{
    const int w = 66, h = 22;
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&img);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(0xf4, 0xf6, 0xf8));
    g.setColorAt(1, QColor(0xdc, 0xe1, 0xe6));
    p.fillRect(QRect(0, 0, w, h), g);
    p.fillRect(QRect(0, 0, w, 1), QColor(255, 255, 255));
    p.fillRect(QRect(0, h - 2, w, 1), kRed);
    p.fillRect(QRect(0, h - 1, w, 1), QColor(0x9a, 0xa3, 0xad));
    return img;
}

// Player buttons, 24 x 24: 1029 play, 1030 pause, 1031 stop, 1032 the speaker picture.
void GlyphPlay(QPainter& p, const QRectF& r, Look look)
{
    const QPointF c = r.center() + QPointF(1, 0);
    QPainterPath t;
    t.moveTo(c + QPointF(-3.6, -5));
    t.lineTo(c + QPointF(5, 0));
    t.lineTo(c + QPointF(-3.6, 5));
    t.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawPath(t.translated(0, 1));
    p.setBrush(GlyphColour(look));
    p.drawPath(t);
}

void GlyphSpeaker(QPainter& p, const QRectF& r, Look look)
{
    const QPointF o = r.center() + QPointF(-6, -6);
    QPainterPath s;
    s.moveTo(o + QPointF(0.5, 4.2));
    s.lineTo(o + QPointF(3.2, 4.2));
    s.lineTo(o + QPointF(6.6, 1.0));
    s.lineTo(o + QPointF(6.6, 11.0));
    s.lineTo(o + QPointF(3.2, 7.8));
    s.lineTo(o + QPointF(0.5, 7.8));
    s.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(GlyphColour(look));
    p.drawPath(s);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kRedLight, 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(o.x() + 5.2, o.y() + 3.2, 4.4, 5.6), -55 * 16, 110 * 16);
    p.drawArc(QRectF(o.x() + 4.6, o.y() + 0.8, 7.6, 10.4), -55 * 16, 110 * 16);
}

// Menu icons, 16 x 16: 2000 play, 2001 stop, 2002 call, 2003 send IM, 2004 delete, 2005 open.
QImage MenuIcon(int id)
{
    QImage img = NewImage(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    switch (id) {
    case 2000: {
        QPainterPath t;
        t.moveTo(4, 2.5);
        t.lineTo(13.5, 8);
        t.lineTo(4, 13.5);
        t.closeSubpath();
        p.setBrush(QColor(0x1f, 0x9a, 0x3c));
        p.drawPath(t);
        break;
    }
    case 2001:
        p.setBrush(kRed);
        p.drawPath(RoundRect(QRectF(3, 3, 10, 10), 2));
        break;
    case 2002:
        Handset(p, QPointF(0.5, 0.5), QColor(0x1f, 0x9a, 0x3c), 0.95);
        break;
    case 2003: {
        QPainterPath b;
        b.addRoundedRect(QRectF(1, 2, 14, 9.5), 3, 3);
        QPainterPath tail;
        tail.moveTo(4, 10);
        tail.lineTo(3.5, 14.5);
        tail.lineTo(8, 10.5);
        tail.closeSubpath();
        p.setBrush(QColor(0x1f, 0x78, 0xd1));
        p.drawPath(b.united(tail));
        p.setBrush(Qt::white);
        for (double x : {5.0, 8.0, 11.0})
            p.drawEllipse(QPointF(x, 6.8), 1.05, 1.05);
        break;
    }
    case 2004:
        Trash(p, QPointF(1, 1), kRed, Qt::white);
        break;
    case 2005:
        Folder(p, QPointF(0.5, 0.5), 15, QColor(0xe0, 0xa8, 0x2e), QColor(0xff, 0xd0, 0x5a), QColor(0xb0, 0x7a, 0x10));
        break;
    }
    return img;
}

// ---- preview ------------------------------------------------------------------------------------
void Blit(QPainter& p, int x, int y, int id)
{
    p.drawImage(x, y, g_made.at(id));
}

// Draws a level meter the way the control does: 20 blocks, gap 1, the value lit from the left.
void PreviewMeter(QPainter& p, const QRect& r, int value)
{
    const int n = 20, gap = 1;
    const double bw = (r.width() - n * gap) / double(n);
    p.save();
    p.translate(r.topLeft());
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(QRect(0, 0, r.width(), r.height()), QColor(0xef, 0xef, 0xef));
    const double f = value / 512.0 * n;
    const int g = int(f);
    const int e = int((f - g) * bw);
    double x = 0;
    for (int i = 0; i < n; ++i) {
        const QRect b(QPoint(int(x), 0), QPoint(int(x + bw) - 1, r.height() - 1));
        const bool lit = i < g;
        p.setPen(lit ? QColor(0, 200, 0) : QColor(50, 90, 135));
        p.setBrush(lit ? QColor(0, 200, 0) : QColor(160, 190, 220));
        p.drawRect(b.adjusted(0, 0, -1, -1));
        if (!lit && i == g && e) {
            QRect in = b.adjusted(1, 1, -1, -1);
            in.setRight(qMin(in.right(), in.left() + e - 1));
            p.fillRect(in, QColor(0, 200, 0));
        }
        x += gap + bw;
    }
    p.restore();
}

QImage MainMock(bool recording)
{
    QImage img = g_made.at(129).convertToFormat(QImage::Format_ARGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    Blit(p, 421, 1, 130);
    Blit(p, 406, 1, recording ? 2009 : 2007);
    Blit(p, 391, 1, 2017);
    Blit(p, 16, 30, recording ? 136 : 133);
    Blit(p, 56, 30, recording ? 139 : 139);
    Blit(p, 98, 30, 1007);
    Blit(p, 98, 37, 1008);
    PreviewMeter(p, QRect(110, 33, 91, 6), recording ? 300 : 0);
    PreviewMeter(p, QRect(108, 40, 91, 6), recording ? 172 : 0);
    Blit(p, 204, 30, 2016);
    p.setPen(QColor(192, 0, 0));
    p.setFont(Font(13, true));
    p.drawText(QRect(204, 30, 72, 32), Qt::AlignCenter, recording ? "00:03:17" : "Ready");
    Blit(p, 298, 30, recording ? 1060 : 1012);
    Blit(p, 340, 30, 1013);
    Blit(p, 382, 30, 1014);
    // status row: icon from the strip, handle, status text
    p.drawImage(QPoint(5, 78), g_made.at(1010), QRect(2 * 16, 0, 16, 16));
    p.setFont(Font(12, false));
    p.setPen(Qt::black);
    p.drawText(QRect(24, 78, 120, 16), Qt::AlignLeft | Qt::AlignVCenter, "echo123");
    p.setPen(recording ? QColor(226, 0, 0) : Qt::black);
    p.drawText(QRect(150, 78, 278, 16), Qt::AlignLeft | Qt::AlignVCenter,
               recording ? "Recording in progress ..." : "Ready for recording ...");
    p.end();
    // show the window shape: key pixels become the preview's backdrop
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) == kGreenKey)
                img.setPixelColor(x, y, QColor(0, 0, 0, 0));
    return img;
}

QImage Cutout(const QImage& src, const QColor& key)
{
    QImage img = src.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) == key)
                img.setPixelColor(x, y, QColor(0, 0, 0, 0));
    return img;
}

QImage Preview()
{
    const int pad = 16, W = 900, H = 640;
    QImage out(W, H, QImage::Format_ARGB32);
    out.fill(QColor(0x8a, 0x9a, 0xab)); // a desktop-ish backdrop
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setFont(Font(11, false));
    p.setPen(Qt::white);
    p.drawText(pad, pad + 4, "Main window, ready (1:1)");
    p.drawImage(pad, pad + 10, MainMock(false));
    p.drawText(pad + 460, pad + 4, "Main window, recording (1:1)");
    p.drawImage(pad + 460, pad + 10, MainMock(true));
    p.drawText(pad, 150, "Main window, recording (2x)");
    p.drawImage(QRect(pad, 158, kMainW * 2, kMainH * 2), MainMock(true));
    // popup with its text as the main window configures it
    {
        QImage pop = Cutout(g_made.at(2006), kMagentaKey);
        QPainter q(&pop);
        q.setRenderHint(QPainter::TextAntialiasing);
        QFont f("Arial");
        f.setPointSize(10);
        f.setBold(true);
        q.setFont(f);
        q.setPen(Qt::black);
        q.drawText(QRect(10, 30, kPopupW - 20, kPopupH - 40), Qt::AlignCenter | Qt::TextWordWrap, "Kestrel is Running!");
        q.end();
        p.drawText(pad, 370, "Popup");
        p.drawImage(pad, 378, pop);
    }
    // docked bar at 640 px
    {
        const int Wb = 600, side = (Wb - kCentreW) / 2;
        QImage bar(Wb, kBarH, QImage::Format_ARGB32);
        bar.fill(Qt::transparent);
        QPainter q(&bar);
        q.drawImage(0, 0, g_made.at(2012));
        for (int k = 0; k < (side - kCapW) / kFillerW + 1; ++k) {
            q.drawImage(kCapW + kFillerW * k, 0, g_made.at(2015));
            q.drawImage(Wb - side - 1 + kFillerW * k, 0, g_made.at(2015));
        }
        q.drawImage(Wb - kCapW, 0, g_made.at(2013));
        q.drawImage(side, 0, g_made.at(2014));
        const int a = side;
        q.drawImage(a + 11, 7, g_made.at(136));
        q.drawImage(a + 53, 7, g_made.at(139));
        q.drawImage(a + 93, 7, g_made.at(1007));
        q.drawImage(a + 93, 14, g_made.at(1008));
        PreviewMeter(q, QRect(a + 105, 10, 91, 6), 300);
        PreviewMeter(q, QRect(a + 103, 17, 91, 6), 150);
        q.drawImage(a + 199, 6, g_made.at(2016));
        q.setPen(QColor(192, 0, 0));
        q.setFont(Font(13, true));
        q.drawText(QRect(a + 199, 6, 72, 32), Qt::AlignCenter, "00:03:17");
        q.drawImage(a + 298, 5, g_made.at(1012));
        q.drawImage(a + 340, 5, g_made.at(1062));
        q.drawImage(a + 382, 5, g_made.at(1014));
        q.end();
        p.drawText(290, 370, "Docked bar, 600 px");
        p.drawImage(290, 378, Cutout(bar, kWhiteKey));
    }
    // button sheet: every state at 2x
    {
        int x = pad, y = 530;
        p.drawText(x, y - 6, "Buttons and marks (2x)");
        const int ids[] = {133, 134, 135, 136, 137, 138, 139, 140, 141, 1012, 1060, 1013, 1062, 1014, 1061};
        for (int id : ids) {
            const QImage& im = g_made.at(id);
            p.drawImage(QRect(x, y, im.width() * 2, im.height() * 2), im);
            x += im.width() * 2 + 6;
        }
        x = pad;
        y += 72;
        const int small[] = {130, 131, 132, 2007, 2008, 2009, 2017, 2018, 2019, 1007, 1008};
        for (int id : small) {
            const QImage& im = g_made.at(id);
            p.drawImage(QRect(x, y, im.width() * 2, im.height() * 2), im);
            x += im.width() * 2 + 8;
        }
        const QImage& strip = g_made.at(1010);
        p.drawImage(QRect(x + 10, y, strip.width() * 2, strip.height() * 2), strip);
        x += strip.width() * 2 + 30;
        for (int s : {16, 32}) {
            p.drawImage(x, y, AppIcon(s));
            x += s + 8;
        }
    }
    p.end();
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args[1].startsWith("-")) {
        std::fprintf(stderr, "usage: kestrel-artwork <output folder> [--preview <file.png>]\n");
        return 2;
    }
    g_out = args[1];
    QString preview;
    const int pi = args.indexOf("--preview");
    if (pi > 0 && pi + 1 < args.size())
        preview = args[pi + 1];

    SaveBitmap(129, "background", MainBackground());

    struct ButtonSet {
        int size;
        double radius;
        GlyphFn glyph;
        std::vector<std::pair<int, Look>> ids;
        const char* name;
    };
    const ButtonSet sets[] = {
        {16, 4, GlyphHide, {{130, Look::Normal}, {131, Look::Hover}, {132, Look::Pressed}}, "hide"},
        {32, 8, GlyphRecord, {{133, Look::Normal}, {134, Look::Hover}, {135, Look::Pressed}}, "start"},
        {32, 8, GlyphStop, {{136, Look::Normal}, {137, Look::Hover}, {138, Look::Pressed}}, "stop"},
        {32, 8, GlyphPause, {{139, Look::Normal}, {140, Look::Hover}, {141, Look::Pressed}}, "pause"},
        {32, 8, GlyphHistory, {{1012, Look::Normal}, {1060, Look::Hover}}, "history"},
        {32, 8, GlyphOptions, {{1013, Look::Normal}, {1062, Look::Hover}}, "options"},
        {32, 8, GlyphHelp, {{1014, Look::Normal}, {1061, Look::Hover}}, "help"},
        {15, 4, GlyphPin, {{2007, Look::Normal}, {2008, Look::Hover}, {2009, Look::Active}}, "topmost"},
        {15, 4, GlyphDock, {{2017, Look::Normal}, {2018, Look::Hover}, {2019, Look::Active}}, "stick"},
    };
    for (const ButtonSet& set : sets) {
        for (const auto& [id, look] : set.ids) {
            const char* state = look == Look::Normal ? "normal" : look == Look::Hover ? "hover" : "pressed";
            SaveBitmap(id, QString("%1_%2").arg(set.name, state), Button(set.size, set.radius, look, set.glyph));
        }
    }
    SaveBitmap(1007, "mark_own", MicMark());
    SaveBitmap(1008, "mark_remote", SpeakerMark());
    SaveBitmap(1010, "status_strip", StatusStrip());
    SaveBitmap(2016, "elapsed_box", ElapsedBox());
    SaveBitmap(2006, "popup_skin", PopupSkin());
    SaveBitmap(2012, "bar_left", BarCap(true));
    SaveBitmap(2013, "bar_right", BarCap(false));
    SaveBitmap(2014, "bar_centre", BarCentre());
    SaveBitmap(2015, "bar_filler", BarFiller());
    // history window
    SaveBitmap(1016, "expand_collapsed", ExpandGlyph(false));
    SaveBitmap(1017, "expand_expanded", ExpandGlyph(true));
    SaveBitmap(1029, "play", Button(24, 6, Look::Normal, GlyphPlay));
    SaveBitmap(1030, "pause", Button(24, 6, Look::Normal, GlyphPause));
    SaveBitmap(1031, "player_stop", Button(24, 6, Look::Normal, GlyphStop));
    SaveBitmap(1032, "speaker", Button(24, 6, Look::Normal, GlyphSpeaker));
    SaveBitmap(1033, "record_icons", RecordIcons());
    SaveBitmap(1034, "row_buttons", RowButtons());
    SaveBitmap(1035, "root_icon", RootIcon());
    SaveBitmap(1056, "history_title", HistoryTitle());
    const std::pair<int, const char*> menuIcons[] = {{2000, "menu_play"}, {2001, "menu_stop"}, {2002, "menu_call"},
                                                     {2003, "menu_im"}, {2004, "menu_delete"}, {2005, "menu_open"}};
    for (const auto& [id, name] : menuIcons)
        SaveBitmap(id, name, MenuIcon(id));
    for (int size : {16, 32, 48, 64, 128, 256})
        SaveIcon(size, AppIcon(size));
    WriteQrc();

    if (!preview.isEmpty() && !Preview().save(preview, "PNG")) {
        std::fprintf(stderr, "kestrel-artwork: cannot write %s\n", qPrintable(preview));
        ++g_errors;
    }
    return g_errors ? 1 : 0;
}
