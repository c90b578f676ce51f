// CSList and CSBuf: the contracts the rest of the library leans on.
#include <gtest/gtest.h>

#include <vector>

#include "sys/CSBuf.h"
#include "sys/CSList.h"

namespace {

int items[8];
void* Item(int i) { return &items[i]; }

std::vector<int> Contents(const CSList& list)
{
    std::vector<int> out;
    for (POS__* pos = list.GetHeadPos(); pos;)
        out.push_back(static_cast<int*>(list.GetNext(pos)) - items);
    return out;
}

std::vector<int> ContentsBackwards(const CSList& list)
{
    std::vector<int> out;
    for (POS__* pos = list.GetTailPos(); pos;)
        out.push_back(static_cast<int*>(list.GetPrev(pos)) - items);
    return out;
}

// Checks that the forward and backward links tell the same story as the count.
void ExpectList(const CSList& list, std::vector<int> expected)
{
    EXPECT_EQ(Contents(list), expected);
    std::vector<int> backwards(expected.rbegin(), expected.rend());
    EXPECT_EQ(ContentsBackwards(list), backwards);
    EXPECT_EQ(list.GetCount(), static_cast<int>(expected.size()));
    EXPECT_EQ(list.IsEmpty(), expected.empty());
}

struct Removals {
    std::vector<int> seen;
    std::vector<unsigned> codes;
    static int Record(unsigned long data, unsigned int msg, void* element)
    {
        Removals* self = reinterpret_cast<Removals*>(data);
        self->seen.push_back(static_cast<int*>(element) - items);
        self->codes.push_back(msg);
        return 12345;  // ignored by the list
    }
};

} // namespace

TEST(CSList, PositionsStayValidAcrossInsertsAndRemovals)
{
    CSList list;
    POS__* p1 = list.AddTail(Item(1));
    POS__* p3 = list.AddTail(Item(3));
    POS__* p0 = list.AddHead(Item(0));
    POS__* p2 = list.InsertBefore(p3, Item(2));
    POS__* p4 = list.InsertAfter(p3, Item(4));
    ExpectList(list, {0, 1, 2, 3, 4});

    // Null positions mean the ends.
    POS__* front = list.InsertBefore(nullptr, Item(5));
    POS__* back = list.InsertAfter(nullptr, Item(6));
    ExpectList(list, {5, 0, 1, 2, 3, 4, 6});
    EXPECT_EQ(list.GetHeadPos(), front);
    EXPECT_EQ(list.GetTailPos(), back);

    POS__* at = p2;
    list.RemoveAt(at);
    EXPECT_EQ(at, p3);  // a forward walk can go on
    EXPECT_EQ(list.RemoveHead(), Item(5));
    EXPECT_EQ(list.RemoveTail(), Item(6));
    ExpectList(list, {0, 1, 3, 4});
    EXPECT_EQ(list.GetAt(p0), Item(0));
    EXPECT_EQ(list.GetAt(p1), Item(1));
    EXPECT_EQ(list.GetAt(p4), Item(4));

    at = p4;
    list.RemoveAt(at);
    EXPECT_EQ(at, nullptr);  // the tail leaves the caller's position null
    ExpectList(list, {0, 1, 3});

    list.SetAt(p1, Item(7));
    EXPECT_EQ(list.GetAt(p1), Item(7));
    list.GetAt(p1) = Item(1);  // the reference form writes the stored pointer
    EXPECT_EQ(list.GetHead(), Item(0));
    EXPECT_EQ(list.GetTail(), Item(3));
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
        EXPECT_EQ(removals.seen, (std::vector<int>{0, 5, 2}));
        list.RemoveAll();
        EXPECT_EQ(removals.seen, (std::vector<int>{0, 5, 2, 4, 3, 7}));  // tail to head
        EXPECT_TRUE(list.IsEmpty());

        for (int i = 0; i < 3; ++i)
            list.AddTail(Item(i));
        removals.seen.clear();
    }
    EXPECT_EQ(removals.seen, (std::vector<int>{2, 1, 0}));  // the destructor, tail to head
    for (unsigned code : removals.codes)
        EXPECT_EQ(code, 1u);

    // Without a callback (or after removing it) nothing is called.
    removals.seen.clear();
    CSList quiet;
    quiet.SetCallback(reinterpret_cast<unsigned long>(&removals), Removals::Record);
    quiet.SetCallback(0, nullptr);
    quiet.AddTail(Item(1));
    quiet.RemoveAll();
    EXPECT_TRUE(removals.seen.empty());
}

