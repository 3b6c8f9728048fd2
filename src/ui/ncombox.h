#pragma once

#include <QComboBox>

// The combo box of the top bar (ports, baud rates, languages). The port list is refreshed before
// it opens by the main window's event filter, not here. Its open list is as wide as its longest
// entry, so a port's whole name and description can be read.
class NComBox : public QComboBox
{
    Q_OBJECT

public:
    explicit NComBox(QWidget *parent = nullptr);
    ~NComBox() override;

    // The width the open list needs for its longest entry, in the font the list is drawn with.
    int popupWidthHint() const;

    void showPopup() override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
