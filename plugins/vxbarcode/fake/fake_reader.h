/* A scripted stand-in for either barcode reader plug-in, for the engine's tests: it answers the
 * reader's calls with results queued beforehand, one list per scan, and records what each scan
 * was handed. Built twice, under each reader's module name, into plugins/fakebarcode/. */
#ifndef VXBARCODE_FAKE_READER_H
#define VXBARCODE_FAKE_READER_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct VxFakeBarcode {
  const char* value;
  int32_t type;
  int32_t corners[8]; /* x1, y1, .. x4, y4 */
  double skew;
  int32_t checksum;
  int32_t rows;
  int32_t columns;
} VxFakeBarcode;

/* Forgets every queued list and record; GetVersion answers `version` from now on. */
void VXFAKE_Reset(int32_t version);
/* The next scan not yet scripted finds these `count` barcodes; a scan without a list finds none. */
void VXFAKE_QueueScan(int32_t count, const VxFakeBarcode* barcodes);
int32_t VXFAKE_ScanCount(void);
/* The packed bitmap scan `index` was handed (a copy), its size, and the scanner's performance. */
const uint8_t* VXFAKE_ScanInput(int32_t index, uint32_t* bytes);
int32_t VXFAKE_ScanPerformance(int32_t index);
/* The scan's time is spent once it has been asked about `asks` times (never while negative, as
 * after Reset); how often the scan clock was started. */
void VXFAKE_SpendTimeAfter(int32_t asks);
int32_t VXFAKE_ClockStarts(void);
/* Scanners made and not yet freed. */
int32_t VXFAKE_LiveScanners(void);

#ifdef __cplusplus
}
#endif

#endif
