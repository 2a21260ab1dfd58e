// The journaled slot operations of the screens and harbrixctl, run in this process on slots
// read from the pedal first, for tests of the journal. Each runs on the calling thread and is
// true when every write and erasure was taken.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "link/QORUARTDevice.h"

namespace harbrix::test {

bool journaledMove(QORUARTDevice& device, std::size_t from, std::size_t to);
// "Copy" onto an empty slot, "Overwrite" onto an occupied one.
bool journaledCopy(QORUARTDevice& device, std::size_t from, std::size_t to);
bool journaledSwap(QORUARTDevice& device, std::size_t a, std::size_t b);
bool journaledDelete(QORUARTDevice& device, const std::vector<std::size_t>& slots);
bool journaledRename(QORUARTDevice& device, std::size_t slot, const std::string& name);

}  // namespace harbrix::test
