#include "app/DesktopMain.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDBusConnection>
#include <iostream>
#include <string_view>
#include <vector>

#include "app/AppId.h"
#include "app/Application.h"
#include "app/DesktopArguments.h"
#include "app/control/ControlClient.h"
#include "app/control/cli/ExitStatus.h"

namespace pastiq {

namespace {

bool hasDisplay() {
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

int runTrayProgram(int argc, char** argv, BackendChoice backend) {
    if (!hasDisplay()) {
        std::cerr << "pastiq: no display — start Pastiq inside an X11 or Wayland desktop session\n";
        return 1;
    }
    // The overlay's never-take-focus behaviour and the key grabs need X11; under XWayland Qt
    // would otherwise pick its Wayland backend where one is installed.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && qEnvironmentVariableIsSet("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pastiq"));
    QApplication::setApplicationVersion(QString::fromLatin1(kAppVersion));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kAppId));
    // A tray program: closing its last window never ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    Application application(backend);
    application.launch();
    const int status = QApplication::exec();
    application.terminate();
    return status;
}

int runControlCommand(int argc, char** argv, const DesktopRequest& request) {
    // No display needed: the front ends only talk to the session bus.
    QCoreApplication app(argc, argv);
    ControlClient client(QDBusConnection::sessionBus());
    return client.run(request, std::cin, std::cout, std::cerr);
}

}  // namespace

int runDesktop(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const DesktopRequest request = parseDesktopArguments(args);
    switch (request.command) {
        case DesktopCommand::runApp:
            return runTrayProgram(argc, argv, request.backend);
        case DesktopCommand::help:
            std::cout << desktopUsage();
            return kExitDone;
        case DesktopCommand::version:
            std::cout << "pastiq " << kAppVersion << " (build " << kBuildNumber << ")\n";
            return kExitDone;
        case DesktopCommand::invalid:
            std::cerr << "pastiq: " << request.error << "\n" << desktopUsage();
            return kExitUsage;
        default:
            return runControlCommand(argc, argv, request);
    }
}

}  // namespace pastiq
