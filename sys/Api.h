// Export and import of the library's interface: one macro for every public class and function.
#pragma once

#ifdef GLMBX_BUILDING_DLL
#define GLMBX_API __declspec(dllexport)
#else
#define GLMBX_API __declspec(dllimport)
#endif

// Plain C names for the entry points and data the launcher and other modules look up.
#define GLMBX_EXTERN_C extern "C" GLMBX_API
