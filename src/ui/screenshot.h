#pragma once

class MainWindow;

// Pictures of the window without a display: ARVEX_SCREENSHOT=path makes the program save a
// picture of its window once it is shown, then quit. run.sh uses it on machines without a display,
// and the documentation's pictures are taken with it. ARVEX_SCREENSHOT_PAGE picks the page (0 to
// 4), ARVEX_SCREENSHOT_LANG the language (0 to 2) and ARVEX_SCREENSHOT_SUBPAGE the page of the
// parameter tabs. ARVEX_SCREENSHOT_CONNECT=<port> switches that port on (and logging with it)
// and takes the picture 5 seconds later, so it shows live data. ARVEX_SCREENSHOT_DELAY sets
// the wait in milliseconds (for a port switched on by --connect too). Does nothing when
// ARVEX_SCREENSHOT is not set.
namespace Screenshot {
// Whether ARVEX_SCREENSHOT asks for a picture.
bool requested();
void scheduleFromEnvironment(MainWindow &window);
} // namespace Screenshot
