// Gallery pages for the value controls, the buttons and the text widgets.
#include <QApplication>
#include <QScrollArea>
#include <QVBoxLayout>

#include <map>

#include "Sheets.h"
#include "ui/Alert.h"
#include "ui/Colors.h"
#include "ui/Fader.h"
#include "ui/ImageButton.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui/Knob.h"
#include "ui/Label.h"
#include "ui/ScrollBar.h"
#include "ui/Slider.h"
#include "ui/ThreeSlice.h"

namespace harbrix::gallery {

using namespace ui;
using fonts::Weight;

namespace {

QString name(std::string_view format, std::initializer_list<std::string_view> values = {}) {
    return imageName(images::fill(format, values));
}

// The editor's cap thresholds.
struct Caps : FaderDelegate {
    std::map<int, QPixmap> capAssetsAndThresholds(Fader*) override {
        const qreal ratio = qApp->devicePixelRatio();
        std::map<int, QPixmap> caps;
        const std::pair<int, const char*> table[] = {{0, "0"},   {10, "10"}, {25, "25"},
                                                     {50, "50"}, {75, "75"}, {95, "100"}};
        for (const auto& [threshold, image] : table)
            caps[threshold] =
                ImageStore::shared().pixmap(name(images::kEditorSliderCap, {image}), ratio);
        return caps;
    }
    void fader(Fader*, bool, double) override {}
};

Caps caps;

QString percent(double value) {
    return QString::number(value, 'f', 1) + QStringLiteral(" %");
}

enum class State { Normal, Hover, Pressed, Disabled, On };

const char* stateName(State state) {
    switch (state) {
        case State::Hover:
            return "hover";
        case State::Pressed:
            return "pressed";
        case State::Disabled:
            return "disabled";
        case State::On:
            return "on";
        case State::Normal:
            break;
    }
    return "normal";
}

void setState(ImageButton* button, State state) {
    button->setHovered(state == State::Hover);
    button->setDown(state == State::Pressed);
    button->setEnabled(state != State::Disabled);
    if (button->isCheckable()) button->setChecked(state == State::On);
}

}  // namespace

Sheet* valueControls() {
    auto* sheet = new Sheet(QStringLiteral("value-controls"));
    sheet->row(QStringLiteral("Knob (270-degree sweep)"));
    for (const double value : {0.0, 25.0, Knob::kCentre, 75.0, 100.0}) {
        auto* knob = new Knob;
        knob->setImageName(name(images::kEditorKnob));
        knob->setFixedSize(knob->sizeHint());
        knob->setDoubleValue(value);
        sheet->cell(knob, percent(value));
    }
    sheet->row(QStringLiteral("Fader (cap per threshold 0, 10, 25, 50, 75, 95)"));
    for (const double value : {0.0, 10.0, 30.0, 60.0, 94.0, 95.0, 100.0}) {
        auto* fader = new Fader;
        fader->setTrackImageName(name(images::kEditorSliderTrack));
        fader->setDelegate(&caps);
        fader->setFixedSize(48, 150);
        fader->setDoubleValue(value);
        sheet->cell(fader, percent(value));
    }
    sheet->row(QStringLiteral("Slider (display contrast)"));
    for (const double value : {0.0, 30.0, 75.0, 100.0}) {
        auto* slider = new Slider;
        slider->setImageName(name(images::kSettingsSliderThumb));
        slider->setTrackImageName(name(images::kSettingsSliderTrack));
        slider->setFixedSize(180, 28);
        slider->setDoubleValue(value);
        sheet->cell(slider, percent(value));
    }
    return sheet;
}

Sheet* buttons() {
    auto* sheet = new Sheet(QStringLiteral("buttons"));
    const State pushStates[] = {State::Normal, State::Hover, State::Pressed, State::Disabled};
    const auto pushRow = [&](const QString& base) {
        sheet->row(base);
        for (const State state : pushStates) {
            auto* button = new ImageButton(base);
            button->setFixedSize(button->sizeHint());
            setState(button, state);
            sheet->cell(button, QString::fromLatin1(stateName(state)));
        }
    };
    for (const char* key : {"select_all", "delete", "export"})
        pushRow(name(images::kTransfersButton, {key}));
    for (const char* key : {"save_as", "save"}) pushRow(name(images::kEditorButton, {key}));
    pushRow(name(images::kSettingsButton, {"update"}));

    sheet->row(QStringLiteral(
        "Header buttons, slot buttons and footswitch: normal, hover, pressed, disabled"));
    for (const auto base :
         {images::kLogo, images::kMenuButton, images::kDeviceDrop, images::kTransfersRemove,
          images::kEditorBreakoutOpen, images::kEditorFootswitch}) {
        for (const State state : pushStates) {
            auto* button = new ImageButton(name(base));
            button->setFixedSize(button->sizeHint());
            setState(button, state);
            sheet->cell(button, QString::fromLatin1(stateName(state)));
        }
    }

    const State toggleStates[] = {State::Normal, State::On, State::Hover, State::Pressed};
    sheet->row(QStringLiteral("Toggle buttons: off, on, hover, pressed"));
    for (const char* tab : {"transfers", "settings"}) {
        for (const State state : toggleStates) {
            auto* button = new ToggleButton(name(images::kHeaderTab, {tab}));
            button->setFixedSize(button->sizeHint());
            setState(button, state);
            sheet->cell(button, QString::fromLatin1(stateName(state)));
        }
    }
    sheet->row(QString());
    for (const auto& base :
         {images::fill(images::kTransfersPerPage, {"50"}), std::string(images::kEditorSwitch),
          std::string(images::kSettingsCheckbox)}) {
        for (const State state : toggleStates) {
            auto* button = new ToggleButton(imageName(base));
            button->setFixedSize(button->sizeHint());
            setState(button, state);
            sheet->cell(button, QString::fromLatin1(stateName(state)));
        }
    }
    sheet->row(QStringLiteral("Page tabs (three-slice, titled): off, on, hover, pressed"));
    for (const State state : toggleStates) {
        auto* tab = new ToggleButton(name(images::kTransfersTab));
        tab->setText(QStringLiteral("Presets 1-100"));
        tab->setFont(fonts::font(Weight::Medium, 13));
        tab->setTitleColors(Qt::white, Qt::black);
        tab->setStretchCap(8);
        tab->setFixedSize(150, 26);
        setState(tab, state);
        sheet->cell(tab, QString::fromLatin1(stateName(state)));
    }
    return sheet;
}

Sheet* textAndColours() {
    auto* sheet = new Sheet(QStringLiteral("text-and-colours"));
    sheet->row(QStringLiteral("Fira Sans by weight"));
    for (const Weight weight :
         {Weight::Regular, Weight::Medium, Weight::MediumItalic, Weight::Bold}) {
        auto* label = new Label(QStringLiteral("Stored Presets: 42"), weight, 13);
        sheet->cell(label, QStringLiteral("FiraSans-") + fonts::weightName(weight));
    }
    sheet->row(QStringLiteral("Colours"));
    for (const auto value : {colors::kYellow, colors::kSelectionBlue, colors::kWhite}) {
        auto* swatch = new ColorView(rgb(value));
        swatch->setCornerRadius(5);
        swatch->setOutline(QColor(255, 255, 255, 204), 2);
        swatch->setFixedSize(64, 32);
        sheet->cell(swatch, hexString(rgb(value)));
    }
    auto* faded = new Label(QStringLiteral("01"), Weight::Regular, 13, QColor(255, 255, 255, 64));
    sheet->cell(faded, QStringLiteral("white at 25 %"));
    auto* firmware = new Label(QStringLiteral("v1.2.3"), Weight::Medium, 13, rgb(colors::kYellow));
    sheet->cell(firmware, QStringLiteral("new firmware"));

    sheet->row(QStringLiteral("Three-slice views and the image scroll bar"));
    for (const int width : {60, 150, 320}) {
        auto* track = new ThreeSliceView(name(images::kSettingsSliderTrack));
        track->setFixedSize(width, 6);
        sheet->cell(track, QStringLiteral("%1 points").arg(width));
    }
    auto* area = new QScrollArea;
    area->setFrameShape(QFrame::NoFrame);
    area->setVerticalScrollBar(new ScrollBar(name(images::kEditorScrollbar)));
    area->setStyleSheet(
        QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget { background: #1C1C20; }"));
    auto* list = new QWidget;
    auto* column = new QVBoxLayout(list);
    for (int i = 1; i <= 30; ++i)
        column->addWidget(new Label(QStringLiteral("%1 Preset").arg(i, 2, 10, QLatin1Char('0'))));
    area->setWidget(list);
    area->setFixedSize(160, 120);
    area->verticalScrollBar()->setValue(120);
    sheet->cell(area, QStringLiteral("scrolled list"));

    sheet->row(QStringLiteral("Alert"));
    auto* alert =
        new Alert(QStringLiteral("Deleted presets cannot be restored. Would you like to continue?"),
                  QString(), {Alert::kYes, Alert::kNo}, true);
    alert->setWindowFlags(Qt::Widget);
    sheet->cell(alert, QStringLiteral("question, invisible Cancel"));
    auto* notice =
        new Alert(QStringLiteral("Hang on while presets are being refreshed"),
                  QStringLiteral("Wait until the preset refresh has finished, then try again."),
                  {Alert::kOK}, false);
    notice->setWindowFlags(Qt::Widget);
    sheet->cell(notice, QStringLiteral("notice"));
    return sheet;
}

}  // namespace harbrix::gallery
