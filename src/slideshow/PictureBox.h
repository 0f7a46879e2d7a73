#pragma once

#include "platform/Controls.h"
#include "platform/Picture.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>

// The picture control the slideshow draws on. It shows a frame that was
// decoded ahead, either stretched to its box or at the picture's natural size.
// Once painted, a frame that can be made again from the picture's file bytes
// is let go: the screen holds its pixels, and a still slide rarely needs
// painting again. Where it does so soon after, the frame is kept.
class PictureBox : public platform::Vb<QWidget> {
public:
    PictureBox(const QString &name, QWidget *parent);

    // Stretching on: the frame fills the box. Off: the box takes the
    // picture's natural size.
    bool Stretch() const { return m_stretch; }
    void setStretch(bool on);

    void setPicture(platform::PictureRef picture, QImage frame);
    void clearPicture();
    const platform::PictureRef &picture() const { return m_picture; }
    // The frame on show, made again if it was let go.
    const QImage &frame();
    bool holdsFrame() const { return !m_frame.isNull(); }

    // A repaint this soon (ms) after the frame was let go keeps the next one.
    static constexpr qint64 kRepaintSoonMs = 5000;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool canRemake() const;
    void letGo();

    bool m_stretch = false;
    platform::PictureRef m_picture;
    QImage m_frame;
    QSize m_frameSize;          // in device pixels, as it was made
    qreal m_frameRatio = 1.0;
    bool m_keep = false;        // repaints come often: keep the frame
    QElapsedTimer m_letGoAt;
    QTimer m_letGo;
};
