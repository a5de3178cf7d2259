// The pointer array: growth, the slots past the end, the range operations and
// the "ARRAY error" line.
#include "container/array.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

int p[8];  // distinct addresses to store

// The pointers in use.
std::vector<void*> slots(const Array* a) {
    return std::vector<void*>(a->data, a->data + a->count);
}

// An array holding p[0] .. p[n-1].
Array* make(int32_t n) {
    Array* a = array_new();
    for (int32_t i = 0; i < n; ++i)
        array_append(a, &p[i]);
    return a;
}

using P = std::vector<void*>;

// Runs f with the error switch on and returns what it printed.
template <typename F>
std::string printed(F f) {
    array_error_switch = 1;
    testing::internal::CaptureStdout();
    f();
    std::string out = testing::internal::GetCapturedStdout();
    array_error_switch = 0;
    return out;
}

}  // namespace

TEST(Array, GrowthDoublesAndKeepsSlots) {
    Array* a = array_new();
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->capacity, 2);
    EXPECT_EQ(a->count, 0);
    EXPECT_EQ(a->data[0], nullptr);
    EXPECT_EQ(a->data[1], nullptr);
    for (int i = 0; i < 3; ++i)
        array_append(a, &p[i]);
    EXPECT_EQ(a->capacity, 4);
    EXPECT_EQ(a->count, 3);
    EXPECT_EQ(a->data[3], nullptr);  // never written
    array_append(a, &p[3]);
    array_append(a, &p[4]);
    EXPECT_EQ(a->capacity, 8);
    EXPECT_EQ(slots(a), (P{&p[0], &p[1], &p[2], &p[3], &p[4]}));
    EXPECT_EQ(array_grow(a), 1);
    EXPECT_EQ(a->capacity, 16);
    EXPECT_EQ(slots(a), (P{&p[0], &p[1], &p[2], &p[3], &p[4]}));
    array_free(&a);
    EXPECT_EQ(a, nullptr);
}

TEST(Array, GetSetInsert) {
    Array* a = make(3);
    EXPECT_EQ(array_get(a, 2), &p[2]);
    EXPECT_EQ(array_get(a, 3), nullptr);
    EXPECT_EQ(array_get(a, -1), nullptr);
    array_set(a, &p[7], 1);
    array_set(a, &p[7], 3);
    EXPECT_EQ(slots(a), (P{&p[0], &p[7], &p[2]}));
    array_insert(a, &p[6], 3);  // at count: appends
    EXPECT_EQ(slots(a), (P{&p[0], &p[7], &p[2], &p[6]}));
    array_insert(a, &p[5], 5);
    array_insert(a, &p[5], -1);
    EXPECT_EQ(a->count, 4);
    array_free(&a);

    a = make(2);
    EXPECT_EQ(a->capacity, 2);
    array_insert(a, &p[7], 0);
    EXPECT_EQ(a->capacity, 4);
    EXPECT_EQ(slots(a), (P{&p[7], &p[0], &p[1]}));
    array_insert(a, nullptr, 1);  // null pointers are stored like any other
    EXPECT_EQ(slots(a), (P{&p[7], nullptr, &p[0], &p[1]}));
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
    EXPECT_EQ(slots(a), (P{&p[2]}));
    EXPECT_EQ(a->data[1], &p[1]);  // vacated slots keep their pointers
    EXPECT_EQ(a->data[2], &p[2]);
    array_free(&a);

    a = make(4);
    array_remove_range(a, 1, 3);
    EXPECT_EQ(slots(a), (P{&p[0], &p[3]}));
    array_remove_range(a, 1, 1);
    array_remove_range(a, 1, 3);
    array_remove_range(a, -1, 1);
    EXPECT_EQ(a->count, 2);
    EXPECT_EQ(array_pop(a), &p[3]);
    EXPECT_EQ(a->count, 1);
    EXPECT_EQ(a->data[1], &p[3]);  // the popped pointer stays in its slot
    EXPECT_EQ(array_pop(a), &p[0]);
    EXPECT_EQ(array_pop(a), nullptr);
    EXPECT_EQ(a->count, 0);
    array_free(&a);
}

