#include "app/AppUpdates.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <unistd.h>

#include "app/AppDelegate.h"
#include "app/ScreenSwitcher.h"
#include "link/QORUARTDevice.h"
#include "link/Rails.h"
#include "platform/Bundle.h"
#include "platform/Log.h"
#include "shell/UpdatePresenter.h"
#include "shell/Window.h"
#include "updates/ApplicationInfo.h"
#include "updates/Stinger.h"

namespace harbrix {

AppUpdates::AppUpdates(Window& window, ScreenSwitcher& screens)
    : window_(window), screens_(screens) {
    connect(qApp, &QCoreApplication::aboutToQuit, this, &AppUpdates::applicationWillTerminate);
}

AppUpdates::~AppUpdates() {
    Stinger::setPresenter(nullptr);
}

void AppUpdates::start() {
    bounce_ = false;
    presenter_ = std::make_shared<UpdatePresenter>(&window_);
    Stinger::setPresenter(presenter_);
    ApplicationInfo::setBounceHandler([] {
        rail(Rails::main(), [] {
            if (AppDelegate* controller = AppDelegate::shared()) controller->updates().bounce();
        });
    });
}

void AppUpdates::checkFirmware(const DeviceRef& device) {
    if (const auto& model = device->model())
        if (const auto checker = std::dynamic_pointer_cast<Stinger>(model->stinger()))
            checker->refresh();
}

void AppUpdates::stingerHasAvailableUpdate(Stinger&) {
    if (const auto& settings = screens_.settings()) settings->sync();
}

void AppUpdates::bounce() {
    bounce_ = true;
    window_.close();
}

void AppUpdates::applicationWillTerminate() {
    if (!bounce_) return;
    const auto script = Bundle::pathForResource("bounce", "sh", "Scripts");
    if (!script) {
        logLine("the relaunch script is missing");
        return;
    }
    // The script waits for this process to end; it learns which one from the environment.
    QProcess relaunch;
    relaunch.setProgram(QStringLiteral("/bin/sh"));
    relaunch.setArguments({QString::fromStdString(*script)});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HARBRIX_PID"), QString::number(::getpid()));
    relaunch.setProcessEnvironment(environment);
    if (!relaunch.startDetached()) logLine("the relaunch script did not start");
}

}  // namespace harbrix
