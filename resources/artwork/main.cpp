// Draws the program's artwork: icons, logos, placeholders and tab backgrounds.
// Usage: cirrolith-artwork OUTDIR PLACEHOLDER.gif

#include "GifWriter.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

constexpr int kIcon = 96;

using Glyph = std::function<void(QPainter &, const QRectF &)>;

QPen glyphPen(const QColor &c, qreal w)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A rounded tile with a soft gradient, the base of every big icon.
QImage tile(const QColor &base, const Glyph &glyph, int size = kIcon)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(size * 0.04, size * 0.04, size * 0.92, size * 0.92);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, base.lighter(150));
    g.setColorAt(1, base.darker(130));
    p.setPen(QPen(base.darker(170), size * 0.02));
    p.setBrush(g);
    p.drawRoundedRect(r, size * 0.2, size * 0.2);
    // A gloss over the upper half.
    QPainterPath gloss;
    gloss.addRoundedRect(r.adjusted(size * 0.05, size * 0.04, -size * 0.05, -r.height() * 0.55),
                         size * 0.15, size * 0.15);
    p.fillPath(gloss, QColor(255, 255, 255, 50));
    glyph(p, r.adjusted(size * 0.2, size * 0.2, -size * 0.2, -size * 0.2));
    return img;
}

void play(QPainter &p, const QRectF &r)
{
    QPainterPath t;
    t.moveTo(r.left() + r.width() * 0.15, r.top());
    t.lineTo(r.right(), r.center().y());
    t.lineTo(r.left() + r.width() * 0.15, r.bottom());
    t.closeSubpath();
    p.fillPath(t, Qt::white);
}

void power(QPainter &p, const QRectF &r)
{
    p.setPen(glyphPen(Qt::white, r.width() * 0.12));
    p.setBrush(Qt::NoBrush);
    p.drawArc(r.adjusted(2, 6, -2, 2), 120 * 16, 300 * 16);
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.center().y()));
}

void disk(QPainter &p, const QRectF &r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(r, 4, 4);
    p.setBrush(QColor(40, 70, 140));
    p.drawRect(QRectF(r.left() + r.width() * 0.2, r.top(), r.width() * 0.55, r.height() * 0.35));
    p.drawRect(QRectF(r.left() + r.width() * 0.15, r.top() + r.height() * 0.55, r.width() * 0.7,
                      r.height() * 0.35));
}

void recycle(QPainter &p, const QRectF &r)
{
    p.setPen(glyphPen(Qt::white, r.width() * 0.11));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        p.drawArc(r, (90 + i * 120) * 16, 90 * 16);
        const double a = (90 + i * 120 + 90) * M_PI / 180.0;
        const QPointF tip(r.center().x() + std::cos(a) * r.width() / 2,
                          r.center().y() - std::sin(a) * r.height() / 2);
        p.drawLine(tip, tip + QPointF(std::cos(a + 2.3) * 8, -std::sin(a + 2.3) * 8));
    }
}

void gear(QPainter &p, const QRectF &r)
{
    QPainterPath g;
    const QPointF c = r.center();
    const double ro = r.width() / 2, ri = ro * 0.72;
    for (int i = 0; i < 16; ++i) {
        const double a = i * M_PI / 8;
        const double rad = (i % 2) ? ri : ro;
        const QPointF pt(c.x() + std::cos(a) * rad, c.y() + std::sin(a) * rad);
        i ? g.lineTo(pt) : g.moveTo(pt);
    }
    g.closeSubpath();
    g.addEllipse(c, ro * 0.3, ro * 0.3);
    g.setFillRule(Qt::OddEvenFill);
    p.fillPath(g, Qt::white);
}

void hourglass(QPainter &p, const QRectF &r)
{
    QPainterPath h;
    h.moveTo(r.topLeft());
    h.lineTo(r.topRight());
    h.lineTo(r.center());
    h.lineTo(r.bottomRight());
    h.lineTo(r.bottomLeft());
    h.lineTo(r.center());
    h.closeSubpath();
    p.fillPath(h, Qt::white);
}

void questionMark(QPainter &p, const QRectF &r)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(static_cast<int>(r.height() * 1.1));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(r, Qt::AlignCenter, QStringLiteral("?"));
}

