#include "BuildInfo.h"
#include "ZM540App.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zm540vet"));
    QApplication::setApplicationVersion(QStringLiteral(ZM540_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("zm540vet"));

    CZM540App theApp;
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/zm540vet.svg")));
    if (!theApp.InitInstance(QApplication::arguments()))
        return theApp.ExitCode();
    return QApplication::exec();
}
