// The part of SANE's C interface the plug-in drives, declared here from its public description;
// the library itself is opened at run time, so the build needs no SANE headers.
#pragma once
#include <cstdint>
#include <string>

extern "C" void __lsan_disable() __attribute__((weak));
extern "C" void __lsan_enable() __attribute__((weak));

namespace vxtwain {

// Runs a SANE call with the leak checker looking away (when there is one): SANE's backends keep
// some of what they allocate past sane_exit, which is theirs to free, not the plug-in's.
template <class Call>
auto OutsideLeakChecks(Call call) {
  if (__lsan_disable != nullptr) __lsan_disable();
  auto result = call();
  if (__lsan_enable != nullptr) __lsan_enable();
  return result;
}

using SANE_Word = int32_t;
using SANE_Int = int32_t;
using SANE_Bool = int32_t;
using SANE_Fixed = int32_t;
using SANE_Handle = void*;
using SANE_Status = int32_t;

constexpr SANE_Status SANE_STATUS_GOOD = 0;
constexpr SANE_Status SANE_STATUS_UNSUPPORTED = 1;
constexpr SANE_Status SANE_STATUS_CANCELLED = 2;
constexpr SANE_Status SANE_STATUS_INVAL = 4;
constexpr SANE_Status SANE_STATUS_EOF = 5;
constexpr SANE_Status SANE_STATUS_JAMMED = 6;
constexpr SANE_Status SANE_STATUS_NO_DOCS = 7;
constexpr SANE_Status SANE_STATUS_COVER_OPEN = 8;
constexpr SANE_Status SANE_STATUS_IO_ERROR = 9;

constexpr int32_t SANE_TYPE_BOOL = 0, SANE_TYPE_INT = 1, SANE_TYPE_FIXED = 2, SANE_TYPE_STRING = 3;
constexpr int32_t SANE_CONSTRAINT_RANGE = 1, SANE_CONSTRAINT_WORD_LIST = 2, SANE_CONSTRAINT_STRING_LIST = 3;
constexpr int32_t SANE_ACTION_GET_VALUE = 0, SANE_ACTION_SET_VALUE = 1, SANE_ACTION_SET_AUTO = 2;
constexpr int32_t SANE_INFO_INEXACT = 1;
constexpr int32_t SANE_CAP_SOFT_SELECT = 1, SANE_CAP_AUTOMATIC = 16, SANE_CAP_INACTIVE = 32;
constexpr int32_t SANE_FRAME_GRAY = 0, SANE_FRAME_RGB = 1, SANE_FRAME_RED = 2, SANE_FRAME_GREEN = 3,
                  SANE_FRAME_BLUE = 4;

struct SANE_Device {
  const char* name;
  const char* vendor;
  const char* model;
  const char* type;
};

struct SANE_Range {
  SANE_Word min;
  SANE_Word max;
  SANE_Word quant;
};

struct SANE_Option_Descriptor {
  const char* name;
  const char* title;
  const char* desc;
  int32_t type;
  int32_t unit;
  SANE_Int size;
  SANE_Int cap;
  int32_t constraint_type;
  union {
    const char* const* string_list;
    const SANE_Word* word_list;  // first word is the count
    const SANE_Range* range;
  } constraint;
};

struct SANE_Parameters {
  int32_t format;
  SANE_Bool last_frame;
  SANE_Int bytes_per_line;
  SANE_Int pixels_per_line;
  SANE_Int lines;
  SANE_Int depth;
};

using SANE_Auth_Callback = void (*)(const char*, char*, char*);

inline double FixedToDouble(SANE_Fixed v) { return static_cast<double>(v) / 65536.0; }
inline SANE_Fixed DoubleToFixed(double v) { return static_cast<SANE_Fixed>(v * 65536.0 + (v < 0 ? -0.5 : 0.5)); }

// The entry points, bound from one opened library.
struct SaneApi {
  SANE_Status (*init)(SANE_Int*, SANE_Auth_Callback) = nullptr;
  void (*exit)() = nullptr;
  SANE_Status (*get_devices)(const SANE_Device***, SANE_Bool) = nullptr;
  SANE_Status (*open)(const char*, SANE_Handle*) = nullptr;
  void (*close)(SANE_Handle) = nullptr;
  const SANE_Option_Descriptor* (*get_option_descriptor)(SANE_Handle, SANE_Int) = nullptr;
  SANE_Status (*control_option)(SANE_Handle, SANE_Int, int32_t, void*, SANE_Int*) = nullptr;
  SANE_Status (*get_parameters)(SANE_Handle, SANE_Parameters*) = nullptr;
  SANE_Status (*start)(SANE_Handle) = nullptr;
  SANE_Status (*read)(SANE_Handle, uint8_t*, SANE_Int, SANE_Int*) = nullptr;
  void (*cancel)(SANE_Handle) = nullptr;
};

// Opens the library at `path` ("libsane.so.1" when empty) and binds every entry point; false
// when the library or one of its entry points cannot be found. The library stays loaded.
bool BindSane(const std::string& path, SaneApi& api);

}  // namespace vxtwain
