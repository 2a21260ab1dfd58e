// Reading the desktop's light or dark preference.
#include <gtest/gtest.h>

#include "shell/AppearanceWatcher.h"

namespace harbrix {
namespace {

TEST(UIMode, ReadsTheMacInterfaceStyle) {
    EXPECT_TRUE(UIMode::darkFromInterfaceStyle("Dark"));
    EXPECT_TRUE(UIMode::darkFromInterfaceStyle("dark"));
    EXPECT_FALSE(UIMode::darkFromInterfaceStyle("Light"));
    EXPECT_FALSE(UIMode::darkFromInterfaceStyle(""));
    EXPECT_FALSE(UIMode::darkFromInterfaceStyle(std::nullopt));
}

TEST(UIMode, ReadsTheLinuxDesktopSettings) {
    const std::pair<const char*, std::optional<bool>> schemes[] = {{"'prefer-dark'", true},
                                                                   {"'prefer-light'", false},
                                                                   {"'default'", std::nullopt},
                                                                   {"", std::nullopt}};
    for (const auto& [value, dark] : schemes) {
        SCOPED_TRACE(value);
        EXPECT_EQ(UIMode::darkFromColorScheme(value), dark);
    }
    EXPECT_TRUE(UIMode::darkFromThemeName("'Adwaita-dark'"));
    EXPECT_FALSE(UIMode::darkFromThemeName("'Adwaita'"));
}

}  // namespace
}  // namespace harbrix
