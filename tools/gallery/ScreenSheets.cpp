// Gallery pages for the screens' pieces and the contact sheets of every image.
#include <QGridLayout>

#include <map>

#include "Sheets.h"
#include "ui/ImageButton.h"
#include "ui/ImageCatalog.h"
#include "ui/ImageStore.h"
#include "ui/ImageView.h"
#include "ui/Label.h"

namespace harbrix::gallery {

using namespace ui;
using fonts::Weight;

namespace {

QString name(std::string_view format, std::initializer_list<std::string_view> values = {}) {
    return imageName(images::fill(format, values));
}

ImageView* image(const QString& imageName) {
    auto* view = new ImageView(imageName);
    view->setFixedSize(view->sizeHint());
    return view;
}

// An image with labels laid over it, as the screens will place them.
QWidget* composed(const QString& background,
                  std::initializer_list<std::pair<QRect, Label*>> labels) {
    auto* view = image(background);
    for (const auto& [frame, label] : labels) {
        label->setParent(view);
        label->setGeometry(frame);
    }
    return view;
}

// A transfer slot as the grid will show it: number, name, and the export's pieces.
QWidget* slot(const char* size, const char* state, const QString& title, bool exported = false) {
    const QString base = name(images::kTransfersSlot, {size, state});
    const QSize area = ImageStore::shared().size(base);
    const bool small = area.height() < 30;
    const int numberWidth =
        std::string_view(size) == "20" ? 40 : (std::string_view(size) == "50" ? 34 : 30);
    const bool empty = std::string_view(state) == "empty";
    const QColor ink = std::string_view(state) == "rename" ? Qt::black : Qt::white;
    auto* number = new Label(QStringLiteral("07"), Weight::Medium, small ? 12 : 14,
                             empty ? QColor(255, 255, 255, 64) : Qt::white);
    number->setAlignment(Qt::AlignCenter);
    auto* label = new Label(empty ? QString() : title, Weight::Regular, small ? 12 : 14, ink);
    QWidget* view = composed(
        base, {{QRect(0, 0, numberWidth, area.height()), number},
               {QRect(numberWidth + 8, 0, area.width() - numberWidth - 40, area.height()), label}});
    if (exported) {
        auto* surround = new ImageView(
            name(images::kTransfersSlotExport, {size, empty ? "" : "_overwrite"}), view);
        surround->setGeometry(QRect(QPoint(0, 0), area));
        auto* remove = new ImageButton(name(images::kTransfersRemove), view);
        remove->setGeometry(area.width() - 22, (area.height() - 16) / 2, 16, 16);
        if (!empty) {
            auto* warning = new ImageView(name(images::kTransfersWarning), view);
            warning->setGeometry(area.width() - 44, (area.height() - 16) / 2, 16, 16);
        }
    } else {
        auto* add = new ImageButton(name(images::kTransfersSlotAdd, {size}), view);
        const QSize plus = add->sizeHint();
        add->setGeometry(area.width() - plus.width() - 6, (area.height() - plus.height()) / 2,
                         plus.width(), plus.height());
    }
    return view;
}

}  // namespace

Sheet* transfers() {
    auto* sheet = new Sheet(QStringLiteral("transfers"));
    for (const char* size : {"20", "50", "100"}) {
        sheet->row(QStringLiteral("Slots, %1 per page").arg(QLatin1String(size)));
        for (const char* state :
             {"empty", "full", "selected", "hover", "hover_swap", "hover_overwrite", "rename"})
            sheet->cell(slot(size, state, QStringLiteral("Octave Cascade")), QLatin1String(state));
    }
    sheet->row(QStringLiteral("Staged exports: on an empty slot, overwriting"));
    sheet->cell(slot("50", "empty", QString(), true), QStringLiteral("export"));
    sheet->cell(slot("50", "full", QStringLiteral("Octave Cascade"), true),
                QStringLiteral("export_overwrite"));
    sheet->cell(slot("20", "full", QStringLiteral("Octave Cascade"), true),
                QStringLiteral("export_overwrite"));
    sheet->row(QStringLiteral("Drag images"));
    for (const char* kind : {"move", "copy", "swap", "nuke", "blank"}) {
        auto* title = new Label(
            std::string_view(kind) == "blank" ? QString() : QStringLiteral("Shimmer Verb"),
            Weight::Regular, 14);
        sheet->cell(
            composed(name(images::kTransfersDragImage, {kind}), {{QRect(30, 0, 120, 28), title}}),
            QLatin1String(kind));
    }
    return sheet;
}

Sheet* editor() {
    auto* sheet = new Sheet(QStringLiteral("editor"));
    sheet->row(QStringLiteral("Preset rows"));
    for (const char* state : {"empty", "full", "hover", "selected"}) {
        const bool empty = std::string_view(state) == "empty";
        auto* number = new Label(QStringLiteral("12"), Weight::Medium, 12,
                                 QColor(255, 255, 255, empty ? 102 : 255));
        auto* title =
            new Label(empty ? QString() : QStringLiteral("Harmony Lead"), Weight::Regular, 12);
        sheet->cell(composed(name(images::kEditorPresetSlot, {state}),
                             {{QRect(10, 0, 24, 21), number}, {QRect(40, 0, 190, 21), title}}),
                    QLatin1String(state));
    }
    sheet->row(QStringLiteral("Fader caps"));
    for (const char* cap : {"0", "10", "25", "50", "75", "100"})
        sheet->cell(image(name(images::kEditorSliderCap, {cap})), QLatin1String(cap));
    sheet->row(QStringLiteral("Breakout details, lights, display"));
    sheet->cell(image(name(images::kEditorDetailItem, {"open"})), QStringLiteral("open"));
    sheet->cell(image(name(images::kEditorDetailItem, {"closed"})), QStringLiteral("closed"));
    sheet->cell(image(name(images::kEditorLight, {"on"})), QStringLiteral("light on"));
    sheet->cell(image(name(images::kEditorLight, {"off"})), QStringLiteral("light off"));
    auto* line1 = new Label(QStringLiteral("07 Harmony Lead"), Weight::Medium, 13);
    auto* line2 =
        new Label(QStringLiteral("[empty]"), Weight::Regular, 11, QColor(255, 255, 255, 150));
    sheet->cell(composed(name(images::kEditorOled),
                         {{QRect(10, 6, 150, 20), line1}, {QRect(10, 26, 150, 18), line2}}),
                QStringLiteral("display"));
    auto* status = new Label(QStringLiteral("07 User Preset 07"), Weight::Medium, 14);
    sheet->cell(composed(name(images::kEditorStatusBackground), {{QRect(16, 8, 300, 22), status}}),
                QStringLiteral("status panel"));
    sheet->row(QStringLiteral("Pedals"));
    for (const char* model : {"MIV3", "NAX3"}) {
        auto* pedal = image(name(images::kEditorPedal, {model}));
        auto* up = new ImageButton(name(images::kEditorFootswitch), pedal);
        up->setGeometry(46, 234, 46, 46);
        auto* down = new ImageButton(name(images::kEditorFootswitch), pedal);
        down->setGeometry(138, 234, 46, 46);
        auto* navcoder = new ImageButton(name(images::kEditorNavcoder), pedal);
        navcoder->setGeometry(98, 120, 34, 34);
        auto* light = new ImageView(name(images::kEditorLight, {"on"}), pedal);
        light->setGeometry(63, 210, 12, 12);
        sheet->cell(pedal, QLatin1String(model));
    }
    return sheet;
}

Sheet* header() {
    auto* sheet = new Sheet(QStringLiteral("header"));
    sheet->row(QStringLiteral("Pedal boards"));
    for (const char* board : {"MIV3", "NAX3", "empty"})
        sheet->cell(image(name(images::kPedalboard, {board})), QLatin1String(board));
    sheet->row(QStringLiteral("Device chooser icons: normal, pressed"));
    for (const char* model : {"MIV3", "NAX3"}) {
        for (const bool pressed : {false, true}) {
            auto* icon = new ImageButton(name(images::kSelectorIcon, {model}));
            icon->setImages(name(images::kSelectorIcon, {model}),
                            name(images::kSelectorIcon, {model}) + imageName(images::kPressed),
                            QString(), QString());
            icon->setFixedSize(icon->sizeHint());
            icon->setDown(pressed);
            sheet->cell(icon,
                        QLatin1String(model) + (pressed ? QStringLiteral(" pressed") : QString()));
        }
    }
    sheet->row(QStringLiteral("Window background (scaled)"));
    auto* background = new ImageView(name(images::kWindowBackground));
    background->setScaling(ImageView::Scaling::Stretch);
    background->setFixedSize(330, 216);
    sheet->cell(background, QStringLiteral("WINDOW_background"));
    return sheet;
}

std::vector<Sheet*> imageSheets() {
    // One sheet per screen prefix, four columns of images with their names.
    std::map<QString, Sheet*> sheets;
    std::map<QString, int> counts;
    for (const auto& full : images::allNames()) {
        const QString imageName = QString::fromStdString(full);
        const QString prefix = imageName.section(QLatin1Char('_'), 0, 0).toLower();
        const QString group =
            prefix == QStringLiteral("window") || prefix == QStringLiteral("nothing")
                ? QStringLiteral("header")
                : prefix;
        Sheet*& sheet = sheets[group];
        if (sheet == nullptr) sheet = new Sheet(QStringLiteral("images-") + group);
        if (counts[group]++ % 6 == 0) sheet->row(QString());
        auto* view = new ImageView(imageName);
        const QSize natural = view->sizeHint();
        const QSize box = natural.boundedTo(QSize(180, 110));
        if (box != natural) view->setScaling(ImageView::Scaling::Stretch);
        view->setFixedSize(natural.scaled(box, Qt::KeepAspectRatio));
        sheet->cell(view, imageName);
    }
    std::vector<Sheet*> out;
    for (const auto& [group, sheet] : sheets) out.push_back(sheet);
    return out;
}

}  // namespace harbrix::gallery
