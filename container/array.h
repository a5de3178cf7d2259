// ARRAY: a growable array of untyped pointers.
//
// Ownership: array_new (and the copying operations) give the caller a record
// that owns its slot buffer; array_free(&a) releases it and nulls the
// reference. The array only borrows what its slots point to: it never copies
// or frees the pointed-to objects.
//
// Growth: a new array has 2 null slots; when more room is needed the slot
// buffer doubles (zero-filled, so never-written slots are null). It never
// shrinks. Slots at or past count may still hold removed pointers.
//
// Errors: a failed check calls array_error(), which prints "ARRAY error" while
// array_error_switch is on (0 at start; nothing sets it); the operation then
// changes nothing and returns its failure result (null, 0 or -1).
//
// Threads: no locks. An array shared between threads (the sound queue) is
// guarded by its user.
#pragma once

#include <cstdint>

struct Array {
    int32_t capacity;  // slots allocated in data
    int32_t count;     // slots in use, 0 .. count-1
    void** data;       // capacity slots, owned
};

extern uint8_t array_error_switch;

// Prints "ARRAY error" while the error switch is on.
void array_error();
// A new array: capacity 2, count 0, two null slots; null when memory runs out.
Array* array_new();
// Releases the slot buffer and the record and nulls the reference.
void array_free(Array** array);
// The pointer in slot index (0 .. count-1), else null.
void* array_get(const Array* array, int32_t index);
// Stores pointer in slot index (0 .. count-1).
void array_set(Array* array, void* pointer, int32_t index);
// Adds pointer after the last slot, growing when full.
void array_append(Array* array, void* pointer);
// Inserts pointer before position (0 .. count), growing when full.
void array_insert(Array* array, void* pointer, int32_t position);
// Removes slot index; the freed slot at the end becomes null.
void array_remove(Array* array, int32_t index);
// Removes slots from .. to-1; the vacated end slots keep their old pointers.
void array_remove_range(Array* array, int32_t from, int32_t to);
// Takes the last pointer off; its slot keeps the pointer. Null when empty.
void* array_pop(Array* array);
// Lowest index holding pointer, or -1.
int32_t array_find(const Array* array, const void* pointer);
// 1 when both hold the same pointers in the same order (both null: 1), else 0.
int32_t array_equal(const Array* a, const Array* b);
// A new array holding the same pointers, or null.
Array* array_copy(const Array* array);
// A new array holding slots from .. to-1, or null.
Array* array_copy_range(const Array* array, int32_t from, int32_t to);
// Inserts source slots from .. to-1 into destination before position. Source
// and destination may be the same array: the slots inserted are the ones that
// stood at from .. to-1 before the call.
void array_insert_range(const Array* source, Array* destination, int32_t from, int32_t to,
                        int32_t position);
// Doubles the slot buffer once; 1 on success, 0 when it cannot.
int32_t array_grow(Array* array);
// No text form: always null.
Array* array_from_text(const void* pointer);
// No text form: always null.
char* array_to_text(const Array* array);

// Identification record: name, date, author, language, kind (constant data, read by no code).
extern const char* const array_ident[5];
