// Windows metafile records: 16-bit parameters, most in reverse order (y before x, bottom-right
// before top-left), objects numbered by the lowest free slot.
#include <vector>

#include "platform/gdi/dib_format.h"
#include "platform/gdiplus/metafile_canvas.h"
#include "platform/gdiplus/metafile_player.h"
#include "platform/gdiplus/metafile_records.h"

namespace vx::gdiplus {
namespace {

constexpr uint32_t kSrcCopy = 0x00CC0020;
constexpr size_t kParams = 6;  // parameters start after the size and the function

double P(const ByteReader& r, size_t index) { return r.I16(kParams + 2 * index); }

bool ReadPoints(const ByteReader& r, size_t at, size_t count, std::vector<PointD>& out) {
  if (!r.Has(at, count * 4)) return false;
  out.resize(count);
  for (size_t i = 0; i < count; ++i) out[i] = {double(r.I16(at + 4 * i)), double(r.I16(at + 4 * i + 2))};
  return true;
}

void PlayPolyPolygon(const ByteReader& r, MetafileCanvas& canvas) {
  const size_t polys = r.U16(kParams);
  if (!r.Has(kParams + 2, polys * 2)) return;
  std::vector<uint32_t> counts(polys);
  size_t total = 0;
  for (size_t i = 0; i < polys; ++i) total += counts[i] = r.U16(kParams + 2 + 2 * i);
  std::vector<PointD> points;
  if (ReadPoints(r, kParams + 2 + polys * 2, total, points)) canvas.PolyPolygon(points, counts);
}

// The DIB that fills the rest of the record from `at`.
bool TrailingDib(const ByteReader& r, size_t at, gdi::DibFormat& format, const uint8_t*& bits) {
  if (!r.Has(at, 0)) return false;
  const size_t available = r.size() - at;
  size_t header = 0;
  if (gdi::ParseDibInfo(r.data() + at, available, format, &header) != gdi::DibParse::Ok) return false;
  if (available - header < format.ImageBytes()) return false;
  bits = r.data() + at + header;
  return true;
}

void PlayStretchDib(const ByteReader& r, MetafileCanvas& canvas) {
  if (r.U32(kParams) != kSrcCopy || r.U16(kParams + 4) != 0) return;
  gdi::DibFormat format;
  const uint8_t* bits = nullptr;
  if (!TrailingDib(r, kParams + 22, format, bits)) return;
  const double srcH = P(r, 3), ySrc = P(r, 5);
  // Source rows count from the bottom of a bottom-up DIB.
  const double top = format.topDown ? ySrc : format.height - ySrc - srcH;
  canvas.DrawDib(format, bits, P(r, 6), top, P(r, 4), srcH, P(r, 10), P(r, 9), P(r, 8), P(r, 7));
}

void PlayDibStretchBlt(const ByteReader& r, MetafileCanvas& canvas) {
  const uint32_t rop = r.U32(kParams);
  if (r.size() == kParams + 22) return canvas.PatBlt(P(r, 10), P(r, 9), P(r, 8), P(r, 7), rop);  // no bitmap
  if (rop != kSrcCopy) return;
  gdi::DibFormat format;
  const uint8_t* bits = nullptr;
  if (!TrailingDib(r, kParams + 20, format, bits)) return;
  canvas.DrawDib(format, bits, P(r, 5), P(r, 4), P(r, 3), P(r, 2), P(r, 9), P(r, 8), P(r, 7), P(r, 6));
}

void PlayDibBitBlt(const ByteReader& r, MetafileCanvas& canvas) {
  const uint32_t rop = r.U32(kParams);
  if (r.size() == kParams + 14) return canvas.PatBlt(P(r, 6), P(r, 5), P(r, 4), P(r, 3), rop);  // no bitmap
  if (rop != kSrcCopy) return;
  gdi::DibFormat format;
  const uint8_t* bits = nullptr;
  if (!TrailingDib(r, kParams + 16, format, bits)) return;
  const double w = P(r, 5), h = P(r, 4);
  canvas.DrawDib(format, bits, P(r, 3), P(r, 2), w, h, P(r, 7), P(r, 6), w, h);
}

void StoreObject(const MetaObject& object, MetafileCanvas& canvas) {
  size_t slot = 0;
  if (canvas.FreeSlot(slot)) canvas.Store(slot, object);
}

void PlayRecord(const ByteReader& r, uint16_t function, MetafileCanvas& canvas) {
  std::vector<PointD> points;
  switch (function) {
    case kMetaSetWindowOrg: return canvas.SetWindowOrg(P(r, 1), P(r, 0));
    case kMetaSetWindowExt: return canvas.SetWindowExt(P(r, 1), P(r, 0));
    case kMetaSetViewportOrg: return canvas.SetViewportOrg(P(r, 1), P(r, 0));
    case kMetaSetViewportExt: return canvas.SetViewportExt(P(r, 1), P(r, 0));
    case kMetaSetMapMode: return canvas.SetMapMode(r.U16(kParams));
    case kMetaSetBkMode: return canvas.SetBkMode(r.U16(kParams));
    case kMetaSetPolyFillMode: return canvas.SetPolyFillMode(r.U16(kParams));
    case kMetaSetBkColor: return canvas.SetBkColor(r.U32(kParams));
    case kMetaSetTextColor: return canvas.SetTextColor(r.U32(kParams));
    case kMetaMoveTo: return canvas.MoveTo({P(r, 1), P(r, 0)});
    case kMetaLineTo: return canvas.LineTo({P(r, 1), P(r, 0)});
    case kMetaSaveDc: return canvas.SaveDC();
    case kMetaRestoreDc: return canvas.RestoreDC(static_cast<int>(P(r, 0)));
    case kMetaSelectObject: return canvas.Select(r.U16(kParams));
    case kMetaDeleteObject: return canvas.Delete(r.U16(kParams));
    case kMetaCreatePenIndirect: {
      MetaObject object;
      object.kind = MetaObject::Pen;
      object.pen = PenFromStyle(r.U16(kParams), P(r, 1), r.U32(kParams + 6));
      return StoreObject(object, canvas);
    }
    case kMetaCreateBrushIndirect: {
      MetaObject object;
      object.kind = MetaObject::Brush;
      object.brush = BrushFromStyle(r.U16(kParams), r.U32(kParams + 2), r.U16(kParams + 6));
      return StoreObject(object, canvas);
    }
    case kMetaCreatePalette: case kMetaCreateFontIndirect: case kMetaCreateRegion:
    case kMetaDibCreatePatternBrush: case kMetaCreatePatternBrush: {
      // Not drawn, but they take a slot: later objects are numbered after them.
      MetaObject object;
      object.kind = MetaObject::Other;
      return StoreObject(object, canvas);
    }
    case kMetaIntersectClipRect: return canvas.IntersectClipRect(P(r, 3), P(r, 2), P(r, 1), P(r, 0));
    case kMetaExcludeClipRect: return canvas.ExcludeClipRect(P(r, 3), P(r, 2), P(r, 1), P(r, 0));
    case kMetaRectangle: return canvas.Rectangle(P(r, 3), P(r, 2), P(r, 1), P(r, 0));
    case kMetaEllipse: return canvas.Ellipse(P(r, 3), P(r, 2), P(r, 1), P(r, 0));
    case kMetaRoundRect: return canvas.RoundRect(P(r, 5), P(r, 4), P(r, 3), P(r, 2), P(r, 1), P(r, 0));
    case kMetaPolygon:
      if (ReadPoints(r, kParams + 2, r.U16(kParams), points)) canvas.Polygon(points);
      return;
    case kMetaPolyline:
      if (ReadPoints(r, kParams + 2, r.U16(kParams), points)) canvas.Polyline(points);
      return;
    case kMetaPolyPolygon: return PlayPolyPolygon(r, canvas);
    case kMetaPatBlt: return canvas.PatBlt(P(r, 5), P(r, 4), P(r, 3), P(r, 2), r.U32(kParams));
    case kMetaStretchDib: return PlayStretchDib(r, canvas);
    case kMetaDibStretchBlt: return PlayDibStretchBlt(r, canvas);
    case kMetaDibBitBlt: return PlayDibBitBlt(r, canvas);
    default: return;  // text, regions, palettes and escapes are not drawn
  }
}

}  // namespace

void PlayWmfRecords(const GpMetafile& metafile, MetafileCanvas& canvas) {
  const std::vector<uint8_t>& bytes = metafile.records;
  ByteReader all(bytes.data(), bytes.size());
  for (size_t at = 18; all.Has(at, 6);) {
    const uint64_t size = uint64_t{all.U32(at)} * 2;
    const uint16_t function = all.U16(at + 4);
    if (size < 6 || !all.Has(at, static_cast<size_t>(size))) return;
    if (function == kMetaEof) return;
    PlayRecord(ByteReader(bytes.data() + at, static_cast<size_t>(size)), function, canvas);
    at += static_cast<size_t>(size);
  }
}

}  // namespace vx::gdiplus
