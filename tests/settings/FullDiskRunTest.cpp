// The built program started on a disk that takes no more bytes: a child whose
// file-size limit is tiny and SIGXFSZ ignored. Its settings must survive.
#include "settings/TownFiles.h"
#include "support/FileSizeLimit.h"
#include "support/TempPortable.h"

#include <QDeadlineTimer>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

TEST(FullDiskRun, StartUpKeepsTheProxyFileAndReportsTheFailedWrite)
{
    TempPortable portable;
    const QString program = installBuiltProgram(portable);
    ASSERT_TRUE(QFileInfo(program).isExecutable()) << program.toStdString();

    // A complete second-run work folder, so start-up asks nothing.
    const QByteArray proxy("\r\n\r\n\r\n\r\n0\r\n");
    ASSERT_EQ(proxy.size(), 11);
    portable.write("Cirrolith4_Config.dat", "15\r\n4\r\nFull_Screen\r\n\r\n\r\n");
    portable.write("Cirrolith4_Picture_List.dat", "0\r\n14\r\n\r\n\r\n");
    portable.write("Cirrolith4_Language.dat", " 1");
    portable.write("Cirrolith4_MyTown.dat", formatTownFile(defaultTownValues(), true));
    portable.write("Cirrolith4_Proxy.dat", proxy);

    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    // Nothing answers here, so the run stays in its connection clock.
    env.insert("CIRROLITH_CATALOGUE_URL", "http://127.0.0.1:9/public/catalogue?");
    process.setProcessEnvironment(env);
    process.setChildProcessModifier([] { filelimit::applyInChild(4); });
    process.start(program, {});
    ASSERT_TRUE(process.waitForStarted(10000));

    // The first tick of the connection clock writes the backup (the proxy
    // file already holds these settings and is left alone).
    QByteArray errors;
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && !errors.contains("Cirrolith4_Proxy.bak")) {
        process.waitForReadyRead(200);
        errors += process.readAllStandardError();
    }
    process.kill();
    process.waitForFinished(5000);
    errors += process.readAllStandardError();

    EXPECT_TRUE(errors.contains("cannot write")) << errors.toStdString();
    EXPECT_EQ(portable.read("Cirrolith4_Proxy.dat"), proxy);
    EXPECT_FALSE(portable.exists("Cirrolith4_Proxy.bak"));
    EXPECT_EQ(portable.read("Cirrolith4_Language.dat"), " 1");
    EXPECT_EQ(portable.read("Cirrolith4_Config.dat"), "15\r\n4\r\nFull_Screen\r\n\r\n\r\n");
}
