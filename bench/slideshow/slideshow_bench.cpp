// Drawing a slide in a tick, and the memory a large slide set takes.
//
//   ShowSlide/prepared       the frame was decoded and scaled while idle
//   ShowSlide/decodeInTick   peer: the same slide decoded and scaled in the tick
//   SlideSet/compressed      500 full-HD JPEG slides as the builder keeps them
//   SlideSet/decoded         peer: the same slides held decoded (measured on
//                            50 and scaled to 500, as 500 would not fit)
#include "acquisition/PictureLoader.h"
#include "core/FormPicture.h"
#include "platform/DialogService.h"
#include "platform/Screen.h"
#include "slideshow/PictureBox.h"
#include "slideshow/Slideshow.h"
#include "support/TempPortable.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <fstream>
#include <unistd.h>
#include <vector>

namespace {

QByteArray jpeg(int w, int h, quint32 seed)
{
    // Smooth shapes with grain: compresses like a photo, not like a flat fill.
    QImage image(w, h, QImage::Format_RGB32);
    QRandomGenerator rng(seed);
    for (int y = 0; y < h; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int g = static_cast<int>(rng.bounded(24));
            line[x] = qRgb((x * 255 / w + g) & 255, (y * 255 / h + g) & 255, ((x + y) / 8 + g) & 255);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

double residentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

struct Window {
    TempPortable portable;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scope{&dialogs};
    FormPicture form{StartOptions{portable.appDir(), QString()}};
    platform::PictureRef picture;

    Window()
    {
        platform::Screen::override(19200, 10800, 96);   // full HD
        form.Form_Load();
        form.generalClock.setEnabled(false);
        form.resize(1920, 1080);
        form.show();
        QFile f(portable.root() + "/big.jpg");
        f.open(QIODevice::WriteOnly);
        f.write(jpeg(4000, 3000, 7));
        f.close();
        picture = acquisition::loadStandardPicture(portable.root() + "/big.jpg", QSize(64, 64))->picture;
        form.listIMAGE[0] = picture;
        form.listImageProperties[0] = 1;
        form.GLOBAL_IMAGE_CURRENT_POINTER = 0;
    }
};

void showSlide(benchmark::State &state, bool prepared)
{
    static Window *window = new Window;   // one window for the whole run
    Slideshow &show = *window->form.slideshow;
    const auto box = show.layoutFor(*window->picture, 1);
    const QSize size = Slideshow::frameSize(*window->picture, *box, true);
    for (auto _ : state) {
        state.PauseTiming();
        show.frames.clear();
        show.fotoBrowser->clearPicture();
        if (prepared)
            show.frames.prepare(window->picture, size);
        state.ResumeTiming();
        show.ShowSlide(window->picture);
        show.fotoBrowser->repaint();
    }
}

void BM_ShowSlidePrepared(benchmark::State &state) { showSlide(state, true); }
void BM_ShowSlideDecodeInTick(benchmark::State &state) { showSlide(state, false); }

const QString &slideFile()
{
    static const QString path = [] {
        const QString p = QDir::tempPath() + QStringLiteral("/cirrolith_bench_fullhd.jpg");
        QFile f(p);
        f.open(QIODevice::WriteOnly);
        f.write(jpeg(1920, 1080, 11));
        return p;
    }();
    return path;
}

void BM_SlideSetCompressed(benchmark::State &state)
{
    const QString path = slideFile();
    for (auto _ : state) {
        const double before = residentMiB();
        std::vector<platform::PictureRef> slides;
        for (int i = 0; i < 500; ++i)
            slides.push_back(acquisition::loadStandardPicture(path, QSize(346, 260))->picture);
        state.counters["MiB_for_500"] = residentMiB() - before;
        state.counters["process_MiB"] = residentMiB();
    }
}

void BM_SlideSetDecoded(benchmark::State &state)
{
    const QString path = slideFile();
    for (auto _ : state) {
        const double before = residentMiB();
        std::vector<QImage> slides;
        for (int i = 0; i < 50; ++i) {
            QImage image(path);
            image.detach();
            slides.push_back(image.convertToFormat(QImage::Format_RGB32));
        }
        state.counters["MiB_for_500"] = (residentMiB() - before) * 10;
    }
}

} // namespace

BENCHMARK(BM_ShowSlidePrepared)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_ShowSlideDecodeInTick)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_SlideSetCompressed)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SlideSetDecoded)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
