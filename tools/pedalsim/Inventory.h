// The simulator as a plugged-in USB device: while it runs it leaves a registration file in
// its folder, and `pedalsim inventory DIR` lists the running simulators of that folder in
// the USB inventory's JSON shape, so that discovery finds them as it finds real pedals.
#pragma once

#include <memory>
#include <string>

#include "Options.h"

namespace harbrix::pedalsim {

class Registration {
  public:
    // Writes DIR/.pedalsim-SERIAL.json; empty with error set when it cannot.
    static std::unique_ptr<Registration> create(const Options& options, const std::string& node,
                                                std::string& error);
    // Removes the file: the pedal is unplugged.
    ~Registration();
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;

  private:
    explicit Registration(std::string path) : path_(std::move(path)) {}
    std::string path_;
};

// Prints the inventory of the simulators registered in `dir` whose process still runs (a
// simulator that was killed leaves its file behind). Returns the exit status.
int printInventory(const std::string& dir);

}  // namespace harbrix::pedalsim
