#include "slideshow/FrameCache.h"

#include "acquisition/PictureLoader.h"

#include <QElapsedTimer>
#include <QTimer>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

qint64 g_slowDecodeMs = 100;

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

qint64 FrameCache::slowDecodeMs() { return g_slowDecodeMs; }

void FrameCache::setSlowDecodeMs(qint64 ms) { g_slowDecodeMs = ms; }

QImage FrameCache::make(const platform::Picture &picture, QSize size)
{
    return acquisition::decodeFrame(picture, size);
}

QImage FrameCache::decode(const platform::PictureRef &picture, QSize size)
{
    QElapsedTimer took;
    took.start();
    QImage frame = make(*picture, size);
    // Pictures of earlier slide sets are forgotten as their costs come in.
    for (auto it = m_costs.begin(); it != m_costs.end();)
        it = it->second.picture.expired() ? m_costs.erase(it) : std::next(it);
    m_costs[picture.get()] = Cost{picture, took.elapsed()};
#if defined(__GLIBC__)
    // Decoding leaves a full-size picture and the decoder's buffers freed in
    // the heap, where the allocator would keep them between slides.
    malloc_trim(0);
#endif
    return frame;
}

qint64 FrameCache::decodeMs(const platform::PictureRef &picture) const
{
    const auto it = m_costs.find(picture.get());
    if (it == m_costs.end())
        return -1;
    // The address may have been reused by a newer picture.
    const auto alive = it->second.picture.lock();
    return alive && alive.get() == picture.get() ? it->second.ms : -1;
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
        frame = decode(picture, size);
    // The screen takes this frame, and the one it showed before is not needed
    // again.
    for (Entry &e : m_entries)
        e = Entry{};
    return frame;
}

void FrameCache::prepare(const platform::PictureRef &picture, QSize size)
{
    if (picture && !find(picture, size)) {
        QImage frame = decode(picture, size);
        if (!frame.isNull())
            store(picture, size, std::move(frame));
    }
}

void FrameCache::prepareLater(const platform::PictureRef &picture, QSize size)
{
    const std::uint64_t ticket = ++m_generation;
    // A picture never decoded yet, or quick to decode, is decoded by its tick.
    const qint64 cost = decodeMs(picture);
    if (cost < 0 || cost < slowDecodeMs())
        return;
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
