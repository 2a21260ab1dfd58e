// The two pedal models the simulator can play.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace harbrix::pedalsim {

enum class Model { MIV3, NAX3 };

std::optional<Model> parseModel(std::string_view name);
std::string modelName(Model model);

}  // namespace harbrix::pedalsim
