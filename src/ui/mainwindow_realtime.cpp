// The window's real-time page: the code 0x51 reply into the widgets, the lamps, the cell chart
// and the log page.
#include "mainwindow.h"

#include "frame.h"

void MainWindow::showRealTimeReply(const Frame::ReplyCheck &reply)
{
    Q_UNUSED(reply); // filled in with the real-time page
}
