// The appearance watcher: whether the user wants dark mode, and the "UIModeChanged" notice
// (user information { "dark": flag }) when that preference changes. macOS keeps it in the
// user default "AppleInterfaceStyle"; Linux desktops keep a colour-scheme setting, and the
// application palette tells when no desktop setting can be read.
#pragma once

#include <QObject>
#include <QTimer>
#include <QVariantMap>
#include <optional>
#include <string>

namespace harbrix {

class UIMode : public QObject {
    Q_OBJECT

  public:
    // The current preference, read afresh.
    static bool dark();
    // The process-wide watcher, created on first use (after the QApplication).
    static UIMode* watcher();

    // "Dark" in any letter case; anything else, or no value, is light.
    static bool darkFromInterfaceStyle(const std::optional<std::string>& value);
    // gsettings' answer for org.gnome.desktop.interface color-scheme ("'prefer-dark'");
    // none when it does not say either way.
    static std::optional<bool> darkFromColorScheme(const std::string& value);
    // A GTK theme name such as "Adwaita-dark".
    static bool darkFromThemeName(const std::string& value);

  signals:
    void UIModeChanged(const QVariantMap& userInfo);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    UIMode();
    // Reads the desktop preference off the main thread and posts the notice when it changed.
    void recheck();
    void settle(std::optional<bool> desktopPreference);

    QTimer poll_;
    bool checking_ = false;
    bool known_ = false;
    bool dark_ = false;
};

}  // namespace harbrix
