// The pointer array: growth, the slots past the end, ranges (also within one
// array) and the "ARRAY error" line.
#include "container/array.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

int p[8];  // distinct addresses to store
using P = std::vector<void*>;
using I = std::vector<int32_t>;

// Slots 0 .. n-1 of an array (n: its count when negative).
P slots(const Array* a, int32_t n = -1) {
    return P(a->data, a->data + (n < 0 ? a->count : n));
}

// An array holding p[0] .. p[n-1].
Array* make(int32_t n) {
    Array* a = array_new();
    for (int32_t i = 0; i < n; ++i)
        array_append(a, &p[i]);
    return a;
}

}  // namespace

TEST(Array, GrowthAndTheSlotsPastTheEnd) {
    Array* a = make(3);
    EXPECT_EQ(slots(a, a->capacity), (P{&p[0], &p[1], &p[2], nullptr}));  // never written: null
    array_insert(a, &p[7], 0);
    array_insert(a, &p[6], 4);  // at count: appends, growing to 8
    array_insert(a, &p[5], 6);  // past count: refused
    EXPECT_EQ(slots(a, 8), (P{&p[7], &p[0], &p[1], &p[2], &p[6], nullptr, nullptr, nullptr}));

    // Removing one slot nulls the freed one; a range, or a pop, leaves the
    // vacated slots holding their old pointers.
    array_remove(a, 0);
    EXPECT_EQ(slots(a, 5), (P{&p[0], &p[1], &p[2], &p[6], nullptr}));
    array_remove_range(a, 0, 2);
    array_remove_range(a, 0, 0);  // empty range: refused
    EXPECT_EQ(array_pop(a), &p[6]);
    EXPECT_EQ(slots(a, 4), (P{&p[2], &p[6], &p[2], &p[6]}));
    EXPECT_EQ((I{array_grow(a), a->capacity}), (I{1, 16}));
    EXPECT_EQ(slots(a), (P{&p[2]}));
    array_free(&a);
    EXPECT_EQ(a, nullptr);
}

TEST(Array, FindEqualCopyAndRanges) {
    Array* a = make(4);
    array_set(a, &p[1], 3);
    Array* c = array_copy(a);
    EXPECT_EQ((I{array_find(a, &p[1]), array_find(a, &p[5]), array_equal(a, c),
                 array_equal(nullptr, nullptr), array_equal(nullptr, a)}),
              (I{1, -1, 1, 1, 0}));
    array_set(c, &p[6], 3);
    EXPECT_EQ(array_equal(a, c), 0);

    // Inserting a range of an array into itself inserts the slots that stood
    // there before the call, also when the range lies across the position.
    Array* r = array_copy_range(a, 1, 3);
    array_insert_range(r, r, 0, 2, 1);
    EXPECT_EQ(slots(r), (P{&p[1], &p[1], &p[2], &p[2]}));
    array_insert_range(a, c, 1, 3, 4);
    EXPECT_EQ(slots(c), (P{&p[0], &p[1], &p[2], &p[6], &p[1], &p[2]}));
    for (Array* x : {a, c, r})
        array_free(&x);
}

TEST(Array, ErrorLineOnlyWhileTheSwitchIsOn) {
    // One line for each failed check: a slot past the end, looking for null
    // (even though the array holds null slots), popping an empty array and
    // freeing null. Looking in an empty array or comparing with null is none.
    Array* a = make(2);
    Array* e = array_new();
    testing::internal::CaptureStdout();
    array_get(a, 2);  // the switch is off: no line
    array_append(a, nullptr);
    array_error_switch = 1;
    EXPECT_EQ((P{array_get(a, 3), array_get(a, 2), array_pop(e)}), P(3, nullptr));
    EXPECT_EQ((I{array_find(a, nullptr), array_find(e, &p[0]), array_equal(nullptr, a)}),
              (I{-1, -1, 0}));
    array_free(nullptr);
    array_error_switch = 0;
    const std::string line = "ARRAY error\n";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), line + line + line + line);
    array_free(&a);
    array_free(&e);
}
