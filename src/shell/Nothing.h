// The empty state, shown while no pedal is connected: "NO CONNECTED DEVICES", or, where the
// pedals' driver is missing, a message and a button that runs the installer program, which
// stays offered for as long as the driver is missing.
#pragma once

#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

#include "link/DeviceDelegate.h"

#include "installer/TolvaneStatus.h"
#include "shell/Screen.h"
#include "ui/ImageButton.h"
#include "ui/Label.h"

namespace harbrix {

class Nothing : public Screen {
  public:
    static constexpr const char* kNoDevices = "NO CONNECTED DEVICES";
    static constexpr const char* kDriverMissing =
        "The driver is not installed. Click 'Install Driver' button below and enter your admin "
        "credentials when prompted.";

    static constexpr const char* kNotAuthorised =
        "The driver was not installed: authorisation was refused.";
    static constexpr const char* kInstallFailed =
        "The driver was not installed: the installation did not complete.";
    static constexpr const char* kInstallerRefused =
        "The driver was not installed: the installer did not run.";

    // The driver check and the installer run; tests put stand-ins here.
    struct Driver {
        std::function<bool()> needsKext;
        std::function<TolvaneStatus()> launchTolvaneer;
    };

    static std::unique_ptr<Nothing> controller(Driver driver = {});

    Kind kind() const override { return Kind::nothing; }
    QString className() const override { return QStringLiteral("Nothing"); }

    ui::Label* message() const { return message_; }
    // Pedals that were found but could not be opened, one line each under the message
    // ("A MIV3 was found but could not be opened: Permission denied."); none hides it.
    void setOpenFailures(const std::vector<OpenFailure>& failures);
    ui::Label* openFailures() const { return openFailures_; }
    ui::ImageButton* installButton() const { return installButton_; }
    // The install button's action. The installer runs off the main thread (it waits for the
    // administrator's password); the button stays disabled until it has ended. Then the
    // driver is looked for again: while it is still missing the button stays, with a line
    // saying why the installation did not take.
    void launchTolvaneer();

  protected:
    QWidget* loadView() override;
    void viewDidLoad() override;

  private:
    explicit Nothing(Driver driver);
    void installerEnded(TolvaneStatus status, bool stillNeeded);
    // Sets the message in its font, with the label as high as its wrapped lines.
    void showMessage(const char* text, ui::fonts::Weight weight, qreal pointSize);

    Driver driver_;
    QPointer<ui::Label> message_;
    QPointer<ui::Label> openFailures_;
    std::vector<OpenFailure> failures_;
    QPointer<ui::ImageButton> installButton_;
};

}  // namespace harbrix
