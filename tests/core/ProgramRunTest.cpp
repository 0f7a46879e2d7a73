// Runs the built program from a copy of the portable installation, headless,
// the way a user's first and second start would go.
#include "support/TempPortable.h"

#include <QDeadlineTimer>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

namespace {

const QByteArray kDefaultConfig("15\r\n4\r\nFull_Screen\r\n\r\n\r\n");
const QByteArray kDefaultList("0\r\n14\r\n1\r\n1\r\n2\r\n5\r\n3\r\n20\r\n\r\n\r\n");

class ProgramRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        program = installBuiltProgram(portable);
        ASSERT_TRUE(QFileInfo(program).isExecutable()) << program.toStdString();
        ASSERT_TRUE(QFile::exists(portable.appDir() + "/pic_not_available.gif"));
        ASSERT_TRUE(QFile::exists(portable.appDir() + "/Cirrolith.html"));
    }

    void launch()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.start(program, {});
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    // Waits until the program has written both settings files.
    bool waitForFiles(int ms)
    {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            if (portable.read("Cirrolith4_Config.dat") == kDefaultConfig &&
                portable.read("Cirrolith4_Picture_List.dat") == kDefaultList)
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    void stop()
    {
        process.kill();
        process.waitForFinished(5000);
    }

    TempPortable portable;
    QString program;
    QProcess process;
};

} // namespace

TEST_F(ProgramRun, TwoStartsInARowOnAnEmptyWorkFolder)
{
    launch();
    ASSERT_TRUE(waitForFiles(30000)) << process.readAllStandardError().toStdString();
    // It stays up without a display.
    EXPECT_FALSE(process.waitForFinished(1500));
    EXPECT_EQ(process.state(), QProcess::Running);
    stop();

    const QDateTime written = QFileInfo(portable.work("Cirrolith4_Config.dat")).lastModified();
    QThread::msleep(1100);
    launch();
    EXPECT_FALSE(process.waitForFinished(3000));
    stop();
    EXPECT_EQ(portable.read("Cirrolith4_Config.dat"), kDefaultConfig);
    EXPECT_EQ(portable.read("Cirrolith4_Picture_List.dat"), kDefaultList);
    EXPECT_EQ(QFileInfo(portable.work("Cirrolith4_Config.dat")).lastModified(), written);
}

TEST_F(ProgramRun, AnEmptyFirstLineInThePictureListMeansAFirstRun)
{
    portable.write("Cirrolith4_Config.dat", "45\r\n10\r\nNormal\r\n\r\n\r\n");
    portable.write("Cirrolith4_Picture_List.dat", "\r\n7\r\n\r\n\r\n");
    launch();
    EXPECT_TRUE(waitForFiles(30000)) << process.readAllStandardError().toStdString();
    stop();
}

TEST_F(ProgramRun, WorkFolderThatCannotBeCreatedEndsWithAnError)
{
    QDir(portable.root()).rmdir("Data");
    QFile blocker(portable.root() + "/Data");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    launch();
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_TRUE(process.readAllStandardError().contains("Cirrolith_Work"));
}
