// What the control shows: its display size and scale factors, the resize, show and
// hide notifications, painting the current frame, and the palette methods.
#include "ucAniGIF.h"

#include <algorithm>

#include <QPainter>
#include <QPalette>

#include "platform/Units.h"

using anigif::ColorRow;

namespace {

int roundPx(double v) { return int(platform::units::roundHalfEven(v)); }

// The colour table the palette methods mean by a frame index: 0 the global table, k the
// local table of frame k; -1 when there is none (a frame on the global table included).
int paletteRowOf(const anigif::AniGifCore &core, int frameIndex) {
    if (frameIndex == 0) return core.stream().hasGlobalTable ? 0 : -1;
    if (frameIndex <= core.frameCount() && core.frame(frameIndex).paletteRow > 0)
        return core.frame(frameIndex).paletteRow;
    return -1;
}

} // namespace

QSize ucAniGIF::ComputeDisplaySize() {
    const int cw = width(), ch = height();
    const int W = m_core.width(), H = m_core.height();
    m_sizeAtCompute = size();
    if (!loaded() || W <= 0 || H <= 0) return {cw, ch};
    const float fx = float(cw) / float(W), fy = float(ch) / float(H);
    QSize result(cw, ch);
    switch (m_stretch) {
    case 0:
    case 4:
        m_scaleX = m_scaleY = 1.0f;
        if (m_stretch == 4) result = QSize(W, H);
        break;
    case 1:
    case 2:
    case 3:
        if (m_stretch == 2) {
            m_scaleX = fx;
            m_scaleY = fy;
        } else if (m_stretch == 3 && fx > 1.0f && fy > 1.0f) {
            m_scaleX = m_scaleY = 1.0f;
        } else {
            m_scaleX = m_scaleY = std::min(fx, fy);
        }
        if (m_autoSize) result = QSize(roundPx(double(m_scaleX) * W), roundPx(double(m_scaleY) * H));
        break;
    default:
        break;
    }
    return result;
}

void ucAniGIF::applyDisplaySize() {
    if (!loaded() || m_resizing) return;
    const QSize want = ComputeDisplaySize();
    if (size() == want) {
        update();
        return;
    }
    m_resizing = true;
    resize(want);
    m_resizing = false;
    // Factors follow the size the control really got.
    ComputeDisplaySize();
    update();
}

void ucAniGIF::resizeEvent(QResizeEvent *e) {
    QWidget::resizeEvent(e);
    applyDisplaySize();
}

void ucAniGIF::showEvent(QShowEvent *e) {
    QWidget::showEvent(e);
    if (m_scaleX == 0.0f) ComputeDisplaySize();
    if (m_action == 2) startStopTimer(true, false);
}

void ucAniGIF::hideEvent(QHideEvent *e) {
    QWidget::hideEvent(e);
    setAction(Pause);
}

// ---- painting ------------------------------------------------------------

QColor ucAniGIF::resolvedBackColor() const {
    if (m_backColor & kSystemColour) {
        const QPalette pal = palette();
        switch (m_backColor & 0xFF) {
        case 5: return pal.color(QPalette::Base);           // window background
        case 8: return pal.color(QPalette::Text);           // window text
        case 6: return pal.color(QPalette::WindowText);     // window frame
        case 1: return pal.color(QPalette::Dark);           // desktop
        case 0x0D: return pal.color(QPalette::Highlight);
        case 0x0E: return pal.color(QPalette::HighlightedText);
        case 0x10: return pal.color(QPalette::Dark);        // button shadow
        case 0x12: return pal.color(QPalette::ButtonText);
        case 0x14: return pal.color(QPalette::Light);       // button highlight
        case 0x18: return pal.color(QPalette::ToolTipBase);
        default: return pal.color(QPalette::Button);        // button face and the rest
        }
    }
    // Stored as 0x00BBGGRR.
    return QColor(int(m_backColor & 0xFF), int((m_backColor >> 8) & 0xFF), int((m_backColor >> 16) & 0xFF));
}

