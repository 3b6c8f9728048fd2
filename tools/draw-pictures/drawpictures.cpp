// Draws every picture the window uses: the four status lamps, the program icon and the line
// icons of the tabs and buttons. All of them are vector drawings made here, so the set stays
// consistent and can be redrawn at another size or in another colour in one go.
//
// Built as arvex-draw-pictures; run it from the repository root after changing a drawing:
//   QT_QPA_PLATFORM=offscreen build/bin/arvex-draw-pictures src/asset/assert
// The build runs it with --icon for the installed program icon (packaging/).
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <QtMath>

#include <functional>

namespace {

constexpr int IconSize = 64;
const QColor Stroke(236, 236, 236);
const QColor Accent(64, 164, 255);

QImage canvas(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void prepare(QPainter &p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(IconSize / 64.0, IconSize / 64.0); // every icon is drawn on a 64 x 64 grid
}

QPen linePen(const QColor &color = Stroke, qreal width = 4.5)
{
    return QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A lamp: a ball with a dark rim, a soft body gradient and a highlight towards the upper left.
QImage ball(const QColor &base)
{
    QImage image = canvas(64);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body(4, 4, 56, 56);

    p.setPen(Qt::NoPen);
    p.setBrush(base.darker(260));
    p.drawEllipse(body);

    QRadialGradient shade(QPointF(26, 24), 36, QPointF(24, 20));
    shade.setColorAt(0.0, base.lighter(135));
    shade.setColorAt(0.55, base);
    shade.setColorAt(1.0, base.darker(170));
    p.setBrush(shade);
    p.drawEllipse(body.adjusted(2.5, 2.5, -2.5, -2.5));

    QRadialGradient shine(QPointF(24, 19), 16);
    shine.setColorAt(0.0, QColor(255, 255, 255, 210));
    shine.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setBrush(shine);
    p.drawEllipse(QRectF(10, 7, 30, 22));
    return image;
}

// The battery outline shared by the program icon and the title picture.
void battery(QPainter &p, const QColor &outline, const QColor &fill)
{
    p.setPen(linePen(outline, 4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(8, 18, 44, 28), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(outline);
    p.drawRoundedRect(QRectF(53, 26, 5, 12), 1.5, 1.5);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(13, 23, 24, 18), 2, 2);
}

void drawRealdata(QPainter &p)
{
    battery(p, Stroke, Accent);
    QPainterPath bolt; // a small flash across the charge bar
    bolt.moveTo(33, 20);
    bolt.lineTo(24, 33);
    bolt.lineTo(31, 33);
    bolt.lineTo(27, 44);
    bolt.lineTo(38, 29);
    bolt.lineTo(31, 29);
    bolt.closeSubpath();
    p.setPen(QPen(QColor(44, 44, 44), 1.5));
    p.setBrush(QColor(255, 214, 64));
    p.drawPath(bolt);
}

// The tick of a checked box in the top bar.
void drawCheck(QPainter &p)
{
    p.setPen(linePen(Stroke, 9));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({ QPointF(13, 33), QPointF(27, 47), QPointF(51, 18) }));
}

void drawAbout(QPainter &p)
{
    p.setPen(linePen());
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(8, 8, 48, 48));
    p.setPen(linePen(Accent, 6));
    p.drawPoint(QPointF(32, 21));
    p.setPen(linePen(Stroke, 5));
    p.drawLine(QPointF(32, 30), QPointF(32, 45));
}

void drawOutinfo(QPainter &p)
{
    p.setPen(linePen());
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(7, 11, 50, 42), 5, 5);
    p.drawLine(QPointF(7, 21), QPointF(57, 21));
    p.setPen(linePen(Accent));
    p.drawPolyline(QPolygonF({ QPointF(16, 30), QPointF(23, 36), QPointF(16, 42) }));
    p.drawLine(QPointF(28, 43), QPointF(42, 43));
}

void drawMaininfo(QPainter &p)
{
    p.setPen(linePen());
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({ QPointF(6, 31), QPointF(32, 8), QPointF(58, 31) }));
    p.drawPolyline(
        QPolygonF({ QPointF(14, 25), QPointF(14, 56), QPointF(50, 56), QPointF(50, 25) }));
    p.setPen(linePen(Accent));
    p.drawRoundedRect(QRectF(26, 38, 12, 18), 2, 2);
}

void drawGetter(QPainter &p)
{
    p.setPen(linePen());
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(10, 6, 44, 52), 5, 5);
    for (int i = 0; i < 4; ++i) {
        const qreal y = 18 + i * 10;
        p.setPen(linePen(Accent));
        p.drawPoint(QPointF(19, y));
        p.setPen(linePen(Stroke, 4));
        p.drawLine(QPointF(27, y), QPointF(45, y));
    }
}

