// The window's parameter pages: writes with range checks, device commands and the read-back of
// the parameter block (code 0x52).
#include "mainwindow.h"

#include "frame.h"

void MainWindow::showParameterReply(const Frame::ReplyCheck &reply)
{
    Q_UNUSED(reply); // filled in with the parameter pages
}
