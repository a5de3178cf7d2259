// The program's random numbers are the GNU C library's: the same numbers as
// rand() from the start of a process, and after srand() with any seed. Its
// own executable, so that nothing has drawn a number before.
#include <gtest/gtest.h>

#include <cstdlib>

#include "program/demo.h"

namespace {

#ifdef __GLIBC__
TEST(Random, TheFirstMillionAreThoseOfAnUnseededRand) {
    for (int i = 0; i < 1000000; ++i)
        ASSERT_EQ(demo_rand(), rand()) << "draw " << i;
}

TEST(Random, EverySeedStartsTheSequenceSrandStarts) {
    for (const unsigned seed :
         {0u, 1u, 2u, 12345u, 2147483646u, 2147483647u, 2147483648u, 3000000000u, 4294967295u}) {
        srand(seed);
        demo_srand(seed);
        for (int i = 0; i < 5000; ++i)
            ASSERT_EQ(demo_rand(), rand()) << "seed " << seed << ", draw " << i;
    }
}
#else
TEST(Random, NeedsTheGnuCLibraryToCompareWith) {
    GTEST_SKIP() << "rand() here is not glibc's";
}
#endif

}  // namespace
