// Writes the fuzzer's seed corpus: small GIFs from giflib and gifsicle like the tests use.
#include <random>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "GifTestKit.h"

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) return 2;
    QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(".")) return 1;
    std::mt19937 rng(12345);
    const QList<QStringList> variants = {{"-O3"}, {"--interlace"}, {"--colors", "4"}};
    int written = 0;
    auto save = [&](const QByteArray &b) {
        if (b.isEmpty()) return;
        QFile f(dir.filePath(QString::asprintf("seed_%03d.gif", written++)));
        if (f.open(QIODevice::WriteOnly)) f.write(b);
    };
    for (int i = 0; i < 24; ++i) {
        const QByteArray b = gifkit::encode(gifkit::randomAnimation(rng, 24, 4));
        save(b);
        if (i % 4 == 0) save(gifkit::gifsicle(b, variants[(i / 4) % variants.size()]));
    }
    return written > 0 ? 0 : 1;
}