void drawConfset(QPainter &p)
{
    // a gear: eight teeth around a ring
    QPainterPath gear;
    const QPointF c(32, 32);
    const int teeth = 8;
    for (int i = 0; i < teeth * 4; ++i) {
        const qreal a = (i * 2 * M_PI) / (teeth * 4) - M_PI / (teeth * 4);
        const qreal r = (i % 4 == 1 || i % 4 == 2) ? 26 : 19.5;
        const QPointF pt(c.x() + r * qCos(a), c.y() + r * qSin(a));
        if (i == 0)
            gear.moveTo(pt);
        else
            gear.lineTo(pt);
    }
    gear.closeSubpath();
    p.setPen(linePen(Stroke, 4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(gear);
    p.setPen(linePen(Accent, 4.5));
    p.drawEllipse(c, 7.5, 7.5);
}

void drawMoreinfo(QPainter &p)
{
    p.setPen(linePen());
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({ QPointF(8, 8), QPointF(8, 56), QPointF(58, 56) }));
    p.setPen(linePen(Accent));
    p.drawPolyline(QPolygonF(
        { QPointF(14, 44), QPointF(24, 30), QPointF(33, 38), QPointF(43, 18), QPointF(55, 26) }));
}

void drawTrends(QPainter &p)
{
    // two curves over a time axis, with a clock: values over hours
    p.setPen(linePen());
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({ QPointF(8, 20), QPointF(8, 56), QPointF(58, 56) }));
    QPainterPath wave;
    wave.moveTo(13, 44);
    wave.cubicTo(QPointF(21, 24), QPointF(29, 24), QPointF(35, 38));
    wave.cubicTo(QPointF(41, 52), QPointF(49, 50), QPointF(56, 34));
    p.setPen(linePen(Accent));
    p.drawPath(wave);
    p.setPen(linePen(QColor(255, 176, 0), 3.5));
    p.drawPolyline(
        QPolygonF({ QPointF(13, 50), QPointF(30, 46), QPointF(44, 47), QPointF(56, 44) }));
    p.setPen(linePen(Stroke, 3.5));
    p.drawEllipse(QPointF(47, 15), 10, 10);
    p.drawPolyline(QPolygonF({ QPointF(47, 9), QPointF(47, 15), QPointF(52, 18) }));
}

void drawPacks(QPainter &p)
{
    // four packs side by side, one of them in focus: the overview of a bank
    p.setBrush(Qt::NoBrush);
    const QRectF cells[] = { QRectF(7, 8, 22, 21), QRectF(35, 8, 22, 21), QRectF(7, 36, 22, 21),
                             QRectF(35, 36, 22, 21) };
    for (int i = 0; i < 4; ++i) {
        p.setPen(linePen(i == 0 ? Accent : Stroke, 3.5));
        p.drawRoundedRect(cells[i], 3, 3);
        p.setPen(linePen(i == 0 ? Accent : Stroke, 4));
        const qreal level = cells[i].bottom() - 5 - (i == 3 ? 4 : 9 - i);
        p.drawLine(QPointF(cells[i].left() + 6, level), QPointF(cells[i].right() - 6, level));
    }
}

void drawOtg(QPainter &p)
{
    // a chip with a download arrow: firmware maintenance
    p.setPen(linePen());
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(14, 14, 36, 36), 4, 4);
    for (int i = 0; i < 3; ++i) {
        const qreal k = 23 + i * 9;
        p.drawLine(QPointF(k, 5), QPointF(k, 10));
        p.drawLine(QPointF(k, 54), QPointF(k, 59));
        p.drawLine(QPointF(5, k), QPointF(10, k));
        p.drawLine(QPointF(54, k), QPointF(59, k));
    }
    p.setPen(linePen(Accent));
    p.drawLine(QPointF(32, 21), QPointF(32, 40));
    p.drawPolyline(QPolygonF({ QPointF(25, 34), QPointF(32, 41), QPointF(39, 34) }));
}

void drawUpdate(QPainter &p)
{
    // two arrows chasing each other round a circle
    p.setBrush(Qt::NoBrush);
    const QRectF r(11, 11, 42, 42);
    p.setPen(linePen(Stroke, 5));
    p.drawArc(r, 30 * 16, 140 * 16);
    p.setPen(linePen(Accent, 5));
    p.drawArc(r, 210 * 16, 140 * 16);
    auto head = [&](qreal deg, const QColor &color) {
        const qreal a = qDegreesToRadians(deg);
        const QPointF tip(32 + 21 * qCos(a), 32 - 21 * qSin(a));
        // tangent direction for a counter-clockwise sweep
        const QPointF t(-qSin(a), -qCos(a));
        const QPointF n(qCos(a), -qSin(a));
        QPolygonF tri({ tip + t * 8, tip - n * 7, tip + n * 7 });
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawPolygon(tri);
    };
    head(170, Stroke);
    head(350, Accent);
}