void letters(QPainter &p, const QRectF &r, const QString &text)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    int px = static_cast<int>(r.height() * (text.size() > 2 ? 0.5 : 0.75));
    f.setPixelSize(px);
    // A word wider than the tile would lose its first and last letters.
    while (px > 6 && QFontMetricsF(f).horizontalAdvance(text) > r.width() * 0.92) {
        f.setPixelSize(--px);
    }
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(r, Qt::AlignCenter, text);
}

void cloud(QPainter &p, const QRectF &r, const QColor &c = Qt::white)
{
    QPainterPath path;
    path.addEllipse(QRectF(r.left(), r.top() + r.height() * 0.35, r.width() * 0.5, r.height() * 0.5));
    path.addEllipse(QRectF(r.left() + r.width() * 0.22, r.top() + r.height() * 0.1, r.width() * 0.5,
                           r.height() * 0.6));
    path.addEllipse(QRectF(r.left() + r.width() * 0.5, r.top() + r.height() * 0.3, r.width() * 0.5,
                           r.height() * 0.55));
    path.setFillRule(Qt::WindingFill);
    p.fillPath(path.simplified(), c);
}

void arrowDown(QPainter &p, const QRectF &r)
{
    p.setPen(glyphPen(Qt::white, r.width() * 0.13));
    p.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
    p.drawLine(QPointF(r.left() + r.width() * 0.2, r.center().y() + r.height() * 0.15),
               QPointF(r.center().x(), r.bottom()));
    p.drawLine(QPointF(r.right() - r.width() * 0.2, r.center().y() + r.height() * 0.15),
               QPointF(r.center().x(), r.bottom()));
}

void clockFace(QPainter &p, const QRectF &r)
{
    p.setPen(glyphPen(Qt::white, r.width() * 0.1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(r);
    p.drawLine(r.center(), QPointF(r.center().x(), r.top() + r.height() * 0.2));
    p.drawLine(r.center(), QPointF(r.right() - r.width() * 0.25, r.center().y()));
}

void screenGlyph(QPainter &p, const QRectF &r)
{
    p.setPen(glyphPen(Qt::white, r.width() * 0.09));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, r.height() * 0.1, 0, -r.height() * 0.25));
    p.drawLine(QPointF(r.center().x(), r.bottom() - r.height() * 0.25),
               QPointF(r.center().x(), r.bottom()));
    p.drawLine(QPointF(r.left() + r.width() * 0.25, r.bottom()),
               QPointF(r.right() - r.width() * 0.25, r.bottom()));
}

void picture(QPainter &p, const QRectF &r, bool plus, bool minus)
{
    p.setPen(glyphPen(Qt::white, r.width() * 0.08));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r.adjusted(0, r.height() * 0.1, 0, -r.height() * 0.1));
    QPainterPath m;
    m.moveTo(r.left(), r.bottom() - r.height() * 0.1);
    m.lineTo(r.left() + r.width() * 0.35, r.center().y());
    m.lineTo(r.left() + r.width() * 0.6, r.bottom() - r.height() * 0.25);
    m.lineTo(r.right(), r.bottom() - r.height() * 0.1);
    p.fillPath(m, Qt::white);
    if (plus || minus) {
        const QPointF c(r.right(), r.top());
        p.setBrush(plus ? QColor(40, 170, 60) : QColor(200, 50, 40));
        p.setPen(Qt::NoPen);
        p.drawEllipse(c, r.width() * 0.25, r.width() * 0.25);
        p.setPen(glyphPen(Qt::white, r.width() * 0.07));
        p.drawLine(c - QPointF(r.width() * 0.13, 0), c + QPointF(r.width() * 0.13, 0));
        if (plus)
            p.drawLine(c - QPointF(0, r.width() * 0.13), c + QPointF(0, r.width() * 0.13));
    }
}

void house(QPainter &p, const QRectF &r)
{
    QPainterPath h;
    h.moveTo(r.center().x(), r.top());
    h.lineTo(r.right(), r.center().y());
    h.lineTo(r.right() - r.width() * 0.15, r.center().y());
    h.lineTo(r.right() - r.width() * 0.15, r.bottom());
    h.lineTo(r.left() + r.width() * 0.15, r.bottom());
    h.lineTo(r.left() + r.width() * 0.15, r.center().y());
    h.lineTo(r.left(), r.center().y());
    h.closeSubpath();
    p.fillPath(h, Qt::white);
}

