#pragma once

// What a window manager sends when the user closes a window (Alt+F4, the
// title bar's close button): WM_DELETE_WINDOW. False without an X display.
bool sendCloseRequest(unsigned long window);