TEST(CSList, MoveAfterRelinksWithoutChangingCount)
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

    // Moves that change nothing.
    list.MoveAfter(p[2], p[2]);
    list.MoveAfter(p[3], p[2]);  // already follows its predecessor
    list.MoveAfter(p[4], nullptr);  // the head to the head
    ExpectList(list, {4, 2, 3, 0, 1});
    EXPECT_EQ(list.GetHeadPos(), p[4]);
    EXPECT_EQ(list.GetTailPos(), p[1]);
}

TEST(CSList, SharingAnotherListsPointers)
{
    CSList list, other;
    list.AddTail(Item(0));
    list.AddTail(Item(1));
    other.AddTail(Item(5));
    other.AddTail(Item(6));
    other.AddTail(Item(7));

    list.AddHead(&other);
    ExpectList(list, {5, 6, 7, 0, 1});
    list.AddTail(&other);
    ExpectList(list, {5, 6, 7, 0, 1, 5, 6, 7});
    ExpectList(other, {5, 6, 7});  // unchanged, pointers shared

    CSList empty;
    list.AddHead(&empty);
    list.AddTail(&empty);
    EXPECT_EQ(list.GetCount(), 8);

    // A list given itself doubles once and stops.
    other.AddTail(&other);
    ExpectList(other, {5, 6, 7, 5, 6, 7});
    other.AddHead(&other);
    EXPECT_EQ(other.GetCount(), 12);
}

TEST(CSList, IndexAndSearch)
{
    CSList list;
    EXPECT_EQ(list.GetHeadPos(), nullptr);
    EXPECT_EQ(list.GetTailPos(), nullptr);
    EXPECT_EQ(list.FindIndex(0), nullptr);

    POS__* p0 = list.AddTail(Item(0));
    POS__* p1 = list.AddTail(Item(1));
    POS__* p2 = list.AddTail(Item(0));  // the same pointer twice
    EXPECT_EQ(list.FindIndex(0), p0);
    EXPECT_EQ(list.FindIndex(2), p2);
    EXPECT_EQ(list.FindIndex(3), nullptr);
    EXPECT_EQ(list.FindIndex(-1), nullptr);
    EXPECT_EQ(list.GetIndex(list.GetHeadPos()), 0);
    EXPECT_EQ(list.GetIndex(p2), 2);
    EXPECT_EQ(list.GetIndex(nullptr), -1);

    EXPECT_EQ(list.Find(Item(0)), p0);
    EXPECT_EQ(list.Find(Item(0), p0), p2);  // the search starts after the given position
    EXPECT_EQ(list.Find(Item(0), p2), nullptr);
    EXPECT_EQ(list.Find(Item(1), nullptr), p1);
    EXPECT_EQ(list.Find(Item(4)), nullptr);
}

namespace {

// Keeps its nodes in a fixed pool: the node hooks are the only allocation points.
class PoolList : public CSList {
public:
    int created = 0, deleted = 0;
    ~PoolList() override { RemoveAll(); }

protected:
    CSNode* CreateNode() override
    {
        ++created;
        return &pool[next++ % 8];
    }
    void DeleteNode(void*) override { ++deleted; }

private:
    CSNode pool[8];
    int next = 0;
};

} // namespace

TEST(CSList, DerivedListsOwnTheirNodes)
{
    PoolList list;
    list.AddTail(Item(1));
    list.AddHead(Item(0));
    list.InsertAfter(list.GetHeadPos(), Item(2));
    ExpectList(list, {0, 2, 1});
    list.RemoveAll();
    EXPECT_EQ(list.created, 3);
    EXPECT_EQ(list.deleted, 3);
}

TEST(CSBuf, OwnsAZeroFilledBlock)
{
    CSBuf none(0);
    EXPECT_FALSE(none.IsReady());
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_EQ(static_cast<void*>(none), nullptr);

    CSBuf buf(64);
    ASSERT_TRUE(buf.IsReady());
    EXPECT_TRUE(buf.IsEmpty());
    unsigned char* bytes = buf;
    for (int i = 0; i < 64; ++i)
        EXPECT_EQ(bytes[i], 0) << i;
    buf.SetAt(63, 0x7F);
    EXPECT_TRUE(buf.IsEmpty());  // only the first byte decides
    buf.SetAt(0, 'A');
    EXPECT_FALSE(buf.IsEmpty());
    EXPECT_EQ(buf.GetAt(63), 0x7F);
    EXPECT_EQ(static_cast<void*>(static_cast<char*>(buf)), static_cast<void*>(static_cast<wchar_t*>(buf)));
}
