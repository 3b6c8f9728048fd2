#pragma once

#include <QObject>

#include <functional>
#include <optional>

class QSpinBox;

// A spin box quietly puts its last value back when the user leaves it, or presses Enter, with a
// number below its minimum typed in (the box cannot refuse the digits while they are typed: 3 may
// become 300). The guard sees that number first and hands it on, so the refusal can be told.
class SpinBoxGuard : public QObject
{
    Q_OBJECT

public:
    SpinBoxGuard(QSpinBox *box, std::function<void(int typed)> refused);

    // The number typed into the box when it lies outside the box's range; none when the text is
    // empty, not a number, or within the range.
    static std::optional<int> typedOutOfRange(const QSpinBox *box);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QSpinBox *m_box;
    std::function<void(int)> m_refused;
};
