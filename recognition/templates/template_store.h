// Document-template recognition: the engine's store of learned page layouts. A layout's signature
// is a histogram of the dark patterns of non-overlapping 3 x 3 blocks plus its dark-pixel counts;
// a template averages the signatures of its samples, and an image is scored against every
// template. The store travels in a binary template file.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/vexiro_status.h"

namespace vexiro {

constexpr size_t kSignatureBins = 512;
using SignatureBins = std::array<int32_t, kSignatureBins>;

struct ArdTemplate {
  int32_t TemplateID = 0;
  SignatureBins Histogram{};
  int32_t AvgArea = 0;
  int32_t AvgDarkCount = 0;
  int32_t AvgTopDarkCount = 0;
  int32_t ImageCount = 0;
  std::string Tag;  // UTF-8 here, Windows-1252 in the file
};

// The signature of one image.
struct LayoutSignature {
  SignatureBins Bins{};
  int32_t DarkCount = 0;
  int32_t TopDarkCount = 0;
};

// Computes the signature of the image of that size: bilevel images count opaque black as dark,
// others any pixel whose blue, green and red all lie below 127. The status of the pixel read.
VexiroStatus ComputeLayoutSignature(int32_t imageId, int32_t width, int32_t height, LayoutSignature& signature);

// The histogram similarity of a signature to a template's histogram, 0 .. 100.
double CompareSignatures(const SignatureBins& image, const SignatureBins& learned);

// The template file of these templates, and the templates of a file: false for a file the store
// refuses (too short for its count, or holding a record the store could not have made).
std::string EncodeTemplateFile(const std::vector<ArdTemplate>& templates);
bool DecodeTemplateFile(const std::vector<uint8_t>& bytes, std::vector<ArdTemplate>& templates);

class cARD {
 public:
  cARD() { NewConfig(); }
  ~cARD() { FreeMemory(); }
  cARD(const cARD&) = delete;
  cARD& operator=(const cARD&) = delete;

  int32_t GetTemplateCount() const { return TemplateCount; }
  int32_t GetTemplateIDX(int32_t TemplateID) const;
  int32_t GetTemplateID(int32_t TemplateNo) const;
  int32_t NewTemplate();
  bool DeleteTemplate(int32_t TemplateID);
  VexiroStatus AddImageToTemplate(int32_t TemplateID, int32_t ImageID);
  int32_t GetTemplateImageCount(int32_t TemplateID) const;
  std::string GetTemplateTag(int32_t TemplateID) const;
  // False for an unknown template and for a tag longer than a file record can hold.
  bool SetTemplateTag(int32_t TemplateID, const std::string& Tag);
  int32_t FindCloserTemplate(int32_t ImageID);
  // The file is checked whole before the store is replaced: a failure leaves the store as it was.
  // A file past the template-file bound is refused unread, and so is one holding a record the
  // store could not have made (identifier 0, negative or repeated, negative numbers, a sample
  // count past the largest one).
  bool LoadTemplateConfig(const std::string& Path);
  // Written beside the target and renamed over it, so a failure never harms an existing file.
  bool SaveTemplateConfig(const std::string& Path);
  void NewConfig();
  void FreeMemory();
  double GetLastRelevance() const { return LastRelevance; }
  double GetlastTemplateRelevance(int32_t TemplateID) const;

 private:
  friend struct ImagingTestAccess;
  const ArdTemplate* Find(int32_t TemplateID) const;
  int32_t NewTemplateID() const;

  std::vector<ArdTemplate> Templates;
  int32_t TemplateCount = 0;
  LayoutSignature Signature;
  std::vector<double> Relevances;
  double LastRelevance = 0;
  VexiroStatus LastStatus = OK;
};

}  // namespace vexiro
