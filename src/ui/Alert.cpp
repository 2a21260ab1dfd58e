// The alert dialog: dark panel, bold headline, fine print, buttons right to left.
#include "ui/Alert.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Colors.h"
#include "ui/Fonts.h"

namespace harbrix::ui {

namespace {

constexpr int kWidth = 420;

QString buttonStyle(bool primary) {
    const QString fill = primary ? hexString(rgb(colors::kYellow)) : QStringLiteral("#3A3A40");
    const QString text = primary ? QStringLiteral("#111111") : QStringLiteral("#FFFFFF");
    return QStringLiteral(
               "QPushButton { background: %1; color: %2; border: 1px solid #55555C;"
               " border-radius: 5px; padding: 4px 18px; min-width: 56px; }"
               "QPushButton:hover { border-color: #BBBBBB; }"
               "QPushButton:pressed { background: #26262A; color: #FFFFFF; }")
        .arg(fill, text);
}

}  // namespace

Alert::Alert(const QString& headline, const QString& finePrint, const QStringList& buttons,
             bool invisibleCancel, QWidget* parent)
    : QDialog(parent),
      headline_(headline),
      finePrint_(finePrint),
      buttons_(buttons),
      invisibleCancel_(invisibleCancel) {
    setModal(true);
    setObjectName(QStringLiteral("alert"));
    setStyleSheet(QStringLiteral("QDialog#alert { background: #1F1F23; }"));
    setFixedWidth(kWidth);

    auto* title = new QLabel(headline, this);
    title->setWordWrap(true);
    title->setFont(fonts::font(fonts::Weight::Bold, 13));
    title->setStyleSheet(QStringLiteral("color: #FFFFFF;"));
    auto* detail = new QLabel(finePrint, this);
    detail->setWordWrap(true);
    detail->setFont(fonts::font(fonts::Weight::Regular, 11));
    detail->setStyleSheet(QStringLiteral("color: #B8B8BE;"));
    detail->setVisible(!finePrint.isEmpty());

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    // Laid out right to left, the first (default) button rightmost.
    for (qsizetype i = buttons.size() - 1; i >= 0; --i) {
        auto* button = new QPushButton(buttons[i], this);
        button->setFont(fonts::font(fonts::Weight::Medium, 12));
        button->setStyleSheet(buttonStyle(i == 0));
        button->setDefault(i == 0);
        button->setAutoDefault(i == 0);
        const QString choice = buttons[i];
        connect(button, &QPushButton::clicked, this, [this, choice] { choose(choice); });
        row->addWidget(button);
    }

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(24, 20, 24, 16);
    column->setSpacing(8);
    column->addWidget(title);
    column->addWidget(detail);
    column->addSpacing(8);
    column->addLayout(row);
}

void Alert::choose(const QString& title) {
    answer_ = title;
    done(QDialog::Accepted);
}

void Alert::reject() {
    // Escape (and closing the window) counts as the invisible Cancel; without one the alert
    // waits for a visible button.
    if (!invisibleCancel_) return;
    answer_ = kCancel;
    QDialog::reject();
}

void Alert::begin(Answered answered) {
    answer_.clear();
    connect(
        this, &QDialog::finished, this,
        [this, answered = std::move(answered)] {
            // The answer may close the screen that owns this alert.
            const QString answer = answer_;
            const Answered reply = answered;
            deleteLater();
            if (reply) reply(answer);
        },
        Qt::SingleShotConnection);
    setWindowModality(parentWidget() != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
    open();
}

Alert* Alert::askLater(QWidget* parent, const QString& headline, const QString& finePrint,
                       Answered answered, const QStringList& buttons) {
    auto* alert = new Alert(headline, finePrint, buttons, true, parent);
    alert->begin(std::move(answered));
    return alert;
}

Alert* Alert::informLater(QWidget* parent, const QString& headline, const QString& finePrint) {
    auto* alert = new Alert(headline, finePrint, {kOK}, false, parent);
    alert->begin({});
    return alert;
}

}  // namespace harbrix::ui
