#include "writemarks.h"

#include "parametertable.h"

#include <QAction>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTimer>

namespace {

constexpr int IconSize = 16;

// A disc in the mark's colour with a white sign on it; drawn once, as the program starts.
template<typename Draw>
QIcon drawIcon(const QColor &colour, Draw sign)
{
    QPixmap pixmap(IconSize * 2, IconSize * 2); // sharp on a doubled screen
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(1, 1, IconSize * 2 - 2, IconSize * 2 - 2));
    QPen pen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    sign(p);
    p.end();
    return QIcon(pixmap);
}

} // namespace

WriteMarks::WriteMarks(QObject *parent)
    : QObject(parent)
{
    m_pending = drawIcon(QColor(0x70, 0x70, 0x70), [](QPainter &p) {
        for (int x : { 9, 16, 23 })
            p.drawPoint(QPointF(x, 16));
    });
    m_confirmed = drawIcon(QColor(0x2e, 0x9d, 0x3c), [](QPainter &p) {
        p.drawPolyline(QPolygonF({ QPointF(9, 16.5), QPointF(14, 21.5), QPointF(23, 11) }));
    });
    m_kept = drawIcon(QColor(0xd3, 0x2f, 0x2f), [](QPainter &p) {
        p.drawLine(QPointF(11, 11), QPointF(21, 21));
        p.drawLine(QPointF(21, 11), QPointF(11, 21));
    });
    m_unconfirmed = drawIcon(QColor(0xe0, 0x8a, 0x00), [](QPainter &p) {
        p.drawLine(QPointF(16, 8.5), QPointF(16, 18));
        p.drawPoint(QPointF(16, 23.5));
    });
    m_notConfirmable = drawIcon(QColor(0x45, 0x6f, 0xb0), [](QPainter &p) {
        p.drawLine(QPointF(9, 16), QPointF(22, 16));
        p.drawPolyline(QPolygonF({ QPointF(17, 11), QPointF(22, 16), QPointF(17, 21) }));
    });
}

const char *WriteMarks::styleOf(Mark mark)
{
    switch (mark) {
    case Mark::None:
    case Mark::Confirmed:
        return ParameterTable::NeutralStyle;
    case Mark::Kept:
        return ParameterTable::BoardKeptStyle;
    case Mark::Edited:
    case Mark::Pending:
    case Mark::Unconfirmed:
    case Mark::NotConfirmable:
        break;
    }
    return ParameterTable::UnconfirmedStyle;
}

QString WriteMarks::text(Mark mark, const QString &expected, const QString &board)
{
    switch (mark) {
    case Mark::None:
        break;
    case Mark::Edited:
        return tr("已输入，尚未发送");
    case Mark::Pending:
        return tr("已发送，等待读回确认");
    case Mark::Confirmed:
        return tr("已确认：板子保存了 %1").arg(board);
    case Mark::Kept:
        return tr("板子保留了 %1，未采用发送的 %2").arg(board, expected);
    case Mark::Unconfirmed:
        return tr("未确认：读回没有显示板子的值（发送的是 %1）").arg(expected);
    case Mark::NotConfirmable:
        return tr("已发送，无法确认：读回不含此值");
    }
    return QString();
}

QIcon WriteMarks::iconOf(Mark mark) const
{
    switch (mark) {
    case Mark::Pending:
        return m_pending;
    case Mark::Confirmed:
        return m_confirmed;
    case Mark::Kept:
        return m_kept;
    case Mark::Unconfirmed:
        return m_unconfirmed;
    case Mark::NotConfirmable:
        return m_notConfirmable;
    case Mark::None:
    case Mark::Edited: // the look alone: a picture at every keystroke would only distract
        break;
    }
    return QIcon();
}

WriteMarks::Mark WriteMarks::mark(const QLineEdit *edit) const
{
    return m_entries.value(const_cast<QLineEdit *>(edit)).mark;
}

void WriteMarks::showText(QLineEdit *edit, const Entry &entry)
{
    const QString words = text(entry.mark, entry.expected, entry.board);
    if (entry.action)
        entry.action->setToolTip(words);
    const QString base = m_base.value(edit);
    edit->setToolTip(words.isEmpty()      ? base
                         : base.isEmpty() ? words
                                          : words + QLatin1Char('\n') + base);
}

void WriteMarks::setBaseToolTip(QLineEdit *edit, const QString &text)
{
    if (!edit)
        return;
    m_base.insert(edit, text);
    showText(edit, m_entries.value(edit));
}

bool WriteMarks::eventFilter(QObject *watched, QEvent *event)
{
    // Every widget hears of a new language; one field is enough to hear it for all of them.
    if (event->type() == QEvent::LanguageChange) {
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it)
            showText(it.key(), it.value());
    }
    return QObject::eventFilter(watched, event);
}

void WriteMarks::set(QLineEdit *edit, Mark mark, const QString &expected, const QString &board)
{
    if (!edit)
        return;
    // Setting a style sheet re-polishes the field even when it does not change; most read-backs
    // find most fields as they were.
    const QLatin1String style(styleOf(mark));
    if (edit->styleSheet() != style)
        edit->setStyleSheet(style);
    if (mark == Mark::None && !m_entries.contains(edit))
        return;
    if (!m_watchingLanguage) {
        edit->installEventFilter(this);
        m_watchingLanguage = true;
    }
    Entry &entry = m_entries[edit];
    if (entry.mark == mark && mark == Mark::None)
        return;
    entry.mark = mark;
    entry.expected = expected;
    entry.board = board;
    ++entry.generation;
    const QIcon icon = iconOf(mark);
    if (!icon.isNull() && !entry.action)
        entry.action = edit->addAction(icon, QLineEdit::LeadingPosition);
    if (entry.action) {
        entry.action->setIcon(icon);
        entry.action->setVisible(!icon.isNull());
    }
    showText(edit, entry);
    if (mark == Mark::Confirmed) {
        const quint64 generation = entry.generation;
        QTimer::singleShot(ConfirmedMarkMs, edit, [this, edit, generation] {
            if (m_entries.value(edit).generation == generation)
                set(edit, Mark::None);
        });
    }
}
