#include "Requirements.h"
#include "TestEnvironment.h"

#include "model/PageFile.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Finished
{
    int exitCode = -1;
    QString out;
    QString error;
};

// tavrel on the X display of the test run, ended by TAVREL_HOLD_MS.
Finished RunOnDisplay(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("TAVREL_HOLD_MS"), QStringLiteral("1500"));
    process.setProcessEnvironment(environment);
    process.start(testenv::TavrelProgram(), arguments);
    process.waitForFinished(60000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// A page named on the command line opens in an edit-only instance's main
// window; a page that cannot be read ends the program (once its message is
// closed, here by the hold time) with status 1.
TEST(ProgramStart, OpensAGivenPageAndEndsOnABrokenOne)
{
    if (!testenv::HasXDisplay())
        TAVREL_SKIP_WITHOUT(testenv::Need::kXDisplay, "DISPLAY is not set");
    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("page.tavrel"));
    CFrame object;
    object.rect = CRect{100, 100, 500, 300};
    object.backgroundColor = 0xFF00FF00u;
    CPageFileContext context;
    context.rasterWidth = 1920;
    context.rasterHeight = 1080;
    context.desktopDpi = 96;
    ASSERT_EQ(WritePage(page, FrameList{&object}, context), 1);

    const Finished shown = RunOnDisplay({page});
    EXPECT_EQ(shown.exitCode, 0) << shown.error.toStdString();
    EXPECT_TRUE(shown.out.contains(QStringLiteral("edit-only instance, page "))) << shown.out.toStdString();

    const QString broken = dir.filePath(QStringLiteral("broken.tavrel"));
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("QLPF but nothing after it");
    file.close();
    const Finished failed = RunOnDisplay({broken});
    EXPECT_EQ(failed.exitCode, 1) << failed.error.toStdString();
}

}  // namespace
