#include "platform/ole/stream_handles.h"

#include "platform/kernel/handle_table.h"

namespace vx::ole {

namespace {

HandleTable<ComPtr<IStream>>& Streams() {
  static HandleTable<ComPtr<IStream>> table(HandleKind::Stream);
  return table;
}

}  // namespace

HANDLE32 RegisterStream(IStream* stream) {
  if (stream == nullptr) return 0;
  stream->AddRef();
  return Streams().Insert(ComPtr<IStream>(stream));
}

ComPtr<IStream> LookupStream(HANDLE32 handle) {
  auto entry = Streams().Find(handle);
  return entry ? *entry : ComPtr<IStream>();
}

bool ReleaseStreamHandle(HANDLE32 handle) { return Streams().Remove(handle) != nullptr; }

}  // namespace vx::ole
