// The "Software Update" window: a new release of the application, what changed in it, and
// the buttons to install it (then relaunch) or to leave it for now, with a line that says
// when the installation did not work.
#pragma once

#include <QWidget>

#include <memory>

#include "updates/UpdateEntry.h"

class QLabel;
class QPushButton;

namespace harbrix {

class ReleaseNotes;
class Stinger;

class StingerWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kWidth = 620;
    static constexpr int kHeight = 370;

    // The window of a software checker, hidden.
    static StingerWindow* window(QWidget* parent = nullptr);

    // Fills in the release and brings the window to the front.
    void showForUpdate(const UpdateEntry& entry);
    // Installs the latest release and relaunches into it. A failed installation is told in
    // the window, and the application keeps running as it is.
    void install();
    void hide();

    // The checker that asked for the window.
    void setInteractionDelegate(std::weak_ptr<Stinger> checker) { checker_ = std::move(checker); }
    std::shared_ptr<Stinger> interactionDelegate() const { return checker_.lock(); }

    QLabel* headline() const { return headline_; }
    QLabel* subhead() const { return subhead_; }
    ReleaseNotes* notes() const { return notes_; }
    QPushButton* installButton() const { return installButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }
    // The line beside the buttons that tells how an installation went.
    QLabel* status() const { return status_; }

  private:
    explicit StingerWindow(QWidget* parent);
    void setButtonsEnabled(bool enabled);
    void installEnded(bool installed, const std::shared_ptr<Stinger>& checker);

    std::weak_ptr<Stinger> checker_;
    QLabel* headline_ = nullptr;
    QLabel* subhead_ = nullptr;
    ReleaseNotes* notes_ = nullptr;
    QPushButton* installButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace harbrix
