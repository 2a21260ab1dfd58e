// The table of image names. assets/scripts/make_images.py draws a file for each name; the
// catalog test fails when the two disagree in either direction.
#include "ui/ImageCatalog.h"

namespace harbrix::ui::images {

namespace {

const std::vector<std::string_view> kSlotsPerPage = {"20", "50", "100"};
const std::vector<std::string_view> kModels = {"MIV3", "NAX3"};

}  // namespace

const std::vector<std::string_view>& suffixes(States states) {
    static const std::vector<std::string_view> single = {""};
    static const std::vector<std::string_view> push = {"", kPressed, kDisabled, kHover};
    static const std::vector<std::string_view> pushFixed = {"", kPressed, kHover};
    static const std::vector<std::string_view> toggle = {kSelected, kDeselected, kPressed, kHover};
    static const std::vector<std::string_view> pressable = {"", kPressed};
    switch (states) {
        case States::Push:
            return push;
        case States::PushFixed:
            return pushFixed;
        case States::Toggle:
            return toggle;
        case States::Pressable:
            return pressable;
        case States::Single:
            break;
    }
    return single;
}

const std::vector<Family>& families() {
    static const std::vector<Family> table = {
        // Window and header.
        {kWindowBackground, {}, States::Single},
        {kAppIcon, {}, States::Single},
        {kLogo, {}, States::PushFixed},
        {kMenuButton, {}, States::PushFixed},
        {kDeviceDrop, {}, States::PushFixed},
        {kPedalboard, {{"MIV3", "NAX3", "empty"}}, States::Single},
        {kSelectorIcon, {kModels}, States::Pressable},
        {kHeaderTab, {{"transfers", "editor", "settings"}}, States::Toggle},
        // Transfers screen.
        {kTransfersSlot,
         {kSlotsPerPage,
          {"rename", "hover", "hover_swap", "hover_overwrite", "empty", "selected", "full"}},
         States::Single},
        {kTransfersSlotExport, {kSlotsPerPage, {"", "_overwrite"}}, States::Single},
        {kTransfersSlotAdd, {kSlotsPerPage}, States::PushFixed},
        {kTransfersRemove, {}, States::PushFixed},
        {kTransfersWarning, {}, States::Single},
        {kTransfersDragImage, {{"move", "copy", "swap", "nuke", "blank"}}, States::Single},
        {kTransfersButton,
         {{"select_all", "deselect_all", "cancel", "delete", "import", "export"}},
         States::Push},
        {kTransfersPerPage, {kSlotsPerPage}, States::Toggle},
        {kTransfersTab, {}, States::Toggle},
        {kTransfersTabsBackground, {}, States::Single},
        // Editor screen.
        {kEditorPresetSlot, {{"empty", "full", "hover", "selected"}}, States::Single},
        {kEditorScrollbar, {}, States::Single},
        {kEditorSliderCap, {{"0", "10", "25", "50", "75", "100"}}, States::Single},
        {kEditorSliderTrack, {}, States::Single},
        {kEditorKnob, {}, States::Single},
        {kEditorSwitch, {}, States::Toggle},
        {kEditorDetailItem, {{"open", "closed"}}, States::Single},
        {kEditorBreakoutOpen, {}, States::PushFixed},
        {kEditorBreakoutClose, {}, States::PushFixed},
        {kEditorButton, {{"delete", "revert", "undo", "redo", "save_as", "save"}}, States::Push},
        {kEditorPedal, {kModels}, States::Single},
        {kEditorFootswitch, {}, States::PushFixed},
        {kEditorNavcoder, {}, States::PushFixed},
        {kEditorLight, {{"on", "off"}}, States::Single},
        {kEditorOled, {}, States::Single},
        {kEditorStatusBackground, {}, States::Single},
        // Settings and the empty-state screen.
        {kSettingsButton, {{"update", "restore", "value"}}, States::Push},
        {kSettingsCheckbox, {}, States::Toggle},
        {kSettingsSliderThumb, {}, States::Single},
        {kSettingsSliderTrack, {}, States::Single},
        {kSettingsFirmwareAvailable, {}, States::Single},
        {kSettingsDivider, {}, States::Single},
        {kNothingInstallDriver, {}, States::Push},
    };
    return table;
}

namespace {

std::string fillFrom(std::string_view format, const std::vector<std::string_view>& values) {
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == '@') {
            if (next < values.size()) out += values[next++];
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

}  // namespace

std::string fill(std::string_view format, std::initializer_list<std::string_view> values) {
    return fillFrom(format, std::vector<std::string_view>(values));
}

namespace {

// Fills the formats' placeholders one list of values at a time.
void expand(std::string_view format, const std::vector<std::vector<std::string_view>>& values,
            std::size_t level, std::vector<std::string_view>& chosen, States states,
            std::vector<std::string>& out) {
    if (level == values.size()) {
        const std::string name = fillFrom(format, chosen);
        for (const auto suffix : suffixes(states)) out.push_back(name + std::string(suffix));
        return;
    }
    for (const auto value : values[level]) {
        chosen.push_back(value);
        expand(format, values, level + 1, chosen, states, out);
        chosen.pop_back();
    }
}

}  // namespace

std::vector<std::string> allNames() {
    std::vector<std::string> out;
    for (const auto& family : families()) {
        std::vector<std::string_view> chosen;
        expand(family.format, family.values, 0, chosen, family.states, out);
    }
    return out;
}

}  // namespace harbrix::ui::images
