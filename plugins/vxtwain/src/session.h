// The plug-in's one session: the TWAIN-shaped state over SANE, the open device and its options,
// the list last loaded for a capability and the outcome of the last transfer.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sane_api.h"

namespace vxtwain {

enum State : int32_t {
  kPreSession = 1,
  kManagerLoaded = 2,
  kManagerOpen = 3,
  kSourceOpen = 4,
  kSourceEnabled = 5,
  kTransferReady = 6,
  kTransferring = 7,
};

// TWAIN result and condition codes the plug-in reports.
constexpr int32_t TWRC_SUCCESS = 0, TWRC_FAILURE = 1, TWRC_CHECKSTATUS = 2, TWRC_CANCEL = 3;
constexpr int32_t TWCC_SUCCESS = 0, TWCC_BUMMER = 1, TWCC_LOWMEMORY = 2, TWCC_NODS = 3, TWCC_OPERATIONERROR = 5,
                  TWCC_BADVALUE = 10, TWCC_SEQERROR = 11, TWCC_CAPUNSUPPORTED = 13, TWCC_PAPERJAM = 20,
                  TWCC_FILEWRITEERROR = 22, TWCC_CHECKDEVICEONLINE = 23, TWCC_INTERLOCK = 24;

// A SANE option of the open device, found by name.
struct Option {
  int32_t index = -1;
  const SANE_Option_Descriptor* desc = nullptr;
  bool Active() const { return desc != nullptr && (desc->cap & SANE_CAP_INACTIVE) == 0; }
};

// One acquired picture as the plug-in hands it out.
struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 0;   // 1, 8, 24, or 48 (raw, BGR with 16-bit samples)
  int32_t stride = 0;         // bytes per row, top row first
  double dpiX = 0, dpiY = 0;
  std::vector<uint8_t> rows;  // top-down
};

class Session {
 public:
  static Session& Instance();

  int32_t state = kPreSession;
  std::string dsmPath;
  int32_t resultCode = TWRC_SUCCESS;
  int32_t conditionCode = TWCC_SUCCESS;
  bool autoSourceClose = true;
  bool hideUI = false;
  bool indicators = true;
  int32_t transferMode = 0;  // 0 native, 1 file
  std::string transferPath;
  int32_t fileFormat = 2;    // TWFF_BMP
  int32_t xferCount = -1;
  int32_t unitsCode = 0;     // TWUN_INCHES
  int32_t paperSize = 0;     // TWSS_NONE
  bool feederEmpty = false;

  // Outcome of the last acquisition.
  int32_t lastTransferMode = 0;
  bool userClosed = false;
  bool transferFailed = false;
  bool lastRaw = false;
  Picture lastRawPicture;

  // Capability lists and values last loaded.
  std::vector<double> numbers;
  std::vector<std::string> texts;
  double current = 0;
  std::string currentText;
  double rangeMin = 0, rangeMax = 0, rangeStep = 0;

  // Texts handed out stay alive here until the next call that returns one.
  const char* Hand(std::string text);

  bool Fail(int32_t condition);
  bool Succeed(bool inexact = false);

  // Session transitions; each reports success and leaves the codes.
  bool LoadManager();
  bool OpenManager();
  bool CloseManager();
  bool UnloadManager();
  bool OpenSource(const std::string& name);
  bool OpenDefaultSource();
  bool CloseSource();
  const std::vector<std::string>& DeviceNames() const { return deviceNames_; }
  size_t nextName = 0;
  const std::string& CurrentSource() const { return currentSource_; }
  const std::string& LastSource() const { return lastSource_; }

  // Options of the open device.
  Option Find(const char* name) const;
  std::optional<double> Number(const char* name) const;  // FIXED as a double, INT and BOOL as is
  std::optional<std::string> Text(const char* name) const;
  // SANE_INFO_INEXACT reported through `inexact`; false when refused.
  bool SetNumber(const char* name, double value, bool& inexact);
  bool SetText(const char* name, const std::string& value, bool& inexact);
  // Puts the option back to the value the device gave it when it was first opened since the
  // manager opened (SANE names no default; that value is the device's own), or to the device's
  // automatic value when none was read then. False when the option cannot be set.
  bool RestoreDefault(const char* name, bool& inexact);
  std::vector<std::string> TextChoices(const char* name) const;
  std::vector<double> NumberChoices(const char* name) const;  // word lists
  const SANE_Range* Range(const char* name) const;
  bool IsFixed(const char* name) const;

  // Acquisition (transfer.cpp).
  int32_t AcquireNative();
  std::map<int32_t, std::vector<uint8_t>> natives;

  const SaneApi& Api() const { return api_; }
  SANE_Handle Device() const { return device_; }

 private:
  SaneApi api_;
  bool bound_ = false;
  std::string boundPath_;
  SANE_Handle device_ = nullptr;
  std::vector<std::string> deviceNames_;
  std::string currentSource_;
  std::string lastSource_;
  // Per device, the option values read when it was first opened: name -> value bytes.
  std::map<std::string, std::map<std::string, std::vector<uint8_t>>> defaults_;
  void RecordDefaults();
  const std::vector<uint8_t>* RecordedDefault(const char* name) const;
  std::string handed_[4];
  int handedNext_ = 0;
  int32_t nextNative_ = 1;
  friend int32_t StoreNative(std::vector<uint8_t> block);
};

// Keeps a transfer block in the plug-in's table; its handle, never 0.
int32_t StoreNative(std::vector<uint8_t> block);

}  // namespace vxtwain
