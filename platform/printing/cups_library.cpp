#include "platform/printing/cups_library.h"

#include "platform/kernel/system_library.h"

namespace vx::printing {

namespace {

bool FindAll(const SystemLibrary& library, CupsLibrary& cups) {
  return library.Find(cups.setServer, "cupsSetServer") &&
         library.Find(cups.getDests2, "cupsGetDests2") &&
         library.Find(cups.freeDests, "cupsFreeDests") &&
         library.Find(cups.lastErrorString, "cupsLastErrorString") &&
         library.Find(cups.doRequest, "cupsDoRequest") &&
         library.Find(cups.addOption, "cupsAddOption") &&
         library.Find(cups.addIntegerOption, "cupsAddIntegerOption") &&
         library.Find(cups.freeOptions, "cupsFreeOptions") &&
         library.Find(cups.createJob, "cupsCreateJob") &&
         library.Find(cups.startDocument, "cupsStartDocument") &&
         library.Find(cups.writeRequestData, "cupsWriteRequestData") &&
         library.Find(cups.finishDocument, "cupsFinishDocument") &&
         library.Find(cups.cancelJob2, "cupsCancelJob2") &&
         library.Find(cups.assembleUri, "httpAssembleURIf") &&
         library.Find(cups.port, "ippPort") &&
         library.Find(cups.newRequest, "ippNewRequest") &&
         library.Find(cups.addString, "ippAddString") &&
         library.Find(cups.addStrings, "ippAddStrings") &&
         library.Find(cups.deleteMessage, "ippDelete") &&
         library.Find(cups.getStatusCode, "ippGetStatusCode") &&
         library.Find(cups.findAttribute, "ippFindAttribute") &&
         library.Find(cups.getCount, "ippGetCount") &&
         library.Find(cups.getInteger, "ippGetInteger") &&
         library.Find(cups.getString, "ippGetString") &&
         library.Find(cups.getCollection, "ippGetCollection") &&
         library.Find(cups.getResolution, "ippGetResolution") &&
         library.Find(cups.getRange, "ippGetRange") &&
         library.Find(cups.mediaForPwg, "pwgMediaForPWG") &&
         library.Find(cups.mediaForSize, "pwgMediaForSize");
}

const CupsLibrary* Open() {
  static const SystemLibrary library("libcups.so.2");
  static CupsLibrary cups{};
  return FindAll(library, cups) ? &cups : nullptr;
}

}  // namespace

const CupsLibrary* OpenCups() {
  static const CupsLibrary* const cups = Open();  // opened once, thread-safely
  return cups;
}

}  // namespace vx::printing