QImage logo(int w, int h, bool portable)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(30, 60, 120));
    g.setColorAt(1, QColor(10, 25, 60));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0, 0, w, h), h * 0.2, h * 0.2);
    cloud(p, QRectF(h * 0.15, h * 0.15, h * 1.1, h * 0.75), QColor(235, 245, 255));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(static_cast<int>(h * 0.55));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(h * 1.4, 0, w - h * 1.5, h), Qt::AlignVCenter | Qt::AlignLeft,
               portable ? QStringLiteral("Cirrolith Portable") : QStringLiteral("Cirrolith"));
    return img;
}

// The start-up picture, shown full screen while the catalogue server is asked.
QImage splash()
{
    QImage img(1600, 900, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient sky(QPointF(800, 380), 1000);
    sky.setColorAt(0, QColor(34, 70, 140));
    sky.setColorAt(1, QColor(6, 14, 36));
    p.fillRect(img.rect(), sky);
    // Isobars around a low over the title.
    p.setPen(QPen(QColor(255, 255, 255, 26), 3));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 9; ++i)
        p.drawEllipse(QPointF(800, 400), 140.0 + i * 95, 90.0 + i * 62);
    cloud(p, QRectF(560, 170, 480, 300), QColor(236, 244, 255));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(120);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 500, 1600, 150), Qt::AlignCenter, QStringLiteral("Cirrolith"));
    f.setBold(false);
    f.setPixelSize(38);
    p.setFont(f);
    p.setPen(QColor(170, 195, 235));
    p.drawText(QRectF(0, 650, 1600, 60), Qt::AlignCenter,
               QStringLiteral("Live weather pictures, always current"));
    return img;
}

QImage placeholder(const QString &line1, const QString &line2, const QColor &accent)
{
    QImage img(640, 480, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 480);
    g.setColorAt(0, QColor(30, 36, 48));
    g.setColorAt(1, QColor(8, 10, 16));
    p.fillRect(img.rect(), g);
    cloud(p, QRectF(220, 90, 200, 140), QColor(90, 100, 120));
    p.setPen(glyphPen(accent, 14));
    p.drawLine(QPointF(250, 110), QPointF(390, 230));
    p.drawLine(QPointF(390, 110), QPointF(250, 230));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setBold(true);
    f.setPixelSize(34);
    p.setFont(f);
    p.setPen(QColor(230, 230, 235));
    p.drawText(QRectF(0, 280, 640, 50), Qt::AlignCenter, line1);
    f.setBold(false);
    f.setPixelSize(22);
    p.setFont(f);
    p.setPen(QColor(160, 165, 175));
    p.drawText(QRectF(0, 335, 640, 40), Qt::AlignCenter, line2);
    return img;
}

QImage background(const QColor &top, const QColor &bottom)
{
    // The panel is 7095 x 4555 twips below its tab strip: 473 x 304 pixels at 96 DPI.
    QImage img(473, 304, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, img.height());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillRect(img.rect(), g);
    // Faint isobars, a nod to the weather charts.
    p.setPen(QPen(QColor(255, 255, 255, 28), 2));
    for (int i = 0; i < 6; ++i)
        p.drawEllipse(QPointF(120, 230), 60.0 + i * 45, 40.0 + i * 30);
    return img;
}

QImage connection(bool on)
{
    return tile(on ? QColor(40, 150, 60) : QColor(170, 40, 40), [on](QPainter &p, const QRectF &r) {
        p.setPen(glyphPen(Qt::white, r.width() * 0.1));
        p.setBrush(Qt::NoBrush);
        for (int i = 1; i <= 3; ++i) {
            const double rad = r.width() * 0.3 * i;
            p.drawArc(QRectF(r.center().x() - rad, r.bottom() - rad, rad * 2, rad * 2), 45 * 16,
                      90 * 16);
        }
        if (!on)
            p.drawLine(r.topLeft(), r.bottomRight());
    });
}

