// CSBuf: an owned, zero-filled heap block whose size only its users know.
#pragma once

#include "sys/Api.h"

class GLMBX_API CSBuf {
public:
    // Size 0 allocates nothing.
    explicit CSBuf(unsigned int size);
    ~CSBuf();
    CSBuf(const CSBuf&) = delete;
    CSBuf& operator=(const CSBuf&) = delete;

    bool IsReady() const { return block != nullptr; }
    bool IsEmpty() const { return block == nullptr || block[0] == 0; }

    // No bounds test: the caller keeps i below the size it allocated.
    unsigned char GetAt(unsigned int i) const { return block[i]; }
    void SetAt(unsigned int i, unsigned char b) { block[i] = b; }

    operator void*() const { return block; }
    operator char*() const { return reinterpret_cast<char*>(block); }
    operator unsigned char*() const { return block; }
    operator wchar_t*() const { return reinterpret_cast<wchar_t*>(block); }

private:
    unsigned char* block;
};
