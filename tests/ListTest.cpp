// CSList and CSBuf: the contracts the rest of the library leans on.
#include <gtest/gtest.h>

#include <vector>

#include "sys/CSBuf.h"
#include "sys/CSList.h"

namespace {

int items[8];
void* Item(int i)
{
    return &items[i];
}

// Checks that the forward and backward links tell the same story as the count.
void ExpectList(const CSList& list, std::vector<int> expected)
{
    std::vector<int> forward, backward;
    for (POS__* pos = list.GetHeadPos(); pos;)
        forward.push_back(static_cast<int*>(list.GetNext(pos)) - items);
    for (POS__* pos = list.GetTailPos(); pos;)
        backward.insert(backward.begin(), static_cast<int*>(list.GetPrev(pos)) - items);
    EXPECT_EQ(forward, expected);
    EXPECT_EQ(backward, expected);
    EXPECT_EQ(list.GetCount(), static_cast<int>(expected.size()));
    EXPECT_EQ(list.IsEmpty(), expected.empty());
}

// Keeps its nodes in a fixed pool: the node hooks are the only allocation points.
class PoolList : public CSList {
public:
    int created = 0, deleted = 0;
    ~PoolList() override { RemoveAll(); }

protected:
    CSNode* CreateNode() override { return &pool[created++ % 8]; }
    void DeleteNode(void*) override { ++deleted; }

private:
    CSNode pool[8];
};

} // namespace

TEST(CSList, PositionsStayValidAcrossInsertsAndRemovals)
{
    PoolList list;  // a derived list owns its nodes
    POS__* p1 = list.AddTail(Item(1));
    POS__* p3 = list.AddTail(Item(3));
    POS__* p0 = list.AddHead(Item(0));
    POS__* p2 = list.InsertBefore(p3, Item(2));
    POS__* p4 = list.InsertAfter(p3, Item(4));
    ExpectList(list, {0, 1, 2, 3, 4});
    // Null positions mean the ends.
    POS__* front = list.InsertBefore(nullptr, Item(5));
    POS__* back = list.InsertAfter(nullptr, Item(6));
    EXPECT_TRUE(list.GetHeadPos() == front && list.GetTailPos() == back);
    ExpectList(list, {5, 0, 1, 2, 3, 4, 6});

    POS__* at = p2;
    list.RemoveAt(at);
    EXPECT_EQ(at, p3);  // a forward walk can go on
    EXPECT_EQ(list.RemoveHead(), Item(5));
    EXPECT_EQ(list.RemoveTail(), Item(6));
    ExpectList(list, {0, 1, 3, 4});
    EXPECT_TRUE(list.GetAt(p0) == Item(0) && list.GetAt(p1) == Item(1) && list.GetAt(p4) == Item(4));
    at = p4;
    list.RemoveAt(at);
    EXPECT_EQ(at, nullptr);  // the tail leaves the caller's position null
    ExpectList(list, {0, 1, 3});
    list.SetAt(p1, Item(7));
    EXPECT_EQ(list.GetAt(p1), Item(7));
    list.GetAt(p1) = Item(1);  // the reference form writes the stored pointer
    EXPECT_TRUE(list.GetHead() == Item(0) && list.GetTail() == Item(3));
    list.RemoveAll();
    EXPECT_EQ(list.created, 7);
    EXPECT_EQ(list.deleted, 7);
}

TEST(CSList, CallbackSeesEveryElementThatLeaves)
{
    struct Removals {
        std::vector<int> seen;
        std::vector<unsigned> codes;
        static int Record(unsigned long data, unsigned int msg, void* element)
        {
            auto* self = reinterpret_cast<Removals*>(data);
            self->seen.push_back(static_cast<int*>(element) - items);
            self->codes.push_back(msg);
            return 12345;  // ignored by the list
        }
    } removals;
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
        EXPECT_EQ(removals.seen, (std::vector<int>{0, 5, 2}));
        list.RemoveAll();
        EXPECT_EQ(removals.seen, (std::vector<int>{0, 5, 2, 4, 3, 7}));  // tail to head
        for (int i = 0; i < 3; ++i)
            list.AddTail(Item(i));
        removals.seen.clear();
    }
    EXPECT_EQ(removals.seen, (std::vector<int>{2, 1, 0}));  // the destructor, tail to head
    EXPECT_EQ(removals.codes, std::vector<unsigned>(9, 1u));

    // After removing the callback nothing is called.
    CSList quiet;
    quiet.SetCallback(reinterpret_cast<unsigned long>(&removals), Removals::Record);
    quiet.SetCallback(0, nullptr);
    quiet.AddTail(Item(1));
    quiet.RemoveAll();
    EXPECT_EQ(removals.seen.size(), 3u);
}

