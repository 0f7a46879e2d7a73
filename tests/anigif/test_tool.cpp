// cirrolith-gif from the outside: dump against the reference decoder, export, exit codes.
#include <gtest/gtest.h>

#include <random>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "AniGifCore.h"
#include "GifTestKit.h"

namespace {

QString tool() { return qEnvironmentVariable("CIRROLITH_BUILD_DIR") + "/bin/cirrolith-gif"; }

int run(const QStringList &args, QByteArray *out = nullptr) {
    QProcess p;
    p.start(tool(), args);
    if (!p.waitForFinished(60000)) return -1;
    if (out) *out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
}

QString write(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes) {
    QFile f(dir.filePath(name));
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    return f.fileName();
}

} // namespace

TEST(AnigifTool, DumpEqualsReferenceOnOtherEncoders) {
    QTemporaryDir dir;
    std::mt19937 rng(31);
    const QList<QStringList> variants = {{"-O3"}, {"--interlace", "-O2"}, {"--colors", "8"}};
    for (int t = 0; t < 3; ++t) {
        gifkit::Animation a;
        do a = gifkit::randomAnimation(rng, 60, 5);
        while (a.frames.size() < 3);
        a.loops = 3;
        const QByteArray b = gifkit::gifsicle(gifkit::encode(a), variants[t]);
        ASSERT_FALSE(b.isEmpty());
        // Cut-short streams as well: the frames before the cut still show.
        for (const QByteArray &input : {b, b.left(b.size() * 2 / 3)}) {
            const QString file = write(dir, QString("in%1.gif").arg(t), input);
            const QString out = dir.filePath(QString("out%1").arg(t));
            QDir(out).removeRecursively();
            const gifkit::Reference ref = gifkit::referenceDecode(input);
            ASSERT_EQ(run({"dump", file, out}), 0);
            QFile json(out + "/frames.json");
            ASSERT_TRUE(json.open(QIODevice::ReadOnly));
            const QJsonObject doc = QJsonDocument::fromJson(json.readAll()).object();
            EXPECT_EQ(doc["W"].toInt(), ref.width);
            EXPECT_EQ(doc["H"].toInt(), ref.height);
            EXPECT_EQ(doc["Loops"].toInt(), 3);
            const QJsonArray frames = doc["frames"].toArray();
            ASSERT_GE(qsizetype(frames.size()), qsizetype(1));
            int compared = 0;
            for (int i = 0; i < frames.size() && i < int(ref.frames.size()); ++i) {
                if (ref.completeRows[i] != frames[i].toObject()["height"].toInt()) continue;
                QImage png(out + QString::asprintf("/frame_%03d.png", i + 1));
                ASSERT_FALSE(png.isNull()) << i;
                ++compared;
                ASSERT_EQ(gifkit::diff(png, ref.frames[i]), "") << variants[t].join(' ').toStdString()
                                                               << " frame " << i + 1;
            }
            if (input.size() == b.size()) {
                EXPECT_EQ(compared, int(ref.frames.size()));
            }
        }
    }
}

TEST(AnigifTool, ExportDecodesBackAndExitCodes) {
    QTemporaryDir dir;
    std::mt19937 rng(8);
    gifkit::Animation a;
    do a = gifkit::randomAnimation(rng, 50, 4);
    while (a.frames.size() < 2);
    const QString file = write(dir, "a.gif", gifkit::gifsicle(gifkit::encode(a), {"-O2"}));
    const QString out = dir.filePath("f2.gif");
    ASSERT_EQ(run({"export", file, "2", out}), 0);
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const gifkit::Reference back = gifkit::referenceDecode(f.readAll());
    ASSERT_EQ(back.frames.size(), 1u);
    // gifsicle may crop the frame: compare with frame 2 as the control holds it.
    anigif::AniGifCore core;
    QFile in(file);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    ASSERT_GT(core.parse(bytes), 1);
    ASSERT_TRUE(core.allocate(true));
    core.decodeFrames(bytes, 1, core.frameCount());
    EXPECT_EQ(gifkit::diff(back.frames[0], core.frameImage(2)), "");

    EXPECT_EQ(run({"export", file, "99", out}), 1);
    EXPECT_EQ(run({"export", file, "x", out}), 2);
    EXPECT_EQ(run({"dump", file}), 2);
    EXPECT_EQ(run({}), 2);

    QByteArray text;
    EXPECT_EQ(run({"decode", file, "--repeat", "3"}, &text), 0);
    EXPECT_TRUE(text.startsWith(QByteArray::number(core.frameCount()) + " frames")) << text.toStdString();
    EXPECT_TRUE(text.trimmed().endsWith("on 1 thread")) << text.toStdString();  // too small to share out

    // A large multi-frame file is decoded on every core (two at most for its two frames).
    gifkit::Animation big;
    big.screenWidth = 900;
    big.screenHeight = 400;
    big.globalPalette = gifkit::palette(256, 2);
    for (int i = 0; i < 2; ++i) {
        gifkit::Frame f;
        f.width = 900;
        f.height = 400;
        f.pixels.resize(900 * 400);
        for (auto &p : f.pixels) p = std::uint8_t(rng());
        big.frames.push_back(std::move(f));
    }
    const QString bigFile = write(dir, "big.gif", gifkit::encode(big));
    EXPECT_EQ(run({"decode", bigFile}, &text), 0);
    const int cores = std::min(std::max(QThread::idealThreadCount(), 1), 2);
    EXPECT_TRUE(text.trimmed().endsWith(cores == 1 ? "on 1 thread" : "on 2 threads")) << text.toStdString();

    // Random bytes, with and without a real signature: status 1, never a crash.
    for (int t = 0; t < 6; ++t) {
        QByteArray junk(int(rng() % 3000), '\0');
        for (auto &c : junk) c = char(rng());
        if (t % 2) junk.replace(0, 6, "GIF89a");
        const QString j = write(dir, QString("j%1.gif").arg(t), junk);
        EXPECT_EQ(run({"dump", j, dir.filePath("jo")}), 1) << t;
    }
    EXPECT_EQ(run({"dump", dir.filePath("missing.gif"), dir.filePath("mo")}), 1);
}
