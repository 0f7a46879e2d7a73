// cirrolith-gif: the animated-GIF control from the command line.
//   dump FILE OUTDIR           frames.json and frame_NNN.png as the control shows them
//   export FILE N OUT.gif      frame N written by the control's own GIF exporter
//   decode FILE [--repeat N]   load and decode every frame N times, for timing
#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>

#include "ucAniGIF.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: cirrolith-gif dump FILE OUTDIR\n"
                 "       cirrolith-gif export FILE N OUT.gif\n"
                 "       cirrolith-gif decode FILE [--repeat N]\n");
    return 2;
}

// The control as the tool uses it: run mode, no stretching, offset or mirroring,
// transparent back style, every frame decoded during the load.
void setUp(ucAniGIF &gif) {
    gif.setStretch(0);
    gif.setOffsetX(0);
    gif.setOffsetY(0);
    gif.setMirrored(0);
    gif.setBackStyle(0);
    gif.setDelayAnimation(0);
}

int dump(const QString &file, const QString &outDir) {
    ucAniGIF gif;
    setUp(gif);
    if (!gif.LoadAnimatedGIF_File(file)) {
        std::fprintf(stderr, "cirrolith-gif: %s gave no frames\n", qPrintable(file));
        return 1;
    }
    const anigif::AniGifCore &core = gif.core();
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "cirrolith-gif: cannot create %s\n", qPrintable(outDir));
        return 1;
    }
    gif.resize(core.width(), core.height());
    gif.setAction(ucAniGIF::Stop);

    QJsonObject doc;
    doc["W"] = core.width();
    doc["H"] = core.height();
    doc["Loops"] = gif.Loops();
    QJsonArray frames;
    for (int f = 1; f <= core.frameCount(); ++f) {
        if (f > 1) gif.setAction(ucAniGIF::Step);
        QImage surface(core.width(), core.height(), QImage::Format_ARGB32_Premultiplied);
        surface.fill(0);
        {
            QPainter p(&surface);
            gif.renderCurrentFrame(p);
        }
        const QString name = QDir(outDir).filePath(QString::asprintf("frame_%03d.png", f));
        if (!surface.convertToFormat(QImage::Format_ARGB32).save(name, "PNG")) {
            std::fprintf(stderr, "cirrolith-gif: cannot write %s\n", qPrintable(name));
            return 1;
        }
        const anigif::FrameInfo &fi = core.frame(f);
        QJsonObject o;
        o["left"] = fi.left;
        o["top"] = fi.top;
        o["width"] = fi.width;
        o["height"] = fi.height;
        o["delayMs"] = fi.delayMs;
        o["disposal"] = fi.disposal;
        o["hasTransparency"] = fi.hasTransparency;
        o["transIndex"] = fi.transIndex;
        o["paletteRow"] = fi.paletteRow;
        frames.append(o);
    }
    doc["frames"] = frames;
    QFile json(QDir(outDir).filePath("frames.json"));
    if (!json.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        json.write(QJsonDocument(doc).toJson()) < 0) {
        std::fprintf(stderr, "cirrolith-gif: cannot write frames.json\n");
        return 1;
    }
    return 0;
}

int exportFrame(const QString &file, const QString &nText, const QString &out) {
    bool ok = false;
    const int n = nText.toInt(&ok);
    if (!ok) return usage();
    ucAniGIF gif;
    setUp(gif);
    if (!gif.LoadAnimatedGIF_File(file)) {
        std::fprintf(stderr, "cirrolith-gif: %s gave no frames\n", qPrintable(file));
        return 1;
    }
    if (n < 1 || n > gif.FrameCount()) {
        std::fprintf(stderr, "cirrolith-gif: frame %d out of 1..%d\n", n, gif.FrameCount());
        return 1;
    }
    const QByteArray bytes = gif.core().exportFrameGif(n);
    QFile f(out);
    if (bytes.isEmpty() || !f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cirrolith-gif: cannot write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}

int decode(const QString &file, int repeat) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cirrolith-gif: cannot read %s\n", qPrintable(file));
        return 1;
    }
    const QByteArray bytes = f.readAll();
    ucAniGIF gif;
    setUp(gif);
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < repeat; ++i) {
        if (!gif.LoadAnimatedGIF_Array(bytes)) {
            std::fprintf(stderr, "cirrolith-gif: %s gave no frames\n", qPrintable(file));
            return 1;
        }
    }
    const qint64 ms = t.elapsed();
    const int threads = gif.core().lastDecodeThreads();
    std::printf("%d frames, %d x %d, %d loads in %lld ms on %d thread%s\n", gif.FrameCount(),
                gif.core().width(), gif.core().height(), repeat, static_cast<long long>(ms), threads,
                threads == 1 ? "" : "s");
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "dump") return dump(args[2], args[3]);
    if (args.size() == 5 && args[1] == "export") return exportFrame(args[2], args[3], args[4]);
    if ((args.size() == 3 || args.size() == 5) && args[1] == "decode") {
        int repeat = 1;
        if (args.size() == 5) {
            bool ok = false;
            repeat = args[4].toInt(&ok);
            if (args[3] != "--repeat" || !ok || repeat < 1) return usage();
        }
        return decode(args[2], repeat);
    }
    return usage();
}
