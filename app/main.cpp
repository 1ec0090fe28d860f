#include "app/TavrixApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName("Corvanta");
    QApplication::setApplicationName("Tavrix");
    InstallQtPlatformHandlers();
    CTavrixApp app;
    if (!app.InitInstance(QApplication::arguments()))
        return app.ExitInstance();
    const int result = QApplication::exec();
    app.ExitInstance();
    return result;
}
