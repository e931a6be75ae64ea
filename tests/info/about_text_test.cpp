#include "info/about_text.h"

#include "tnews/build_config.h"

#include <gtest/gtest.h>

namespace tnews
{
namespace
{

TEST(AboutTextTest, VersionInPlainDecimal)
{
    EXPECT_EQ(VersionCaption(Major, Minor, Revision), "Version: 6.1.3");
    EXPECT_EQ(VersionCaption(10, 0, 12), "Version: 10.0.12");
}

} // namespace
} // namespace tnews
