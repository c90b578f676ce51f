// CSList: the contracts the rest of the library leans on (CSBuf is used through CSFile).
#include <gtest/gtest.h>

#include <vector>

#include "sys/CSList.h"

namespace {

int items[8];
void* Item(int i)
{
    return &items[i];
}
using Items = std::vector<int>;

// The elements walked forward, checked against the backward walk and the count.
Items Walk(const CSList& list)
{
    Items forward, backward;
    for (POS__* pos = list.GetHeadPos(); pos;)
        forward.push_back(static_cast<int*>(list.GetNext(pos)) - items);
    for (POS__* pos = list.GetTailPos(); pos;)
        backward.insert(backward.begin(), static_cast<int*>(list.GetPrev(pos)) - items);
    EXPECT_EQ(backward, forward);
    EXPECT_EQ(list.GetCount(), static_cast<int>(forward.size()));
    return forward;
}

// Records what leaves a list: the element and the message code.
struct Removals {
    Items seen;
    std::vector<unsigned> codes;
    static int Record(unsigned long data, unsigned int msg, void* element)
    {
        auto* self = reinterpret_cast<Removals*>(data);
        self->seen.push_back(static_cast<int*>(element) - items);
        self->codes.push_back(msg);
        return 0;
    }
};

} // namespace

TEST(CSList, PositionsStayValidAcrossInsertsMovesAndRemovals)
{
    CSList list;
    POS__* p1 = list.AddTail(Item(1));
    POS__* p3 = list.AddTail(Item(3));
    POS__* p0 = list.AddHead(Item(0));
    POS__* p2 = list.InsertBefore(p3, Item(2));
    POS__* p4 = list.InsertAfter(p3, Item(4));
    list.InsertBefore(p0, Item(5));
    list.InsertAfter(nullptr, Item(6));  // a null position means the end
    EXPECT_EQ(Walk(list), (Items{5, 0, 1, 2, 3, 4, 6}));
    POS__* at = p2;
    list.RemoveAt(at);
    EXPECT_EQ(at, p3);  // a forward walk can go on
    EXPECT_TRUE(list.RemoveHead() == Item(5) && list.RemoveTail() == Item(6));
    at = p4;
    list.RemoveAt(at);
    EXPECT_EQ(at, nullptr);  // the tail leaves the caller's position null
    EXPECT_EQ(Walk(list), (Items{0, 1, 3}));
    EXPECT_TRUE(list.GetAt(p0) == Item(0) && list.GetAt(p1) == Item(1) && list.GetTail() == Item(3));

    EXPECT_EQ(list.MoveAfter(p0, p3), p0);
    EXPECT_EQ(Walk(list), (Items{1, 3, 0}));
    list.MoveAfter(p0, nullptr);  // to the head
    EXPECT_EQ(Walk(list), (Items{0, 1, 3}));
    list.MoveAfter(p1, p0);  // after its own predecessor, onto itself, the head to the head: no change
    list.MoveAfter(p1, p1);
    list.MoveAfter(p0, nullptr);
    list.MoveAfter(p1, p3);  // to the tail
    EXPECT_EQ(Walk(list), (Items{0, 3, 1}));
    EXPECT_TRUE(list.GetHeadPos() == p0 && list.GetTailPos() == p1);
}

TEST(CSList, CallbackSeesEveryElementThatLeaves)
{
    Removals removals;
    {
        CSList list;
        list.SetCallback(reinterpret_cast<unsigned long>(&removals), Removals::Record);
        for (int i = 0; i < 6; ++i)
            list.AddTail(Item(i));
        list.RemoveHead();
        list.RemoveTail();
        POS__* pos = list.FindIndex(1);
        list.RemoveAt(pos);
        list.SetAt(list.GetHeadPos(), Item(7));  // replacing is not leaving
        list.RemoveAll();
        EXPECT_EQ(removals.seen, (Items{0, 5, 2, 4, 3, 7}));  // RemoveAll: tail to head
        for (int i = 0; i < 3; ++i)
            list.AddTail(Item(i));
    }
    EXPECT_EQ(removals.seen, (Items{0, 5, 2, 4, 3, 7, 2, 1, 0}));  // the destructor, tail to head
    EXPECT_EQ(removals.codes, std::vector<unsigned>(9, 1u));
}

TEST(CSList, SharingIndexAndSearch)
{
    CSList list, other, empty;
    POS__* p0 = list.AddTail(Item(0));
    POS__* p1 = list.AddTail(Item(1));
    POS__* p2 = list.AddTail(Item(0));  // the same pointer twice
    EXPECT_TRUE(list.FindIndex(0) == p0 && list.FindIndex(2) == p2 && !list.FindIndex(3) && !list.FindIndex(-1));
    EXPECT_TRUE(list.GetIndex(p0) == 0 && list.GetIndex(p2) == 2 && list.GetIndex(nullptr) == -1);
    EXPECT_TRUE(list.Find(Item(0)) == p0 && list.Find(Item(1)) == p1 && !list.Find(Item(4)));
    EXPECT_TRUE(list.Find(Item(0), p0) == p2 && !list.Find(Item(0), p2));  // the search starts after the given position
    for (int i : {5, 6})
        other.AddTail(Item(i));
    list.AddHead(&other);
    list.AddTail(&other);
    list.AddTail(&empty);
    EXPECT_EQ(Walk(list), (Items{5, 6, 0, 1, 0, 5, 6}));
    EXPECT_EQ(Walk(other), (Items{5, 6}));  // unchanged, pointers shared
    other.AddTail(&other);  // a list given itself doubles once and stops
    other.AddHead(&other);
    EXPECT_EQ(Walk(other), (Items{5, 6, 5, 6, 5, 6, 5, 6}));
}
