// The model checker hook and the delayed software checker.
#include "updates/UpdateStartup.h"

#include "link/Model.h"
#include "link/Rails.h"
#include "updates/ApplicationInfo.h"
#include "updates/UpdateLocations.h"

namespace harbrix::UpdateStartup {

void installFirmwareCheckers(std::weak_ptr<StingerDelegate> delegate, StingerFacts facts) {
    Model::setCheckerFactory(
        [delegate, facts](const std::string& modelName) -> std::shared_ptr<FirmwareChecker> {
            return Stinger::firmwareStinger(UpdateLocations::firmwareManifestURL(modelName),
                                            modelName, delegate, facts);
        });
}

void scheduleSoftwareStinger(double delay) {
    Rails::main()->after(delay, [] { softwareStinger(); });
}

std::shared_ptr<Stinger> softwareStinger() {
    if (auto existing = ApplicationInfo::stinger()) return existing;
    auto made = Stinger::softwareStinger(UpdateLocations::softwareManifestURL());
    ApplicationInfo::setStinger(made);
    return made;
}

}  // namespace harbrix::UpdateStartup
