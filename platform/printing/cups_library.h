// libcups, opened when a process first asks for its printers (see SystemLibrary for why).
#pragma once
#include <cups/cups.h>

namespace vx::printing {

struct CupsLibrary {
  decltype(&cupsSetServer) setServer;
  decltype(&cupsGetDests2) getDests2;
  decltype(&cupsFreeDests) freeDests;
  decltype(&cupsLastErrorString) lastErrorString;
  decltype(&cupsDoRequest) doRequest;
  decltype(&cupsAddOption) addOption;
  decltype(&cupsAddIntegerOption) addIntegerOption;
  decltype(&cupsFreeOptions) freeOptions;
  decltype(&cupsCreateJob) createJob;
  decltype(&cupsStartDocument) startDocument;
  decltype(&cupsWriteRequestData) writeRequestData;
  decltype(&cupsFinishDocument) finishDocument;
  decltype(&cupsCancelJob2) cancelJob2;
  decltype(&httpAssembleURIf) assembleUri;
  decltype(&ippPort) port;
  decltype(&ippNewRequest) newRequest;
  decltype(&ippAddString) addString;
  decltype(&ippAddStrings) addStrings;
  decltype(&ippDelete) deleteMessage;
  decltype(&ippGetStatusCode) getStatusCode;
  decltype(&ippFindAttribute) findAttribute;
  decltype(&ippGetCount) getCount;
  decltype(&ippGetInteger) getInteger;
  decltype(&ippGetString) getString;
  decltype(&ippGetCollection) getCollection;
  decltype(&ippGetResolution) getResolution;
  decltype(&ippGetRange) getRange;
  decltype(&pwgMediaForPWG) mediaForPwg;
  decltype(&pwgMediaForSize) mediaForSize;
};

// libcups's functions once it is open; null when it cannot be, as on a system with no print system.
const CupsLibrary* OpenCups();

// The functions where a printer already chosen proves libcups open.
inline const CupsLibrary& Cups() { return *OpenCups(); }

}  // namespace vx::printing
