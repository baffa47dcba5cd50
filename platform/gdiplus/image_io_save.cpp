// Saving: the encoder is chosen by its class identifier, the parameters are checked, and the
// active frame is encoded straight into a file beside the target (or into memory for a stream).
// A TIFF save with the multi-frame flag opens a session on the image: further pages come through
// SaveAdd/SaveAddImage, each written into the file as it comes, and the file takes its target's
// place when the session is flushed (or when the image goes away).
#include <map>
#include <optional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/gdiplus/codecs/codec_table.h"
#include "platform/gdiplus/codecs/tiff/tiff_writer.h"
#include "platform/gdiplus/gdiplus_flat.h"
#include "platform/gdiplus/image_io.h"
#include "platform/gdiplus/image_io_file.h"

namespace vx::gdiplus {

class EncoderSession {
 public:
  std::string path;                    // file destination, or
  ole::ComPtr<ole::IStream> stream;    // stream destination
  codecs::EncodeOptions firstOptions;  // compression and depth the later pages default to

  // Opens the destination the pages are written into as they come.
  Status Start() {
    if (stream) {
      writer_ = std::make_unique<codecs::TiffFileWriter>(memory_);
      return Ok;
    }
    if (Status s = file_.Open(path.c_str()); s != Ok) return s;
    writer_ = std::make_unique<codecs::TiffFileWriter>(file_);
    return Ok;
  }

  Status Add(codecs::TiffPage page) { return Written(writer_->Add(std::move(page))); }

  Status Finish() {
    if (Status s = Written(writer_->Finish()); s != Ok) return s;
    if (stream) return WriteToStream(stream.get(), memory_.bytes);
    return file_.Commit();
  }

 private:
  // A write that did not reach the file is the file's failure.
  Status Written(Status s) const { return s != Ok && !stream && file_.WriteFailed() ? Win32Error : s; }

  MemorySink memory_;
  FileReplacement file_;
  std::unique_ptr<codecs::TiffFileWriter> writer_;
};

namespace {

// Open multi-frame saves by image. A session writes each page when it is added (the first one
// it copies, since it waits for the second), so it never reads an image again after a page is added.
struct SessionTable {
  std::mutex mutex;
  std::map<const GpImage*, std::unique_ptr<EncoderSession>> open;
  ~SessionTable() {
    for (auto& [image, session] : open) session->Finish();
  }
};

SessionTable& Sessions() {
  static SessionTable table;
  return table;
}

std::unique_ptr<EncoderSession> TakeSession(const GpImage* image) {
  SessionTable& table = Sessions();
  std::lock_guard lock(table.mutex);
  auto it = table.open.find(image);
  if (it == table.open.end()) return nullptr;
  auto session = std::move(it->second);
  table.open.erase(it);
  return session;
}

void PutSession(const GpImage* image, std::unique_ptr<EncoderSession> session) {
  SessionTable& table = Sessions();
  std::lock_guard lock(table.mutex);
  table.open[image] = std::move(session);
}

bool IsKnownSaveFlag(ULONG v) { return v >= EncoderValueMultiFrame && v <= EncoderValueFrameDimensionPage; }
bool IsTransformation(ULONG v) { return v >= EncoderValueTransformRotate90 && v <= EncoderValueTransformFlipVertical; }

Status ReadLongValue(const EncoderParameter& p, ULONG& value) {
  if (p.NumberOfValues < 1 || !p.Value || p.Type != EncoderParameterValueTypeLong) return InvalidParameter;
  value = *static_cast<const ULONG*>(p.Value);
  return Ok;
}

Status ParseParameters(const EncoderParameters* params, codecs::EncodeOptions& options) {
  if (!params) return Ok;
  if (params->Count > kMaxEncoderParameters) return InvalidParameter;
  for (UINT i = 0; i < params->Count; ++i) {
    const EncoderParameter& p = params->Parameter[i];
    std::optional<ULONG>* slot = nullptr;
    if (p.Guid == EncoderQuality) slot = &options.quality;
    else if (p.Guid == EncoderCompression) slot = &options.compression;
    else if (p.Guid == EncoderColorDepth) slot = &options.colorDepth;
    else if (p.Guid == EncoderSaveFlag) slot = &options.saveFlag;
    else if (p.Guid == EncoderTransformation) slot = &options.transformation;
    if (!slot) continue;  // parameters the built-in encoders do not take are ignored
    ULONG value = 0;
    if (Status s = ReadLongValue(p, value); s != Ok) return s;
    *slot = value;
  }
  if (options.saveFlag && !IsKnownSaveFlag(*options.saveFlag)) return InvalidParameter;
  if (options.transformation && !IsTransformation(*options.transformation)) return InvalidParameter;
  return Ok;
}

// Common checks of the save calls: platform running, arguments present, a bitmap not locked.
Status CheckSaveArguments(GpImage* image, const void* destination, const CLSID* encoder, GpBitmap*& bitmap) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!image || !destination || !encoder) return InvalidParameter;
  bitmap = dynamic_cast<GpBitmap*>(image);
  if (!bitmap || bitmap->frames.empty()) return NotImplemented;  // metafiles are not encoded
  if (bitmap->lock.active) return ObjectBusy;
  return Ok;
}

Status EncodeSingle(const codecs::CodecEntry& codec, const Frame& frame, const codecs::EncodeOptions& options,
                    SeekableSink& sink) {
  if (codec.encode) return codec.encode(frame, options, sink);
  std::vector<codecs::TiffPage> pages(1);
  if (Status s = codecs::PrepareTiffPage(frame, options, pages[0], codecs::TiffPixels::Borrowed); s != Ok) return s;
  return codecs::EncodeTiff(std::move(pages), sink);
}

