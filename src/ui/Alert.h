// One-line alerts: a headline, fine print and a row of buttons, shown modally. The first
// button is the default (Return). Questions carry an invisible "Cancel" button that only
// catches Escape, so Escape answers "Cancel" and never a visible choice.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>

namespace harbrix::ui {

class Alert : public QDialog {
    Q_OBJECT
  public:
    static inline const QString kYes = QStringLiteral("Yes");
    static inline const QString kNo = QStringLiteral("No");
    static inline const QString kOK = QStringLiteral("OK");
    static inline const QString kCancel = QStringLiteral("Cancel");

    Alert(const QString& headline, const QString& finePrint, const QStringList& buttons,
          bool invisibleCancel, QWidget* parent = nullptr);

    QString headline() const { return headline_; }
    QString finePrint() const { return finePrint_; }
    QStringList buttonTitles() const { return buttons_; }
    bool invisibleCancel() const { return invisibleCancel_; }

    // Shows the alert modally; answers the title of the button pressed, "Cancel" for Escape
    // when the invisible Cancel is there, and "" when the alert is closed otherwise.
    QString run();
    // Shows the alert modal to its window without waiting for it, and calls `answered` once
    // with the answer run() would give; the alert deletes itself afterwards. For screens whose
    // pedal may go while the question is open: nothing waits in a nested event loop, and an
    // alert whose parent goes first goes with it, unanswered.
    void begin(std::function<void(const QString&)> answered);

    // "Yes" / "No" with the invisible Cancel.
    static QString ask(QWidget* parent, const QString& headline, const QString& finePrint,
                       const QStringList& buttons = {kYes, kNo});
    // ask() without waiting: the answer arrives through `answered`.
    static Alert* askLater(QWidget* parent, const QString& headline, const QString& finePrint,
                           std::function<void(const QString&)> answered,
                           const QStringList& buttons = {kYes, kNo});
    // A notice with one "OK" button.
    static void inform(QWidget* parent, const QString& headline, const QString& finePrint);

    // While set, run() and begin() show nothing and answer what the responder returns. For
    // tests of the screens that ask.
    static void setResponder(std::function<QString(const Alert&)> responder);

    void reject() override;

  private:
    void choose(const QString& title);

    QString headline_;
    QString finePrint_;
    QStringList buttons_;
    bool invisibleCancel_;
    QString answer_;
};

}  // namespace harbrix::ui
