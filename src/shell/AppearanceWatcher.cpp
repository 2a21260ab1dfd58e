// Desktop settings are read through their command-line tools ("defaults", "gsettings") on a
// background rail; the palette is read on the main thread.
#include "shell/AppearanceWatcher.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>
#include <QPointer>
#include <algorithm>
#include <cctype>

#include "devices/QuickTask.h"
#include "link/Rails.h"
#include "platform/Paths.h"

namespace harbrix {
namespace {

constexpr int kPollMilliseconds = 5000;

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The desktop's own answer; none when it has no readable setting.
std::optional<bool> desktopPreference() {
#ifdef __APPLE__
    return UIMode::darkFromInterfaceStyle(QuickTask::outputOfTask(
        "/usr/bin/defaults", QuickTask::Arguments{"read", "-g", "AppleInterfaceStyle"}));
#else
    for (const char* tool : {"/usr/bin/gsettings", "/bin/gsettings"}) {
        if (!fileExists(tool)) continue;
        const auto scheme = QuickTask::outputOfTask(
            tool, QuickTask::Arguments{"get", "org.gnome.desktop.interface", "color-scheme"});
        if (scheme) {
            if (const auto answer = UIMode::darkFromColorScheme(*scheme)) return answer;
        }
        const auto theme = QuickTask::outputOfTask(
            tool, QuickTask::Arguments{"get", "org.gnome.desktop.interface", "gtk-theme"});
        if (theme && UIMode::darkFromThemeName(*theme)) return true;
        return std::nullopt;
    }
    return std::nullopt;
#endif
}

bool paletteIsDark() {
    if (qApp == nullptr) return false;
    return QApplication::palette().color(QPalette::Window).lightness() < 128;
}

}  // namespace

bool UIMode::darkFromInterfaceStyle(const std::optional<std::string>& value) {
    return value && lowered(*value) == "dark";
}

std::optional<bool> UIMode::darkFromColorScheme(const std::string& value) {
    const std::string scheme = lowered(value);
    if (scheme.find("prefer-dark") != std::string::npos) return true;
    if (scheme.find("prefer-light") != std::string::npos) return false;
    return std::nullopt;
}

bool UIMode::darkFromThemeName(const std::string& value) {
    return lowered(value).find("dark") != std::string::npos;
}

bool UIMode::dark() {
    if (const auto answer = desktopPreference()) return *answer;
#ifdef __APPLE__
    return false;
#else
    return paletteIsDark();
#endif
}

UIMode* UIMode::watcher() {
    static UIMode* instance = new UIMode();
    return instance;
}

UIMode::UIMode() {
    if (qApp != nullptr) {
        setParent(qApp);
        qApp->installEventFilter(this);
    }
    // Not every desktop tells Qt when its colour scheme changes, so it is also polled.
    poll_.setInterval(kPollMilliseconds);
    connect(&poll_, &QTimer::timeout, this, &UIMode::recheck);
    poll_.start();
    recheck();
}

bool UIMode::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp &&
        (event->type() == QEvent::ThemeChange || event->type() == QEvent::ApplicationPaletteChange))
        recheck();
    return QObject::eventFilter(watched, event);
}

void UIMode::recheck() {
    if (checking_) return;
    checking_ = true;
    static const QueueRef rail = railsQueue("com.qor.wharvel.appearance");
    QPointer<UIMode> self(this);
    rail->async([self] {
        const auto preference = desktopPreference();
        QMetaObject::invokeMethod(
            qApp,
            [self, preference] {
                if (self) self->settle(preference);
            },
            Qt::QueuedConnection);
    });
}

void UIMode::settle(std::optional<bool> preference) {
    checking_ = false;
#ifdef __APPLE__
    const bool now = preference.value_or(false);
#else
    const bool now = preference ? *preference : paletteIsDark();
#endif
    const bool changed = known_ && now != dark_;
    known_ = true;
    dark_ = now;
    if (changed) emit UIModeChanged(QVariantMap{{"dark", now}});
}

}  // namespace harbrix
