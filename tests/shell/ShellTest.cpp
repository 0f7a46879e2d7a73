// The launching routine: the error table, the ".EXE" rule and the two call
// patterns, and real launches through a stand-in opener on PATH.
#include "shell/mShellExecute.h"
#include "support/StandInOpener.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

using namespace shell;

namespace {

constexpr const char *kGeneral = "An error occurred occurred whilst trying to open or print the selected file.";
const QString kPage = QStringLiteral("http://127.0.0.1:8473/public/Help-Online.asp");

QString sourceName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName() + QStringLiteral(".GShell");
}

} // namespace

TEST(ShellTable, EveryResultHasItsNumberAndText)
{
    const struct {
        int result;
        std::int32_t number;
        const char *text;
    } rows[] = {
        {0, 7, "Out of memory"},
        {2, 53, "File not found"},
        {3, 76, "Path not found"},
        {5, 75, "Path/file access error"},
        {8, 7, "Out of memory"},
        {11, -2147220445, "The executable file is invalid or corrupt"},
        {26, 75, "A sharing violation occurred."},
        {27, -2147220429, "This file type does not have a valid file association."},
        {28, 286, "The file could not be opened due to time out.  Please try again in a moment."},
        {29, 285, "The file could not be opened because the DDE transaction failed.  Please try again in a moment."},
        {30, 285, "The file could not be opened because the target application is busy.  Please try again in a moment."},
        {31, -2147220425, "No application is associated with this file type."},
        {32, 48, "The specified dynamic-link library was not found."},
        {1, -2147220455, kGeneral},
        {12, -2147220444, kGeneral},
        {25, -2147220431, kGeneral},
    };
    for (const auto &row : rows) {
        const Failure f = failureFor(row.result);
        EXPECT_EQ(f.number, row.number) << row.result;
        EXPECT_EQ(f.text, QString::fromLatin1(row.text)) << row.result;
    }
    for (int r : {33, 42, 1000, -1, -5})
        EXPECT_TRUE(accepted(r)) << r;
    for (int r = 0; r <= 32; ++r)
        EXPECT_FALSE(accepted(r)) << r;
}

TEST(ShellTable, ExeRuleAndTheTwoCallPatterns)
{
    // No parameters and no folder: shown normally whatever the caller asked.
    Call c = planCall(kPage, 10, QString(), QString(), "open");
    EXPECT_EQ(c.showCommand, kShowNormal);
    EXPECT_EQ(c.file, kPage);
    EXPECT_EQ(c.operation, "open");

    // With parameters or a folder, the caller's style ...
    c = planCall("/tmp/notes.txt", 3, "-x", QString(), "open");
    EXPECT_EQ(c.showCommand, 3);
    EXPECT_EQ(c.parameters, "-x");
    c = planCall("/tmp/notes.txt", 3, QString(), "/tmp", "open");
    EXPECT_EQ(c.showCommand, 3);
    EXPECT_EQ(c.folder, "/tmp");

    // ... except for anything whose name holds ".EXE", in any case.
    for (const char *name : {"setup.exe", "C:/Tools/TeamViewerEng.EXE", "a.Exe.txt"}) {
        c = planCall(QString::fromLatin1(name), 10, "-p", "/tmp", "open");
        EXPECT_EQ(c.showCommand, kShowHidden) << name;
        EXPECT_EQ(c.parameters, "-p");
    }
    // The rule does not beat the normal show of a call without parameters.
    EXPECT_EQ(planCall("setup.exe", 10, QString(), QString(), "open").showCommand, kShowNormal);
}

TEST(ShellTable, OpenerOutcomes)
{
    EXPECT_EQ(resultOfOpener(OpenerEnd::Missing), 2);
    EXPECT_TRUE(accepted(resultOfOpener(OpenerEnd::Exited, 0)));
    EXPECT_TRUE(accepted(resultOfOpener(OpenerEnd::StillRunning)));
    EXPECT_EQ(resultOfOpener(OpenerEnd::Exited, 2), 2);
    EXPECT_EQ(resultOfOpener(OpenerEnd::Exited, 3), 31);
    for (int status : {1, 4, 5, 127, 255})
        EXPECT_EQ(failureFor(resultOfOpener(OpenerEnd::Exited, status)).text, kGeneral) << status;
    EXPECT_EQ(failureFor(resultOfOpener(OpenerEnd::Crashed)).text, kGeneral);
}

