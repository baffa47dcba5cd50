/* vxtwain: the scanning plug-in. A shared object loaded by name at its first call, driving SANE
 * (libsane.so.1, opened by the plug-in itself) behind a TWAIN-shaped session. Every operation
 * below is exported with C linkage as VXTWAIN_<name>.
 *
 * Conventions of the interface
 * - Operations that succeed or fail return 1 on success and 0 on failure.
 * - Flags passed in are 1 or 0. Texts are zero-terminated; a returned text stays valid until the
 *   next call of the plug-in and is copied by the caller at once.
 * - States: 1 plug-in only, 2 libsane loaded, 3 sane_init done (source manager open), 4 a device
 *   open (source open), 5 enabled, 6 started, 7 reading.
 * - Native transfers are handles into a table of the plug-in (never pointers): a packed DIB, or,
 *   when VXTWAIN_LastDibIsRAW() is 1, raw rows top-down at VXTWAIN_LastRAWStride() bytes.
 *   VXTWAIN_NativeBytes and VXTWAIN_NativeSize give the block; VXTWAIN_FreeNative drops it.
 * - Capability codes, item types, condition and result codes are TWAIN's. FIX32 values carry
 *   the whole part in the low 16 bits and the fraction (1/65536) in the high 16 bits.
 * - File transfers write BMP, TIFF or PNG (ICAP_IMAGEFILEFORMAT) to the path given, followed by "_".
 */
#ifndef VXTWAIN_H
#define VXTWAIN_H
#include <stdint.h>

#define VXTWAIN_EXPORT __attribute__((visibility("default")))

