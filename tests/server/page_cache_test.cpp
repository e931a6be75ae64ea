#include "server/page_cache.h"

#include <gtest/gtest.h>

namespace tnews::server
{
namespace
{

TEST(PageCacheTest, KeepsTheRecentlyUsedWithinCapacity)
{
    PageCache cache(33); // three entries of one-byte key and ten-byte page
    const SharedEncodedPage page = PlainPage("0123456789");
    cache.Insert("a", page);
    cache.Insert("b", page);
    cache.Insert("c", page);
    EXPECT_EQ(cache.Find("a"), page); // now the most recently used
    cache.Insert("d", page);
    EXPECT_FALSE(cache.Find("b")) << "the least recently used goes first";
    EXPECT_EQ(cache.Find("a"), page);
    EXPECT_EQ(cache.Find("c"), page);
    EXPECT_EQ(cache.Find("d"), page);

    cache.Insert("e", PlainPage(std::string(33, 'x')));
    EXPECT_FALSE(cache.Find("e")) << "a page larger than the cache is not kept";
    EXPECT_TRUE(cache.Find("a") && cache.Find("c") && cache.Find("d")) << "nor does it evict";
}

} // namespace
} // namespace tnews::server
