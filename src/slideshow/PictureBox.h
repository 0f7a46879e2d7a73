#pragma once

#include "platform/Controls.h"
#include "platform/Picture.h"

#include <QImage>
#include <QWidget>

// The picture control the slideshow draws on. It shows a frame that was
// decoded ahead, either stretched to its box or at the picture's natural size.
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
    const QImage &frame() const { return m_frame; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_stretch = false;
    platform::PictureRef m_picture;
    QImage m_frame;
};
