#include "packtile.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// The window's dark look: the panels of the trends page, the blue of the selected tab.
const QColor Background(0x3a, 0x3a, 0x3a);
const QColor Frame(0x55, 0x55, 0x55);
const QColor FocusFrame(0x1e, 0x88, 0xe5);
const QColor KeyboardRing(0xff, 0xff, 0xff);
const QColor Text(0xe8, 0xe8, 0xe8);
const QColor Dim(0x90, 0x90, 0x90);
const QColor Greyed(0x78, 0x78, 0x78);
const QColor BarTrack(0x55, 0x55, 0x55);
const QColor BarFill(0x2a, 0x9f, 0xd6);
const QColor Charging(0x4c, 0xaf, 0x50);
const QColor Discharging(0xff, 0xb3, 0x00);
const QColor LampOk(0x43, 0xa0, 0x47);
const QColor LampAlarm(0xff, 0xb3, 0x00);
const QColor LampProtection(0xe5, 0x39, 0x35);

constexpr int Padding = 8;
constexpr int TitleGap = 7; // below the title line
constexpr int BarGap = 6; // below the state of charge
constexpr int LineGap = 3;

// The tile's type, a little smaller than the window's so that four rows of four fit, and the
// title's, larger and bold.
QFont bodyFont(const QFont &widgetFont)
{
    QFont body = widgetFont;
    if (body.pointSizeF() > 0)
        body.setPointSizeF(body.pointSizeF() * 0.9);
    else
        body.setPixelSize(qMax(8, body.pixelSize() * 9 / 10));
    return body;
}

QFont titleFont(const QFont &widgetFont)
{
    QFont title = bodyFont(widgetFont);
    if (title.pointSizeF() > 0)
        title.setPointSizeF(title.pointSizeF() * 1.25);
    else
        title.setPixelSize(title.pixelSize() * 5 / 4);
    title.setBold(true);
    return title;
}

QString silenceText(int ms, const QLocale &locale)
{
    const int seconds = ms / 1000;
    if (seconds < 120)
        return QCoreApplication::translate("MainWindow", "%1 s 无应答")
            .arg(locale.toString(seconds));
    if (seconds < 7200)
        return QCoreApplication::translate("MainWindow", "%1 min 无应答")
            .arg(locale.toString(seconds / 60));
    return QCoreApplication::translate("MainWindow", "%1 h 无应答")
        .arg(locale.toString(seconds / 3600));
}

} // namespace

