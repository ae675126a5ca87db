#include "app/MorvaneApp.h"
#include "app/ProgramPaths.h"
#include "ui/QtMessageBoxes.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const std::string programFile = CurrentProgramFile();
    QtMessageBoxes boxes(QFileInfo(QString::fromStdString(programFile)).completeBaseName());

    CMorvaneApp app;
    app.LoadSettings(programFile, boxes);

    QDialog mainWindow;
    mainWindow.setWindowTitle(QStringLiteral("Morvane"));
    boxes.SetMainWindow(&mainWindow);
    mainWindow.exec();
    return 0;
}
