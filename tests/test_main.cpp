#include "TestEnvironment.h"

#include "app/MainApp.h"

#include <QDir>
#ifdef TAVREL_TEST_WIDGETS
#include <QApplication>
#else
#include <QGuiApplication>
#endif
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

QString root;

}  // namespace

namespace testenv {

QString Root() { return root; }
QString Home() { return root + QStringLiteral("/home"); }
QString ConfigHome() { return root + QStringLiteral("/config"); }
QString RuntimeDir() { return root + QStringLiteral("/runtime"); }
QString TavrelProgram() { return QStringLiteral(TAVREL_BINARY_DIR "/src/tavrel"); }
QString ToolProgram() { return QStringLiteral(TAVREL_BINARY_DIR "/src/tavrel-tool"); }

}  // namespace testenv

int main(int argc, char* argv[])
{
    ::testing::InitGoogleTest(&argc, argv);

    QTemporaryDir temporary(QDir::tempPath() + QStringLiteral("/tavrel-test-XXXXXX"));
    if (!temporary.isValid())
        return 3;
    root = temporary.path();
    for (const QString& folder : {testenv::Home(), testenv::ConfigHome(), testenv::RuntimeDir()})
        QDir().mkpath(folder);
    QFile::setPermissions(testenv::RuntimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    setenv("HOME", QFile::encodeName(testenv::Home()).constData(), 1);
    setenv("XDG_CONFIG_HOME", QFile::encodeName(testenv::ConfigHome()).constData(), 1);
    setenv("XDG_RUNTIME_DIR", QFile::encodeName(testenv::RuntimeDir()).constData(), 1);
    unsetenv("XDG_DOCUMENTS_DIR");
#ifdef TAVREL_TEST_WIDGETS
    // The editor's windows are real ones on the X display when there is one.
    if (!getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    else
        unsetenv("QT_QPA_PLATFORM");
    QApplication app(argc, argv);
#else
    // GL tests ask for the X display themselves; everything else runs offscreen.
    if (!getenv("TAVREL_TEST_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QGuiApplication app(argc, argv);
#endif
    CMainApp::SetSettingsRootAndLocale();
    return RUN_ALL_TESTS();
}
