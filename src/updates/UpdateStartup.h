// Wiring the update checkers into a running program: a firmware checker for every pedal
// model the link identifies, and the software checker shortly after start.
#pragma once

#include <memory>

#include "updates/Stinger.h"

namespace harbrix::UpdateStartup {

// From now on each parsed model gets a firmware checker for its own manifest, with
// `delegate` told of available updates.
void installFirmwareCheckers(std::weak_ptr<StingerDelegate> delegate, StingerFacts facts = {});
// After `delay` seconds on the main rail, creates the software checker and fills the
// application's stinger slot with it.
void scheduleSoftwareStinger(double delay = 1.5);

}  // namespace harbrix::UpdateStartup