// A file is written as it is encoded, beside its target, and replaces it only when complete.
Status EncodeToFile(const codecs::CodecEntry& codec, const Frame& frame, const codecs::EncodeOptions& options,
                    const std::string& path) {
  FileReplacement file;
  if (Status s = file.Open(path.c_str()); s != Ok) return s;
  if (Status s = EncodeSingle(codec, frame, options, file); s != Ok) return file.WriteFailed() ? Win32Error : s;
  return file.Commit();
}

bool IsTiff(const codecs::CodecEntry& codec) { return codec.clsid == EncoderClsidTIFF; }

// Starts a multi-frame TIFF with the image's active frame as its first page.
Status BeginSession(GpBitmap* bitmap, const codecs::EncodeOptions& options, std::unique_ptr<EncoderSession> session) {
  session->firstOptions = options;
  codecs::TiffPage first;
  if (Status s = codecs::PrepareTiffPage(bitmap->current(), options, first); s != Ok) return s;
  FinishPendingSave(bitmap);  // an unfinished earlier session of this image is written first
  if (Status s = session->Start(); s != Ok) return s;
  if (Status s = session->Add(std::move(first)); s != Ok) return s;
  PutSession(bitmap, std::move(session));
  return Ok;
}

Status Save(GpBitmap* bitmap, const CLSID* encoder, const EncoderParameters* params, std::unique_ptr<EncoderSession> destination) {
  // An encoder the platform does not have is an unknown format, the answer every saver expects
  // when its encoder cannot be found.
  const codecs::CodecEntry* codec = codecs::FindEncoder(*encoder);
  if (!codec) return UnknownImageFormat;
  codecs::EncodeOptions options;
  if (Status s = ParseParameters(params, options); s != Ok) return s;
  try {
    if (IsTiff(*codec) && options.saveFlag == EncoderValueMultiFrame) return BeginSession(bitmap, options, std::move(destination));
    if (!destination->stream) return EncodeToFile(*codec, bitmap->current(), options, destination->path);
    MemorySink memory;
    if (Status s = EncodeSingle(*codec, bitmap->current(), options, memory); s != Ok) return s;
    return WriteToStream(destination->stream.get(), memory.bytes);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
}

// Adds `frame` as the next page of the session open on `image`; page options default to the
// first page's compression and depth.
Status AddPage(GpImage* image, const Frame& frame, const codecs::EncodeOptions& options) {
  std::unique_ptr<EncoderSession> session = TakeSession(image);
  if (!session) return WrongState;
  codecs::EncodeOptions pageOptions = session->firstOptions;
  if (options.compression) pageOptions.compression = options.compression;
  if (options.colorDepth) pageOptions.colorDepth = options.colorDepth;
  Status status = Ok;
  try {
    codecs::TiffPage page;
    status = codecs::PrepareTiffPage(frame, pageOptions, page, codecs::TiffPixels::Borrowed);
    if (status == Ok) status = session->Add(std::move(page));
  } catch (const std::bad_alloc&) {
    status = OutOfMemory;
  }
  PutSession(image, std::move(session));
  return status;
}

bool EndsSession(const codecs::EncodeOptions& options) {
  return options.saveFlag == EncoderValueFlush || options.saveFlag == EncoderValueLastFrame;
}

}  // namespace

void FinishPendingSave(GpImage* image) {
  if (std::unique_ptr<EncoderSession> session = TakeSession(image)) session->Finish();
}

Status GdipSaveImageToFile(GpImage* image, const char* path, const CLSID* encoder, const EncoderParameters* params) {
  GpBitmap* bitmap = nullptr;
  if (Status s = CheckSaveArguments(image, path, encoder, bitmap); s != Ok) return s;
  auto destination = std::make_unique<EncoderSession>();
  destination->path = path;
  return Save(bitmap, encoder, params, std::move(destination));
}

Status GdipSaveImageToStream(GpImage* image, ole::IStream* stream, const CLSID* encoder, const EncoderParameters* params) {
  GpBitmap* bitmap = nullptr;
  if (Status s = CheckSaveArguments(image, stream, encoder, bitmap); s != Ok) return s;
  auto destination = std::make_unique<EncoderSession>();
  stream->AddRef();
  destination->stream = ole::ComPtr<ole::IStream>(stream);
  return Save(bitmap, encoder, params, std::move(destination));
}

Status GdipSaveAdd(GpImage* image, const EncoderParameters* params) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!image || !params) return InvalidParameter;
  codecs::EncodeOptions options;
  if (Status s = ParseParameters(params, options); s != Ok) return s;
  if (!options.saveFlag) return InvalidParameter;
  if (EndsSession(options)) {
    std::unique_ptr<EncoderSession> session = TakeSession(image);
    if (!session) return WrongState;
    try {
      return session->Finish();
    } catch (const std::bad_alloc&) {
      return OutOfMemory;
    }
  }
  auto* bitmap = dynamic_cast<GpBitmap*>(image);
  if (!bitmap || bitmap->frames.empty()) return InvalidParameter;
  return AddPage(image, bitmap->current(), options);
}

Status GdipSaveAddImage(GpImage* image, GpImage* newImage, const EncoderParameters* params) {
  if (!GdiplusIsRunning()) return GdiplusNotInitialized;
  if (!image || !newImage) return InvalidParameter;
  codecs::EncodeOptions options;
  if (Status s = ParseParameters(params, options); s != Ok) return s;
  auto* page = dynamic_cast<GpBitmap*>(newImage);
  if (!page || page->frames.empty()) return InvalidParameter;
  if (page->lock.active) return ObjectBusy;
  return AddPage(image, page->current(), options);
}

}  // namespace vx::gdiplus
