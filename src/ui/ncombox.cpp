#include "ncombox.h"

NComBox::NComBox(QWidget *parent)
    : QComboBox(parent)
{ }

NComBox::~NComBox() = default;

void NComBox::mousePressEvent(QMouseEvent *event)
{
    QComboBox::mousePressEvent(event);
}