// A small arrow pointing left, for "back" links.
QImage arrowBack()
{
    QImage img(20, 26, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath a;
    a.moveTo(2, 13);
    a.lineTo(18, 3);
    a.lineTo(18, 23);
    a.closeSubpath();
    p.fillPath(a, QColor(191, 227, 255));
    return img;
}

bool save(const QImage &img, const QString &path)
{
    if (img.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: cirrolith-artwork OUTDIR PLACEHOLDER.gif\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);

    const QColor blue(40, 90, 170), green(40, 140, 70), red(170, 50, 40), grey(110, 110, 115),
        amber(200, 130, 30), teal(30, 130, 140), violet(110, 70, 160);
    auto text = [](const QString &t) { return [t](QPainter &p, const QRectF &r) { letters(p, r, t); }; };

    const std::vector<std::pair<const char *, QImage>> art = {
        {"confirm", tile(green, play)},
        {"confirm_bw", tile(grey, play)},
        {"exit", tile(red, power)},
        {"exit_bw", tile(grey, power)},
        {"save", tile(blue, disk)},
        {"cleanup", tile(amber, recycle)},
        {"setup", tile(blue, gear)},
        {"wait", tile(grey, hourglass)},
        {"quit", tile(red, power)},
        {"help", tile(teal, questionMark)},
        {"logo", logo(420, 64, false)},
        {"logo_portable", logo(560, 64, true)},
        {"splash", splash()},
        {"connected", connection(true)},
        {"disconnected", connection(false)},
        {"not_available", placeholder(QStringLiteral("Picture not available"),
                                      QStringLiteral("The host did not deliver it"), amber)},
        {"load_error", placeholder(QStringLiteral("Picture cannot be shown"),
                                   QStringLiteral("The file could not be decoded"), red)},
        {"update", tile(amber, text(QStringLiteral("NEW")))},
        {"animation", tile(violet, [](QPainter &p, const QRectF &r) { cloud(p, r); })},
        {"download", tile(blue, arrowDown)},
        {"refresh", tile(teal, clockFace)},
        {"display_mode", tile(violet, screenGlyph)},
        {"add_image", tile(blue, [](QPainter &p, const QRectF &r) { picture(p, r, true, false); })},
        {"remove_image", tile(blue, [](QPainter &p, const QRectF &r) { picture(p, r, false, true); })},
        {"backup", tile(green, disk)},
        {"load_collection", tile(teal, arrowDown)},
        {"town", tile(amber, house)},
        {"about", tile(grey, text(QStringLiteral("i")))},
        {"language", tile(violet, text(QStringLiteral("Aa")))},
        {"remote_help", tile(teal, questionMark)},
        {"timers", tile(blue, clockFace)},
        {"pictures", tile(green, [](QPainter &p, const QRectF &r) { picture(p, r, false, false); })},
        {"run_exit", tile(red, play)},
        {"tools", tile(grey, gear)},
        {"little_timers", tile(blue, clockFace, 32)},
        {"little_pictures", tile(green, [](QPainter &p, const QRectF &r) { picture(p, r, false, false); }, 32)},
        {"little_run", tile(red, play, 32)},
        {"bg_timers", background(QColor(30, 60, 110), QColor(12, 24, 50))},
        {"bg_pictures", background(QColor(30, 90, 70), QColor(10, 36, 28))},
        {"bg_runexit", background(QColor(100, 40, 40), QColor(40, 14, 14))},
        {"bg_tools", background(QColor(60, 60, 70), QColor(20, 20, 26))},
        {"app_icon", tile(blue, [](QPainter &p, const QRectF &r) { cloud(p, r); }, 128)},
        {"arrow_back", arrowBack()},
        {"clear_list", tile(amber, [](QPainter &p, const QRectF &r) {
             // A list with a cross over it.
             p.setPen(glyphPen(Qt::white, r.width() * 0.1));
             for (int i = 0; i < 3; ++i)
                 p.drawLine(QPointF(r.left(), r.top() + r.height() * (0.15 + 0.3 * i)),
                            QPointF(r.right(), r.top() + r.height() * (0.15 + 0.3 * i)));
             p.setPen(glyphPen(QColor(200, 40, 30), r.width() * 0.14));
             p.drawLine(r.topLeft(), r.bottomRight());
             p.drawLine(r.topRight(), r.bottomLeft());
         }, 48)},
    };
    bool ok = true;
    for (const auto &[name, img] : art)
        ok = save(img, out + u'/' + QString::fromLatin1(name) + QStringLiteral(".png")) && ok;

    QFile gif(QString::fromLocal8Bit(argv[2]));
    const QImage notAvailable = placeholder(QStringLiteral("Picture not available"),
                                            QStringLiteral("The host did not deliver it"), amber);
    if (!gif.open(QIODevice::WriteOnly) || gif.write(encodeGif(notAvailable)) < 0) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        ok = false;
    }
    return ok ? 0 : 1;
}
