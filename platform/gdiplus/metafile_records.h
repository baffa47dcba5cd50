// Record numbers of the two metafile formats and a bounds-checked little-endian reader that
// every record decoder reads through: a read past the record yields 0 and marks the reader.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vx::gdiplus {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t size() const { return size_; }
  const uint8_t* data() const { return data_; }
  bool Has(size_t offset, size_t bytes) const { return offset <= size_ && bytes <= size_ - offset; }
  bool overrun() const { return overrun_; }

  uint32_t U32(size_t at) const { return Load<uint32_t>(at); }
  int32_t I32(size_t at) const { return Load<int32_t>(at); }
  uint16_t U16(size_t at) const { return Load<uint16_t>(at); }
  int16_t I16(size_t at) const { return Load<int16_t>(at); }
  float F32(size_t at) const { return Load<float>(at); }

 private:
  template <class T>
  T Load(size_t at) const {
    T v{};
    if (!Has(at, sizeof v)) {
      overrun_ = true;
      return v;
    }
    std::memcpy(&v, data_ + at, sizeof v);
    return v;
  }
  const uint8_t* data_;
  size_t size_;
  mutable bool overrun_ = false;
};

// Enhanced metafile records.
constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmrPolyBezier = 2;
constexpr uint32_t kEmrPolygon = 3;
constexpr uint32_t kEmrPolyline = 4;
constexpr uint32_t kEmrPolyBezierTo = 5;
constexpr uint32_t kEmrPolylineTo = 6;
constexpr uint32_t kEmrPolyPolyline = 7;
constexpr uint32_t kEmrPolyPolygon = 8;
constexpr uint32_t kEmrSetWindowExtEx = 9;
constexpr uint32_t kEmrSetWindowOrgEx = 10;
constexpr uint32_t kEmrSetViewportExtEx = 11;
constexpr uint32_t kEmrSetViewportOrgEx = 12;
constexpr uint32_t kEmrEof = 14;
constexpr uint32_t kEmrSetMapMode = 17;
constexpr uint32_t kEmrSetBkMode = 18;
constexpr uint32_t kEmrSetPolyFillMode = 19;
constexpr uint32_t kEmrSetTextColor = 24;
constexpr uint32_t kEmrSetBkColor = 25;
constexpr uint32_t kEmrMoveToEx = 27;
constexpr uint32_t kEmrExcludeClipRect = 29;
constexpr uint32_t kEmrIntersectClipRect = 30;
constexpr uint32_t kEmrSaveDc = 33;
constexpr uint32_t kEmrRestoreDc = 34;
constexpr uint32_t kEmrSetWorldTransform = 35;
constexpr uint32_t kEmrModifyWorldTransform = 36;
constexpr uint32_t kEmrSelectObject = 37;
constexpr uint32_t kEmrCreatePen = 38;
constexpr uint32_t kEmrCreateBrushIndirect = 39;
constexpr uint32_t kEmrDeleteObject = 40;
constexpr uint32_t kEmrEllipse = 42;
constexpr uint32_t kEmrRectangle = 43;
constexpr uint32_t kEmrRoundRect = 44;
constexpr uint32_t kEmrLineTo = 54;
constexpr uint32_t kEmrBeginPath = 59;
constexpr uint32_t kEmrEndPath = 60;
constexpr uint32_t kEmrCloseFigure = 61;
constexpr uint32_t kEmrFillPath = 62;
constexpr uint32_t kEmrStrokeAndFillPath = 63;
constexpr uint32_t kEmrStrokePath = 64;
constexpr uint32_t kEmrSelectClipPath = 67;
constexpr uint32_t kEmrAbortPath = 68;
constexpr uint32_t kEmrExtSelectClipRgn = 75;
constexpr uint32_t kEmrBitBlt = 76;
constexpr uint32_t kEmrStretchBlt = 77;
constexpr uint32_t kEmrStretchDiBits = 81;
constexpr uint32_t kEmrPolyBezier16 = 85;
constexpr uint32_t kEmrPolygon16 = 86;
constexpr uint32_t kEmrPolyline16 = 87;
constexpr uint32_t kEmrPolyBezierTo16 = 88;
constexpr uint32_t kEmrPolylineTo16 = 89;
constexpr uint32_t kEmrPolyPolyline16 = 90;
constexpr uint32_t kEmrPolyPolygon16 = 91;
constexpr uint32_t kEmrExtCreatePen = 95;

// Windows metafile record functions.
constexpr uint16_t kMetaEof = 0x0000;
constexpr uint16_t kMetaSaveDc = 0x001E;
constexpr uint16_t kMetaCreatePalette = 0x00F7;
constexpr uint16_t kMetaSetBkMode = 0x0102;
constexpr uint16_t kMetaSetMapMode = 0x0103;
constexpr uint16_t kMetaSetPolyFillMode = 0x0106;
constexpr uint16_t kMetaRestoreDc = 0x0127;
constexpr uint16_t kMetaSelectObject = 0x012D;
constexpr uint16_t kMetaDibCreatePatternBrush = 0x0142;
constexpr uint16_t kMetaDeleteObject = 0x01F0;
constexpr uint16_t kMetaCreatePatternBrush = 0x01F9;
constexpr uint16_t kMetaSetBkColor = 0x0201;
constexpr uint16_t kMetaSetTextColor = 0x0209;
constexpr uint16_t kMetaSetWindowOrg = 0x020B;
constexpr uint16_t kMetaSetWindowExt = 0x020C;
constexpr uint16_t kMetaSetViewportOrg = 0x020D;
constexpr uint16_t kMetaSetViewportExt = 0x020E;
constexpr uint16_t kMetaLineTo = 0x0213;
constexpr uint16_t kMetaMoveTo = 0x0214;
constexpr uint16_t kMetaCreatePenIndirect = 0x02FA;
constexpr uint16_t kMetaCreateFontIndirect = 0x02FB;
constexpr uint16_t kMetaCreateBrushIndirect = 0x02FC;
constexpr uint16_t kMetaPolygon = 0x0324;
constexpr uint16_t kMetaPolyline = 0x0325;
constexpr uint16_t kMetaExcludeClipRect = 0x0415;
constexpr uint16_t kMetaIntersectClipRect = 0x0416;
constexpr uint16_t kMetaEllipse = 0x0418;
constexpr uint16_t kMetaRectangle = 0x041B;
constexpr uint16_t kMetaPolyPolygon = 0x0538;
constexpr uint16_t kMetaRoundRect = 0x061C;
constexpr uint16_t kMetaPatBlt = 0x061D;
constexpr uint16_t kMetaCreateRegion = 0x06FF;
constexpr uint16_t kMetaDibBitBlt = 0x0940;
constexpr uint16_t kMetaDibStretchBlt = 0x0B41;
constexpr uint16_t kMetaStretchDib = 0x0F43;

}  // namespace vx::gdiplus
