// The GDI stand-in: memory device contexts, device-independent and compatible bitmaps, block
// transfers, palettes, icons and metafile handles. Every object lives in a process-wide 32-bit
// handle table; calls with an unknown or wrong-kind handle fail the way GDI fails (0 or FALSE).
//
// GetDC(0) gives a context standing for a 32-bit screen of kScreenWidth x kScreenHeight pixels at
// 96 dpi, a process-wide bitmap that starts black and that block transfers read and write like
// any memory context's bitmap; nothing is ever shown. GetDC of a window of the X display gives a
// context that graphics objects draw on the window through.
#pragma once
#include <cstddef>

#include "platform/gdi/gdi_types.h"

namespace vx {

constexpr int kScreenWidth = 1920;
constexpr int kScreenHeight = 1080;
constexpr int kScreenDpi = 96;

// Device contexts.
// The screen (window 0), or a window of the X display: 0 for a window the display does not know.
HDC GetDC(HWND window);
// 1 when `dc` came from GetDC (of this window, for a window's context), 0 otherwise.
int ReleaseDC(HWND window, HDC dc);
HDC CreateCompatibleDC(HDC dc);
BOOL DeleteDC(HDC dc);
int GetDeviceCaps(HDC dc, int index);
// Selects a bitmap into a memory context; returns the previously selected bitmap, 0 on failure
// (a bitmap lives in one context at a time).
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
HGDIOBJ GetCurrentObject(HDC dc, UINT type);
COLORREF SetBkColor(HDC dc, COLORREF colour);
COLORREF GetBkColor(HDC dc);
COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF GetTextColor(HDC dc);

// Bitmaps.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE32 section,
                         DWORD offset);
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);
int GetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage);
int SetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, const void* bits, const BITMAPINFO* info,
              UINT usage);

// Block transfers between memory contexts (nearest-pixel stretching).
BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop);
BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int widthSrc,
                int heightSrc, DWORD rop);

// Objects in general: bitmaps and palettes (icons too, see DestroyIcon).
int GetObject(HGDIOBJ object, int size, void* out);
DWORD GetObjectType(HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);

// Palettes.
HPALETTE CreatePalette(const LOGPALETTE* palette);
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries);

// Icons keep their own copies of the mask and colour bitmaps; GetIconInfo hands out new copies
// that the caller deletes.
HICON CreateIconIndirect(const ICONINFO* info);
BOOL GetIconInfo(HICON icon, ICONINFO* info);
BOOL DestroyIcon(HICON icon);

// Metafile handles over the records of an enhanced (EMF) or Windows (WMF) metafile.
HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data);
UINT GetEnhMetaFileBits(HENHMETAFILE metafile, UINT size, BYTE* data);  // size 0 / null: the size
HENHMETAFILE GetEnhMetaFile(const char* path);
BOOL DeleteEnhMetaFile(HENHMETAFILE metafile);
HMETAFILE SetMetaFileBitsEx(UINT size, const BYTE* data);
UINT GetMetaFileBitsEx(HMETAFILE metafile, UINT size, void* data);
BOOL DeleteMetaFile(HMETAFILE metafile);

}  // namespace vx
