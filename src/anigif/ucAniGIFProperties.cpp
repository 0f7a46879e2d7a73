// The control's public face: its properties and their side effects, the saved form,
// the mouse pointer and the mouse events.
#include "ucAniGIF.h"

#include <algorithm>
#include <cmath>

#include <QMouseEvent>

namespace {

// The loop counter is 16-bit.
constexpr int kMaxLoopCounter = 32767;

short vbButton(Qt::MouseButtons b) {
    short r = 0;
    if (b & Qt::LeftButton) r |= 1;
    if (b & Qt::RightButton) r |= 2;
    if (b & Qt::MiddleButton) r |= 4;
    return r;
}

short vbShift(Qt::KeyboardModifiers m) {
    short r = 0;
    if (m & Qt::ShiftModifier) r |= 1;
    if (m & Qt::ControlModifier) r |= 2;
    if (m & Qt::AltModifier) r |= 4;
    return r;
}

} // namespace

void ucAniGIF::notify(const char *name) { m_host->propertyChanged(QString::fromLatin1(name)); }

// ---- properties ----------------------------------------------------------

anigif::GifPicture ucAniGIF::AnimatedGIF() const {
    anigif::GifPicture pic;
    if (!loaded() || m_currentFrame < 1) return pic;
    pic.bytes = m_core.exportFrameGif(m_currentFrame);
    if (!pic.bytes.isEmpty()) pic.image = anigif::decodeStill(pic.bytes);
    if (pic.image.isNull()) pic.bytes.clear();
    return pic;
}

void ucAniGIF::setAnimatedGIF(const anigif::GifPicture &picture) {
    if (runMode()) return;
    m_gifBytes = picture.bytes;
    loadGifBytes();
    notify("AnimatedGIF");
}

void ucAniGIF::setAutoSize(bool on) {
    if (on != m_autoSize) {
        m_autoSize = on;
        if (on) applyDisplaySize();
    }
    notify("AutoSize");
}

void ucAniGIF::setControlEnabled(bool on) {
    m_enabled = on;
    QWidget::setEnabled(on);
    notify("Enabled");
}

int ucAniGIF::ActualWidth() const {
    return int(std::floor(m_host->pixelsToContainerWidth(m_core.width())));
}

int ucAniGIF::ActualHeight() const {
    return int(std::floor(m_host->pixelsToContainerHeight(m_core.height())));
}

void ucAniGIF::setStretch(int mode) {
    if (mode < 0 || mode > 4 || mode == m_stretch) return;
    completeDeferredDecoding();
    const int kept = m_action;
    setAction(Pause);
    m_stretch = mode;
    applyDisplaySize();
    setAction(kept);
    if (m_action != 1) update();
    notify("Stretch");
}

void ucAniGIF::setMinFrameDelay(int ms) {
    const int v = std::clamp(ms, 10, 32700);
    if (v == m_minFrameDelay) return;
    m_minFrameDelay = v;
    notify("Delay");
}

bool ucAniGIF::setLoops(std::int64_t loops) {
    const std::int64_t v = loops < 0 ? -loops : loops;
    if (v > kMaxLoopCounter) return false;
    if (int(v) != m_loops) {
        m_loops = int(v);
        m_loopsRemaining = m_loops;
        notify("Loops");
    }
    return true;
}

int ucAniGIF::LoopsRemaining() const {
    if (!loaded()) return 0;
    if (m_loops == 0) return 2147483647;
    return m_loopsRemaining;
}

void ucAniGIF::setMirrored(int style) {
    if (style < 0 || style > 3) return;
    if (!loaded()) {
        m_mirrored = style;
    } else if (style != m_mirrored) {
        completeDeferredDecoding();
        const int kept = m_action;
        setAction(Pause);
        const bool design = !runMode();
        m_core.mirror(1, design ? 1 : m_core.frameCount(), m_mirrored ^ style, !design);
        m_mirrored = style;
        if (kept == 1)
            setAction(Play);
        else
            update();
    }
    notify("Mirrored");
}

void ucAniGIF::setDelayAnimation(int value) {
    if (value < 0 || value > 3 || value == m_delayAnimation) return;
    m_delayAnimation = value;
    notify("DelayAnimation");
}

void ucAniGIF::applyCursor() {
    if (m_mousePointer == 99 && !m_mouseIcon.isNull()) {
        setCursor(QCursor(m_mouseIcon));
        return;
    }
    switch (m_mousePointer) {
    case 0: unsetCursor(); break;
    case 2: setCursor(Qt::CrossCursor); break;
    case 3: setCursor(Qt::IBeamCursor); break;
    case 5: case 15: setCursor(Qt::SizeAllCursor); break;
    case 6: setCursor(Qt::SizeBDiagCursor); break;
    case 7: setCursor(Qt::SizeVerCursor); break;
    case 8: setCursor(Qt::SizeFDiagCursor); break;
    case 9: setCursor(Qt::SizeHorCursor); break;
    case 10: setCursor(Qt::UpArrowCursor); break;
    case 11: setCursor(Qt::WaitCursor); break;
    case 12: setCursor(Qt::ForbiddenCursor); break;
    case 13: setCursor(Qt::BusyCursor); break;
    case 14: setCursor(Qt::WhatsThisCursor); break;
    default: setCursor(Qt::ArrowCursor); break;
    }
}

