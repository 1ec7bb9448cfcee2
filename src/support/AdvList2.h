// A list of pointers that reports every change of its contents to one
// overridable operation, with nestable update brackets and a stable merge sort.
// The list does not own its items: descendants decide in Notify (the device list
// frees a record when it is deleted, not when it is extracted).
#pragma once

#include <cstdint>
#include <algorithm>
#include <functional>
#include <vector>

namespace vexa {

enum class TListChange : std::uint8_t {
  Added = 0,
  Extracted = 1,
  Deleted = 2,
  Cleared = 3,
  Sorted = 4,
  UpdateBegun = 5,
  UpdateEnded = 6,
};

template <typename T>
class TAdvList2 {
public:
  // Answers whether left sorts after right; equal items keep their order.
  using TCompare = std::function<bool(const T* left, const T* right)>;

  virtual ~TAdvList2() = default;
  TAdvList2() = default;
  TAdvList2(const TAdvList2&) = delete;
  TAdvList2& operator=(const TAdvList2&) = delete;

  int Count() const { return static_cast<int>(items.size()); }
  T* Item(int index) const { return index >= 0 && index < Count() ? items[index] : nullptr; }
  int IndexOf(const T* item) const {
    for (int i = 0; i < Count(); ++i)
      if (items[i] == item) return i;
    return -1;
  }
  bool InUpdate() const { return updateDepth > 0; }

  int Add(T* item) {
    items.push_back(item);
    const int index = Count() - 1;
    Notify(TListChange::Added, item, index);
    return index;
  }
  // Removes the item at index; descendants free it on Deleted.
  void Delete(int index) {
    if (index < 0 || index >= Count()) return;
    T* item = items[index];
    items.erase(items.begin() + index);
    Notify(TListChange::Deleted, item, index);
  }
  // Removes an item without freeing it; answers it, or none when absent.
  T* Extract(T* item) {
    const int index = IndexOf(item);
    if (index < 0) return nullptr;
    items.erase(items.begin() + index);
    Notify(TListChange::Extracted, item, index);
    return item;
  }
  // Cleared first, then every item is deleted from the last to the first, so
  // descendants that free on Deleted free everything.
  void Clear() {
    Notify(TListChange::Cleared, nullptr, -1);
    while (!items.empty()) Delete(Count() - 1);
  }

  virtual void BeginUpdate() {
    if (updateDepth == 0) Notify(TListChange::UpdateBegun, nullptr, -1);
    ++updateDepth;
  }
  virtual void EndUpdate() {
    if (updateDepth <= 0) return;
    if (--updateDepth == 0) Notify(TListChange::UpdateEnded, nullptr, -1);
  }
  virtual void Sort(const TCompare& compare) {
    if (!compare || items.size() < 2) return;
    MergeSort(items.data(), items.size(), compare);
    Notify(TListChange::Sorted, nullptr, -1);
  }

protected:
  virtual void Notify(TListChange /*code*/, T* /*item*/, int /*index*/) {}

private:
  static void MergeSort(T** list, std::size_t n, const TCompare& after) {
    if (n <= 1) return;
    const std::size_t h = n / 2;
    if (n > 2) {
      MergeSort(list, h, after);
      MergeSort(list + h, n - h, after);
    }
    std::vector<T*> merged;
    merged.reserve(n);
    std::size_t left = 0, right = h;
    while (merged.size() < n) {
      if (right >= n || (left < h && !after(list[left], list[right])))
        merged.push_back(list[left++]);
      else
        merged.push_back(list[right++]);
    }
    std::copy(merged.begin(), merged.end(), list);
  }

  std::vector<T*> items;
  std::int32_t updateDepth = 0;
};

}  // namespace vexa
