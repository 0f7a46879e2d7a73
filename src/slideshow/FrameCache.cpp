#include "slideshow/FrameCache.h"

#include "acquisition/PictureLoader.h"

#include <QTimer>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Kept frames in three bytes a pixel where they have no alpha: a full-HD frame
// takes 6 MB instead of 8, twice over with the next one prepared, and drawing
// it converts it on the way at no visible cost.
QImage compact(QImage frame)
{
    if (frame.format() == QImage::Format_RGB32)
        return frame.convertToFormat(QImage::Format_RGB888);
    return frame;
}

} // namespace

const FrameCache::Entry *FrameCache::find(const platform::PictureRef &picture, QSize size) const
{
    for (const Entry &e : m_entries) {
        if (e.key == picture.get() && e.size == size && !e.frame.isNull()) {
            // The address may have been reused by a newer picture.
            auto alive = e.picture.lock();
            if (alive && alive.get() == picture.get())
                return &e;
        }
    }
    return nullptr;
}

bool FrameCache::has(const platform::PictureRef &picture, QSize size) const
{
    return picture && find(picture, size) != nullptr;
}

void FrameCache::store(const platform::PictureRef &picture, QSize size, QImage frame)
{
    Entry &e = m_entries[m_nextSlot];
    m_nextSlot = (m_nextSlot + 1) % 2;
    e.picture = picture;
    e.key = picture.get();
    e.size = size;
    e.frame = std::move(frame);
}

QImage FrameCache::frameFor(const platform::PictureRef &picture, QSize size)
{
    if (!picture)
        return QImage();
    QImage frame;
    if (const Entry *e = find(picture, size))
        frame = e->frame;
    else
        frame = compact(acquisition::decodeFrame(*picture, size));
    // The screen takes this frame: the one it showed before is not needed
    // again, and holding it would put three full frames in memory while the
    // next one is prepared.
    for (Entry &e : m_entries)
        e = Entry{};
    if (!frame.isNull())
        store(picture, size, frame);
    return frame;
}

void FrameCache::prepare(const platform::PictureRef &picture, QSize size)
{
    if (picture && !find(picture, size)) {
        QImage frame = compact(acquisition::decodeFrame(*picture, size));
        if (!frame.isNull())
            store(picture, size, std::move(frame));
#if defined(__GLIBC__)
        // Decoding leaves a full-size picture and the decoder's buffers freed
        // in the heap, where the allocator would keep them between slides.
        malloc_trim(0);
#endif
    }
}

void FrameCache::prepareLater(const platform::PictureRef &picture, QSize size)
{
    const std::uint64_t ticket = ++m_generation;
    std::weak_ptr<int> alive = m_alive;
    std::weak_ptr<const platform::Picture> wanted = picture;
    QTimer::singleShot(0, [this, alive, ticket, wanted, size] {
        if (alive.expired() || ticket != m_generation)
            return;
        if (auto p = wanted.lock())
            prepare(p, size);
    });
}

void FrameCache::clear()
{
    for (Entry &e : m_entries)
        e = Entry{};
    ++m_generation;
}
