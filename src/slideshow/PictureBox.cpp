#include "slideshow/PictureBox.h"

#include <QPainter>

PictureBox::PictureBox(const QString &name, QWidget *parent) : platform::Vb<QWidget>(name, parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setBackColor(platform::kVbBlack);
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
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (m_frame.isNull())
        return;
    if (m_frame.deviceIndependentSize().toSize() == size() || !m_stretch) {
        p.drawImage(0, 0, m_frame);   // prepared at this size: a plain copy
    } else {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(rect(), m_frame);
    }
}
