// The pointer array: slot storage with doubling growth and the list operations.
#include "container/array.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "container/common.h"

uint8_t array_error_switch = 0;

const char* const array_ident[5] = {"ARRAY   ", "20261206", "Vandrell", "C++     ", "CODE    "};

namespace {

// Slots of a new array.
constexpr int32_t initial_capacity = 2;

// A failed check: calls array_error and gives the result the operation
// returns on failure, so that a check is one line.
constexpr common::Fail<array_error> array_fail{};

// True when the record is in a state the operations can work on.
bool usable(const Array* array) {
    return array && array->data && array->count >= 0 && array->count <= array->capacity;
}

// True when from .. to-1 is a run of at least one slot in use.
bool has_range(const Array* array, int32_t from, int32_t to) {
    return from < to && from >= 0 && to <= array->count;
}

// Bytes taken by n slots.
size_t slot_bytes(int32_t n) {
    return static_cast<size_t>(n) * sizeof(void*);
}

// Replaces the slot buffer by a zero-filled one of capacity slots, keeping the
// slots in use; false (array unchanged) when memory runs out.
bool reallocate(Array* array, int64_t capacity) {
    void** slots = static_cast<void**>(calloc(static_cast<size_t>(capacity), sizeof(void*)));
    if (!slots) return false;
    if (array->count > 0) memcpy(slots, array->data, slot_bytes(array->count));
    free(array->data);
    array->data = slots;
    array->capacity = static_cast<int32_t>(capacity);
    return true;
}

// Doubles the capacity until n more slots fit, in one reallocation (the same
// result as doubling step by step). False, with the array exactly as it was,
// when the size would not fit 31 bits or memory runs out.
bool make_room(Array* array, int32_t n) {
    const int64_t needed = int64_t{array->count} + n;
    int64_t capacity = array->capacity;
    if (capacity >= needed) return true;
    if (capacity < 1) return false;
    while (capacity < needed)
        capacity *= 2;
    if (capacity > INT32_MAX) return false;
    return reallocate(array, capacity);
}

// A new array holding slots from .. to-1 of source (already checked), or null.
Array* copy_slots(const Array* source, int32_t from, int32_t to) {
    Array* copy = array_new();
    if (!copy) return nullptr;
    const int32_t n = to - from;
    if (!make_room(copy, n)) {
        array_free(&copy);
        return nullptr;
    }
    if (n > 0) memcpy(copy->data, source->data + from, slot_bytes(n));
    copy->count = n;
    return copy;
}

}  // namespace

void array_error() {
    if (array_error_switch) printf("ARRAY error\n");
}

Array* array_new() {
    Array* array = static_cast<Array*>(calloc(1, sizeof(Array)));
    if (!array) return array_fail(nullptr);
    array->data = static_cast<void**>(calloc(initial_capacity, sizeof(void*)));
    if (!array->data) {
        free(array);
        return array_fail(nullptr);
    }
    array->capacity = initial_capacity;
    return array;
}

void array_free(Array** array) {
    if (!array) return array_fail();
    if (!*array) return array_fail();
    free((*array)->data);
    free(*array);
    *array = nullptr;
}

void* array_get(const Array* array, int32_t index) {
    if (!usable(array)) return array_fail(nullptr);
    if (index < 0 || index >= array->count) return array_fail(nullptr);
    return array->data[index];
}

void array_set(Array* array, void* pointer, int32_t index) {
    if (!usable(array)) return array_fail();
    if (index < 0 || index >= array->count) return array_fail();
    array->data[index] = pointer;
}

void array_append(Array* array, void* pointer) {
    if (!usable(array)) return array_fail();
    if (!make_room(array, 1)) return array_fail();
    array->data[array->count] = pointer;
    array->count += 1;
}

