#pragma once

#include <QComboBox>

// The combo box of the top bar (ports, baud rates, languages). The port list is refreshed before
// it opens by the main window's event filter, not here.
class NComBox : public QComboBox
{
    Q_OBJECT

public:
    explicit NComBox(QWidget *parent = nullptr);
    ~NComBox() override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