void drawProtect(QPainter &p)
{
    QPainterPath shield;
    shield.moveTo(32, 6);
    shield.lineTo(54, 14);
    shield.cubicTo(54, 36, 46, 50, 32, 58);
    shield.cubicTo(18, 50, 10, 36, 10, 14);
    shield.closeSubpath();
    p.setPen(linePen());
    p.setBrush(Qt::NoBrush);
    p.drawPath(shield);
    p.setPen(linePen(Accent, 5));
    p.drawPolyline(QPolygonF({ QPointF(22, 32), QPointF(29, 39), QPointF(42, 24) }));
}

void drawAlert(QPainter &p)
{
    QPainterPath bell;
    bell.moveTo(12, 46);
    bell.cubicTo(17, 40, 17, 34, 17, 28);
    bell.cubicTo(17, 18, 24, 11, 32, 11);
    bell.cubicTo(40, 11, 47, 18, 47, 28);
    bell.cubicTo(47, 34, 47, 40, 52, 46);
    bell.closeSubpath();
    p.setPen(linePen());
    p.setBrush(Qt::NoBrush);
    p.drawPath(bell);
    p.drawLine(QPointF(32, 5), QPointF(32, 10));
    p.setPen(linePen(Accent, 5));
    p.drawArc(QRectF(25, 45, 14, 12), 200 * 16, 140 * 16);
}

void drawModfine(QPainter &p)
{
    // three sliders
    const qreal knobs[3] = { 22, 42, 30 };
    for (int i = 0; i < 3; ++i) {
        const qreal y = 14 + i * 18;
        p.setPen(linePen());
        p.drawLine(QPointF(8, y), QPointF(56, y));
        p.setPen(linePen(Accent, 4));
        p.setBrush(QColor(44, 44, 44));
        p.drawEllipse(QPointF(knobs[i], y), 6, 6);
    }
}

// The program icon, drawn on the 64 x 64 grid and scaled to size pixels.
QImage logo(int size = 64)
{
    QImage image = canvas(size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient bg(0, 0, 0, 64);
    bg.setColorAt(0, QColor(0, 120, 220));
    bg.setColorAt(1, QColor(0, 80, 170));
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(1, 1, 62, 62), 12, 12);
    battery(p, QColor(255, 255, 255), QColor(120, 230, 120));
    return image;
}

bool save(const QImage &image, const QString &path, const char *format)
{
    QImageWriter writer(path, format);
    if (!writer.write(image)) {
        QTextStream(stderr) << path << ": " << writer.errorString() << '\n';
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    // The program icon alone, as a PNG of one size, for the desktop's icon theme.
    if (argc == 4 && qstrcmp(argv[1], "--icon") == 0) {
        bool ok = false;
        const int size = QByteArray(argv[2]).toInt(&ok);
        if (!ok || size < 16 || size > 1024) {
            QTextStream(stderr) << "icon size " << argv[2] << ": 16 to 1024 pixels\n";
            return 2;
        }
        return save(logo(size), QString::fromLocal8Bit(argv[3]), "png") ? 0 : 1;
    }
    if (argc != 2) {
        QTextStream(stderr) << "usage: drawpictures <output folder>\n"
                               "       drawpictures --icon <size> <file.png>\n";
        return 2;
    }
    QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("."))) {
        QTextStream(stderr) << "cannot create " << out.path() << '\n';
        return 1;
    }

    bool ok = true;
    const struct
    {
        const char *name;
        QColor color;
    } lamps[] = {
        { "NO", QColor(128, 128, 128) },
        { "Pas", QColor(40, 200, 70) },
        { "Warning", QColor(255, 176, 0) },
        { "Err", QColor(232, 48, 48) },
    };
    for (const auto &lamp : lamps)
        ok &= save(ball(lamp.color), out.filePath(QString::fromLatin1(lamp.name) + ".png"), "png");

    const struct
    {
        const char *name;
        std::function<void(QPainter &)> draw;
    } icons[] = {
        { "realdata", drawRealdata },     { "about2", drawAbout },  { "outinfo", drawOutinfo },
        { "maininfo", drawMaininfo },     { "getter", drawGetter }, { "confset2", drawConfset },
        { "moreinfo", drawMoreinfo },     { "otg2", drawOtg },      { "update", drawUpdate },
        { "protectconfig", drawProtect }, { "alert", drawAlert },   { "modfine", drawModfine },
        { "check", drawCheck },           { "trends", drawTrends }, { "packs", drawPacks },
    };
    for (const auto &icon : icons) {
        QImage image = canvas(IconSize);
        QPainter p(&image);
        prepare(p);
        icon.draw(p);
        p.end();
        ok &= save(image, out.filePath(QString::fromLatin1(icon.name) + ".png"), "png");
    }

    ok &= save(logo(), out.filePath(QStringLiteral("logo.ico")), "ico");
    return ok ? 0 : 1;
}
