// The MIV3's controls and how they show `core`: three columns below the firmware part for
// the MIDI settings, the display settings and the factory reset.
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QMouseEvent>

#include <array>

#include "settings/MIV3Settings.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"

namespace harbrix {
namespace {

// The controls' area, below the firmware part; the positions below are inside it.
constexpr int kTop = 176;
constexpr int kHeight = 330;
constexpr int kMidiX = 64;
constexpr int kMidiValueX = 200;
constexpr int kDisplayX = 400;
constexpr int kResetX = 760;
constexpr int kHeadingY = 24;
constexpr int kFirstRowY = 60;
constexpr int kRowStep = 42;
constexpr int kCheckStep = 30;
constexpr int kCheckLabelGap = 10;
constexpr int kSliderWidth = 220;
constexpr int kValuePadding = 18;
constexpr qreal kDisabledOpacity = 0.4;

// Clicking a check box's label clicks the box.
class LabelClicks : public QObject {
  public:
    LabelClicks(QAbstractButton* box, QWidget* label) : QObject(label), box_(box) {
        label->installEventFilter(this);
        label->setCursor(Qt::PointingHandCursor);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonRelease) return false;
        if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
        if (box_->isEnabled()) box_->click();
        return true;
    }

  private:
    QAbstractButton* box_;
};

ui::Label* rowLabel(const QString& text, int x, int y, int rowHeight, QWidget* parent) {
    auto* label = new ui::Label(text, ui::fonts::Weight::Regular, 15, Qt::white, parent);
    label->sizeToFit();
    label->move(x, y + (rowHeight - label->height()) / 2);
    return label;
}

ui::ImageButton* valueButton(const QString& name, int x, int y, QWidget* parent) {
    auto* button = new ui::ImageButton(
        ui::imageName(ui::images::fill(ui::images::kSettingsButton, {"value"})), parent);
    button->setFont(ui::fonts::font(ui::fonts::Weight::Medium, 14));
    button->setStretchCap(6);
    button->resize(button->sizeHint());
    button->move(x, y);
    button->setToolTip(name);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

ui::ToggleButton* checkbox(const QString& name, int x, int y, QWidget* parent) {
    auto* box = new ui::ToggleButton(ui::imageName(ui::images::kSettingsCheckbox), parent);
    box->resize(box->sizeHint());
    box->move(x, y);
    box->setAccessibleName(name);
    box->setCursor(Qt::PointingHandCursor);
    auto* label = new ui::Label(name, ui::fonts::Weight::Regular, 15, Qt::white, parent);
    label->sizeToFit();
    label->move(x + box->width() + kCheckLabelGap, y + (box->height() - label->height()) / 2);
    new LabelClicks(box, label);
    return box;
}

// A value button's title and accessible name, "MIDI Channel: 5".
void showValue(ui::ImageButton* button, const QString& value) {
    button->setText(value);
    button->setAccessibleName(button->toolTip() + QStringLiteral(": ") + value);
}

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

}  // namespace

void MIV3Settings::buildControls(QWidget* view) {
    using ui::Label;
    auto* controls = new QWidget(view);
    controls->setAttribute(Qt::WA_TranslucentBackground);
    controls->setGeometry(0, kTop, 1100, kHeight);
    controls_ = controls;
    auto* dim = new QGraphicsOpacityEffect(controls);
    dim->setOpacity(kDisabledOpacity);
    dim->setEnabled(false);
    controls->setGraphicsEffect(dim);
    auto* rule = new ui::ColorView(QColor(255, 255, 255, 28), controls);
    rule->setGeometry(kMargin, 0, 1100 - 2 * kMargin, 1);

    // MIDI
    sectionHeading(QStringLiteral("MIDI"), kMidiX, kHeadingY, controls);
    const struct {
        const char* name;
        QPointer<ui::ImageButton>& field;
        void (MIV3Settings::*clicked)();
    } midi[] = {
        {"MIDI Channel", midiChannelField_, &MIV3Settings::midiChannelButtonClicked},
        {"MIDI Thru", midiThruField_, &MIV3Settings::midiThruButtonClicked},
        {"MIDI Keyboard", midiKeyboardField_, &MIV3Settings::midiKeyboardButtonClicked},
    };
    int y = kFirstRowY;
    for (const auto& row : midi) {
        row.field = valueButton(QString::fromLatin1(row.name), kMidiValueX, y, controls);
        rowLabel(QString::fromLatin1(row.name), kMidiX, y, row.field->height(), controls);
        const auto clicked = row.clicked;
        QObject::connect(row.field, &QAbstractButton::clicked, controls,
                         [this, clicked] { (this->*clicked)(); });
        y += kRowStep;
    }

    // Display
    sectionHeading(QStringLiteral("DISPLAY"), kDisplayX, kHeadingY, controls);
    contrastField_ = new Label(QString(), ui::fonts::Weight::Regular, 15, Qt::white, controls);
    contrastField_->move(kDisplayX, kFirstRowY);
    contrastSlider_ = new ui::Slider(controls);
    contrastSlider_->setImageName(ui::imageName(ui::images::kSettingsSliderThumb));
    contrastSlider_->setTrackImageName(ui::imageName(ui::images::kSettingsSliderTrack));
    // Ten steps of contrast: the thumb stops where the pedal has a step.
    contrastSlider_->setSnap(10);
    contrastSlider_->setDelegate(this);
    contrastSlider_->setGeometry(kDisplayX, kFirstRowY + 26, kSliderWidth,
                                 contrastSlider_->sizeHint().height());
    homeviewField_ =
        valueButton(QStringLiteral("Home View"), kDisplayX, kFirstRowY + 2 * kRowStep, controls);
    QObject::connect(homeviewField_, &QAbstractButton::clicked, controls,
                     [this] { homeviewButtonClicked(); });
    nameCrawlCheckbox_ =
        checkbox(QStringLiteral("Name Crawl"), kDisplayX, kFirstRowY + 3 * kRowStep + 4, controls);
    QObject::connect(nameCrawlCheckbox_, &QAbstractButton::clicked, controls,
                     [this] { nameCrawlCheckboxStateChanged(); });

    // Factory reset
    sectionHeading(QStringLiteral("FACTORY RESET"), kResetX, kHeadingY, controls);
    const struct {
        const char* name;
        QPointer<ui::ToggleButton>& box;
    } boxes[] = {
        {"Presets", restorePresetsCheckbox_},
        {"Expression", restoreExpressionCheckbox_},
        {"MIDI Settings", restoreMIDISettingsCheckbox_},
        {"Display Settings", restoreDisplaySettingsCheckbox_},
        {"All", restoreAllCheckbox_},
    };
    y = kFirstRowY + 4;
    for (const auto& row : boxes) {
        row.box = checkbox(QString::fromLatin1(row.name), kResetX, y, controls);
        ui::ToggleButton* box = row.box;
        QObject::connect(box, &QAbstractButton::clicked, controls,
                         [this, box] { restoreCheckboxStateChanged(box); });
        y += kCheckStep;
    }
    restoreButton_ = new ui::ImageButton(
        ui::imageName(ui::images::fill(ui::images::kSettingsButton, {"restore"})), controls);
    restoreButton_->resize(restoreButton_->sizeHint());
    restoreButton_->move(kResetX, y + 14);
    restoreButton_->setAccessibleName(QStringLiteral("Restore"));
    restoreButton_->setToolTip(QStringLiteral("Restore"));
    QObject::connect(restoreButton_, &QAbstractButton::clicked, controls,
                     [this] { restoreFactorySettings(); });
}

void MIV3Settings::showCore() {
    if (!controls_) return;
    using namespace SettingsRules;
    const SettingsBlock& core = this->core();
    showing_ = true;
    showValue(midiChannelField_, text(midiChannelText(core.midiChannel)));
    showValue(midiThruField_, text(onOffText(core.midiThru)));
    showValue(midiKeyboardField_, text(onOffText(core.midiKeyboard)));
    nameCrawlCheckbox_->setChecked(core.displayNameCrawl != 0);
    const auto contrast = contrastShown(core.displayContrast);
    contrastSlider_->setDoubleValue(static_cast<double>(contrast));
    contrastSlider_->setAccessibleName(QStringLiteral("Contrast: %1").arg(contrast));
    contrastField_->setText(QStringLiteral("Contrast: %1").arg(contrast));
    contrastField_->sizeToFit();
    // The home view's button carries the whole line and is as wide as it.
    const QString homeview =
        QStringLiteral("Home View: %1").arg(text(homeviewName(core.displayHomeview)));
    homeviewField_->setText(homeview);
    homeviewField_->setAccessibleName(homeview);
    homeviewField_->resize(
        homeviewField_->fontMetrics().horizontalAdvance(homeview) + 2 * kValuePadding,
        homeviewField_->height());
    showing_ = false;
}

void MIV3Settings::setControlsEnabled(bool enabled) {
    if (!controls_) return;
    controls_->setEnabled(enabled);
    // Dimmed as a whole while they take no clicks: the value buttons look much the same
    // either way.
    if (QGraphicsEffect* dim = controls_->graphicsEffect()) dim->setEnabled(!enabled);
}

}  // namespace harbrix
