// The program's random numbers: the additive feedback generator that the GNU
// C library's rand() uses (31 words of state, each new word the sum of the
// words 3 and 31 places back), seeded as its srand() seeds it. Written out
// here so that every build, with any C library or in a browser, draws the
// numbers a glibc build draws.
#include <cstdint>

#include "program/demo.h"

namespace {

constexpr int kDegree = 31;     // words of state
constexpr int kSeparation = 3;  // the nearer of the two words summed
constexpr int kWarmUp = 310;    // draws thrown away after seeding, ten per word

struct Generator {
    uint32_t state[kDegree];
    int front;  // index of the word that takes the sum
    int rear;   // index of the word added to it
};

Generator seeded(uint32_t seed) {
    Generator g{};
    // Seed 0 would leave every word 0.
    int32_t word = seed == 0 ? 1 : static_cast<int32_t>(seed);
    g.state[0] = static_cast<uint32_t>(word);
    for (int i = 1; i < kDegree; ++i) {
        // 16807 * word mod (2^31 - 1), without overflow (Schrage's method).
        const int64_t hi = word / 127773;
        const int64_t lo = word % 127773;
        int64_t next = 16807 * lo - 2836 * hi;
        if (next < 0) next += 2147483647;
        word = static_cast<int32_t>(next);
        g.state[i] = static_cast<uint32_t>(word);
    }
    g.front = kSeparation;
    g.rear = 0;
    return g;
}

int32_t draw(Generator& g) {
    g.state[g.front] += g.state[g.rear];
    const int32_t result = static_cast<int32_t>(g.state[g.front] >> 1);
    g.front = g.front + 1 == kDegree ? 0 : g.front + 1;
    g.rear = g.rear + 1 == kDegree ? 0 : g.rear + 1;
    return result;
}

Generator start(uint32_t seed) {
    Generator g = seeded(seed);
    for (int i = 0; i < kWarmUp; ++i)
        draw(g);
    return g;
}

Generator generator = start(1);  // as an unseeded C library starts

}  // namespace

int32_t demo_rand() {
    return draw(generator);
}

void demo_srand(uint32_t seed) {
    generator = start(seed);
}
