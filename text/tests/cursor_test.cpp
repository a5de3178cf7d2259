// The wrapping cursor: seeking divides as integers do, advancing wraps into
// 0 .. columns - 1 for any step.
#include "text/cursor.h"

#include <gtest/gtest.h>

#include <climits>

TEST(Cursor, SeekAndAdvance) {
    Cursor* c = cursor_new();  // 16 columns
    EXPECT_EQ(cursor_seek(c, 37), 2);
    EXPECT_EQ(c->position, 5);
    EXPECT_EQ(cursor_seek(c, -3), 0);
    EXPECT_EQ(c->position, -3);
    EXPECT_EQ(cursor_seek(nullptr, 77), 77);
    cursor_set(c, 1, -5, 1);  // negative columns divide as integers do
    EXPECT_EQ(cursor_seek(c, 12), -2);
    EXPECT_EQ(c->position, 2);
    cursor_set(c, 1, -1, 1);  // the one quotient past 32 bits wraps
    EXPECT_EQ(cursor_seek(c, INT32_MIN), INT32_MIN);
    cursor_set(c, 4, 16, 1);
    // From, step -> position.
    const int32_t moves[][3] = {
        {0, 40, 8}, {0, -17, 15}, {15, 1, 0}, {INT32_MAX, INT32_MAX, 14}, {5, INT32_MIN + 1, 6}};
    for (auto& m : moves) {
        c->position = m[0];
        c->step = m[1];
        cursor_advance(c);
        EXPECT_EQ(c->position, m[2]) << m[0] << " + " << m[1];
    }
    cursor_set(c, 1, 0, 1);  // no columns: nothing moves, nothing hangs
    cursor_advance(c);
    EXPECT_EQ(cursor_seek(c, 9), 9);
    EXPECT_EQ(c->position, 0);
    cursor_free(&c);
    EXPECT_EQ(c, nullptr);
}
