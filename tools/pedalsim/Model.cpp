// Model names as they appear on the command line and in "WHO_RU".
#include "Model.h"

namespace harbrix::pedalsim {

std::optional<Model> parseModel(std::string_view name) {
    if (name == "MIV3") return Model::MIV3;
    if (name == "NAX3") return Model::NAX3;
    return std::nullopt;
}

std::string modelName(Model model) {
    return model == Model::MIV3 ? "MIV3" : "NAX3";
}

}  // namespace harbrix::pedalsim