PackTile::PackTile(int address, QWidget *parent)
    : QWidget(parent)
{
    m_pack.address = address;
    setObjectName(QStringLiteral("overview_pack_%1").arg(address, 2, 10, QLatin1Char('0')));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    // Painted whole each time: nothing beneath it needs to be drawn first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PackTile::setPack(const PackSummary::Pack &pack)
{
    m_pack = pack;
    m_hasData = true;
}

void PackTile::setLink(int timeouts, int roundTripMs)
{
    if (timeouts == m_timeouts && roundTripMs == m_roundTripMs)
        return;
    m_timeouts = timeouts;
    m_roundTripMs = roundTripMs;
    update();
}

void PackTile::setSilence(int silentMs)
{
    // Repainted when the shown time changes, not at every look.
    const bool changed = (silentMs < 0) != (m_silentMs < 0)
        || (silentMs >= 0 && silenceText(silentMs, m_locale) != silenceText(m_silentMs, m_locale));
    m_silentMs = silentMs;
    if (changed)
        update();
}

void PackTile::setWeakCell(int cell)
{
    if (cell == m_weakCell)
        return;
    m_weakCell = cell;
    setToolTip(cell > 0 ? QCoreApplication::translate("MainWindow", "电芯 %1 内阻偏高").arg(cell)
                        : QString());
    update();
}

void PackTile::setFocused(bool focused)
{
    if (focused == m_focused)
        return;
    m_focused = focused;
    update();
}

void PackTile::setLocale(const QLocale &locale)
{
    m_locale = locale;
    update();
}

QStringList PackTile::lines() const
{
    const QLocale &l = m_locale;
    QStringList lines;
    const QString address = QStringLiteral("%1").arg(m_pack.address, 2, 10, QLatin1Char('0'));
    if (m_batteryNumber >= 0 && m_batteryNumber != m_pack.address)
        lines << QCoreApplication::translate("MainWindow", "电池包 %1 · 编号 %2")
                     .arg(address)
                     .arg(m_batteryNumber);
    else
        lines << QCoreApplication::translate("MainWindow", "电池包 %1").arg(address);
    if (!m_hasData) {
        lines << QStringLiteral("– V") << QStringLiteral("– %") << QStringLiteral("– A")
              << QString() << QString() << QCoreApplication::translate("MainWindow", "等待应答");
        return lines;
    }
    lines << QStringLiteral("%1 V").arg(l.toString(m_pack.voltageMv / 1000.0, 'f', 2));
    lines << QStringLiteral("%1 %").arg(l.toString(m_pack.soc));
    const QString amps = l.toString(qAbs(m_pack.currentMa) / 1000.0, 'f', 2);
    if (m_pack.currentMa > 0)
        lines << QCoreApplication::translate("MainWindow", "充电 %1 A").arg(amps);
    else if (m_pack.currentMa < 0)
        lines << QCoreApplication::translate("MainWindow", "放电 %1 A").arg(amps);
    else
        lines << QCoreApplication::translate("MainWindow", "静置 %1 A").arg(amps);
    if (m_pack.lowestCell > 0)
        lines << QCoreApplication::translate("MainWindow", "最低 %1 mV #%2   最高 %3 mV #%4")
                     .arg(l.toString(m_pack.lowestMv))
                     .arg(m_pack.lowestCell)
                     .arg(l.toString(m_pack.highestMv))
                     .arg(m_pack.highestCell);
    else
        lines << QCoreApplication::translate("MainWindow", "无电芯电压");
    lines << QCoreApplication::translate("MainWindow", "压差 %1 mV   最高温度 %2 °C")
                 .arg(l.toString(m_pack.cellDifferenceMv()))
                 .arg(l.toString(m_pack.highestTemperature / 100.0, 'f', 1));
    const QString timeouts =
        QCoreApplication::translate("MainWindow", "超时 %1").arg(l.toString(m_timeouts));
    if (m_silentMs >= 0)
        lines << silenceText(m_silentMs, l) + QStringLiteral(" · ") + timeouts;
    else if (m_roundTripMs >= 0)
        lines << QCoreApplication::translate("MainWindow", "往返 %1 ms")
                     .arg(l.toString(m_roundTripMs))
                + QStringLiteral(" · ") + timeouts;
    else
        lines << timeouts;
    return lines;
}

QSize PackTile::sizeHint() const
{
    const int line = QFontMetrics(bodyFont(font())).height();
    const int title = QFontMetrics(titleFont(font())).height();
    return QSize(300, 2 * Padding + title + TitleGap + line + BarGap + 3 * line + 2 * LineGap);
}

void PackTile::paintEvent(QPaintEvent *)
{
    const QStringList text = lines();
    const bool greyed = isGreyed() || !m_hasData;
    const QColor ink = greyed ? Greyed : Text;

    QPainter p(this);
    const QRect r = rect();
    p.fillRect(r, Background);
    p.setPen(QPen(m_focused ? FocusFrame : Frame, m_focused ? 3 : 1));
    p.drawRect(r.adjusted(m_focused ? 1 : 0, m_focused ? 1 : 0, -1, -1));

    const QFont body = bodyFont(font());
    const QFont big = titleFont(font());
    const QFontMetrics fm(body);
    const int line = fm.height();
    const int left = Padding + 2;
    const int right = r.width() - Padding - 2;
    const int width = right - left;
    int y = Padding;

    // The title and the voltage, larger; the lamp at the right.
    p.setFont(big);
    const int bigLine = QFontMetrics(big).height();
    p.setPen(ink);
    p.drawText(QRect(left, y, width, bigLine), Qt::AlignLeft | Qt::AlignVCenter, text.at(0));
    const int lamp = line * 3 / 4;
    p.drawText(QRect(left, y, width - lamp - Padding, bigLine), Qt::AlignRight | Qt::AlignVCenter,
               text.at(1));
    QColor lampColour = Dim;
    if (m_hasData && !isGreyed())
        lampColour = m_pack.protection ? LampProtection : m_pack.alarm ? LampAlarm : LampOk;
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(lampColour);
    p.drawEllipse(QRect(right - lamp, y + (bigLine - lamp) / 2, lamp, lamp));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(body);
    y += bigLine + TitleGap;

    // Where the keyboard is: a dashed ring inside the frame, apart from the focus pack's blue.
    // A click gives the tile the keyboard too, without a ring: the pointer shows where it is.
    if (m_ring) {
        QPen ring(KeyboardRing, 2, Qt::DashLine);
        p.setPen(ring);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(5, 5, -6, -6));
    }

    // The state of charge as a bar with its number, the current beside it.
    const int barWidth = width * 11 / 20;
    const QRect bar(left, y, barWidth, line);
    p.fillRect(bar, BarTrack);
    if (m_hasData) {
        const int soc = qBound(0, m_pack.soc, 100);
        p.fillRect(QRect(bar.left(), bar.top(), bar.width() * soc / 100, bar.height()),
                   greyed ? Greyed.darker(130) : BarFill);
    }
    p.setPen(greyed ? Dim : Text);
    p.drawText(bar, Qt::AlignCenter, text.at(2));
    QColor currentInk = ink;
    if (!greyed && m_pack.currentMa != 0)
        currentInk = m_pack.currentMa > 0 ? Charging : Discharging;
    p.setPen(currentInk);
    p.drawText(QRect(bar.right() + Padding, y, right - bar.right() - Padding, line),
               Qt::AlignRight | Qt::AlignVCenter, text.at(3));
    y += line + 4;

    // A line too long for the tile (a long translation) is cut at its inner edge; measuring
    // each line to shorten it would cost as much again as drawing it, at every reply.
    p.setClipRect(QRect(left, y, width, r.height() - y));
    p.setPen(ink);
    for (int i = 4; i < 6; ++i) {
        p.drawText(QRect(left, y, width, line), Qt::AlignLeft | Qt::AlignVCenter, text.at(i));
        y += line + LineGap;
    }
    // The link's figures, then today's energy at the right, left of a worn cell's mark where
    // there is one. The link's line gives way: in a longer language it is shortened rather than
    // run into the energy.
    const int mark = m_weakCell > 0
        ? (line + Padding) / 2 + fm.horizontalAdvance(QStringLiteral(" #%1").arg(m_weakCell))
        : 0;
    int linkWidth = width - mark;
    if (!m_footer.isEmpty()) {
        const int footer = fm.horizontalAdvance(m_footer);
        p.setPen(Dim);
        p.drawText(QRect(left, y, width - mark, line), Qt::AlignRight | Qt::AlignVCenter, m_footer);
        linkWidth -= footer + fm.horizontalAdvance(QLatin1Char(' ')) * 2;
    }
    p.setPen(isGreyed() ? Discharging : Dim);
    p.drawText(QRect(left, y, std::max(0, linkWidth), line), Qt::AlignLeft | Qt::AlignVCenter,
               fm.elidedText(text.at(6), Qt::ElideRight, std::max(0, linkWidth)));

    // A cell wearing out: a red corner with its number beside it.
    if (m_weakCell > 0) {
        p.setClipping(false);
        const int corner = line + Padding;
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(LampProtection);
        p.drawPolygon(
            QPolygon({ QPoint(r.width() - corner, r.height()),
                       QPoint(r.width(), r.height() - corner), QPoint(r.width(), r.height()) }));
        p.setPen(LampProtection);
        p.drawText(QRect(left, y, width - corner / 2, line), Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("#%1").arg(m_weakCell));
    }
}

void PackTile::setFooter(const QString &text)
{
    m_footer = text; // shown at the next repaint, which a reply brings anyway
}

void PackTile::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        emit clicked(address());
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void PackTile::keyPressEvent(QKeyEvent *event)
{
    if (!m_ring) { // the keyboard used on a tile that was clicked: the ring shows from now on
        m_ring = true;
        update();
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        emit clicked(address());
        event->accept();
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            emit stepRequested(address(), Qt::Key(event->key()));
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QWidget::keyPressEvent(event);
}

void PackTile::focusInEvent(QFocusEvent *event)
{
    m_ring = event->reason() != Qt::MouseFocusReason;
    update();
    QWidget::focusInEvent(event);
}

void PackTile::focusOutEvent(QFocusEvent *event)
{
    m_ring = false;
    update();
    QWidget::focusOutEvent(event);
}

void PackTile::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        updateGeometry();
    QWidget::changeEvent(event);
}
