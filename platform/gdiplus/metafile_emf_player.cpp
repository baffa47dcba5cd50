// Enhanced metafile records, decoded within their own bounds and handed to the canvas.
#include <vector>

#include "platform/gdi/dib_format.h"
#include "platform/gdiplus/metafile_canvas.h"
#include "platform/gdiplus/metafile_player.h"
#include "platform/gdiplus/metafile_records.h"

namespace vx::gdiplus {
namespace {

constexpr uint32_t kStockObjectFlag = 0x80000000u;
constexpr uint32_t kSrcCopy = 0x00CC0020;

PointD PointL(const ByteReader& r, size_t at) { return {double(r.I32(at)), double(r.I32(at + 4))}; }

// `count` points of 4 (16-bit) or 8 (32-bit) bytes at `at`; false when they overrun the record.
bool ReadPoints(const ByteReader& r, size_t at, uint64_t count, bool wide, std::vector<PointD>& out) {
  const size_t each = wide ? 8 : 4;
  if (count > r.size() / each || !r.Has(at, static_cast<size_t>(count) * each)) return false;
  out.resize(static_cast<size_t>(count));
  for (size_t i = 0; i < out.size(); ++i, at += each)
    out[i] = wide ? PointL(r, at) : PointD{double(r.I16(at)), double(r.I16(at + 2))};
  return true;
}

void PlayPoly(const ByteReader& r, uint32_t type, MetafileCanvas& canvas) {
  const bool wide = type < kEmrPolyBezier16;
  std::vector<PointD> points;
  if (!ReadPoints(r, 28, r.U32(24), wide, points)) return;
  switch (wide ? type : type - kEmrPolyBezier16 + kEmrPolyBezier) {
    case kEmrPolyBezier: canvas.PolyBezier(points); break;
    case kEmrPolygon: canvas.Polygon(points); break;
    case kEmrPolyline: canvas.Polyline(points); break;
    case kEmrPolyBezierTo: canvas.PolyBezierTo(points); break;
    case kEmrPolylineTo: canvas.PolylineTo(points); break;
  }
}

void PlayPolyPoly(const ByteReader& r, uint32_t type, MetafileCanvas& canvas) {
  const bool wide = type == kEmrPolyPolyline || type == kEmrPolyPolygon;
  const uint32_t polys = r.U32(24), total = r.U32(28);
  if (polys > r.size() / 4 || !r.Has(32, size_t{polys} * 4)) return;
  std::vector<uint32_t> counts(polys);
  uint64_t sum = 0;
  for (uint32_t i = 0; i < polys; ++i) sum += counts[i] = r.U32(32 + 4 * size_t{i});
  std::vector<PointD> points;
  if (sum > total || !ReadPoints(r, 32 + size_t{polys} * 4, total, wide, points)) return;
  if (type == kEmrPolyPolygon || type == kEmrPolyPolygon16) {
    canvas.PolyPolygon(points, counts);
  } else {
    canvas.PolyPolyline(points, counts);
  }
}

// A DIB carried inside the record at the given offsets, checked against the record's size.
bool RecordDib(const ByteReader& r, size_t offBmi, size_t cbBmi, size_t offBits, size_t cbBits, gdi::DibFormat& format,
               const uint8_t*& bits) {
  if (!r.Has(offBmi, cbBmi) || !r.Has(offBits, cbBits)) return false;
  if (gdi::ParseDibInfo(r.data() + offBmi, cbBmi, format) != gdi::DibParse::Ok) return false;
  if (cbBits < format.ImageBytes()) return false;
  bits = r.data() + offBits;
  return true;
}

void PlayStretchDiBits(const ByteReader& r, MetafileCanvas& canvas) {
  if (r.U32(64) != 0 || r.U32(68) != kSrcCopy) return;  // RGB colour tables and plain copies only
  gdi::DibFormat format;
  const uint8_t* bits = nullptr;
  if (!RecordDib(r, r.U32(48), r.U32(52), r.U32(56), r.U32(60), format, bits)) return;
  const double srcH = r.I32(44), ySrc = r.I32(36);
  // Source rows count from the bottom of a bottom-up DIB.
  const double top = format.topDown ? ySrc : format.height - ySrc - srcH;
  canvas.DrawDib(format, bits, r.I32(32), top, r.I32(40), srcH, r.I32(24), r.I32(28), r.I32(72), r.I32(76));
}

void PlayBlt(const ByteReader& r, bool stretch, MetafileCanvas& canvas) {
  const double x = r.I32(24), y = r.I32(28), w = r.I32(32), h = r.I32(36);
  const uint32_t rop = r.U32(40);
  if (r.U32(88) == 0) return canvas.PatBlt(x, y, w, h, rop);  // no source bitmap
  if (rop != kSrcCopy || r.U32(80) != 0) return;
  gdi::DibFormat format;
  const uint8_t* bits = nullptr;
  if (!RecordDib(r, r.U32(84), r.U32(88), r.U32(92), r.U32(96), format, bits)) return;
  const double srcW = stretch ? r.I32(100) : w, srcH = stretch ? r.I32(104) : h;
  canvas.DrawDib(format, bits, r.I32(44), r.I32(48), srcW, srcH, x, y, w, h);
}

// A region in device units: RGN_COPY replaces the clip (no region resets it), RGN_AND narrows it.
void PlayClipRegion(const ByteReader& r, MetafileCanvas& canvas) {
  constexpr uint32_t kRgnAnd = 1, kRgnCopy = 5;
  const uint32_t bytes = r.U32(8), mode = r.U32(12);
  if (mode == kRgnCopy && bytes == 0) return canvas.ResetClip();
  if ((mode != kRgnCopy && mode != kRgnAnd) || bytes < 32 || !r.Has(16, bytes)) return;
  const uint32_t count = r.U32(24);
  if (count > (bytes - 32) / 16) return;
  std::vector<double> rects(size_t{count} * 4);
  for (size_t i = 0; i < rects.size(); ++i) rects[i] = r.I32(48 + 4 * i);
  canvas.ClipToDeviceRects(rects, mode == kRgnCopy);
}

cairo_matrix_t ReadXform(const ByteReader& r, size_t at) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, r.F32(at), r.F32(at + 4), r.F32(at + 8), r.F32(at + 12), r.F32(at + 16), r.F32(at + 20));
  return m;
}

