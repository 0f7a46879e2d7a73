// One web page turned into a slide, on a real X screen (the benchmark starts
// itself under xvfb-run when there is none), against the reference server
// serving the demo web root.
//
//   Capture/page         one capture of the demo forecast page at normal
//                        speed; beyond_waits_ms is its time beyond the
//                        2 + 4 + 1 s the capture always waits; memory is the
//                        resident size summed over the whole process tree
//                        (web-engine helpers included), before, at the peak
//                        during, and 2 s after the capture
//   Capture/plainPicture peer: a full-HD JPEG of the same server loaded into
//                        a slot
//   Steady/withPages     a slideshow of four demo pictures and the two demo
//                        pages, each slide shown once, measured in a fresh
//                        process; process-tree MiB
//   Steady/withoutPages  peer: the same slideshow without the pages
#include "acquisition/SlideSetBuilder.h"
#include "core/FormPicture.h"
#include "panel/SetupPanel.h"
#include "panel/TownFrame.h"
#include "platform/Clock.h"
#include "platform/DialogService.h"
#include "platform/EventPump.h"
#include "server/ServerProcess.h"
#include "slideshow/Slideshow.h"
#include "slideshow/WebCapture.h"
#include "support/TempPortable.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>

namespace {

// Resident MiB of this process and all its descendants, from /proc.
double processTreeMiB()
{
    QHash<int, int> parent;
    QHash<int, long> pages;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool ok = false;
        const int pid = entry.toInt(&ok);
        if (!ok)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // Fields after the command name, which may hold blanks.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 22)
            continue;
        parent[pid] = fields[1].toInt();
        pages[pid] = fields[21].toLong();
    }
    const int self = static_cast<int>(getpid());
    long total = 0;
    for (auto it = pages.cbegin(); it != pages.cend(); ++it) {
        int p = it.key();
        for (int hops = 0; p > 1 && p != self && hops < 64; ++hops)
            p = parent.value(p, 0);
        if (p == self)
            total += it.value();
    }
    return total * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The demo catalogue's address for a picture code, pointed at `port`.
QString demoAddress(const char *code, int port)
{
    for (const QString &line : QString::fromUtf8(readFile(QStringLiteral(CIRROLITH_DEMO_CATALOGUE))).split('\n'))
        if (line.contains(QStringLiteral(" %1 ").arg(QLatin1String(code))))
            return line.section('|', 0, 0).trimmed().replace(QStringLiteral("127.0.0.1:8473"),
                                                             QStringLiteral("127.0.0.1:%1").arg(port));
    return {};
}

// The main window on screen, with the demo web root served.
struct Window {
    servertest::ServerProcess server;
    TempPortable portable;
    platform::ScriptedDialogs dialogs;
    platform::ScopedDialogs scope{&dialogs};
    std::unique_ptr<FormPicture> form;

    Window()
    {
        server.start({"--catalogue", CIRROLITH_DEMO_CATALOGUE, "--webroot", CIRROLITH_DEMO_WEBROOT});
        form = std::make_unique<FormPicture>(StartOptions{portable.appDir(), QString()});
        form->Form_Load();
        form->generalClock.setEnabled(false);
        form->showCoveringScreen();
        const QStringList town = {"Courmayeur", "Italy", "45.79", "6.97"};
        for (int i = 0; i < town.size(); ++i)
            form->FormYourTown->PARAM[i]->setText(town[i]);
        platform::EventPump::Sleep(500);
    }
};

Window &window()
{
    static Window *w = new Window;   // one window and one engine for the run
    return *w;
}

void BM_CapturePage(benchmark::State &state)
{
    Window &win = window();
    FormPicture &form = *win.form;
    WebCapture &capture = *form.slideshow->webCapture;
    form.webPageAddress = demoAddress("FCPAGE", win.server.port()).replace(0, 1, QStringLiteral("h"));
    const double before = processTreeMiB();
    double peak = before;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] { peak = std::max(peak, processTreeMiB()); });
    double beyond = 0;
    for (auto _ : state) {
        sampler.start(100);
        QElapsedTimer t;
        t.start();
        const auto outcome = capture.CaptureWebPage();
        const double ms = static_cast<double>(t.nsecsElapsed()) / 1e6;
        sampler.stop();
        if (outcome != WebCapture::Outcome::Captured)
            state.SkipWithError("the page was not captured");
        beyond += ms - (2000 + 4000 + 1000);
        state.SetIterationTime(ms / 1000.0);
    }
    platform::EventPump::Sleep(2000);
    state.counters["beyond_waits_ms"] = beyond / static_cast<double>(state.iterations());
    state.counters["tree_MiB_before"] = before;
    state.counters["tree_MiB_peak"] = peak;
    state.counters["tree_MiB_after"] = processTreeMiB();
}

