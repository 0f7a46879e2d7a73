#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "AniGifCore.h"
#include "AniGifHost.h"

class QTimer;

namespace anigif {

// A picture as the control hands it out and takes it in: the GIF's bytes and the
// image they show.
struct GifPicture {
    QByteArray bytes;
    QImage image;
    bool isNull() const { return bytes.isEmpty(); }
};

} // namespace anigif

// The animated-GIF display control. Frames are decoded once into a strip of colour
// indices; painting applies the palette, transparency and disposal; a timer owned by
// the instance runs the animation.
class ucAniGIF : public QWidget {
    Q_OBJECT
public:
    // Play-state requests of Action.
    enum ActionRequest { Stop = 0, Play = 1, Pause = 2, Step = 3, Restart = 4 };
    // Colours with this bit set name a system colour by their low byte.
    static constexpr std::uint32_t kSystemColour = 0x80000000u;

    // The control uses `host` (not owned) or a default host in run mode.
    explicit ucAniGIF(QWidget *parent = nullptr, anigif::AniGifHost *host = nullptr);
    ~ucAniGIF() override;

    anigif::AniGifHost &host() const { return *m_host; }

    // Loading.
    bool LoadAnimatedGIF_File(const QString &fileName);
    bool LoadAnimatedGIF_Array(const QByteArray &bytes);
    // Any contiguous array, one or two dimensions: its memory is taken byte for byte.
    bool LoadAnimatedGIF_Array(const void *firstElement, qsizetype elementCount, qsizetype elementSize);
    void LoadAnimatedGIF_Remote(const QString &remotePath);

    // Properties.
    anigif::GifPicture AnimatedGIF() const;
    void setAnimatedGIF(const anigif::GifPicture &picture);
    int CurrentFrame() const { return m_currentFrame; }
    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool on);
    bool Enabled() const { return m_enabled; }
    void setControlEnabled(bool on);
    int FrameCount() const { return m_core.frameCount(); }
    void setFrameCount(int) {}
    int ActualWidth() const;
    int ActualHeight() const;
    int Stretch() const { return m_stretch; }
    void setStretch(int mode);
    int MinFrameDelay() const { return m_minFrameDelay; }
    void setMinFrameDelay(int ms);
    int Loops() const { return m_loops; }
    // Returns false, changing nothing, when the loop counter cannot hold the value.
    bool setLoops(std::int64_t loops);
    int LoopsRemaining() const;
    int Mirrored() const { return m_mirrored; }
    void setMirrored(int style);
    int Action() const { return m_action; }
    void setAction(int request);
    int DelayAnimation() const { return m_delayAnimation; }
    void setDelayAnimation(int value);
    QPixmap MouseIcon() const { return m_mouseIcon; }
    void setMouseIcon(const QPixmap &icon);
    int MousePointer() const { return m_mousePointer; }
    void setMousePointer(int pointer);
    int OffsetX() const { return m_offsetX; }
    void setOffsetX(int px);
    int OffsetY() const { return m_offsetY; }
    void setOffsetY(int px);
    std::uint32_t BackColor() const { return m_backColor; }
    void setBackColor(std::uint32_t colour);
    int BackStyle() const { return m_backStyle; }
    void setBackStyle(int style);
    int SteppedDelay() const { return m_steppedDelay; }
    void setSteppedDelay(int ms);
    // A control with a window of its own always draws opaque.
    void setWindowed(bool on) { m_windowed = on; }

    // Methods.
    bool GetPalette(int frameIndex, std::vector<std::uint32_t> &paletteEntries);
    bool SetPalette(int frameIndex, const std::vector<std::uint32_t> &paletteEntries);
    bool CacheColorTables();
    bool RestoreColorTables(bool releaseCache);
    void Refresh();

    // Saved form.
    void ReadProperties(const anigif::PropertyBag &bag);
    void WriteProperties(anigif::PropertyBag &bag) const;

    // Paints the current frame as the control would; the tool and tests use it.
    void renderCurrentFrame(QPainter &p);
    // The width and height the control should have; also sets the scale factors.
    QSize ComputeDisplaySize();
    float scaleX() const { return m_scaleX; }
    float scaleY() const { return m_scaleY; }
    // Display time in ms of frame f under the current delay settings.
    int displayTime(int f) const;
    const anigif::AniGifCore &core() const { return m_core; }
    anigif::AniGifCore &core() { return m_core; }
    bool decodingPending() const { return m_timerKind == TimerDeferred; }
    QColor resolvedBackColor() const;

signals:
    void Click();
    void MouseDown(short Button, short Shift, float x, float y);
    void MouseUp(short Button, short Shift, float x, float y);
    void MouseMove(short Button, short Shift, float x, float y);
    void LoopsEnded();
    void FrameChanged(int FrameIndex, bool viaTimer);
    void RemoteLoadComplete(float gifWidth, float gifHeight, bool &Cancel);
    void RemoteLoadFailure();

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void hideEvent(QHideEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;

private:
    enum TimerKind { TimerNone = 0, TimerAnimation = 1, TimerDeferred = -1 };

    int loadGifBytes();
    bool buildFrameStrip(bool firstPass);
    void finishLoad();
    void completeDeferredDecoding();
    bool startStopTimer(bool start, bool deferredTick);
    void timerTick();
    int nextFrameWait();
    anigif::RenderParams renderParams() const;
    void updateFrameArea();
    void resetControl();
    void applyDisplaySize();
    void notify(const char *name);
    bool runMode() const { return m_host->runMode(); }
    bool loaded() const { return m_core.frameCount() > 0 && m_core.loaded(); }
    void raiseMouse(int kind, QMouseEvent *e);
    void applyCursor();

    std::unique_ptr<anigif::AniGifHost> m_ownHost;
    anigif::AniGifHost *m_host;
    anigif::AniGifCore m_core;
    QByteArray m_gifBytes;
    QElapsedTimer m_clock;          // the animation's time line
    qint64 m_frameDue = 0;          // when the frame on show ends (real ms on m_clock)
    QTimer *m_timer;
    TimerKind m_timerKind = TimerNone;

    int m_currentFrame = 0;
    int m_action = 0;
    int m_loops = 0;
    int m_loopsRemaining = 0;
    int m_minFrameDelay = 50;
    int m_steppedDelay = 0;
    int m_stretch = 1;
    bool m_autoSize = false;
    bool m_enabled = true;
    int m_mirrored = 0;
    bool m_frame1Mirrored = false;
    int m_delayAnimation = 1;
    QPixmap m_mouseIcon;
    int m_mousePointer = 0;
    int m_offsetX = 0, m_offsetY = 0;
    std::uint32_t m_backColor = kSystemColour | 0x0F;
    int m_backStyle = 0;
    bool m_windowed = false;
    float m_scaleX = 0.0f, m_scaleY = 0.0f;
    bool m_resizing = false;
    QSize m_sizeAtCompute;
    std::optional<std::vector<anigif::ColorRow>> m_cache;
};
