// CSBuf: the zero-filled block and its release.
#include "sys/CSBuf.h"

#include <new>

CSBuf::CSBuf(unsigned int size) : block(nullptr)
{
    if (size)
        block = new (std::nothrow) unsigned char[size]();
}

CSBuf::~CSBuf()
{
    delete[] block;
}