void PlayPen(const ByteReader& r, bool extended, MetafileCanvas& canvas) {
  MetaObject object;
  object.kind = MetaObject::Pen;
  object.pen = extended ? PenFromStyle(r.U32(28), r.U32(32), r.U32(40)) : PenFromStyle(r.U32(12), r.I32(16), r.U32(24));
  if (extended && r.U32(36) == 1) object.pen.null = true;  // a hollow brush strokes nothing
  canvas.Store(r.U32(8), object);
}

void PlayRecord(const ByteReader& r, uint32_t type, MetafileCanvas& canvas) {
  switch (type) {
    case kEmrPolyBezier: case kEmrPolygon: case kEmrPolyline: case kEmrPolyBezierTo: case kEmrPolylineTo:
    case kEmrPolyBezier16: case kEmrPolygon16: case kEmrPolyline16: case kEmrPolyBezierTo16: case kEmrPolylineTo16:
      return PlayPoly(r, type, canvas);
    case kEmrPolyPolyline: case kEmrPolyPolygon: case kEmrPolyPolyline16: case kEmrPolyPolygon16:
      return PlayPolyPoly(r, type, canvas);
    case kEmrSetWindowExtEx: return canvas.SetWindowExt(r.I32(8), r.I32(12));
    case kEmrSetWindowOrgEx: return canvas.SetWindowOrg(r.I32(8), r.I32(12));
    case kEmrSetViewportExtEx: return canvas.SetViewportExt(r.I32(8), r.I32(12));
    case kEmrSetViewportOrgEx: return canvas.SetViewportOrg(r.I32(8), r.I32(12));
    case kEmrSetMapMode: return canvas.SetMapMode(static_cast<int>(r.U32(8)));
    case kEmrSetBkMode: return canvas.SetBkMode(static_cast<int>(r.U32(8)));
    case kEmrSetPolyFillMode: return canvas.SetPolyFillMode(static_cast<int>(r.U32(8)));
    case kEmrSetTextColor: return canvas.SetTextColor(r.U32(8));
    case kEmrSetBkColor: return canvas.SetBkColor(r.U32(8));
    case kEmrMoveToEx: return canvas.MoveTo(PointL(r, 8));
    case kEmrLineTo: return canvas.LineTo(PointL(r, 8));
    case kEmrSaveDc: return canvas.SaveDC();
    case kEmrRestoreDc: return canvas.RestoreDC(r.I32(8));
    case kEmrSetWorldTransform: return canvas.SetWorldTransform(ReadXform(r, 8));
    case kEmrModifyWorldTransform: return canvas.ModifyWorldTransform(ReadXform(r, 8), r.U32(32));
    case kEmrSelectObject: {
      const uint32_t index = r.U32(8);
      return index & kStockObjectFlag ? canvas.SelectStock(index & ~kStockObjectFlag) : canvas.Select(index);
    }
    case kEmrDeleteObject: return canvas.Delete(r.U32(8));
    case kEmrCreatePen: return PlayPen(r, false, canvas);
    case kEmrExtCreatePen: return PlayPen(r, true, canvas);
    case kEmrCreateBrushIndirect: {
      MetaObject object;
      object.kind = MetaObject::Brush;
      object.brush = BrushFromStyle(r.U32(12), r.U32(16), r.U32(20));
      return canvas.Store(r.U32(8), object);
    }
    case kEmrRectangle: return canvas.Rectangle(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
    case kEmrEllipse: return canvas.Ellipse(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
    case kEmrRoundRect:
      return canvas.RoundRect(r.I32(8), r.I32(12), r.I32(16), r.I32(20), r.I32(24), r.I32(28));
    case kEmrBeginPath: return canvas.BeginPath();
    case kEmrEndPath: return canvas.EndPath();
    case kEmrCloseFigure: return canvas.CloseFigure();
    case kEmrFillPath: return canvas.FillPath();
    case kEmrStrokeAndFillPath: return canvas.StrokeAndFillPath();
    case kEmrStrokePath: return canvas.StrokePath();
    case kEmrAbortPath: return canvas.AbortPath();
    case kEmrIntersectClipRect: return canvas.IntersectClipRect(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
    case kEmrExcludeClipRect: return canvas.ExcludeClipRect(r.I32(8), r.I32(12), r.I32(16), r.I32(20));
    case kEmrSelectClipPath: return canvas.SelectClipPath(r.U32(8));
    case kEmrExtSelectClipRgn: return PlayClipRegion(r, canvas);
    case kEmrStretchDiBits: return PlayStretchDiBits(r, canvas);
    case kEmrBitBlt: return PlayBlt(r, false, canvas);
    case kEmrStretchBlt: return PlayBlt(r, true, canvas);
    default: return;  // text, palettes and the rest are not drawn
  }
}

// Minimum sizes of the records whose fixed fields are read; shorter ones are skipped.
size_t MinimumSize(uint32_t type) {
  switch (type) {
    case kEmrStretchDiBits: return 80;
    case kEmrBitBlt: return 100;
    case kEmrStretchBlt: return 108;
    case kEmrModifyWorldTransform: return 36;
    case kEmrSetWorldTransform: return 32;
    case kEmrExtCreatePen: return 52;
    case kEmrCreatePen: return 28;
    case kEmrCreateBrushIndirect: return 24;
    case kEmrRoundRect: return 32;
    case kEmrRectangle: case kEmrEllipse: case kEmrIntersectClipRect: case kEmrExcludeClipRect: return 24;
    case kEmrExtSelectClipRgn: return 16;
    default: return 8;
  }
}

}  // namespace

void PlayEmfRecords(const GpMetafile& metafile, MetafileCanvas& canvas) {
  const std::vector<uint8_t>& bytes = metafile.records;
  ByteReader all(bytes.data(), bytes.size());
  for (size_t at = 0; all.Has(at, 8);) {
    const uint32_t type = all.U32(at), size = all.U32(at + 4);
    if (size < 8 || !all.Has(at, size)) return;
    const ByteReader record(bytes.data() + at, size);
    if (type == kEmrEof) return;
    if (size >= MinimumSize(type)) PlayRecord(record, type, canvas);
    at += size;
  }
}

}  // namespace vx::gdiplus
