// The program's entry point: one of the words "prepare", "verify" or "rebuild" runs the
// manifest tool in the current directory; anything else starts the windowed application.
#include "SessionSwitches.h"
#include "shell/AppDelegate.h"
#include "shell/AppearanceWatcher.h"
#include "shell/Application.h"
#include "shell/QtMainRail.h"
#include "shell/QuitGuard.h"
#include "shell/Window.h"
#include "ui/Fonts.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "updates/ApplicationInfo.h"
#include "updates/ManifestTool.h"
#include "updates/UpdateStartup.h"

int main(int argc, char** argv) {
    using namespace harbrix;
    if (ManifestTool::wants(argc, argv)) return ManifestTool::run(argv[1], ".");

    Application application(argc, argv);
    Application::setApplicationName(
        QString::fromStdString(ApplicationInfo::name().value_or("Harbrix")));
    Application::setWindowIcon(ui::ImageStore::shared().icon(ui::imageName(ui::images::kAppIcon)));
    ui::fonts::install();
    bindMainRailToQt();
    UIMode::watcher();
    UpdateStartup::installFirmwareCheckers(AppDelegate::stingerDelegate());
    UpdateStartup::scheduleSoftwareStinger(1.5);

    AppDelegate controller;
    controller.applicationDidFinishLaunching();
    // SIGTERM ends the session as closing the window does.
    QuitGuard::closeOnTermination(controller.window());
    SessionSwitches::parse(Application::arguments()).apply(controller.window());
    return Application::exec();
}
