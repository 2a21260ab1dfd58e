// Every image name the screens can ask the image store for, as one table of name formats,
// the values each "%@" takes and the state images that come with the name. Screens build
// names from these constants only, so a test can expand the table and find every file.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace harbrix::ui::images {

// Which state images accompany a name.
enum class States {
    Single,     // the name alone
    Push,       // name, name_pressed, name_disabled, name_hover
    PushFixed,  // name, name_pressed, name_hover (buttons that are never shown disabled)
    Toggle,     // name_selected (on), name_deselected (off), name_pressed, name_hover
    Pressable,  // name, name_pressed
};

struct Family {
    std::string_view format;                            // "%@" filled in order
    std::vector<std::vector<std::string_view>> values;  // one list of values per "%@"
    States states = States::Single;
};

// The suffixes of a state set, "" standing for the name itself.
const std::vector<std::string_view>& suffixes(States states);
// The whole table.
const std::vector<Family>& families();
// Every name of the table, formats expanded and state suffixes added.
std::vector<std::string> allNames();
// The format with each "%@" replaced by the next value; missing values leave "".
std::string fill(std::string_view format, std::initializer_list<std::string_view> values);

// Suffixes of the button states.
inline constexpr std::string_view kPressed = "_pressed";
inline constexpr std::string_view kDisabled = "_disabled";
inline constexpr std::string_view kHover = "_hover";
inline constexpr std::string_view kSelected = "_selected";
inline constexpr std::string_view kDeselected = "_deselected";

// Window and header.
inline constexpr std::string_view kWindowBackground = "WINDOW_background";
// The application's icon, in the about box and the update window.
inline constexpr std::string_view kAppIcon = "WINDOW_app_icon";
inline constexpr std::string_view kLogo = "HEADER_qor_logo";
inline constexpr std::string_view kMenuButton = "HEADER_hamburger_menu_button";
inline constexpr std::string_view kDeviceDrop = "HEADER_device_drop";
inline constexpr std::string_view kPedalboard = "HEADER_%@_pedalboard";       // MIV3, NAX3, empty
inline constexpr std::string_view kSelectorIcon = "HEADER_selector_icon_%@";  // model name
inline constexpr std::string_view kHeaderTab = "HEADER_tab_%@";  // transfers, editor, settings

// Transfers screen.
inline constexpr std::string_view kTransfersSlot = "TRANSFERS_slot_%@_%@";  // slots per page, state
inline constexpr std::string_view kTransfersSlotExport = "TRANSFERS_slot_%@_export%@";
inline constexpr std::string_view kTransfersSlotAdd = "TRANSFERS_slot_%@_add";
inline constexpr std::string_view kTransfersRemove = "TRANSFERS_x";
inline constexpr std::string_view kTransfersWarning = "TRANSFERS_overwrite_warning";
inline constexpr std::string_view kTransfersDragImage = "TRANSFERS_drag_image_%@";
inline constexpr std::string_view kTransfersButton = "TRANSFERS_%@";  // select_all, delete, ...
inline constexpr std::string_view kTransfersPerPage = "TRANSFERS_per_page_%@";  // 20, 50, 100
inline constexpr std::string_view kTransfersTab = "TRANSFERS_tab";
inline constexpr std::string_view kTransfersTabsBackground = "TRANSFERS_tabs_background";

// Editor screen.
inline constexpr std::string_view kEditorPresetSlot = "EDITOR_preset_slot_%@";
inline constexpr std::string_view kEditorScrollbar = "EDITOR_preset_scrollbar";
inline constexpr std::string_view kEditorSliderCap = "EDITOR_MIV3_slider_cap_%@";
inline constexpr std::string_view kEditorSliderTrack = "EDITOR_MIV3_slider_track";
inline constexpr std::string_view kEditorKnob = "EDITOR_MIV3_knob";
inline constexpr std::string_view kEditorSwitch = "EDITOR_MIV3_switch";
inline constexpr std::string_view kEditorDetailItem = "EDITOR_detail_item_%@";  // open, closed
inline constexpr std::string_view kEditorBreakoutOpen = "EDITOR_breakout_open";
inline constexpr std::string_view kEditorBreakoutClose = "EDITOR_breakout_close";
inline constexpr std::string_view kEditorButton = "EDITOR_%@";       // delete, revert, undo, ...
inline constexpr std::string_view kEditorPedal = "EDITOR_%@_pedal";  // model name
inline constexpr std::string_view kEditorFootswitch = "EDITOR_footswitch";
inline constexpr std::string_view kEditorNavcoder = "EDITOR_navcoder";
inline constexpr std::string_view kEditorLight = "EDITOR_light_%@";  // on, off
inline constexpr std::string_view kEditorOled = "EDITOR_oled";
inline constexpr std::string_view kEditorStatusBackground = "EDITOR_status_background";

// Settings and the empty-state screen.
inline constexpr std::string_view kSettingsButton = "SETTINGS_%@";  // update, restore, value
inline constexpr std::string_view kSettingsCheckbox = "SETTINGS_checkbox";
inline constexpr std::string_view kSettingsSliderThumb = "SETTINGS_slider_thumb";
inline constexpr std::string_view kSettingsSliderTrack = "SETTINGS_slider_track";
inline constexpr std::string_view kSettingsFirmwareAvailable = "SETTINGS_firmware_available";
inline constexpr std::string_view kSettingsDivider = "SETTINGS_divider";
inline constexpr std::string_view kNothingInstallDriver = "NOTHING_install_driver";

}  // namespace harbrix::ui::images
