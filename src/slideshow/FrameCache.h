#pragma once

#include "platform/Picture.h"

#include <QImage>
#include <QSize>

#include <cstdint>
#include <memory>

// Frames decoded and scaled ahead of the tick that shows them. A frame is
// found again only for the very picture object and size it was made for, so a
// picture replaced by a reload never shows a stale frame; and a deferred
// preparation that was overtaken by a newer request is dropped.
class FrameCache {
public:
    // The frame for this picture at this size: prepared, or decoded now.
    QImage frameFor(const platform::PictureRef &picture, QSize size);
    bool has(const platform::PictureRef &picture, QSize size) const;

    // Asks for a frame to be prepared when the event loop is next idle.
    void prepareLater(const platform::PictureRef &picture, QSize size);
    // Prepares it now.
    void prepare(const platform::PictureRef &picture, QSize size);

    void clear();
    std::uint64_t generation() const { return m_generation; }

private:
    struct Entry {
        std::weak_ptr<const platform::Picture> picture;
        const platform::Picture *key = nullptr;
        QSize size;
        QImage frame;
    };
    const Entry *find(const platform::PictureRef &picture, QSize size) const;
    void store(const platform::PictureRef &picture, QSize size, QImage frame);

    // The slide on screen and the one coming next: two frames at most.
    Entry m_entries[2];
    int m_nextSlot = 0;
    std::uint64_t m_generation = 0;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};
