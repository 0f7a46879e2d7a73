#include "slideshow/PictureBox.h"

#include "slideshow/FrameCache.h"

#include <QPainter>

PictureBox::PictureBox(const QString &name, QWidget *parent) : platform::Vb<QWidget>(name, parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setBackColor(platform::kVbBlack);
    // After the paint has reached the screen, not within it.
    m_letGo.setSingleShot(true);
    m_letGo.setInterval(0);
    connect(&m_letGo, &QTimer::timeout, this, [this] { letGo(); });
}

bool PictureBox::canRemake() const
{
    return m_picture && !m_picture->encoded.isEmpty() && !m_frameSize.isEmpty();
}

void PictureBox::letGo()
{
    if (m_keep || !canRemake() || m_frame.isNull())
        return;
    m_frame = QImage();
    m_letGoAt.start();
}

const QImage &PictureBox::frame()
{
    if (m_frame.isNull() && canRemake()) {
        m_frame = FrameCache::make(*m_picture, m_frameSize);
        m_frame.setDevicePixelRatio(m_frameRatio);
        if (m_letGoAt.isValid() && m_letGoAt.elapsed() < kRepaintSoonMs)
            m_keep = true;
    }
    return m_frame;
}

void PictureBox::setStretch(bool on)
{
    m_stretch = on;
    update();
}

void PictureBox::setPicture(platform::PictureRef picture, QImage frame)
{
    m_picture = std::move(picture);
    m_frame = std::move(frame);
    m_frameSize = m_frame.size();
    m_frameRatio = m_frame.devicePixelRatio();
    m_keep = false;
    m_letGoAt.invalidate();
    if (!m_stretch && m_picture) {
        const double tpp = platform::Screen::twipsPerPixelX();
        // A frame made for a HiDPI screen's device pixels counts in its own.
        const double dpr = m_frame.isNull() ? 1.0 : m_frame.devicePixelRatio();
        setWidth(static_cast<float>(m_picture->pixels.width() / dpr * tpp));
        setHeight(static_cast<float>(m_picture->pixels.height() / dpr * tpp));
    }
    update();
}

void PictureBox::clearPicture()
{
    m_picture.reset();
    m_frame = QImage();
    m_frameSize = QSize();
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    const QImage &shown = frame();
    if (shown.isNull())
        return;
    if (shown.deviceIndependentSize().toSize() == size() || !m_stretch) {
        p.drawImage(0, 0, shown);   // prepared at this size: a plain copy
    } else {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(rect(), shown);
    }
    m_letGo.start();
}
