// CSImageList and CSIcon: image lists from strips and icons, and single icons.
#include "ui/CSImageList.h"

#include "product/ProductInfo.h"

extern "C" HINSTANCE hiDLL;

void CSImageList::ResolveResource(int& id, HINSTANCE& instance)
{
    if (id < 0 || !instance) {
        instance = hiDLL;
        if (id < 0)
            id = -id;
    }
}

BOOL CSImageList::Create(int cx, int cy, UINT flags, int initial, int grow)
{
    Destroy();
    list = ImageList_Create(cx, cy, flags, initial, grow);
    return list != nullptr;
}

void CSImageList::Destroy()
{
    if (list)
        ImageList_Destroy(list);
    list = nullptr;
}

void CSImageList::Attach(HIMAGELIST h)
{
    Destroy();
    list = h;
}

HIMAGELIST CSImageList::Detach()
{
    HIMAGELIST h = list;
    list = nullptr;
    return h;
}

int CSImageList::AddMasked(HBITMAP bitmap, COLORREF mask)
{
    return list && bitmap ? ImageList_AddMasked(list, bitmap, mask) : -1;
}

int CSImageList::AddIcon(HICON icon)
{
    return list && icon ? ImageList_AddIcon(list, icon) : -1;
}

int CSImageList::AddIcon(int id, HINSTANCE instance)
{
    return ReplaceIcon(-1, id, instance);
}

int CSImageList::AddFromBitmap(int id, HINSTANCE instance, COLORREF mask)
{
    ResolveResource(id, instance);
    HBITMAP strip = static_cast<HBITMAP>(
        LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!strip)
        return -1;
    BITMAP bm = {};
    GetObjectW(strip, sizeof(bm), &bm);
    bitmapWidth = bm.bmWidth;
    bitmapHeight = bm.bmHeight;
    int first = AddMasked(strip, mask);
    DeleteObject(strip);
    return first;
}

int CSImageList::CreateFromBitmap(int cx, int cy, int initial, int grow, int bmpId, HINSTANCE instance,
                                  COLORREF mask)
{
    if (!Create(cx, cy, ILC_COLOR32 | ILC_MASK, initial, grow))
        return -1;
    return AddFromBitmap(bmpId, instance, mask);
}

int CSImageList::ReplaceIcon(int index, HICON icon)
{
    return list && icon ? ImageList_ReplaceIcon(list, index, icon) : -1;
}

int CSImageList::ReplaceIcon(int index, int iconId, HINSTANCE instance)
{
    if (!list)
        return -1;
    ResolveResource(iconId, instance);
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    HICON icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(iconId), IMAGE_ICON, cx, cy, 0));
    if (!icon)
        return -1;
    int result = ImageList_ReplaceIcon(list, index, icon);
    DestroyIcon(icon);
    return result;
}

BOOL CSImageList::SetIconSize(int cx, int cy)
{
    return list ? ImageList_SetIconSize(list, cx, cy) : FALSE;
}

DWORD CSImageList::GetIconSize()
{
    int cx = 0, cy = 0;
    if (list)
        ImageList_GetIconSize(list, &cx, &cy);
    return MAKELONG(cx, cy);
}

BOOL CSImageList::Draw(int index, HDC dc, int x, int y, UINT style)
{
    return list ? ImageList_Draw(list, index, dc, x, y, style) : FALSE;
}

BOOL CSIcon::Load(int id, BOOL small, BOOL systemSize)
{
    Destroy();
    HINSTANCE instance = id < 0 ? hiDLL : ProductInfo::GetAppInstance();
    if (id < 0)
        id = -id;
    int cx = small ? 16 : 32, cy = cx;
    if (systemSize) {
        cx = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
        cy = GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON);
    }
    icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, cx, cy, 0));
    return icon != nullptr;
}

void CSIcon::Destroy()
{
    if (icon)
        DestroyIcon(icon);
    icon = nullptr;
}
