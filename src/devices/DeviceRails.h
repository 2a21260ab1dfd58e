// The discovery rail: passes run on it one at a time.
#pragma once

#include "link/Rails.h"

namespace harbrix::DeviceRails {

QueueRef check();

}  // namespace harbrix::DeviceRails
