// The program's entry point: one of the words "prepare", "verify" or "rebuild" runs the
// manifest tool in the current directory, "--version" and "--help" answer without a window;
// anything else starts the windowed application.
#include <cstdio>
#include <cstring>

#include "SessionSwitches.h"
#include "app/AppDelegate.h"
#include "platform/Bundle.h"
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

namespace {

constexpr const char* kUsage =
    "usage: Harbrix [--screenshot DIR] [--quit-after SECONDS]\n"
    "       Harbrix prepare | verify | rebuild\n"
    "       Harbrix --help | --version\n"
    "Starts the window; prepare, verify and rebuild work on the update manifest in the current\n"
    "directory instead.\n";

}  // namespace

int main(int argc, char** argv) {
    using namespace harbrix;
    if (ManifestTool::wants(argc, argv)) return ManifestTool::run(argv[1], ".");
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        // As the bundle records it, which a software update replaces with the rest of it.
        const auto bundle = Bundle::bundlePath();
        auto info = bundle ? ApplicationInfo::readInfo(*bundle + "/Contents/Info.plist")
                           : std::map<std::string, std::string>{};
        const std::string version = info["CFBundleShortVersionString"];
        std::printf("%s %s\n", ApplicationInfo::name().value_or("Harbrix").c_str(),
                    version.empty() ? HARBRIX_VERSION : version.c_str());
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }

    Application application(argc, argv);
    Application::setApplicationName(
        QString::fromStdString(ApplicationInfo::name().value_or("Harbrix")));
    // Desktops match the window to its launcher and icon by this name.
    Application::setDesktopFileName(QString::fromStdString(ApplicationInfo::bundleIdentifier()));
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
