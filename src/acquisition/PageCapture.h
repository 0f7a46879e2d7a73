#pragma once

#include <QString>

// How the capture of a web page into the page bitmap ended.
enum class PageCaptureOutcome {
    Captured,    // the bitmap holds the page
    PageFailed,  // the page could not be loaded (no host, refused, ...)
    TimedOut,    // no completion and nothing drawn within the page's time
    NotSaved,    // the bitmap could not be written
    GaveUp,      // the program is quitting, or a newer capture took over
};

// The page bitmap a capture writes, next to the downloaded pictures.
inline QString pageBitmapPath(const QString &pictureFileStem)
{
    return pictureFileStem + QStringLiteral("HTTP_IMG.bmp");
}