class Launch : public ::testing::Test {
protected:
    void SetUp() override { clearLastError(); }
    StandInOpener opener;
};

TEST_F(Launch, AddressesGoToTheOpenerAndItsStatusIsMapped)
{
    ASSERT_TRUE(ShellExecuteFile(kPage, 10, QString(), QString(), "open", nullptr));
    ASSERT_EQ(opener.calls().size(), 1);
    EXPECT_EQ(opener.calls()[0], QStringList{kPage});
    EXPECT_EQ(lastError().number, 0);

    const struct {
        int status;
        std::int32_t number;
        const char *text;
    } failures[] = {{2, 53, "File not found"},
                    {3, -2147220425, "No application is associated with this file type."},
                    {1, -2147220455, kGeneral},
                    {4, -2147220455, kGeneral}};
    for (const auto &f : failures) {
        opener.setStatus(f.status);
        clearLastError();
        EXPECT_FALSE(ShellExecuteFile(kPage, 10, QString(), QString(), "open", nullptr)) << f.status;
        EXPECT_EQ(lastError().number, f.number) << f.status;
        EXPECT_EQ(lastError().description, QString::fromLatin1(f.text)) << f.status;
        EXPECT_EQ(lastError().source, sourceName());
    }
    EXPECT_EQ(opener.calls().size(), 5);
}

TEST_F(Launch, MissingOpenerIsFileNotFound)
{
    opener.removeFromPath();
    EXPECT_FALSE(ShellExecuteFile(kPage, 10, QString(), QString(), "open", nullptr));
    EXPECT_EQ(lastError().number, 53);
    EXPECT_EQ(lastError().description, "File not found");
    EXPECT_TRUE(opener.calls().isEmpty());
}

TEST_F(Launch, AnOpenerThatStaysHasTakenTheRequestAndTheWindowKeepsRunning)
{
    opener.hold();
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(50);
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(ShellExecuteFile(kPage, 10, QString(), QString(), "open", nullptr));
    EXPECT_GE(clock.elapsed(), kOpenerWaitMs - 100);
    EXPECT_LT(clock.elapsed(), kOpenerWaitMs + 2000);
    EXPECT_GT(ticks, 10) << "events are processed while the opener is waited for";
}

TEST_F(Launch, LocalFilesProgramsAndOperations)
{
    QTemporaryDir dir;
    // A document goes to the opener by its full path.
    const QString doc = dir.filePath("notes.txt");
    QFile(doc).open(QIODevice::WriteOnly);
    EXPECT_TRUE(ShellExecuteFile("notes.txt", 10, QString(), dir.path(), "open", nullptr));
    ASSERT_EQ(opener.calls().size(), 1);
    EXPECT_EQ(opener.calls()[0], QStringList{doc});

    // Missing files and folders are reported without asking the opener.
    EXPECT_FALSE(ShellExecuteFile(dir.filePath("gone.txt"), 10, QString(), QString(), "open", nullptr));
    EXPECT_EQ(lastError().number, 53);
    EXPECT_FALSE(ShellExecuteFile(dir.filePath("no/such/file.txt"), 10, QString(), QString(), "open", nullptr));
    EXPECT_EQ(lastError().number, 76);
    // The opener only opens.
    EXPECT_FALSE(ShellExecuteFile(doc, 10, QString(), QString(), "print", nullptr));
    EXPECT_EQ(lastError().description, "No application is associated with this file type.");
    EXPECT_EQ(opener.calls().size(), 1);

    // A program starts detached with its parameters, in the given folder.
    const QString program = dir.filePath("tool.exe");
    QFile script(program);
    script.open(QIODevice::WriteOnly);
    script.write("#!/bin/sh\npwd > ran.txt\nfor a in \"$@\"; do echo \"$a\" >> ran.txt; done\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(ShellExecuteFile(program, 10, "first second", dir.path(), "open", nullptr));
    QFile ran(dir.filePath("ran.txt"));
    for (QDeadlineTimer deadline(5000); !ran.exists() && !deadline.hasExpired();)
        QThread::msleep(20);
    QThread::msleep(100);
    ASSERT_TRUE(ran.open(QIODevice::ReadOnly));
    EXPECT_EQ(ran.readAll(), (dir.path() + "\nfirst\nsecond\n").toUtf8());
    EXPECT_EQ(opener.calls().size(), 1);
}
