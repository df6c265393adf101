// The window program: start-up checks, the main window, and the files named on the command line.
#include <QApplication>

#include <clocale>
#include <cstdio>
#include <cstring>

#include "platform/known_folders.h"
#include "quillon_version.h"
#include "ui/main_window.h"
#include "ui/skin.h"
#include "ui/start_up.h"

int main(int argc, char** argv) {
    // Answered before Qt starts, so it works without a display (scripts, package checks).
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("quillon (Quillon) %s\n", quillon::kVersion);
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setDesktopFileName(QStringLiteral("quillon"));
    // Qt takes the user's locale; numbers we print and read keep the C form.
    std::setlocale(LC_NUMERIC, "C");
    quillon::ui::skin::Install(app);

    const std::string programFolder = quillon::platform::ProgramFolder();
    if (quillon::ui::StartApplication(programFolder) != quillon::ui::StartUpOutcome::Ready) return 1;

    int result = 0;
    {
        quillon::ui::MainWindow window(programFolder);
        window.SetUpMainWindow();
        window.show();
        std::vector<std::string> files;
        for (const QString& argument : QApplication::arguments().mid(1)) files.push_back(argument.toStdString());
        window.AddSourcePaths(files);
        result = QApplication::exec();
    }
    quillon::ui::ExitApplication();
    return result;
}
