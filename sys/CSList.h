// CSList: doubly linked list of untyped element pointers, addressed through opaque positions.
#pragma once

#include "sys/Api.h"

// A position is the address of a node, handed out opaquely; null means "none".
struct POS__;

class GLMBX_API CSList {
public:
    // Called with message code 1 for every element that leaves the list; its result is ignored.
    typedef int (*Callback)(unsigned long data, unsigned int msg, void* element);
    enum { MsgRemove = 1 };

    struct CSNode {
        CSNode* next;
        CSNode* prev;
        void* element;
    };

    CSList();
    virtual ~CSList();
    CSList(const CSList&) = delete;
    CSList& operator=(const CSList&) = delete;

    void SetCallback(unsigned long data, Callback fn);

    int GetCount() const { return count; }
    bool IsEmpty() const { return count == 0; }

    POS__* GetHeadPos() const { return reinterpret_cast<POS__*>(head); }
    POS__* GetTailPos() const { return reinterpret_cast<POS__*>(tail); }

    // The list must not be empty.
    void*& GetHead() { return head->element; }
    void* GetHead() const { return head->element; }
    void*& GetTail() { return tail->element; }
    void* GetTail() const { return tail->element; }

    // Return the element at pos and move pos to the next / previous node (null past the end).
    void*& GetNext(POS__*& pos);
    void* GetNext(POS__*& pos) const;
    void*& GetPrev(POS__*& pos);
    void* GetPrev(POS__*& pos) const;

    void*& GetAt(POS__* pos) { return Node(pos)->element; }
    void* GetAt(POS__* pos) const { return Node(pos)->element; }
    // Replaces the stored pointer; the callback does not see the old one.
    void SetAt(POS__* pos, void* element) { Node(pos)->element = element; }

    POS__* AddHead(void* element);
    POS__* AddTail(void* element);
    // A null pos means AddHead / AddTail respectively.
    POS__* InsertBefore(POS__* pos, void* element);
    POS__* InsertAfter(POS__* pos, void* element);

    // Share other's pointers (not copies) in other's order; other is left unchanged.
    void AddHead(CSList* other);
    void AddTail(CSList* other);

    // Relinks pos to follow after (null after: to the head). Count is unchanged.
    POS__* MoveAfter(POS__* pos, POS__* after);

    // The list must not be empty. The callback has seen the element before it is returned.
    void* RemoveHead();
    void* RemoveTail();
    // Frees the node and leaves pos at the node that followed it (null after the tail).
    void RemoveAt(POS__*& pos);
    // One RemoveTail at a time: the callback sees the elements from tail to head.
    void RemoveAll();

    POS__* FindIndex(int index) const;
    int GetIndex(POS__* pos) const;
    // Pointer identity; the search starts after startAfter, or at the head when it is null.
    POS__* Find(void* element, POS__* startAfter = nullptr) const;

protected:
    virtual CSNode* CreateNode();
    virtual void DeleteNode(void* node);

    CSNode* NewNode(CSNode* prev, CSNode* next);
    void FreeNode(CSNode* node);

    static CSNode* Node(POS__* pos) { return reinterpret_cast<CSNode*>(pos); }
    static POS__* Pos(CSNode* node) { return reinterpret_cast<POS__*>(node); }

private:
    void Unlink(CSNode* node);

    CSNode* head;
    CSNode* tail;
    int count;
    unsigned long callbackData;
    Callback callback;
};
