// The pointer array: growth, the slots past the end, ranges (also within one
// array) and the "ARRAY error" line.
#include "container/array.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

int p[8];  // distinct addresses to store
using P = std::vector<void*>;

P slots(const Array* a) {
    return P(a->data, a->data + a->count);
}

// An array holding p[0] .. p[n-1].
Array* make(int32_t n) {
    Array* a = array_new();
    for (int32_t i = 0; i < n; ++i)
        array_append(a, &p[i]);
    return a;
}

// What f prints with the error switch on.
template <typename F>
std::string printed(F f) {
    array_error_switch = 1;
    testing::internal::CaptureStdout();
    f();
    array_error_switch = 0;
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(Array, GrowthAndInsert) {
    Array* a = make(3);
    EXPECT_EQ(a->capacity, 4);
    EXPECT_EQ(a->data[3], nullptr);  // never written
    array_append(a, &p[3]);
    array_append(a, &p[4]);
    EXPECT_EQ(a->capacity, 8);
    EXPECT_EQ(array_get(a, 4), &p[4]);
    EXPECT_EQ(array_get(a, 5), nullptr);
    array_free(&a);
    EXPECT_EQ(a, nullptr);

    a = make(2);
    array_insert(a, &p[7], 0);  // full: grows to 4
    EXPECT_EQ(a->capacity, 4);
    array_insert(a, &p[6], 3);  // at count: appends
    array_insert(a, &p[5], 5);  // past count: refused
    EXPECT_EQ(slots(a), (P{&p[7], &p[0], &p[1], &p[6]}));
    EXPECT_EQ(array_grow(a), 1);
    EXPECT_EQ(a->capacity, 8);
    EXPECT_EQ(slots(a), (P{&p[7], &p[0], &p[1], &p[6]}));
    array_free(&a);
}

TEST(Array, RemovalLeavesTheDocumentedSlotsBehind) {
    Array* a = make(3);
    array_remove(a, 0);
    EXPECT_EQ(slots(a), (P{&p[1], &p[2]}));
    EXPECT_EQ(a->data[2], nullptr);
    array_free(&a);

    a = make(3);
    array_remove_range(a, 0, 2);
    array_remove_range(a, 0, 0);  // empty range: refused
    EXPECT_EQ(slots(a), (P{&p[2]}));
    EXPECT_EQ(a->data[1], &p[1]);  // vacated slots keep their pointers
    EXPECT_EQ(array_pop(a), &p[2]);
    EXPECT_EQ(a->data[0], &p[2]);  // and so does a popped one
    EXPECT_EQ(array_pop(a), nullptr);
    array_free(&a);
}

TEST(Array, FindEqualCopy) {
    Array* a = make(4);
    array_set(a, &p[1], 3);
    EXPECT_EQ(array_find(a, &p[1]), 1);
    EXPECT_EQ(array_find(a, &p[5]), -1);
    Array* e = array_new();
    Array* f = array_new();
    EXPECT_EQ(array_equal(e, f), 1);
    EXPECT_EQ(array_equal(nullptr, nullptr), 1);
    EXPECT_EQ(array_equal(nullptr, a), 0);

    Array* c = array_copy(a);
    EXPECT_EQ(c->capacity, 4);
    EXPECT_EQ(array_equal(a, c), 1);
    array_set(c, &p[6], 3);
    EXPECT_EQ(array_equal(a, c), 0);
    Array* r = array_copy_range(a, 1, 3);
    EXPECT_EQ(slots(r), (P{&p[1], &p[2]}));
    EXPECT_EQ(r->capacity, 2);
    EXPECT_EQ(array_copy_range(a, 2, 2), nullptr);
    EXPECT_EQ(array_copy_range(a, 0, 5), nullptr);
    for (Array* x : {a, e, f, c, r})
        array_free(&x);
}

TEST(Array, InsertRangeAlsoWithinOneArray) {
    Array* s = make(4);
    Array* d = array_new();
    array_append(d, &p[6]);
    array_append(d, &p[7]);
    array_insert_range(s, d, 1, 4, 1);
    EXPECT_EQ(slots(d), (P{&p[6], &p[1], &p[2], &p[3], &p[7]}));
    EXPECT_EQ(d->capacity, 8);
    array_insert_range(s, d, 0, 1, 6);  // position past count: refused
    EXPECT_EQ(d->count, 5);

    // Within one array the inserted slots are those that stood in the range
    // before the call, whether the range lies before, after or across the position.
    Array* a = make(4);
    array_insert_range(a, a, 2, 4, 1);
    EXPECT_EQ(slots(a), (P{&p[0], &p[2], &p[3], &p[1], &p[2], &p[3]}));
    array_free(&a);
    a = make(4);
    array_insert_range(a, a, 0, 3, 1);
    EXPECT_EQ(slots(a), (P{&p[0], &p[0], &p[1], &p[2], &p[1], &p[2], &p[3]}));
    for (Array* x : {a, s, d})
        array_free(&x);
}

TEST(Array, ErrorLineOnlyWhileTheSwitchIsOn) {
    Array* a = make(2);
    Array* e = array_new();
    testing::internal::CaptureStdout();
    array_get(a, 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    EXPECT_EQ(printed([&] { array_get(a, 2); }), "ARRAY error\n");
    EXPECT_EQ(printed([&] { array_get(a, 1); }), "");
    // A null pointer is an error even though the array holds null slots;
    // an empty array gives -1 silently.
    array_append(a, nullptr);
    EXPECT_EQ(printed([&] { EXPECT_EQ(array_find(a, nullptr), -1); }), "ARRAY error\n");
    EXPECT_EQ(printed([&] { EXPECT_EQ(array_find(e, &p[0]), -1); }), "");
    EXPECT_EQ(printed([&] { array_equal(nullptr, a); }), "");
    EXPECT_EQ(printed([&] { array_pop(e); }), "ARRAY error\n");
    EXPECT_EQ(printed([&] { array_free(nullptr); }), "ARRAY error\n");
    EXPECT_EQ(printed([&] { EXPECT_EQ(array_to_text(a), nullptr); }), "");
    EXPECT_EQ(printed([&] { EXPECT_EQ(array_from_text(nullptr), nullptr); }), "ARRAY error\n");
    array_free(&a);
    array_free(&e);
}