#define VXTWAIN_OPERATIONS(X)                                                        \
  X(GetVersion, int32_t, (void))                                                     \
  X(State, int32_t, (void))                                                          \
  X(IsAvailable, int32_t, (void))                                                    \
  X(SetDSMPath, void, (const char*))                                                 \
  X(OpenSourceManager, int32_t, (int32_t))                                           \
  X(CloseSourceManager, int32_t, (int32_t))                                          \
  X(UnloadSourceManager, int32_t, (void))                                            \
  X(GetFirstSourceName, const char*, (void))                                         \
  X(GetNextSourceName, const char*, (void))                                          \
  X(GetDefaultSourceName, const char*, (void))                                       \
  X(GetCurrentSourceName, const char*, (void))                                       \
  X(SelectImageSource, int32_t, (int32_t))                                           \
  X(OpenDefaultSource, int32_t, (void))                                              \
  X(OpenSource, int32_t, (const char*))                                              \
  X(CloseSource, int32_t, (void))                                                    \
  X(DisableSource, int32_t, (void))                                                  \
  X(SourceSetup, int32_t, (int32_t))                                                 \
  X(AutoSourceClose, void, (int32_t))                                                \
  X(EnableDuplex, int32_t, (int32_t))                                                \
  X(RegisterApp, void,                                                               \
    (int32_t, int32_t, int32_t, int32_t, const char*, const char*, const char*, const char*)) \
  X(AbortAllPendingXfers, int32_t, (void))                                           \
  X(EndXfer, int32_t, (void))                                                        \
  X(StartLog, int32_t, (const char*))                                                \
  X(StopLog, void, (void))                                                           \
  X(GetLastResultCode, int32_t, (void))                                              \
  X(GetLastConditionCode, int32_t, (void))                                           \
  X(SetHideUI, void, (int32_t))                                                      \
  X(GetHideUI, int32_t, (void))                                                      \
  X(SetIndicators, int32_t, (int32_t))                                               \
  X(SetMultiTransfer, void, (int32_t))                                               \
  X(SetShowError, void, (int32_t))                                                   \
  X(SetDebugMode, void, (int32_t))                                                   \
  X(SetTransferMode, void, (int32_t))                                                \
  X(SetFilePathTransfer, void, (const char*))                                        \
  X(GetFilePathTransfer, const char*, (void))                                        \
  X(AcquireNative, int32_t, (int32_t))                                               \
  X(NativeBytes, const uint8_t*, (int32_t))                                          \
  X(NativeSize, int32_t, (int32_t))                                                  \
  X(FreeNative, void, (int32_t))                                                     \
  X(LastTransferMode, int32_t, (void))                                               \
  X(UserClosedSource, int32_t, (void))                                               \
  X(XferFail, int32_t, (void))                                                       \
  X(LastDibIsRAW, int32_t, (void))                                                   \
  X(LastRAWBPP, int32_t, (void))                                                     \
  X(LastRAWWidth, int32_t, (void))                                                   \
  X(LastRAWHeight, int32_t, (void))                                                  \
  X(LastRAWStride, int32_t, (void))                                                  \
  X(LastRAWResX, double, (void))                                                     \
  X(LastRAWResY, double, (void))                                                     \
  X(LoadCapValuesN, int32_t, (int32_t, int32_t))                                     \
  X(LoadCapValuesS, int32_t, (int32_t, int32_t))                                     \
  X(GetCapValueFromIdx, double, (int32_t))                                           \
  X(GetCapValueFromIdxS, const char*, (int32_t))                                     \
  X(GetLastCapValueCurrent, double, (void))                                          \
  X(GetLastCapValueCurrentS, const char*, (void))                                    \
  X(LoadCapValuesRangeN, int32_t, (int32_t))                                         \
  X(GetLastMinCapValueRange, double, (void))                                         \
  X(GetLastMaxCapValueRange, double, (void))                                         \
  X(GetLastStepCapValueRange, double, (void))                                        \
  X(GetCapItemType, int32_t, (int32_t))                                              \
  X(SetCapOneValue, int32_t, (int32_t, int32_t, int32_t))                            \
  X(SetCapOneValueS, int32_t, (int32_t, int32_t, const char*))                       \
  X(Reset, int32_t, (int32_t))                                                       \
  X(ToFix32, int32_t, (double))                                                      \
  X(GetBitDepth, int32_t, (void))                                                    \
  X(SetBitDepth, int32_t, (int32_t))                                                 \
  X(GetBrightness, double, (void))                                                   \
  X(SetBrightness, int32_t, (double))                                                \
  X(GetContrast, double, (void))                                                     \
  X(SetContrast, int32_t, (double))                                                  \
  X(GetPixelType, int32_t, (void))                                                   \
  X(SetCurrentPixelType, int32_t, (int32_t))                                         \
  X(GetCurrentResolution, double, (void))                                            \
  X(SetCurrentResolution, int32_t, (double))                                         \
  X(GetPhysicalWidth, double, (void))                                                \
  X(GetPhysicalHeight, double, (void))                                               \
  X(GetPaperSize, int32_t, (void))                                                   \
  X(SetPaperSize, int32_t, (int32_t))                                                \
  X(SetImageLayout, int32_t, (double, double, double, double))                       \
  X(GetImageLayout, int32_t, (double*, double*, double*, double*))                   \
  X(ResetImageLayout, int32_t, (void))                                               \
  X(NegotiateXferCount, int32_t, (int32_t))                                          \
  X(GetDuplexMode, int32_t, (void))                                                  \
  X(AutomaticBorderDetection, int32_t, (int32_t))                                    \
  X(AutomaticDeskew, int32_t, (int32_t))                                             \
  X(AutomaticRotate, int32_t, (int32_t))                                             \
  X(SetAutoScan, int32_t, (int32_t))                                                 \
  X(SetAutoFeed, int32_t, (int32_t))                                                 \
  X(SetAutoBright, int32_t, (int32_t))                                               \
  X(BarCodeCount, int32_t, (void))                                                   \
  X(BarCodeValue, const char*, (int32_t))                                            \
  X(BarCodeType, int32_t, (int32_t))                                                 \
  X(BarCodeX, int32_t, (int32_t))                                                    \
  X(BarCodeY, int32_t, (int32_t))                                                    \
  X(BarCodeConfidence, int32_t, (int32_t))                                           \
  X(BarCodeRotation, int32_t, (int32_t))                                             \
  X(EnableDirectTransfer, int32_t, (int32_t))

#ifdef __cplusplus
extern "C" {
#endif
/* The module's version text "a.b.c.d", read as its file version. */
VXTWAIN_EXPORT const char* VxPluginVersion(void);
#define VXTWAIN_DECLARE(name, result, params) VXTWAIN_EXPORT result VXTWAIN_##name params;
VXTWAIN_OPERATIONS(VXTWAIN_DECLARE)
#undef VXTWAIN_DECLARE
#ifdef __cplusplus
}
#endif

#endif
