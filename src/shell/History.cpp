// The transaction history window.
#include "shell/History.h"

#include <QCheckBox>
#include <QFont>
#include <QPushButton>

#include <limits>

#include "devices/DeviceRegistry.h"
#include "link/ByteText.h"
#include "ui_History.h"

namespace harbrix {
namespace {

DeviceRef device() {
    return DeviceRegistry::currentDevice();
}

}  // namespace

History::History() : form_(std::make_unique<Ui::History>()) {
    form_->setupUi(this);
    setWindowFlag(Qt::Window);
    QFont courier(QStringLiteral("Courier New"), 12);
    courier.setStyleHint(QFont::Monospace);
    for (QPlainTextEdit* view : {form_->request, form_->response}) {
        view->setFont(courier);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->clear();
    }
    form_->command->clear();
    form_->indexField->clear();
    connect(form_->beginningButton, &QPushButton::clicked, this, &History::beginning);
    connect(form_->backwardButton, &QPushButton::clicked, this, &History::backward);
    connect(form_->forwardButton, &QPushButton::clicked, this, &History::forward);
    connect(form_->endButton, &QPushButton::clicked, this, &History::end);
    connect(form_->ignoreEmptyPresetsBox, &QCheckBox::clicked, this,
            &History::toggleIgnoreEmptyPresets);
}

History::~History() = default;

std::unique_ptr<History> History::window() {
    std::unique_ptr<History> made(new History);
    made->setIgnoreEmptyPresets(true);
    return made;
}

void History::showWindow() {
    end();
    QWidget::show();
    raise();
    activateWindow();
}

void History::update(const HistoryEntry& entry) {
    form_->request->setPlainText(QString::fromStdString(prettyDescription(entry.request)));
    form_->response->setPlainText(QString::fromStdString(prettyDescription(entry.response)));
    form_->command->setText(QString::fromStdString(entry.command));
    form_->indexField->setText(QString::number(entry.index));
    if (!form_->beginningButton->isEnabled())
        for (QPushButton* button : {form_->beginningButton, form_->backwardButton,
                                    form_->forwardButton, form_->endButton})
            button->setEnabled(true);
}

void History::showEntry(const std::optional<HistoryEntry>& entry) {
    if (!entry) return;
    update(*entry);
    index_ = entry->index;
}

void History::showOrStep(const std::optional<HistoryEntry>& entry, void (History::*step)()) {
    if (entry && ignoreEmptyPresets_ && entry->skippable) {
        index_ = entry->index;
        (this->*step)();
        return;
    }
    showEntry(entry);
}

void History::beginning() {
    if (const DeviceRef pedal = device())
        showOrStep(pedal->line().history().historicalEvent(0), &History::forward);
}

void History::end() {
    if (const DeviceRef pedal = device())
        showOrStep(pedal->line().history().historicalEvent(std::numeric_limits<std::size_t>::max()),
                   &History::backward);
}

void History::backward() {
    const DeviceRef pedal = device();
    if (!pedal) return;
    showEntry(ignoreEmptyPresets_
                  ? pedal->line().history().historicalEventBeforeIndexIgnoringEmptyPresets(index_)
                  : pedal->line().history().historicalEvent(index_ == 0 ? 0 : index_ - 1));
}

void History::forward() {
    const DeviceRef pedal = device();
    if (!pedal) return;
    // historicalEvent clamps a position past the end to the last entry.
    showEntry(ignoreEmptyPresets_
                  ? pedal->line().history().historicalEventAfterIndexIgnoringEmptyPresets(index_)
                  : pedal->line().history().historicalEvent(index_ + 1));
}

QString History::requestText() const {
    return form_->request->toPlainText();
}

QString History::responseText() const {
    return form_->response->toPlainText();
}

QString History::commandText() const {
    return form_->command->text();
}

QString History::indexText() const {
    return form_->indexField->text();
}

QAbstractButton* History::button(int position) const {
    QAbstractButton* buttons[] = {form_->beginningButton, form_->backwardButton,
                                  form_->forwardButton, form_->endButton};
    return position >= 0 && position < 4 ? buttons[position] : nullptr;
}

void History::setIgnoreEmptyPresets(bool ignore) {
    const bool becameOn = ignore && !ignoreEmptyPresets_;
    ignoreEmptyPresets_ = ignore;
    form_->ignoreEmptyPresetsBox->setChecked(ignore);
    if (!becameOn) return;
    if (const DeviceRef pedal = device())
        showEntry(pedal->line().history().historicalEventAfterIndexIgnoringEmptyPresets(index_));
}

void History::toggleIgnoreEmptyPresets() {
    setIgnoreEmptyPresets(!ignoreEmptyPresets_);
}

}  // namespace harbrix
