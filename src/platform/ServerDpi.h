#pragma once

namespace platform {

// An X server can be told its screen's resolution (Xvfb -dpi, xrandr --dpi)
// without the desktop's font setting (Xft.dpi) that Qt reads; Qt then lays a
// 192-DPI screen out at 96 and everything comes out half size. Where Qt has
// no DPI setting of any kind, this asks it to scale by the server's DPI in
// whole steps (2 from 168 DPI, 3 from 264). Call before the application
// object; does nothing on Wayland, whose compositor gives the scale.
void scaleToServerDpi();

// The whole-step scale for a resolution: 1 below 168 DPI.
int scaleStepFor(double dpi);

} // namespace platform
