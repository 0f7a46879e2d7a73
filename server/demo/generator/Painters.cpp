#include "Painters.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QtMath>

namespace cirrolith::demo {

namespace {

quint32 seedFor(const QString &name)
{
    quint32 h = 2166136261u;   // FNV-1a: stable across runs, unlike qHash
    for (QChar c : name) {
        h ^= c.unicode();
        h *= 16777619u;
    }
    return h;
}

QPainterPath blob(QRandomGenerator &rng, QPointF centre, double radius, int points = 18, double rough = 0.35)
{
    QPainterPath path;
    for (int i = 0; i <= points; ++i) {
        double a = 2 * M_PI * (i % points) / points;
        double r = radius * (1.0 - rough / 2 + rough * rng.generateDouble());
        QPointF p(centre.x() + r * std::cos(a), centre.y() + r * std::sin(a) * 0.8);
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    return path;
}

QString stamp(const QString &name, int frame)
{
    int minutes = 12 * 60 + frame * 10 + static_cast<int>(seedFor(name) % 6) * 60;
    return QStringLiteral("2025-01-15 %1:%2 UTC")
        .arg(minutes / 60 % 24, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

void banner(QPainter &p, const QSize &size, const QString &left, const QString &right, bool smooth)
{
    QFont f(QStringLiteral("DejaVu Sans"), 11, QFont::Bold);
    if (!smooth)
        f.setStyleStrategy(QFont::NoAntialias);
    p.setFont(f);
    p.fillRect(0, 0, size.width(), 24, QColor(10, 20, 40));
    p.setPen(QColor(240, 240, 200));
    p.drawText(QRect(8, 0, size.width() - 16, 24), Qt::AlignVCenter | Qt::AlignLeft, left);
    p.drawText(QRect(8, 0, size.width() - 16, 24), Qt::AlignVCenter | Qt::AlignRight, right);
}

// A fixed "continent" layout per picture, shared by every frame of a loop.
QList<QPainterPath> landMasses(quint32 seed, const QSize &size)
{
    QRandomGenerator rng(seed);
    QList<QPainterPath> land;
    int n = 3 + static_cast<int>(rng.bounded(3));
    for (int i = 0; i < n; ++i)
        land.append(blob(rng, QPointF(rng.bounded(size.width()), 40 + rng.bounded(size.height() - 40)),
                         size.width() * (0.12 + 0.15 * rng.generateDouble()), 28, 0.45));
    return land;
}

QImage satellite(const QString &name, int frame, int frames)
{
    const quint32 seed = seedFor(name);
    const bool infrared = name.contains(QLatin1String("ir")) || name.contains(QLatin1String("infrared")) ||
                          name.contains(QLatin1String("vapour")) || name.contains(QLatin1String("night"));
    QSize size = name.contains(QLatin1String("europe-visible")) ? QSize(1280, 960) : QSize(800, 600);
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sea(0, 0, 0, size.height());
    sea.setColorAt(0, infrared ? QColor(40, 40, 40) : QColor(10, 30, 80));
    sea.setColorAt(1, infrared ? QColor(70, 70, 70) : QColor(20, 60, 120));
    p.fillRect(img.rect(), sea);

    for (const auto &land : landMasses(seed, size)) {
        p.setPen(QPen(infrared ? QColor(150, 150, 150) : QColor(200, 190, 120), 1.5));
        p.setBrush(infrared ? QColor(105, 105, 105) : QColor(70, 110, 50));
        p.drawPath(land);
    }

    // Cloud bands drift eastwards from frame to frame.
    QRandomGenerator rng(seed ^ 0x5a5a5a5au);
    const double drift = frames > 1 ? frame * size.width() * 0.03 : 0;
    for (int band = 0; band < 5; ++band) {
        double y = 60 + rng.bounded(size.height() - 80);
        double x = rng.bounded(size.width());
        for (int i = 0; i < 14; ++i) {
            QPointF c(std::fmod(x + i * 28 + drift, size.width() + 100) - 50, y + 30 * std::sin(i * 0.5 + band));
            double r = 20 + rng.bounded(30);
            QRadialGradient g(c, r);
            int bright = infrared ? 255 : 245;
            g.setColorAt(0, QColor(bright, bright, bright, 210));
            g.setColorAt(1, QColor(bright, bright, bright, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(g);
            p.drawEllipse(c, r * 1.6, r);
        }
    }

    p.setPen(QPen(QColor(255, 255, 255, 60), 1));
    for (int x = 0; x < size.width(); x += size.width() / 10)
        p.drawLine(x, 24, x, size.height());
    for (int y = 24; y < size.height(); y += size.height() / 8)
        p.drawLine(0, y, size.width(), y);

    banner(p, size, QStringLiteral("CIRROLITH DEMO SAT  %1").arg(infrared ? QStringLiteral("IR 10.8") : QStringLiteral("VIS 0.6")),
           stamp(name, frame), true);
    return img;
}

QImage radar(const QString &name, int frame, int frames)
{
    const quint32 seed = seedFor(name);
    const QSize size(640, 480);
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    // Hard edges keep the colour count low enough for an exact GIF palette.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillRect(img.rect(), QColor(214, 208, 190));
    for (const auto &land : landMasses(seed, size)) {
        p.setPen(QPen(QColor(120, 120, 110), 1));
        p.setBrush(QColor(190, 200, 170));
        p.drawPath(land);
    }

    const QPointF site(size.width() * 0.5, size.height() * 0.55);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(90, 90, 90), 1, Qt::DashLine));
    for (int r = 60; r <= 240; r += 60)
        p.drawEllipse(site, r, r);

    static const QColor scale[] = {QColor(120, 170, 255), QColor(40, 90, 230), QColor(30, 180, 60),
                                   QColor(250, 230, 40), QColor(250, 140, 20), QColor(220, 20, 20)};
    QRandomGenerator rng(seed ^ 0x1234567u);
    const QPointF move = frames > 1 ? QPointF(frame * 9.0, -frame * 3.0) : QPointF();
    const int cells = 4 + static_cast<int>(rng.bounded(4));
    for (int c = 0; c < cells; ++c) {
        QPointF centre(rng.bounded(size.width()), 60 + rng.bounded(size.height() - 120));
        double radius = 25 + rng.bounded(45);
        // Cells grow and decay over the loop.
        double life = frames > 1 ? 0.7 + 0.3 * std::sin((frame + c) * 2 * M_PI / frames) : 1.0;
        QRandomGenerator shape(seed + static_cast<quint32>(c));
        for (int level = 0; level < 6; ++level) {
            double r = radius * life * (1.0 - level * 0.15);
            if (r < 4)
                break;
            QRandomGenerator s2(shape);
            p.setPen(Qt::NoPen);
            p.setBrush(scale[level]);
            p.drawPath(blob(s2, centre + move, r, 14, 0.5));
        }
    }

    p.setPen(QColor(0, 0, 0));
    p.setBrush(QColor(0, 0, 0));
    p.drawRect(QRectF(site - QPointF(3, 3), QSizeF(6, 6)));

    for (int i = 0; i < 6; ++i) {
        p.fillRect(size.width() - 150 + i * 22, size.height() - 22, 22, 14, scale[i]);
    }
    QFont f(QStringLiteral("DejaVu Sans"), 8);
    f.setStyleStrategy(QFont::NoAntialias);
    p.setFont(f);
    p.setPen(QColor(0, 0, 0));
    p.drawText(size.width() - 150, size.height() - 26, QStringLiteral("0.1   1    4   10   30  mm/h"));
    banner(p, size, QStringLiteral("CIRROLITH DEMO RADAR"), stamp(name, frame), false);
    return img;
}

QImage synopticChart(const QString &name, int frame)
{
    const quint32 seed = seedFor(name);
    const QSize size(800, 560);
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(img.rect(), QColor(250, 250, 245));
    for (const auto &land : landMasses(seed, size)) {
        p.setPen(QPen(QColor(150, 150, 150), 1));
        p.setBrush(QColor(235, 235, 225));
        p.drawPath(land);
    }

    QRandomGenerator rng(seed);
    struct Centre { QPointF at; bool high; };
    // A high to the south-west and a low to the north-east, as on most days.
    QList<Centre> centres{{QPointF(180 + rng.bounded(80), 330 + rng.bounded(80)), true},
                          {QPointF(540 + rng.bounded(100), 170 + rng.bounded(60)), false}};
    QFont big(QStringLiteral("DejaVu Sans"), 22, QFont::Bold);
    QFont small(QStringLiteral("DejaVu Sans"), 8);
    for (const auto &c : centres) {
        int pressure = c.high ? 1032 : 988;
        for (int ring = 1; ring <= 6; ++ring) {
            QRandomGenerator rr(seed + static_cast<quint32>(ring));
            p.setPen(QPen(QColor(60, 60, 60), 1.2));
            p.setBrush(Qt::NoBrush);
            p.drawPath(blob(rr, c.at, ring * 32.0, 24, 0.15));
            p.setFont(small);
            p.drawText(c.at + QPointF(ring * 22.6 - 8, ring * 22.6), QString::number(pressure + (c.high ? -4 : 4) * ring));
        }
        p.setFont(big);
        p.setPen(c.high ? QColor(30, 60, 200) : QColor(200, 30, 30));
        p.drawText(QRectF(c.at - QPointF(20, 20), QSizeF(40, 40)), Qt::AlignCenter, c.high ? QStringLiteral("H") : QStringLiteral("L"));
    }

    // A cold and a warm front running out of the first low.
    QPointF low = centres[1].at;
    for (int kind = 0; kind < 2; ++kind) {
        QPainterPath front(low);
        QPointF a = low;
        QList<QPointF> marks;
        for (int i = 1; i <= 6; ++i) {
            QPointF b = low + QPointF((kind ? 45.0 : -25.0) * i, (kind ? 10.0 : 40.0) * i + 10 * std::sin(i));
            front.quadTo((a + b) / 2 + QPointF(8, -8), b);
            marks.append(b);
            a = b;
        }
        QColor colour = kind ? QColor(220, 30, 30) : QColor(30, 60, 220);
        p.setPen(QPen(colour, 3));
        p.setBrush(Qt::NoBrush);
        p.drawPath(front);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        for (const auto &m : marks) {
            if (kind)
                p.drawPie(QRectF(m - QPointF(7, 7), QSizeF(14, 14)), 0, 180 * 16);
            else
                p.drawPolygon(QPolygonF({m + QPointF(-7, 0), m + QPointF(7, 0), m + QPointF(0, -12)}));
        }
    }
    banner(p, size, QStringLiteral("CIRROLITH DEMO SURFACE ANALYSIS"), stamp(name, frame), true);
    return img;
}

QImage lineChart(const QString &name, int frame)
{
    const quint32 seed = seedFor(name);
    const QSize size(800, 500);
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    const bool gifFriendly = name.endsWith(QLatin1String(".gif"));
    p.setRenderHint(QPainter::Antialiasing, !gifFriendly);
    p.fillRect(img.rect(), Qt::white);

    const QRect plot(70, 50, size.width() - 110, size.height() - 110);
    p.setPen(QColor(225, 225, 225));
    for (int i = 0; i <= 10; ++i)
        p.drawLine(plot.left(), plot.top() + plot.height() * i / 10, plot.right(), plot.top() + plot.height() * i / 10);
    for (int i = 0; i <= 24; i += 3)
        p.drawLine(plot.left() + plot.width() * i / 24, plot.top(), plot.left() + plot.width() * i / 24, plot.bottom());

    QRandomGenerator rng(seed);
    QFont f(QStringLiteral("DejaVu Sans"), 8);
    if (gifFriendly)
        f.setStyleStrategy(QFont::NoAntialias);
    p.setFont(f);

    // Precipitation bars under a temperature curve, a day in hourly steps.
    for (int h = 0; h < 24; ++h) {
        double rain = std::max(0.0, std::sin(h * 0.5 + seed % 7) * 6 + rng.bounded(3.0) - 2);
        int bh = static_cast<int>(rain / 10.0 * plot.height());
        p.fillRect(plot.left() + plot.width() * h / 24 + 3, plot.bottom() - bh, plot.width() / 24 - 6, bh, QColor(80, 140, 230));
    }
    QPolygonF temp;
    double base = 2 + static_cast<int>(seed % 15);
    for (int h = 0; h <= 24; ++h) {
        double t = base + 6 * std::sin((h - 9) * M_PI / 12) + rng.bounded(1.0);
        temp.append(QPointF(plot.left() + plot.width() * h / 24.0, plot.bottom() - (t + 10) / 40.0 * plot.height()));
    }
    p.setPen(QPen(QColor(220, 50, 30), 3));
    p.drawPolyline(temp);

    p.setPen(Qt::black);
    p.drawRect(plot);
    for (int i = 0; i <= 4; ++i)
        p.drawText(QRect(10, plot.bottom() - plot.height() * i / 4 - 8, 55, 16), Qt::AlignRight, QStringLiteral("%1 C").arg(-10 + i * 10));
    for (int h = 0; h <= 24; h += 3)
        p.drawText(QRect(plot.left() + plot.width() * h / 24 - 20, plot.bottom() + 4, 40, 16), Qt::AlignCenter, QStringLiteral("%1h").arg(h));
    banner(p, size, QStringLiteral("CIRROLITH DEMO METEOGRAM"), stamp(name, frame), !gifFriendly);
    return img;
}

QImage webcam(const QString &name, int frame)
{
    const quint32 seed = seedFor(name);
    QSize size = name.contains(QLatin1String("mountain")) ? QSize(1024, 576) : QSize(640, 480);
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator rng(seed);
    const int hour = 6 + static_cast<int>(seed % 14);
    const bool dusk = hour >= 17;

    QLinearGradient sky(0, 0, 0, size.height() * 0.6);
    sky.setColorAt(0, dusk ? QColor(40, 30, 90) : QColor(70, 140, 220));
    sky.setColorAt(1, dusk ? QColor(250, 140, 70) : QColor(190, 220, 245));
    p.fillRect(img.rect(), sky);

    QPointF sun(size.width() * (0.2 + 0.6 * rng.generateDouble()), size.height() * (dusk ? 0.5 : 0.18));
    QRadialGradient glow(sun, 60);
    glow.setColorAt(0, QColor(255, 250, 210));
    glow.setColorAt(1, QColor(255, 250, 210, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(sun, 60, 60);

    for (int i = 0; i < 6; ++i) {
        QPointF c(rng.bounded(size.width()), 30 + rng.bounded(size.height() / 3));
        p.setBrush(QColor(255, 255, 255, 170));
        for (int k = 0; k < 5; ++k)
            p.drawEllipse(c + QPointF(k * 18, (k % 2) * -8), 26, 16);
    }

    QPolygonF hills;
    hills << QPointF(0, size.height());
    for (int x = 0; x <= size.width(); x += 40)
        hills << QPointF(x, size.height() * 0.55 - rng.bounded(size.height() / 4));
    hills << QPointF(size.width(), size.height());
    p.setBrush(QColor(80, 95, 110));
    p.drawPolygon(hills);

    const bool water = name.contains(QLatin1String("harbour")) || name.contains(QLatin1String("lake")) ||
                       name.contains(QLatin1String("beach"));
    QRectF ground(0, size.height() * 0.7, size.width(), size.height() * 0.3);
    p.fillRect(ground, water ? QColor(40, 90, 130) : QColor(70, 120, 60));
    if (water) {
        p.setPen(QPen(QColor(200, 220, 240, 120), 2));
        for (int i = 0; i < 30; ++i) {
            double y = ground.top() + rng.bounded(ground.height());
            double x = rng.bounded(size.width());
            p.drawLine(QPointF(x, y), QPointF(x + 20 + rng.bounded(30), y));
        }
    } else {
        for (int i = 0; i < 8; ++i) {
            double w = 40 + rng.bounded(50), h = 60 + rng.bounded(120);
            double x = rng.bounded(size.width() - 60);
            QRectF b(x, ground.top() - h + 20, w, h);
            p.fillRect(b, QColor(120 + rng.bounded(60), 110, 100));
            for (double wy = b.top() + 8; wy < b.bottom() - 10; wy += 16)
                for (double wx = b.left() + 6; wx < b.right() - 8; wx += 12)
                    p.fillRect(QRectF(wx, wy, 6, 8), dusk ? QColor(255, 220, 120) : QColor(60, 70, 90));
        }
    }

    // Sensor noise, as cheap webcams have.
    QRandomGenerator noise(seed ^ 0xfeedu);
    for (int i = 0; i < size.width() * size.height() / 40; ++i) {
        int x = static_cast<int>(noise.bounded(size.width())), y = static_cast<int>(noise.bounded(size.height()));
        QRgb c = img.pixel(x, y);
        int d = static_cast<int>(noise.bounded(30)) - 15;
        img.setPixel(x, y, qRgb(qBound(0, qRed(c) + d, 255), qBound(0, qGreen(c) + d, 255), qBound(0, qBlue(c) + d, 255)));
    }

    QFont f(QStringLiteral("DejaVu Sans Mono"), 12, QFont::Bold);
    p.setFont(f);
    p.setPen(Qt::black);
    QString label = QStringLiteral("CAM %1  2025-01-15 %2:%3")
                        .arg(seed % 90 + 10)
                        .arg(hour, 2, 10, QLatin1Char('0'))
                        .arg(frame * 5 % 60, 2, 10, QLatin1Char('0'));
    p.drawText(QPointF(11, size.height() - 11), label);
    p.setPen(Qt::white);
    p.drawText(QPointF(10, size.height() - 12), label);
    return img;
}

} // namespace

Style styleForFolder(const QString &folder)
{
    if (folder == QLatin1String("radar"))
        return Style::Radar;
    if (folder == QLatin1String("chart"))
        return Style::Chart;
    if (folder == QLatin1String("cam"))
        return Style::Webcam;
    return Style::Satellite;
}

QImage drawPicture(Style style, const QString &name, int frame, int frames)
{
    switch (style) {
    case Style::Radar:
        return radar(name, frame, frames);
    case Style::Chart:
        return name.contains(QLatin1String("meteogram")) || name.contains(QLatin1String("trend"))
                   ? lineChart(name, frame)
                   : synopticChart(name, frame);
    case Style::Webcam:
        return webcam(name, frame);
    case Style::Satellite:
        break;
    }
    return satellite(name, frame, frames);
}

} // namespace cirrolith::demo
