#include <vector>

#include "platform/kernel/global_memory.h"
#include "platform/ole/ole.h"

namespace vx::ole {

HRESULT ReadStreamToEnd(IStream* stream, std::string& bytes) {
  bytes.clear();
  if (stream == nullptr) return E_POINTER;
  constexpr ULONG kChunk = 64 * 1024;
  std::vector<char> chunk(kChunk);
  for (;;) {
    ULONG got = 0;
    HRESULT hr = stream->Read(chunk.data(), kChunk, &got);
    if (FAILED(hr)) return hr;
    if (got == 0) return S_OK;
    // Nothing larger than a global block is ever handed on.
    if (bytes.size() > kMaxGlobalBlockBytes - got) return E_OUTOFMEMORY;
    bytes.append(chunk.data(), got);
  }
}

}  // namespace vx::ole
