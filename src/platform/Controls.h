#pragma once

#include "platform/Screen.h"
#include "platform/Units.h"

#include <QColor>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QString>
#include <QWidget>

#include <algorithm>
#include <cstdint>

namespace platform {

// Colours as the window design stores them: 0x00BBGGRR (255 is red).
constexpr int vbRGB(int r, int g, int b) { return (b << 16) | (g << 8) | r; }
constexpr int kVbRed = 255;
constexpr int kVbGreen = 65280;
constexpr int kVbBlack = 0;

inline QColor toQColor(int vbColor)
{
    return QColor(vbColor & 0xFF, (vbColor >> 8) & 0xFF, (vbColor >> 16) & 0xFF);
}

// A control of the window design: a Qt widget whose position and size are
// kept in twips, as the layout code computes them, and mapped to pixels only
// at the widget's edge. Visible and Enabled are the control's own properties,
// independent of whether its parent is shown.
template <class W>
class Vb : public W {
public:
    template <class... Args>
    explicit Vb(const QString &name, QWidget *parent, Args &&...args)
        : W(std::forward<Args>(args)..., parent)
    {
        this->setObjectName(name);
    }

    float Left() const { return m_left; }
    float Top() const { return m_top; }
    float Width() const { return m_width; }
    float Height() const { return m_height; }
    void setLeft(float twips) { m_left = twips; place(); }
    void setTop(float twips) { m_top = twips; place(); }
    void setWidth(float twips) { m_width = twips; place(); }
    void setHeight(float twips) { m_height = twips; place(); }
    void Move(float left, float top, float width, float height)
    {
        m_left = left; m_top = top; m_width = width; m_height = height;
        place();
    }
    void Move(float left, float top) { m_left = left; m_top = top; place(); }

    bool Visible() const { return !this->isHidden(); }
    void setVisibleProperty(bool on) { this->setVisible(on); }
    bool Enabled() const { return !this->testAttribute(Qt::WA_Disabled); }

    int BackColor() const { return m_backColor; }
    void setBackColor(int vbColor)
    {
        m_backColor = vbColor;
        QPalette pal = this->palette();
        pal.setColor(QPalette::Window, toQColor(vbColor));
        pal.setColor(QPalette::Base, toQColor(vbColor));
        pal.setColor(QPalette::Button, toQColor(vbColor));
        this->setPalette(pal);
        this->setAutoFillBackground(true);
    }

    // Re-applies the twips geometry, e.g. after the screen's DPI changed.
    void place()
    {
        const double tpp = Screen::twipsPerPixelX();
        const int x = static_cast<int>(units::roundHalfEven(m_left / tpp));
        const int y = static_cast<int>(units::roundHalfEven(m_top / tpp));
        const int w = static_cast<int>(units::roundHalfEven(std::max(0.0f, m_width) / tpp));
        const int h = static_cast<int>(units::roundHalfEven(std::max(0.0f, m_height) / tpp));
        this->setGeometry(x, y, w, h);
    }

private:
    float m_left = 0;
    float m_top = 0;
    float m_width = 0;
    float m_height = 0;
    int m_backColor = -1;
};

// A caption label. Its text is always plain: captions carry catalogue text
// (credit lines, the server's message), whose markup must never be rendered
// nor load anything.
class PlainLabel : public QLabel {
public:
    explicit PlainLabel(QWidget *parent = nullptr) : QLabel(parent) { setTextFormat(Qt::PlainText); }
};

// A picture or label that reacts to clicks, as the window's image buttons and
// caption labels do; its text is plain like PlainLabel's.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(QWidget *parent = nullptr) : QLabel(parent) { setTextFormat(Qt::PlainText); }
    void click() { if (isEnabled()) emit clicked(); }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            emit clicked();
        QLabel::mouseReleaseEvent(event);
    }
};

using Label = Vb<PlainLabel>;
using Image = Vb<ClickLabel>;

// Whether no shown sibling lies above this child: raising it again would
// still repaint it.
inline bool isTopmostSibling(const QWidget *widget)
{
    const QWidget *parent = widget->parentWidget();
    if (!parent || widget->isWindow())
        return true;
    const QObjectList &siblings = parent->children();
    for (auto it = siblings.crbegin(); it != siblings.crend(); ++it) {
        if (!(*it)->isWidgetType())
            continue;
        const auto *sibling = static_cast<const QWidget *>(*it);
        if (sibling == widget)
            return true;
        if (!sibling->isWindow() && !sibling->isHidden())
            return false;
    }
    return true;
}

} // namespace platform
