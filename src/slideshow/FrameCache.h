#pragma once

#include "platform/Picture.h"

#include <QImage>
#include <QSize>

#include <cstdint>
#include <memory>
#include <unordered_map>

// Frames decoded and scaled for the tick that shows them. A frame that decodes
// quickly is made at the tick itself; one that was slow to decode is prepared
// ahead, while the window is idle, so its tick is not late: a second frame in
// memory only where it buys something. A frame is found again only for the
// very picture object and size it was made for, so a picture replaced by a
// reload never shows a stale frame; and a deferred preparation that was
// overtaken by a newer request is dropped.
class FrameCache {
public:
    // The picture's frame at this pixel size, as the screen keeps it.
    static QImage make(const platform::Picture &picture, QSize size);

    // The frame for this picture at this size: prepared, or decoded now. The
    // cache lets go of it: the picture box holds what is on show.
    QImage frameFor(const platform::PictureRef &picture, QSize size);
    bool has(const platform::PictureRef &picture, QSize size) const;

    // Asks for a frame to be prepared when the event loop is next idle, if the
    // picture was slow to decode the last time.
    void prepareLater(const platform::PictureRef &picture, QSize size);
    // Decodes slower than this (ms; 100 unless a test says otherwise) are done
    // ahead of their tick: a slide up to a tenth of a second late goes unseen.
    static qint64 slowDecodeMs();
    static void setSlowDecodeMs(qint64 ms);
    // How long the picture's last decode took; -1 when it was never decoded.
    qint64 decodeMs(const platform::PictureRef &picture) const;
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
    QImage decode(const platform::PictureRef &picture, QSize size);

    struct Cost {
        std::weak_ptr<const platform::Picture> picture;
        qint64 ms = -1;
    };
    std::unordered_map<const platform::Picture *, Cost> m_costs;

    // Frames prepared for the ticks to come.
    Entry m_entries[2];
    int m_nextSlot = 0;
    std::uint64_t m_generation = 0;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};