void ucAniGIF::setMouseIcon(const QPixmap &icon) {
    m_mouseIcon = icon;
    if (icon.isNull()) m_mousePointer = 0;
    applyCursor();
    notify("MouseIcon");
}

void ucAniGIF::setMousePointer(int pointer) {
    if (pointer >= -32768 && pointer <= 32767) {
        m_mousePointer = pointer;
        applyCursor();
    }
    notify("MousePointer");
}

void ucAniGIF::setOffsetX(int px) {
    m_offsetX = px;
    if (!runMode() || m_action != 1) repaint();
    notify("OffsetX");
}

void ucAniGIF::setOffsetY(int px) {
    m_offsetY = px;
    if (!runMode() || m_action != 1) repaint();
    notify("OffsetY");
}

void ucAniGIF::setBackColor(std::uint32_t colour) {
    m_backColor = colour;
    if (!runMode() && (m_backStyle == 1 || m_windowed)) repaint();
    notify("BackColor");
}

void ucAniGIF::setBackStyle(int style) {
    if (style != 0 && style != 1) return;
    m_backStyle = style;
    if (!runMode() && !m_windowed) repaint();
    notify("BackStyle");
}

void ucAniGIF::setSteppedDelay(int ms) {
    m_steppedDelay = std::max(ms, 0);
    notify("SteppedDelay");
}

// ---- saved form ----------------------------------------------------------

void ucAniGIF::ReadProperties(const anigif::PropertyBag &bag) {
    m_gifBytes = bag.read("GIF", m_gifBytes).toByteArray();
    m_minFrameDelay = bag.read("Delay", m_minFrameDelay).toInt();
    const int stretch = bag.read("Stretch", 1).toInt();
    m_stretch = stretch & 7;
    m_autoSize = (stretch & 8) != 0;
    const int delayLoad = bag.read("DelayLoad", 1).toInt();
    m_delayAnimation = delayLoad == -1 ? 1 : delayLoad;
    m_mirrored = bag.read("Mirror", 0).toInt();
    m_enabled = bag.read("Enabled", true).toBool();
    QWidget::setEnabled(m_enabled);
    m_mouseIcon = bag.read("MouseIcon", QPixmap()).value<QPixmap>();
    m_mousePointer = bag.read("MousePointer", 0).toInt();
    applyCursor();
    m_backColor = bag.read("BkgFill", qint64(kSystemColour | 0x0F)).toLongLong();
    m_backStyle = bag.read("BkgUsed", 0).toInt();
    m_steppedDelay = bag.read("StepDelay", 0).toInt();
    m_offsetX = bag.read("OffsetX", 0).toInt();
    m_offsetY = bag.read("OffsetY", 0).toInt();
    if (loadGifBytes() > 0) {
        // A saved count the counter cannot hold leaves the stream's own count.
        setLoops(bag.read("Loops", 0).toLongLong());
    }
}

void ucAniGIF::WriteProperties(anigif::PropertyBag &bag) const {
    bag.write("GIF", m_gifBytes);
    bag.write("Delay", m_minFrameDelay, 50);
    bag.write("Stretch", m_stretch + (m_autoSize ? 8 : 0), 1);
    bag.write("Loops", m_loops, 0);
    bag.write("DelayLoad", m_delayAnimation, 1);
    bag.write("Mirror", m_mirrored, 0);
    if (!m_mouseIcon.isNull()) bag.write("MouseIcon", m_mouseIcon);
    bag.write("MousePointer", m_mousePointer, 0);
    bag.write("Enabled", m_enabled, true);
    bag.write("OffsetX", m_offsetX, 0);
    bag.write("OffsetY", m_offsetY, 0);
    bag.write("BkgFill", qint64(m_backColor), qint64(kSystemColour | 0x0F));
    bag.write("BkgUsed", m_backStyle, 0);
    bag.write("StepDelay", m_steppedDelay, 0);
}

// ---- mouse ---------------------------------------------------------------

void ucAniGIF::raiseMouse(int kind, QMouseEvent *e) {
    const QPointF pos = e->position();
    const float x = float(std::floor(m_host->pixelsToContainerX(pos.x())));
    const float y = float(std::floor(m_host->pixelsToContainerY(pos.y())));
    const short shift = vbShift(e->modifiers());
    if (kind == 0) emit MouseDown(vbButton(e->button()), shift, x, y);
    if (kind == 1) emit MouseUp(vbButton(e->button()), shift, x, y);
    if (kind == 2) emit MouseMove(vbButton(e->buttons()), shift, x, y);
}

void ucAniGIF::mousePressEvent(QMouseEvent *e) { raiseMouse(0, e); }

void ucAniGIF::mouseReleaseEvent(QMouseEvent *e) {
    raiseMouse(1, e);
    if (rect().contains(e->position().toPoint())) emit Click();
}

void ucAniGIF::mouseMoveEvent(QMouseEvent *e) { raiseMouse(2, e); }
