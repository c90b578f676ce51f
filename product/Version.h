// The product's version and this build's edition: one place for the identity's texts, the
// version records of every binary and the installer's name. Read by C++, windres and CMake.
#pragma once

#define GLMBX_VERSION_MAJOR 1
#define GLMBX_VERSION_MINOR 11
#define GLMBX_REVISION 253
#define GLMBX_VERSION_TEXT "1.11"
#define GLMBX_REVISION_TEXT "253"
#define GLMBX_VERSION_RC GLMBX_VERSION_MAJOR, GLMBX_VERSION_MINOR, GLMBX_REVISION, 0

// A hook DLL reaches only processes of its own bitness: each edition has its own library.
#ifdef _WIN64
#define GLMBX_EDITION_BITS "64"
#define GLMBX_DLL_NAME "GLMBX64.DLL"
#else
#define GLMBX_EDITION_BITS "32"
#define GLMBX_DLL_NAME "GLMBX32.DLL"
#endif
#define GLMBX_WIDE2(text) L##text
#define GLMBX_WIDE(text) GLMBX_WIDE2(text)