void BM_CapturePlainPicture(benchmark::State &state)
{
    Window &win = window();
    FormPicture &form = *win.form;
    const QString address = QStringLiteral("http://127.0.0.1:%1/demo/sat/europe-visible.jpg").arg(win.server.port());
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        form.listImageProperties[0] = 0;
        form.slides->Load_JPG_GIF_PNG_On_Array(address, 0);
        state.SetIterationTime(static_cast<double>(t.nsecsElapsed()) / 1e9);
    }
    state.counters["beyond_waits_ms"] = 0;
}

// Runs one slideshow in this process and prints its process-tree MiB.
int steadyState(bool withPages)
{
    Window &win = window();
    FormPicture &form = *win.form;
    const int port = win.server.port();
    QStringList set = {demoAddress("SATVIS", port), demoAddress("SATIR", port), demoAddress("CAMHARB", port),
                       demoAddress("SYNOP00", port)};
    if (withPages)
        set << demoAddress("FCPAGE", port) << demoAddress("TOWNPAGE", port);
    for (int i = 0; i < set.size(); ++i)
        form.listURL[i] = set[i];
    platform::Clock::setSpeed(4);
    form.BuildSlideSet(2);
    platform::Clock::setSpeed(1);
    form.catalogueLoaded = 1;
    form.catalogueStatus = QStringLiteral("1");
    form.ranVal = 1440;
    form.SSTCfg->SSTCfg_timeDwLoad->setText(QStringLiteral("1000"));
    for (int i = 0; i < form.slideCount; ++i) {
        form.imgClock.fire();
        platform::EventPump::Sleep(300);
    }
    platform::EventPump::Sleep(3000);
    std::printf("TREE_MIB %.1f SLIDES %d\n", processTreeMiB(), form.slideCount);
    std::fflush(stdout);
    return 0;
}

double steadyInChild(bool withPages)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {withPages ? QStringLiteral("--steady-with-pages") : QStringLiteral("--steady-without-pages")});
    child.waitForFinished(180000);
    const QString out = QString::fromUtf8(child.readAllStandardOutput());
    const qsizetype at = out.indexOf(QStringLiteral("TREE_MIB "));
    return at < 0 ? -1 : out.mid(at + 9).section(' ', 0, 0).toDouble();
}

void BM_SteadyWithPages(benchmark::State &state)
{
    for (auto _ : state)
        state.counters["tree_MiB"] = steadyInChild(true);
}

void BM_SteadyWithoutPages(benchmark::State &state)
{
    for (auto _ : state)
        state.counters["tree_MiB"] = steadyInChild(false);
}

} // namespace

BENCHMARK(BM_CapturePage)->Name("Capture/page")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CapturePlainPicture)->Name("Capture/plainPicture")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_SteadyWithPages)->Name("Steady/withPages")->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_SteadyWithoutPages)->Name("Steady/withoutPages")->Unit(benchmark::kSecond)->Iterations(1);

int main(int argc, char **argv)
{
    // The web engine needs a real screen.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && !qEnvironmentVariableIsSet("CIRROLITH_BENCH_XVFB")) {
        qputenv("CIRROLITH_BENCH_XVFB", "1");
        std::vector<char *> args = {const_cast<char *>("xvfb-run"), const_cast<char *>("-a"),
                                    const_cast<char *>("-s"), const_cast<char *>("-screen 0 1920x1080x24")};
        for (int i = 0; i < argc; ++i)
            args.push_back(argv[i]);
        args.push_back(nullptr);
        execvp("xvfb-run", args.data());
        std::perror("xvfb-run");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    if (argc == 2 && std::strcmp(argv[1], "--steady-with-pages") == 0)
        return steadyState(true);
    if (argc == 2 && std::strcmp(argv[1], "--steady-without-pages") == 0)
        return steadyState(false);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // The window and the engine are left to the end of the process.
    std::_Exit(0);
}
