// The record-list triple shared by every registry and the two list edits on it:
// append at the end and unlink. Records are plain structs ending in next/prev.
#pragma once

template <typename T>
struct Registry {
  T* current;
  T* first;
  T* last;
};

// Appends a record at the end of a first/last chain; next and prev are rewritten.
template <typename T>
void LinkLast(T*& first, T*& last, T* record) {
  record->next = nullptr;
  record->prev = last;
  if (last) {
    last->next = record;
  } else {
    first = record;
  }
  last = record;
}

// Takes a record out of a first/last chain and clears a current pointer that
// names it. The record itself is not freed.
template <typename T>
void Unlink(T*& current, T*& first, T*& last, T* record) {
  if (current == record) current = nullptr;
  if (record->prev) {
    record->prev->next = record->next;
  } else {
    first = record->next;
  }
  if (record->next) {
    record->next->prev = record->prev;
  } else {
    last = record->prev;
  }
  record->next = nullptr;
  record->prev = nullptr;
}

template <typename T>
void LinkLast(Registry<T>& registry, T* record) {
  LinkLast(registry.first, registry.last, record);
}

template <typename T>
void Unlink(Registry<T>& registry, T* record) {
  Unlink(registry.current, registry.first, registry.last, record);
}
