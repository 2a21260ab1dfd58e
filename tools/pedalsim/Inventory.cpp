// Registration files and the inventory listing, with nlohmann-json.
#include "Inventory.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

namespace harbrix::pedalsim {
namespace {

using nlohmann::json;

// The pedal maker's USB vendor identifier. The host has its own copy of this number (it
// must match); the simulator shares no code with the host.
constexpr unsigned kVendorId = 0x3A4D;
constexpr const char* kPrefix = ".pedalsim-";
constexpr const char* kSuffix = ".json";

unsigned productId(Model model) {
    return model == Model::MIV3 ? 0x0601 : 0x0600;
}

std::string hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04x", value & 0xFFFF);
    return text;
}

// A killed simulator nobody has waited for yet is a zombie: unplugged all the same.
bool isZombie(long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const auto close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

bool processRuns(long pid) {
    if (pid <= 0) return false;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM) return false;
    return !isZombie(pid);
}

bool isRegistration(const std::string& name) {
    const std::string prefix = kPrefix;
    const std::string suffix = kSuffix;
    return name.size() > prefix.size() + suffix.size() && name.rfind(prefix, 0) == 0 &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The USB record of one registration; null when the file is not one or its process is gone.
json record(const std::string& path) {
    std::ifstream file(path);
    std::stringstream content;
    content << file.rdbuf();
    const json registration = json::parse(content.str(), nullptr, false);
    if (!registration.is_object()) return nullptr;
    const auto pid = registration.find("pid");
    const auto serial = registration.find("serial");
    const auto model = registration.find("model");
    if (pid == registration.end() || !pid->is_number_integer() || serial == registration.end() ||
        !serial->is_string() || model == registration.end() || !model->is_string())
        return nullptr;
    const auto parsed = parseModel(model->get<std::string>());
    if (!parsed || !processRuns(pid->get<long>())) return nullptr;
    return json{{"_name", modelName(*parsed)},
                {"manufacturer", "QOR"},
                {"serial_num", serial->get<std::string>()},
                {"vendor_id", hex4(kVendorId)},
                {"product_id", hex4(productId(*parsed))}};
}

}  // namespace

std::unique_ptr<Registration> Registration::create(const Options& options, const std::string& node,
                                                   std::string& error) {
    const std::string path = options.dir + "/" + kPrefix + options.serial + kSuffix;
    const std::string temporary = path + ".tmp";
    const json content{{"pid", static_cast<long>(::getpid())},
                       {"serial", options.serial},
                       {"model", modelName(options.identity.model)},
                       {"node", node}};
    {
        std::ofstream file(temporary, std::ios::trunc);
        file << content.dump() << "\n";
        if (!file.flush()) {
            error = "cannot write " + temporary;
            return nullptr;
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        error = "cannot write " + path;
        return nullptr;
    }
    return std::unique_ptr<Registration>(new Registration(path));
}

Registration::~Registration() {
    std::remove(path_.c_str());
}

int printInventory(const std::string& dir) {
    DIR* folder = ::opendir(dir.c_str());
    if (folder == nullptr) {
        std::fprintf(stderr, "pedalsim: cannot list %s\n", dir.c_str());
        return 1;
    }
    std::map<std::string, json> bySerial;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (!isRegistration(name)) continue;
        json usb = record(dir + "/" + name);
        if (usb.is_null()) continue;
        const std::string serial = usb["serial_num"].get<std::string>();
        bySerial[serial] = std::move(usb);
    }
    ::closedir(folder);
    json items = json::array();
    for (auto& [serial, usb] : bySerial) {
        (void)serial;
        items.push_back(std::move(usb));
    }
    const json report{{"SPUSBDataType", json::array({{{"_name", "USB31Bus"},
                                                      {"host_controller", "pedalsim"},
                                                      {"_items", items}}})}};
    std::printf("%s\n", report.dump(2).c_str());
    return 0;
}

}  // namespace harbrix::pedalsim
