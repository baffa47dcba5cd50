/* A scripted stand-in for the OCR plug-in, for the engine's tests: each OCR call answers with the
 * next queued result and records what it was handed. Built under the plug-in's module name into
 * plugins/fakeocr/. */
#ifndef VXOCRPLUG_FAKE_OCR_H
#define VXOCRPLUG_FAKE_OCR_H

#include <stdint.h>

#include "plugins/vxocrplug/vxocrplug.h"

#ifdef __cplusplus
extern "C" {
#endif

/* What one OCR call was handed. Texts and pixels are copies, valid until the next Reset. */
typedef struct VxFakeOcrCall {
  const char* language;
  const char* folder;
  const char* whiteList;
  int32_t whiteListIsNull;
  int32_t width;
  int32_t height;
  int32_t bitsPerPixel;
  int32_t stride;
  int32_t dpi;
  int32_t singleBlock;
  int32_t reservedNonZero; /* any of the ten reserved arguments not 0 */
  const uint8_t* pixels;   /* stride x height bytes */
  int32_t reinitsBefore;   /* REINIT calls made before this call */
} VxFakeOcrCall;

/* Forgets every queued result and record. */
void VXFAKEOCR_Reset(void);
/* The next OCR call not yet scripted returns `result` with these records; one without a script
 * returns 0 with no records. */
void VXFAKEOCR_Queue(int32_t result, int32_t count, const VxOcrCharInfo* records);
int32_t VXFAKEOCR_CallCount(void);
const VxFakeOcrCall* VXFAKEOCR_Call(int32_t index);
int32_t VXFAKEOCR_ReinitCount(void);
int32_t VXFAKEOCR_ClearCount(void);
/* Records handed out and not yet taken back by CLEAR, REINIT or the next call. */
int32_t VXFAKEOCR_LiveRecords(void);

#ifdef __cplusplus
}
#endif

#endif
