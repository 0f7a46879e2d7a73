#pragma once

// What the program and its page helper say to each other. The helper is a
// program of its own that loads the web engine, shows one page in a window
// over the screen and writes the page bitmap; it ends with the capture, and
// the engine's memory and threads with it.
//
//   cirrolith-page ADDRESS BITMAP X,Y,WIDTH,HEIGHT GRABWIDTHxGRABHEIGHT silent|nosilent
//
// The program writes commands to its input, one a line; the helper answers
// on its output, one a line. The end of its input ends the helper.
namespace pagehelper {

inline constexpr const char *kProgram = "cirrolith-page";

// Commands.
inline constexpr const char *kShow = "show";             // the page window goes up over the screen
inline constexpr const char *kRaise = "raise";           // and back on top of every other window
inline constexpr const char *kGrab = "grab";             // write the bitmap now
inline constexpr const char *kGrabDrawn = "grab-drawn";  // only when the page has drawn anything
inline constexpr const char *kQuit = "quit";

// Answers.
inline constexpr const char *kLoaded = "loaded ok";      // the page reports completion
inline constexpr const char *kLoadFailed = "loaded failed";
inline constexpr const char *kSaved = "saved";
inline constexpr const char *kBlank = "blank";           // grab-drawn: nothing drawn yet
inline constexpr const char *kNotSaved = "not-saved";

} // namespace pagehelper