void array_insert(Array* array, void* pointer, int32_t position) {
    if (!usable(array)) return array_fail();
    if (position < 0 || position > array->count) return array_fail();
    if (!make_room(array, 1)) return array_fail();
    void** d = array->data;
    memmove(d + position + 1, d + position, slot_bytes(array->count - position));
    d[position] = pointer;
    array->count += 1;
}

void array_remove(Array* array, int32_t index) {
    if (!usable(array)) return array_fail();
    if (index < 0 || index >= array->count) return array_fail();
    void** d = array->data;
    memmove(d + index, d + index + 1, slot_bytes(array->count - index - 1));
    d[array->count - 1] = nullptr;
    array->count -= 1;
}

void array_remove_range(Array* array, int32_t from, int32_t to) {
    if (!usable(array)) return array_fail();
    if (!has_range(array, from, to)) return array_fail();
    void** d = array->data;
    memmove(d + from, d + to, slot_bytes(array->count - to));
    array->count -= to - from;
}

void* array_pop(Array* array) {
    if (!usable(array)) return array_fail(nullptr);
    if (array->count == 0) return array_fail(nullptr);
    array->count -= 1;
    return array->data[array->count];
}

int32_t array_find(const Array* array, const void* pointer) {
    if (!usable(array)) return array_fail(-1);
    if (!pointer) return array_fail(-1);
    for (int32_t i = 0; i < array->count; ++i) {
        if (array->data[i] == pointer) return i;
    }
    return -1;
}

int32_t array_equal(const Array* a, const Array* b) {
    if (a == b) return 1;  // the same array, or both null
    if (!a) return 0;
    if (!b) return 0;
    if (a->count != b->count) return 0;
    if (!usable(a)) return 0;
    if (!usable(b)) return 0;
    if (a->count == 0) return 1;
    return memcmp(a->data, b->data, slot_bytes(a->count)) == 0 ? 1 : 0;
}

Array* array_copy(const Array* array) {
    if (!usable(array)) return array_fail(nullptr);
    Array* copy = copy_slots(array, 0, array->count);
    if (!copy) return array_fail(nullptr);
    return copy;
}

Array* array_copy_range(const Array* array, int32_t from, int32_t to) {
    if (!usable(array)) return array_fail(nullptr);
    if (!has_range(array, from, to)) return array_fail(nullptr);
    Array* copy = copy_slots(array, from, to);
    if (!copy) return array_fail(nullptr);
    return copy;
}

void array_insert_range(const Array* source, Array* destination, int32_t from, int32_t to,
                        int32_t position) {
    if (!usable(source)) return array_fail();
    if (!usable(destination)) return array_fail();
    if (!has_range(source, from, to)) return array_fail();
    if (position < 0 || position > destination->count) return array_fail();
    const int32_t n = to - from;
    if (!make_room(destination, n)) return array_fail();
    void** d = destination->data;
    memmove(d + position + n, d + position, slot_bytes(destination->count - position));
    if (source != destination) {
        memcpy(d + position, source->data + from, slot_bytes(n));
    } else {
        // Within one array the range may have been moved up by the step above:
        // take every slot from where it stood before the call. None of them
        // lies in the gap being filled, so the order does not matter.
        for (int32_t k = 0; k < n; ++k) {
            const int32_t old_index = from + k;
            d[position + k] = d[old_index < position ? old_index : old_index + n];
        }
    }
    destination->count += n;
}

int32_t array_grow(Array* array) {
    if (!usable(array)) return array_fail(0);
    if (array->capacity < 1) return array_fail(0);
    const int64_t doubled = 2 * int64_t{array->capacity};
    if (doubled > INT32_MAX) return array_fail(0);
    if (!reallocate(array, doubled)) return array_fail(0);
    return 1;
}

Array* array_from_text(const void* pointer) {
    if (!pointer) return array_fail(nullptr);
    return nullptr;
}

char* array_to_text(const Array* array) {
    if (!array) return array_fail(nullptr);
    return nullptr;
}