TEST(Array, FindEqualCopy) {
    Array* a = make(3);
    array_append(a, &p[1]);
    EXPECT_EQ(array_find(a, &p[1]), 1);
    EXPECT_EQ(array_find(a, &p[5]), -1);
    EXPECT_EQ(array_find(a, nullptr), -1);
    Array* e = array_new();
    EXPECT_EQ(array_find(e, &p[0]), -1);

    Array* f = array_new();
    EXPECT_EQ(array_equal(e, f), 1);
    EXPECT_EQ(array_equal(a, a), 1);
    EXPECT_EQ(array_equal(nullptr, nullptr), 1);
    EXPECT_EQ(array_equal(nullptr, a), 0);
    EXPECT_EQ(array_equal(a, e), 0);

    Array* c = array_copy(a);
    ASSERT_NE(c, nullptr);
    EXPECT_NE(c->data, a->data);
    EXPECT_EQ(c->capacity, 4);
    EXPECT_EQ(array_equal(a, c), 1);
    array_set(c, &p[6], 3);
    EXPECT_EQ(array_equal(a, c), 0);
    Array* ce = array_copy(e);
    EXPECT_EQ(ce->capacity, 2);
    EXPECT_EQ(ce->count, 0);

    Array* r = array_copy_range(a, 1, 3);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->capacity, 2);
    EXPECT_EQ(slots(r), (P{&p[1], &p[2]}));
    Array* big = make(5);
    Array* r5 = array_copy_range(big, 0, 5);
    EXPECT_EQ(r5->capacity, 8);
    EXPECT_EQ(array_copy_range(a, 2, 2), nullptr);
    EXPECT_EQ(array_copy_range(a, 0, 5), nullptr);
    EXPECT_EQ(array_copy_range(a, -1, 2), nullptr);
    EXPECT_EQ(array_copy(nullptr), nullptr);

    for (Array* x : {a, e, f, c, ce, r, big, r5})
        array_free(&x);
}

TEST(Array, InsertRange) {
    Array* s = make(4);
    Array* d = array_new();
    array_append(d, &p[6]);
    array_append(d, &p[7]);
    array_insert_range(s, d, 1, 4, 1);
    EXPECT_EQ(slots(d), (P{&p[6], &p[1], &p[2], &p[3], &p[7]}));
    EXPECT_EQ(d->capacity, 8);
    array_insert_range(s, d, 0, 1, 5);  // at the end
    EXPECT_EQ(slots(d), (P{&p[6], &p[1], &p[2], &p[3], &p[7], &p[0]}));
    array_insert_range(s, d, 2, 2, 0);
    array_insert_range(s, d, 0, 5, 0);
    array_insert_range(s, d, 0, 1, 7);
    array_insert_range(s, d, 0, 1, -1);
    array_insert_range(nullptr, d, 0, 1, 0);
    EXPECT_EQ(d->count, 6);
    array_free(&d);

    // Within one array the inserted slots are those that stood in the range
    // before the call, wherever the range lies relative to the position.
    Array* a = make(4);  // p0 p1 p2 p3
    array_insert_range(a, a, 2, 4, 1);
    EXPECT_EQ(slots(a), (P{&p[0], &p[2], &p[3], &p[1], &p[2], &p[3]}));
    array_free(&a);
    a = make(4);
    array_insert_range(a, a, 0, 3, 1);
    EXPECT_EQ(slots(a), (P{&p[0], &p[0], &p[1], &p[2], &p[1], &p[2], &p[3]}));
    array_free(&a);
    a = make(3);
    array_insert_range(a, a, 0, 3, 0);
    EXPECT_EQ(slots(a), (P{&p[0], &p[1], &p[2], &p[0], &p[1], &p[2]}));
    array_free(&a);
    array_free(&s);
}

TEST(Array, ErrorLineOnlyWhileTheSwitchIsOn) {
    Array* a = make(2);
    testing::internal::CaptureStdout();
    EXPECT_EQ(array_get(a, 2), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    EXPECT_EQ(printed([&] { array_get(a, 2); }), "ARRAY error\n");
    EXPECT_EQ(printed([&] { array_get(a, 1); }), "");
    EXPECT_EQ(printed([&] { array_find(a, nullptr); }), "ARRAY error\n");
    Array* e = array_new();
    EXPECT_EQ(printed([&] { array_find(e, &p[0]); }), "");  // empty: silent -1
    EXPECT_EQ(printed([&] { array_equal(nullptr, a); }), "");
    EXPECT_EQ(printed([&] { array_remove_range(a, 1, 1); }), "ARRAY error\n");
    EXPECT_EQ(printed([&] { array_pop(e); }), "ARRAY error\n");
    EXPECT_EQ(printed([&] { array_append(nullptr, &p[0]); }), "ARRAY error\n");
    EXPECT_EQ(printed([&] { array_free(nullptr); }), "ARRAY error\n");
    EXPECT_EQ(printed([&] { EXPECT_EQ(array_grow(nullptr), 0); }), "ARRAY error\n");
    EXPECT_EQ(printed([&] { EXPECT_EQ(array_to_text(a), nullptr); }), "");
    EXPECT_EQ(printed([&] { EXPECT_EQ(array_to_text(nullptr), nullptr); }), "ARRAY error\n");
    EXPECT_EQ(printed([&] { EXPECT_EQ(array_from_text("x"), nullptr); }), "");
    EXPECT_EQ(printed([&] { EXPECT_EQ(array_from_text(nullptr), nullptr); }), "ARRAY error\n");
    array_free(&a);
    array_free(&e);
}
