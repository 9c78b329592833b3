// Test entry point: a Qt application object first, so event loops, sockets and widgets work.
#ifdef FERROLINK_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char **argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // What the program remembers between runs (the window's size) stays within this run.
    const QTemporaryDir config;
    if (config.isValid())
        ::setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
