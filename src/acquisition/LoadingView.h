#pragma once

class QImage;

// The loading aids the slide-set builder shows while it works: a preview of
// the picture just loaded with its caption under it, and the notice that the
// pictures have been updated. The slideshow draws them.
class LoadingView {
public:
    virtual ~LoadingView() = default;

    // The preview and its caption come up in front, the PNG buffer goes.
    virtual void showPreview() = 0;
    // The preview shows this thumbnail.
    virtual void showThumbnail(const QImage &thumbnail) = 0;
    // The PNG buffer drops its picture before a PNG is decoded.
    virtual void clearBuffer() = 0;
    // The preview and its caption go.
    virtual void hidePreview() = 0;
    // The updated notice comes up in front at its picture's size; and goes.
    virtual void showUpdateNotice() = 0;
    virtual void hideUpdateNotice() = 0;
};
