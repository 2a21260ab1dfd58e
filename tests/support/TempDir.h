// A fresh temporary folder for one test, under $HARBRIX_TEST_TMP (or /tmp), removed
// with everything in it when the object goes.
#pragma once

#include <string>

namespace harbrix::test {

class TempDir {
  public:
    explicit TempDir(const std::string& prefix = "harbrix");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Empty when the folder could not be made.
    const std::string& path() const { return path_; }
    // path()/name
    std::string file(const std::string& name) const;

  private:
    std::string path_;
};

}  // namespace harbrix::test
