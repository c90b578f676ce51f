// CSDlgSkinArea: the area's pictures, which one its state shows, and drawing it.
#include "ui/CSDlgSkinArea.h"

#include "ui/CSDC.h"
#include "ui/CSDlg.h"
#include "ui/CSDlgSkin.h"

CSDlgSkinArea::CSDlgSkinArea(const SKIN_AREA_METRICS* metrics)
    : rect(), id(0), disabled(FALSE), focused(FALSE), pictures(), data1(0), data2(0), state(SkinAreaNormal)
{
    if (!metrics)
        return;
    id = metrics->id;
    SetRect(&rect, metrics->x, metrics->y, metrics->x + metrics->cx, metrics->y + metrics->cy);
    data1 = metrics->nData1;
    data2 = metrics->nData2;
    Load(metrics->idNormal, metrics->idHover, metrics->idPressed, metrics->idDisabled);
}

CSDlgSkinArea::CSDlgSkinArea(UINT areaId, int x, int y, int cx, int cy, int normal, int hover, int pressed,
                             int disabledPic, int d1, int d2)
    : rect{x, y, x + cx, y + cy}, id(areaId), disabled(FALSE), focused(FALSE), pictures(), data1(d1), data2(d2),
      state(SkinAreaNormal)
{
    Load(normal, hover, pressed, disabledPic);
}

CSDlgSkinArea::~CSDlgSkinArea()
{
    for (HBITMAP& picture : pictures)
        SetBitmap(&picture, nullptr);
}

void CSDlgSkinArea::Load(int normal, int hover, int pressed, int disabledPic)
{
    SetJPG(&pictures[PicNormal], normal);
    SetJPG(&pictures[PicHover], hover);
    SetJPG(&pictures[PicPressed], pressed);
    SetJPG(&pictures[PicDisabled], disabledPic);
}

void CSDlgSkinArea::SetBitmap(HBITMAP* slot, HBITMAP bitmap)
{
    if (!slot || *slot == bitmap)
        return;
    if (*slot)
        DeleteObject(*slot);
    *slot = bitmap;
}

void CSDlgSkinArea::SetJPG(HBITMAP* slot, int resId)
{
    SetBitmap(slot, LoadSkinPicture(resId, RGB(0, 0, 0)));
}

HBITMAP CSDlgSkinArea::GetBitmapToDraw()
{
    HBITMAP chosen;
    if (state == SkinAreaHidden)
        return nullptr;
    if (disabled)
        chosen = pictures[PicDisabled];
    else if (state == SkinAreaHover || (state == SkinAreaNormal && focused))
        chosen = pictures[PicHover];
    else if (state == SkinAreaPressed)
        chosen = pictures[PicPressed];
    else
        chosen = pictures[PicNormal];
    return chosen ? chosen : pictures[PicNormal];
}

void CSDlgSkinArea::DrawBitmap(HDC hdc, HBITMAP bitmap, int x, int y)
{
    BITMAP info;
    if (!hdc || !bitmap || !GetObjectW(bitmap, sizeof(info), &info))
        return;
    int cx = info.bmWidth < rect.right - rect.left ? info.bmWidth : rect.right - rect.left;
    int cy = info.bmHeight < rect.bottom - rect.top ? info.bmHeight : rect.bottom - rect.top;
    CompatibleDC memory(hdc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(hdc, x, y, cx, cy, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
}

void CSDlgSkinArea::Draw(HDC hdc)
{
    if (!hdc || state == SkinAreaHidden)
        return;
    DrawBitmap(hdc, GetBitmapToDraw(), rect.left, rect.top);
    if (focused && !disabled) {
        FrameRect(hdc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        RECT inner = rect;
        InflateRect(&inner, -2, -2);
        DrawFocusRect(hdc, &inner);
    }
}

void CSDlgSkinArea::Draw(CSDlg* dlg)
{
    if (!dlg || !dlg->GetHandle() || !IsWindow(dlg->GetHandle()))
        return;
    ClientDC dc(dlg->GetHandle());
    // What the area leaves uncovered (a hidden area, a small picture) shows the skin itself.
    if (CSDlgSkin* skin = dlg->GetSkin())
        skin->DrawSkin(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    Draw(dc);
}
