// One-line alerts: a headline, fine print and a row of buttons, shown modal to their window
// without waiting for the answer. The first button is the default (Return). Questions carry
// an invisible "Cancel" button that only catches Escape, so Escape answers "Cancel" and never
// a visible choice.
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

    using Answered = std::function<void(const QString& answer)>;

    // Shows the alert modal to its window and returns at once; `answered` is called once with
    // the title of the button pressed, or "Cancel" for Escape when the invisible Cancel is
    // there, and the alert deletes itself afterwards. Nothing waits in a nested event loop:
    // the screen that asked, and its pedal, may be gone by the time the answer comes. An alert
    // whose parent goes first goes with it, unanswered.
    void begin(Answered answered);

    // A question: "Yes" / "No" with the invisible Cancel.
    static Alert* askLater(QWidget* parent, const QString& headline, const QString& finePrint,
                           Answered answered, const QStringList& buttons = {kYes, kNo});
    // A notice with one "OK" button, which Escape does not dismiss.
    static Alert* informLater(QWidget* parent, const QString& headline, const QString& finePrint);

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
