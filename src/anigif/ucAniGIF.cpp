// The control's life: construction, the load sources and the one load routine they all
// end in, building the frame strip, and the reset before each load.
#include "ucAniGIF.h"

#include <cmath>

#include <QFile>
#include <QPointer>
#include <QTimer>

ucAniGIF::ucAniGIF(QWidget *parent, anigif::AniGifHost *host)
    : QWidget(parent), m_timer(new QTimer(this)) {
    if (!host) {
        m_ownHost = std::make_unique<anigif::AniGifHost>();
        host = m_ownHost.get();
    }
    m_host = host;
    m_timer->setSingleShot(true);
    // Frame delays are kept to the millisecond; a coarse timer drifts by percents.
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &ucAniGIF::timerTick);
    // Transparent back style lets the parent show through.
    setAttribute(Qt::WA_TranslucentBackground, false);
    setAutoFillBackground(false);
    setMouseTracking(true);
}

ucAniGIF::~ucAniGIF() {
    resetControl();
}

// ---- loading -------------------------------------------------------------

bool ucAniGIF::LoadAnimatedGIF_File(const QString &fileName) {
    QFile file(fileName);
    if (file.exists() && file.open(QIODevice::ReadOnly)) {
        const qint64 size = file.size();
        if (size != 0) {
            QByteArray bytes = file.readAll();
            m_gifBytes = bytes.size() < size ? QByteArray() : bytes;
        }
        file.close();
    }
    return loadGifBytes() != 0;
}

bool ucAniGIF::LoadAnimatedGIF_Array(const QByteArray &bytes) {
    m_gifBytes = bytes;
    return loadGifBytes() != 0;
}

bool ucAniGIF::LoadAnimatedGIF_Array(const void *firstElement, qsizetype elementCount,
                                     qsizetype elementSize) {
    if (firstElement && elementCount > 0 && elementSize > 0)
        m_gifBytes = QByteArray(static_cast<const char *>(firstElement), elementCount * elementSize);
    return loadGifBytes() != 0;
}

void ucAniGIF::LoadAnimatedGIF_Remote(const QString &remotePath) {
    if (remotePath.isEmpty()) return;
    const QString prop = QStringLiteral("remoteGIF");
    QPointer<ucAniGIF> self(this);
    auto progress = [self, prop](int status) {
        if (!self || status != 0) return;
        self->m_host->cancelAsyncRead(prop);
        emit self->RemoteLoadFailure();
    };
    auto complete = [self](const QByteArray &bytes) {
        if (!self) return;
        if (bytes.size() <= 14) {
            emit self->RemoteLoadFailure();
            return;
        }
        const QByteArray sig = bytes.left(6).toLower();
        if (sig != "gif89a" && sig != "gif87a") {
            emit self->RemoteLoadFailure();
            return;
        }
        const auto *b = reinterpret_cast<const uchar *>(bytes.constData());
        const int w = b[6] | (b[7] << 8);
        const int h = b[8] | (b[9] << 8);
        bool cancel = false;
        emit self->RemoteLoadComplete(float(std::floor(self->m_host->pixelsToContainerWidth(w))),
                                      float(std::floor(self->m_host->pixelsToContainerHeight(h))),
                                      cancel);
        if (!self || cancel) return;
        self->m_gifBytes = bytes;
        self->loadGifBytes();
    };
    if (!m_host->startAsyncRead(remotePath, prop, progress, complete)) emit RemoteLoadFailure();
}

int ucAniGIF::loadGifBytes() {
    resetControl();
    m_loops = 0;
    m_scaleX = m_scaleY = 0.0f;
    int n = 0;
    if (!m_gifBytes.isEmpty()) n = m_core.parse(m_gifBytes);
    if (n > 0) {
        m_loops = m_core.loops();
        m_loopsRemaining = m_loops;
        if (buildFrameStrip(true)) {
            if (runMode() && n == 1) emit FrameChanged(1, false);
            return n;
        }
    }
    m_gifBytes.clear();
    resetControl();
    m_loops = 0;
    update();
    return 0;
}

bool ucAniGIF::buildFrameStrip(bool firstPass) {
    const int n = m_core.frameCount();
    if (!firstPass) {
        m_core.decodeFrames(m_gifBytes, 2, n);
        finishLoad();
        return true;
    }
    if (!m_core.allocate(runMode())) return false;
    // Without a delayed animation every frame is decoded now, in one parallel run.
    const bool allNow = runMode() && m_delayAnimation == 0;
    m_core.decodeFrames(m_gifBytes, 1, allNow ? n : 1);
    m_currentFrame = 1;
    if (runMode()) {
        applyDisplaySize();
        if (m_delayAnimation == 0) {
            finishLoad();
        } else if (n == 1) {
            finishLoad();
        } else {
            m_core.mirror(1, 1, m_mirrored, false);
            m_frame1Mirrored = true;
            if (!startStopTimer(true, true)) finishLoad();
        }
    } else {
        const int keep = m_stretch;
        m_stretch = 4;
        applyDisplaySize();
        m_stretch = keep;
        finishLoad();
    }
    return true;
}

void ucAniGIF::finishLoad() {
    const int n = m_core.frameCount();
    if (!runMode()) {
        m_core.mirror(1, 1, m_mirrored, false);
    } else if (m_frame1Mirrored) {
        m_core.mirror(2, n, m_mirrored, false);
    } else {
        m_core.mirror(1, n, m_mirrored, false);
    }
    m_frame1Mirrored = false;
    if (!runMode()) {
        update();
        return;
    }
    m_gifBytes.clear();
    update();
    if (m_delayAnimation & 2) {
        emit FrameChanged(1, false);
    } else {
        m_loopsRemaining = m_loops;
        startStopTimer(true, false);
    }
}

// Stops the clock and frees every frame; each load starts here.
void ucAniGIF::resetControl() {
    m_timer->stop();
    m_timerKind = TimerNone;
    m_core.reset();
    // Until a frame shows otherwise, what lies under the control shows through.
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    m_action = 0;
    m_currentFrame = 0;
    m_cache.reset();
    m_frame1Mirrored = false;
}
