#include "support/TempDir.h"

#include <QApplication>
#include <QSettings>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    // Widgets are real but drawn nowhere; the recent-file list goes to a private folder.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    testing_support::TempDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(settings.path()));
    QApplication application(argc, argv);
    QApplication::setOrganizationName("Corvanta");
    QApplication::setApplicationName("Tavrix");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
