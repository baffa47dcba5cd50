// Basic Windows-style types shared by the platform stand-ins.
// Handles that cross the library's interface are 32-bit values drawn from the platform's
// handle tables (never truncated pointers); raw memory addresses are intptr_t.
#pragma once
#include <cstdint>
#include <cstring>

namespace vx {

using BOOL = int32_t;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using UINT = uint32_t;
using INT = int32_t;
using LONG = int32_t;
using ULONG = uint32_t;
using REAL = float;
using HRESULT = int32_t;
using UINT_PTR = uintptr_t;

// 32-bit handles from the platform's handle tables; 0 is never a valid handle.
using HANDLE32 = uint32_t;
using HGLOBAL = HANDLE32;
using HBITMAP = HANDLE32;
using HICON = HANDLE32;
using HPALETTE = HANDLE32;
using HDC = HANDLE32;
using HWND = HANDLE32;
using HMETAFILE = HANDLE32;
using HENHMETAFILE = HANDLE32;
using HINSTANCE = HANDLE32;

constexpr BOOL TRUE_ = 1;
constexpr BOOL FALSE_ = 0;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT STG_E_INVALIDFUNCTION = static_cast<HRESULT>(0x80030001u);
constexpr HRESULT STG_E_MEDIUMFULL = static_cast<HRESULT>(0x80030070u);
constexpr HRESULT STG_E_INVALIDPOINTER = static_cast<HRESULT>(0x80030009u);
constexpr HRESULT STG_E_READFAULT = static_cast<HRESULT>(0x8003001Eu);
constexpr HRESULT STG_E_WRITEFAULT = static_cast<HRESULT>(0x8003001Du);

inline bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
inline bool FAILED(HRESULT hr) { return hr < 0; }

struct GUID {
  uint32_t Data1 = 0;
  uint16_t Data2 = 0;
  uint16_t Data3 = 0;
  uint8_t Data4[8] = {};
  friend bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
};
static_assert(sizeof(GUID) == 16);
using CLSID = GUID;
using IID = GUID;

constexpr GUID MakeGuid(uint32_t d1, uint16_t d2, uint16_t d3, uint8_t a, uint8_t b, uint8_t c, uint8_t d,
                        uint8_t e, uint8_t f, uint8_t g, uint8_t h) {
  GUID id;
  id.Data1 = d1;
  id.Data2 = d2;
  id.Data3 = d3;
  const uint8_t tail[8] = {a, b, c, d, e, f, g, h};
  for (int i = 0; i < 8; ++i) id.Data4[i] = tail[i];
  return id;
}

struct RECT {
  LONG left = 0, top = 0, right = 0, bottom = 0;
};
struct POINT {
  LONG x = 0, y = 0;
};

#pragma pack(push, 2)
struct BITMAPFILEHEADER {
  WORD bfType;
  DWORD bfSize;
  WORD bfReserved1;
  WORD bfReserved2;
  DWORD bfOffBits;
};
#pragma pack(pop)
static_assert(sizeof(BITMAPFILEHEADER) == 14);

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

struct RGBQUAD {
  BYTE rgbBlue, rgbGreen, rgbRed, rgbReserved;
};

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;
constexpr DWORD BI_JPEG = 4;
constexpr DWORD BI_PNG = 5;

}  // namespace vx
