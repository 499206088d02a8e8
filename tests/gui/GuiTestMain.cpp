// The window tests' main: a QApplication (offscreen unless the environment
// names a platform) around GoogleTest.
#include "support/TempFolder.h"

#include <QApplication>
#include <QSettings>

#include <gtest/gtest.h>

namespace {

QtMessageHandler defaultHandler = nullptr;

// The offscreen platform says so for every window shown; nothing else is dropped.
void FilterPlatformNoise(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.startsWith("This plugin does not support"))
        defaultHandler(type, context, text);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    defaultHandler = qInstallMessageHandler(FilterPlatformNoise);
    // Qt's own settings (the file dialog's history) take their folder once per
    // process; given one here, removed after the application, they neither
    // land in the first test's folder nor outlive the run.
    const tolvane::test::TempFolder qtSettings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(qtSettings.Path()));
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
