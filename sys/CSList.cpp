// CSList: node management, insertion, removal and search.
#include "sys/CSList.h"

#include <new>

CSList::CSList() : head(nullptr), tail(nullptr), count(0), callbackData(0), callback(nullptr) {}

CSList::~CSList()
{
    RemoveAll();
}

void CSList::SetCallback(unsigned long data, Callback fn)
{
    callbackData = data;
    callback = fn;
}

CSList::CSNode* CSList::CreateNode()
{
    return new (std::nothrow) CSNode;
}

void CSList::DeleteNode(void* node)
{
    delete static_cast<CSNode*>(node);
}

CSList::CSNode* CSList::NewNode(CSNode* prev, CSNode* next)
{
    CSNode* node = CreateNode();
    if (!node)
        return nullptr;
    node->prev = prev;
    node->next = next;
    node->element = nullptr;
    ++count;
    return node;
}

void CSList::FreeNode(CSNode* node)
{
    if (callback)
        callback(callbackData, MsgRemove, node->element);
    DeleteNode(node);
    --count;
}

void*& CSList::GetNext(POS__*& pos)
{
    CSNode* node = Node(pos);
    pos = Pos(node->next);
    return node->element;
}

void* CSList::GetNext(POS__*& pos) const
{
    CSNode* node = Node(pos);
    pos = Pos(node->next);
    return node->element;
}

void*& CSList::GetPrev(POS__*& pos)
{
    CSNode* node = Node(pos);
    pos = Pos(node->prev);
    return node->element;
}

void* CSList::GetPrev(POS__*& pos) const
{
    CSNode* node = Node(pos);
    pos = Pos(node->prev);
    return node->element;
}

POS__* CSList::AddHead(void* element)
{
    CSNode* node = NewNode(nullptr, head);
    if (!node)
        return nullptr;
    node->element = element;
    if (head)
        head->prev = node;
    else
        tail = node;
    head = node;
    return Pos(node);
}

POS__* CSList::AddTail(void* element)
{
    CSNode* node = NewNode(tail, nullptr);
    if (!node)
        return nullptr;
    node->element = element;
    if (tail)
        tail->next = node;
    else
        head = node;
    tail = node;
    return Pos(node);
}

POS__* CSList::InsertBefore(POS__* pos, void* element)
{
    if (!pos)
        return AddHead(element);
    CSNode* at = Node(pos);
    CSNode* node = NewNode(at->prev, at);
    if (!node)
        return nullptr;
    node->element = element;
    if (at->prev)
        at->prev->next = node;
    else
        head = node;
    at->prev = node;
    return Pos(node);
}

POS__* CSList::InsertAfter(POS__* pos, void* element)
{
    if (!pos)
        return AddTail(element);
    CSNode* at = Node(pos);
    CSNode* node = NewNode(at, at->next);
    if (!node)
        return nullptr;
    node->element = element;
    if (at->next)
        at->next->prev = node;
    else
        tail = node;
    at->next = node;
    return Pos(node);
}

void CSList::AddHead(CSList* other)
{
    // Walking other from its tail keeps other's order in front of ours; read the start
    // first, since other may be this list.
    CSNode* first = other->head;
    for (CSNode* node = other->tail; node; node = node->prev) {
        AddHead(node->element);
        if (node == first)
            break;
    }
}

void CSList::AddTail(CSList* other)
{
    // Read the end first: other may be this list.
    CSNode* last = other->tail;
    for (CSNode* node = other->head; node; node = node->next) {
        AddTail(node->element);
        if (node == last)
            break;
    }
}

void CSList::Unlink(CSNode* node)
{
    if (node->prev)
        node->prev->next = node->next;
    else
        head = node->next;
    if (node->next)
        node->next->prev = node->prev;
    else
        tail = node->prev;
}

POS__* CSList::MoveAfter(POS__* pos, POS__* after)
{
    CSNode* node = Node(pos);
    CSNode* target = Node(after);
    if (node == target || node->prev == target)
        return pos;
    Unlink(node);
    node->prev = target;
    node->next = target ? target->next : head;
    if (node->next)
        node->next->prev = node;
    else
        tail = node;
    if (target)
        target->next = node;
    else
        head = node;
    return pos;
}

void* CSList::RemoveHead()
{
    CSNode* node = head;
    void* element = node->element;
    Unlink(node);
    FreeNode(node);
    return element;
}

void* CSList::RemoveTail()
{
    CSNode* node = tail;
    void* element = node->element;
    Unlink(node);
    FreeNode(node);
    return element;
}

void CSList::RemoveAt(POS__*& pos)
{
    CSNode* node = Node(pos);
    pos = Pos(node->next);
    Unlink(node);
    FreeNode(node);
}

void CSList::RemoveAll()
{
    while (tail)
        RemoveTail();
}

POS__* CSList::FindIndex(int index) const
{
    if (index < 0 || index >= count)
        return nullptr;
    CSNode* node = head;
    while (index-- > 0)
        node = node->next;
    return Pos(node);
}

int CSList::GetIndex(POS__* pos) const
{
    if (!pos)
        return -1;
    int index = 0;
    for (CSNode* node = Node(pos)->prev; node; node = node->prev)
        ++index;
    return index;
}

POS__* CSList::Find(void* element, POS__* startAfter) const
{
    CSNode* node = startAfter ? Node(startAfter)->next : head;
    for (; node; node = node->next) {
        if (node->element == element)
            return Pos(node);
    }
    return nullptr;
}
