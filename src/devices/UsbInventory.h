// Where discovery learns which USB devices are plugged in: JSON text in the shape of the
// macOS system profiler's "SPUSBDataType" report (nested "_items" arrays of dictionaries with
// "_name", "manufacturer", "serial_num", "vendor_id", "product_id"), whatever the system.
#pragma once

#include <optional>
#include <string>

namespace harbrix::UsbInventory {

// HARBRIX_USB_INVENTORY=COMMAND, when set, is run with "/bin/sh -c" and its output used in
// place of the system's source (the simulator lists itself this way). None when the source
// gives nothing.
std::optional<std::string> text();

// The running system's own source: "/usr/sbin/system_profiler -json SPUSBDataType" on macOS,
// the USB devices in sysfs on Linux (HARBRIX_USB_SYSFS=DIR reads another tree).
std::optional<std::string> systemText();

// The USB devices under a sysfs "bus/usb/devices" folder, in the report's shape: one entry
// per bus with its devices nested below their hubs. None when the folder cannot be listed.
std::optional<std::string> sysfsText(const std::string& root);

}  // namespace harbrix::UsbInventory