TEST(CSList, MoveAfterAndSharingRelinkWithoutLosingCount)
{
    CSList list;
    POS__* p[5];
    for (int i = 0; i < 5; ++i)
        p[i] = list.AddTail(Item(i));
    EXPECT_EQ(list.MoveAfter(p[0], p[3]), p[0]);
    ExpectList(list, {1, 2, 3, 0, 4});
    list.MoveAfter(p[4], nullptr);  // to the head
    ExpectList(list, {4, 1, 2, 3, 0});
    list.MoveAfter(p[1], p[0]);  // to the tail
    ExpectList(list, {4, 2, 3, 0, 1});
    // Moves that change nothing: onto itself, after its own predecessor, the head to the head.
    list.MoveAfter(p[2], p[2]);
    list.MoveAfter(p[3], p[2]);
    list.MoveAfter(p[4], nullptr);
    ExpectList(list, {4, 2, 3, 0, 1});
    EXPECT_TRUE(list.GetHeadPos() == p[4] && list.GetTailPos() == p[1]);

    CSList shared, other, empty;
    shared.AddTail(Item(0));
    shared.AddTail(Item(1));
    for (int i : {5, 6, 7})
        other.AddTail(Item(i));
    shared.AddHead(&other);
    ExpectList(shared, {5, 6, 7, 0, 1});
    shared.AddTail(&other);
    ExpectList(shared, {5, 6, 7, 0, 1, 5, 6, 7});
    ExpectList(other, {5, 6, 7});  // unchanged, pointers shared
    shared.AddHead(&empty);
    shared.AddTail(&empty);
    EXPECT_EQ(shared.GetCount(), 8);
    // A list given itself doubles once and stops.
    other.AddTail(&other);
    ExpectList(other, {5, 6, 7, 5, 6, 7});
    other.AddHead(&other);
    EXPECT_EQ(other.GetCount(), 12);
}

TEST(CSList, IndexAndSearch)
{
    CSList list;
    EXPECT_TRUE(!list.GetHeadPos() && !list.GetTailPos() && !list.FindIndex(0));
    POS__* p0 = list.AddTail(Item(0));
    POS__* p1 = list.AddTail(Item(1));
    POS__* p2 = list.AddTail(Item(0));  // the same pointer twice
    EXPECT_TRUE(list.FindIndex(0) == p0 && list.FindIndex(2) == p2);
    EXPECT_TRUE(!list.FindIndex(3) && !list.FindIndex(-1));
    EXPECT_EQ(list.GetIndex(p0), 0);
    EXPECT_EQ(list.GetIndex(p2), 2);
    EXPECT_EQ(list.GetIndex(nullptr), -1);
    EXPECT_EQ(list.Find(Item(0)), p0);
    EXPECT_EQ(list.Find(Item(0), p0), p2);  // the search starts after the given position
    EXPECT_EQ(list.Find(Item(0), p2), nullptr);
    EXPECT_EQ(list.Find(Item(1), nullptr), p1);
    EXPECT_EQ(list.Find(Item(4)), nullptr);
}

TEST(CSBuf, OwnsAZeroFilledBlockWhoseFirstByteTellsEmptiness)
{
    CSBuf none(0);
    EXPECT_FALSE(none.IsReady());
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_EQ(static_cast<void*>(none), nullptr);
    CSBuf buf(64);
    ASSERT_TRUE(buf.IsReady());
    const unsigned char* bytes = buf;
    EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + 64), std::vector<unsigned char>(64, 0));
    buf.SetAt(63, 0x7F);
    EXPECT_TRUE(buf.IsEmpty());
    buf.SetAt(0, 'A');
    EXPECT_FALSE(buf.IsEmpty());
    EXPECT_EQ(buf.GetAt(63), 0x7F);
}
