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
// application's stinger slot with it, unless softwareStinger() made it sooner.
void scheduleSoftwareStinger(double delay = 1.5);
// The application's software checker, created (and so checking) now when the start-up task
// has not made it yet. Main rail.
std::shared_ptr<Stinger> softwareStinger();

}  // namespace harbrix::UpdateStartup
