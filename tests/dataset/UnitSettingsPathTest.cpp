// Settings-file names written on Windows become paths here; names written here stay as they are.
#include "dataset/DataSetPrivate.h"

#include <gtest/gtest.h>

namespace vmado::dataset {
namespace {

TEST(SettingsPathTest, WindowsNamesBecomeLocalPaths)
{
    const struct {
        const char* given;
        const char* path;
    } cases[] = {
        {"C:\\Data\\orders.drf", "/Data/orders.drf"},
        {"d:\\Apps\\Sales\\Settings\\x.drf", "/Apps/Sales/Settings/x.drf"},
        {"C:/Data/orders.drf", "/Data/orders.drf"},
        {"C:orders.drf", "orders.drf"},
        {"Settings\\orders.drf", "Settings/orders.drf"},
        {"\\\\server\\share\\orders.drf", "//server/share/orders.drf"},
        {"/home/user/orders.drf", "/home/user/orders.drf"},
        {"orders.drf", "orders.drf"},
        {"1:\\orders.drf", "1:/orders.drf"}, // not a drive letter
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        EXPECT_EQ(SettingsFilePath(c.given), c.path);
    }
}

} // namespace
} // namespace vmado::dataset
