#pragma once

// The program's dealings with the web engine outside one capture.
namespace slideshow {

// Asks every top-level browser window of this program to close (the close is
// posted, as to a window of another thread). The main window's browser
// control is no window of its own, and other programs' windows are never
// touched. Returns how many were asked.
int CloseBrowserWindows();

} // namespace slideshow
