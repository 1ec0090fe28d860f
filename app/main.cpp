#include "app/TavrixApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    if (const int status = AnswerInfoOptions(argc, argv, stdout); status >= 0)
        return status;
    QApplication application(argc, argv);
    QApplication::setOrganizationName("Corvanta");
    QApplication::setApplicationName("Tavrix");
    QStringList arguments = QApplication::arguments();
    if (!CheckFileArguments(&arguments, stderr))
        return 2;
    InstallQtPlatformHandlers();
    CTavrixApp app;
    if (!app.InitInstance(arguments))
    {
        app.ExitInstance();
        return 1;
    }
    const int result = QApplication::exec();
    app.ExitInstance();
    return result;
}
