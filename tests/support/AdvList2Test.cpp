// The notifying list: change codes, update brackets and the stable merge sort.
#include "support/AdvList2.h"

#include <gtest/gtest.h>

#include <vector>

namespace vexa {
namespace {

struct TItem {
  int key;
  int tag;
};

class TRecordingList : public TAdvList2<TItem> {
public:
  struct TEvent {
    TListChange code;
    TItem* item;
    int index;
    bool operator==(const TEvent&) const = default;
  };
  std::vector<TEvent> events;

protected:
  void Notify(TListChange code, TItem* item, int index) override { events.push_back({code, item, index}); }
};

TEST(AdvList2, ChangeCodesCarryTheItemsPosition) {
  TItem a{1, 0}, b{2, 0}, c{3, 0};
  TRecordingList list;
  list.Add(&a);
  list.Add(&b);
  list.Add(&c);
  EXPECT_EQ(list.Extract(&b), &b);
  EXPECT_EQ(list.Extract(&b), nullptr);
  list.Delete(5);
  list.Clear();
  using E = TRecordingList::TEvent;
  const std::vector<E> expected = {{TListChange::Added, &a, 0},     {TListChange::Added, &b, 1},
                                   {TListChange::Added, &c, 2},     {TListChange::Extracted, &b, 1},
                                   {TListChange::Cleared, nullptr, -1}, {TListChange::Deleted, &c, 1},
                                   {TListChange::Deleted, &a, 0}};
  EXPECT_EQ(list.events, expected);
  EXPECT_EQ(list.Count(), 0);
}

TEST(AdvList2, NestedUpdatesSignalOnce) {
  TRecordingList list;
  list.BeginUpdate();
  list.BeginUpdate();
  EXPECT_TRUE(list.InUpdate());
  list.EndUpdate();
  list.EndUpdate();
  list.EndUpdate();  // unmatched: nothing
  ASSERT_EQ(list.events.size(), 2u);
  EXPECT_EQ(list.events[0].code, TListChange::UpdateBegun);
  EXPECT_EQ(list.events[1].code, TListChange::UpdateEnded);
}

TEST(AdvList2, SortIsStableAndSilentWhenTrivial) {
  auto after = [](const TItem* l, const TItem* r) { return l->key > r->key; };
  TRecordingList list;
  list.Sort(after);
  TItem one{1, 0};
  list.Add(&one);
  list.Sort(after);
  list.Sort(nullptr);
  EXPECT_EQ(list.events.size(), 1u);  // only the addition

  std::vector<TItem> items;
  for (int i = 0; i < 37; ++i) items.push_back({(i * 7) % 5, i});
  TRecordingList big;
  for (auto& item : items) big.Add(&item);
  big.Sort(after);
  EXPECT_EQ(big.events.back().code, TListChange::Sorted);
  for (int i = 1; i < big.Count(); ++i) {
    const TItem* l = big.Item(i - 1);
    const TItem* r = big.Item(i);
    ASSERT_TRUE(l->key < r->key || (l->key == r->key && l->tag < r->tag)) << i;
  }
}

}  // namespace
}  // namespace vexa
