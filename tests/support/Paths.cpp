#include "support/Paths.h"

namespace harbrix::test {

std::string binPath(const std::string& name) { return std::string(HARBRIX_TEST_BIN_DIR) + "/" + name; }

}  // namespace harbrix::test