anigif::RenderParams ucAniGIF::renderParams() const {
    anigif::RenderParams rp;
    rp.offsetX = m_offsetX;
    rp.offsetY = m_offsetY;
    rp.scaleX = m_scaleX;
    rp.scaleY = m_scaleY;
    rp.clientWidth = width();
    rp.clientHeight = height();
    rp.opaque = m_backStyle == 1 || m_windowed;
    rp.backColor = resolvedBackColor();
    return rp;
}

void ucAniGIF::updateFrameArea() {
    // Only the pixels the new frame really changes are painted again (a radar
    // loop's echoes, not its map): scaling the whole screen each frame is most
    // of the cost. The canvas is composed here to find them.
    if (m_scaleX == 0.0f || size() != m_sizeAtCompute || !runMode() || !isVisible()) {
        update();
        return;
    }
    const std::optional<QRect> changed = m_core.composeTo(m_currentFrame);
    const anigif::RenderParams rp = renderParams();
    // What the control covers with opaque pixels needs nothing painted under it.
    const bool opaque = m_core.paintsOpaque(rp);
    if (testAttribute(Qt::WA_OpaquePaintEvent) != opaque) setAttribute(Qt::WA_OpaquePaintEvent, opaque);
    if (!changed)
        update();
    else if (!changed->isEmpty())
        update(m_core.screenArea(*changed, rp));
}

void ucAniGIF::renderCurrentFrame(QPainter &p) {
    if (!loaded() || m_currentFrame == 0) return;
    // A hidden control gets its resize notification only when shown.
    if (m_scaleX == 0.0f || size() != m_sizeAtCompute) ComputeDisplaySize();
    m_core.renderFrame(m_currentFrame, p, renderParams());
}

void ucAniGIF::paintEvent(QPaintEvent *) {
    QPainter p(this);
    renderCurrentFrame(p);
    if (!runMode()) {
        p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        p.drawRect(0, 0, width() - 1, height() - 1);
    }
    if (testAttribute(Qt::WA_OpaquePaintEvent) && !(loaded() && m_core.paintsOpaque(renderParams()))) {
        // Some of it turned see-through since the last frame (a stop, a new load):
        // what lies under it is painted again.
        setAttribute(Qt::WA_OpaquePaintEvent, false);
        update();
    }
}

void ucAniGIF::Refresh() { repaint(); }

// ---- palettes ------------------------------------------------------------

bool ucAniGIF::GetPalette(int frameIndex, std::vector<std::uint32_t> &paletteEntries) {
    if (!loaded() || frameIndex < 0) return false;
    completeDeferredDecoding();
    const bool wasPlaying = m_action == 1;
    if (wasPlaying) setAction(Pause);
    bool ok = false;
    const auto &tables = m_core.stream().colorTables;
    const int row = paletteRowOf(m_core, frameIndex);
    if (row >= 0 && row < int(tables.size()) && tables[row][256] > 0) {
        const ColorRow &r = tables[row];
        paletteEntries.assign(r.begin(), r.begin() + r[256]);
        ok = true;
    }
    if (wasPlaying) setAction(Play);
    return ok;
}

bool ucAniGIF::SetPalette(int frameIndex, const std::vector<std::uint32_t> &paletteEntries) {
    if (!loaded() || paletteEntries.empty() || frameIndex < 0) return false;
    completeDeferredDecoding();
    const bool wasPlaying = m_action == 1;
    if (wasPlaying) setAction(Pause);
    bool ok = false;
    auto &tables = m_core.colorTables();
    const int row = paletteRowOf(m_core, frameIndex);
    if (row >= 0 && row < int(tables.size())) {
        const std::uint32_t count = tables[row][256];
        if (paletteEntries.size() >= count) {
            for (std::uint32_t i = 0; i < count; ++i) tables[row][i] = paletteEntries[i] & 0xFFFFFF;
            ok = true;
        }
    }
    if (wasPlaying)
        setAction(Play);
    else
        update();
    return ok;
}

bool ucAniGIF::CacheColorTables() {
    if (m_cache) return false;
    m_cache = m_core.stream().colorTables;
    return true;
}

bool ucAniGIF::RestoreColorTables(bool releaseCache) {
    if (!m_cache) return false;
    m_core.colorTables() = *m_cache;
    if (releaseCache) m_cache.reset();
    return true;
}
