#pragma once

// A pseudo-terminal whose far end the test holds: the window opens it as a serial port with no
// board behind it, and what it writes piles up unread.
#include <QString>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

struct Pty
{
    int master = -1;
    QString device;

    bool open()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            return false;
        device = QString::fromLocal8Bit(ptsname(master));
        return true;
    }
    ~Pty()
    {
        if (master >= 0)
            ::close(master);
    }
};
