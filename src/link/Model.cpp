// Parsing the pedal's identity text, the model registry and the model's checker hook.
#include "link/Model.h"

#include <map>
#include <vector>

#include "link/BuildDate.h"
#include "link/Rails.h"
#include "link/Utf8Text.h"

namespace harbrix {
namespace {

constexpr std::string_view kFieldSeparator = ",,";

struct Registry {
    std::mutex mutex;
    std::map<std::string, std::shared_ptr<Model>, std::less<>> models;
    Model::CheckerFactory factory;
};

Registry& registry() {
    // Never destroyed: pedal queues may still identify models while the program exits.
    static Registry* r = new Registry;
    return *r;
}

// Splits left to right at every separator; "a,,,b" gives "a" and ",b".
std::vector<std::string_view> fields(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t found; (found = text.find(kFieldSeparator, start)) != std::string_view::npos;
         start = found + kFieldSeparator.size())
        out.push_back(text.substr(start, found - start));
    out.push_back(text.substr(start));
    return out;
}

}  // namespace

std::shared_ptr<Model> Model::modelFromSerializedRepresentation(std::string_view text) {
    if (text.empty() || !isValidUtf8(text)) return nullptr;
    const std::vector<std::string_view> parts = fields(text);
    if (parts.size() < 3) return nullptr;

    const std::string_view vendor = trimmedText(parts[0]);
    if (vendor != "Brellwick" && vendor != "QOR") return nullptr;
    const std::string_view name = trimmedText(parts[1]);
    if (name.empty()) return nullptr;
    const auto version = Version::versionWithString(trimmedText(parts[2]));
    if (!version) return nullptr;
    std::optional<std::int64_t> date;
    // Only a fourth and last field is a date; a longer identity carries other things there.
    if (parts.size() == 4) {
        date = parseBuildDate(parts[3]);
        if (!date) return nullptr;
    }

    std::shared_ptr<Model> model(new Model());
    model->name_ = std::string(name);
    model->version_ = *version;
    model->date_ = date;

    CheckerFactory factory;
    {
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        r.models[model->name_] = model;
        factory = r.factory;
    }
    if (factory) {
        // Posted, not waited for: parsing runs while the process-wide io lock is held, and the
        // main thread may itself be waiting for that lock, so waiting here could deadlock.
        // The checker arrives a moment after the model is registered.
        rail(Rails::main(), [model, factory] { model->setStinger(factory(model->name())); });
    }
    return model;
}

std::shared_ptr<Model> Model::get(const std::string& name) {
    if (name.empty()) return nullptr;
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const auto found = r.models.find(name);
    return found == r.models.end() ? nullptr : found->second;
}

void Model::setCheckerFactory(CheckerFactory factory) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.factory = std::move(factory);
}

std::shared_ptr<FirmwareChecker> Model::stinger() const {
    std::lock_guard lock(stingerMutex_);
    return stinger_;
}

void Model::setStinger(std::shared_ptr<FirmwareChecker> checker) {
    std::lock_guard lock(stingerMutex_);
    stinger_ = std::move(checker);
}

std::uint32_t Model::productOf(const std::string& name) {
    if (name == "NAX3") return 0x0600;
    if (name == "MIV3") return 0x0601;
    return 0;
}

std::string Model::description() const {
    return name_ + " version " + version_.description() + " by Brellwick (" +
           (date_ ? formatBuildDay(*date_) : std::string("---")) + ")";
}

bool Model::operator==(const Model& other) const {
    return name_ == other.name_ && version_ == other.version_ && date_ == other.date_;
}

std::size_t Model::hash() const {
    return std::hash<std::string>{}("Model|" + name_ + "|" + version_.description() + "|" +
                                    std::to_string(date_.value_or(0)));
}

}  // namespace harbrix
