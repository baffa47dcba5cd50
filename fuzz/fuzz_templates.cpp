// Feeds arbitrary bytes to the document-template file's reader. Whatever it accepts must score
// relevances within 0 .. 100 against any of its own histograms and come back the same through
// the writer, so a record the store refuses cannot slip in by another spelling.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "recognition/templates/template_store.h"

namespace {

bool SameTemplates(const std::vector<vexiro::ArdTemplate>& a, const std::vector<vexiro::ArdTemplate>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const vexiro::ArdTemplate &x = a[i], &y = b[i];
    if (x.TemplateID != y.TemplateID || x.Histogram != y.Histogram || x.AvgArea != y.AvgArea ||
        x.AvgDarkCount != y.AvgDarkCount || x.AvgTopDarkCount != y.AvgTopDarkCount || x.ImageCount != y.ImageCount ||
        x.Tag != y.Tag)
      return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<vexiro::ArdTemplate> templates;
  if (!vexiro::DecodeTemplateFile(std::vector<uint8_t>(data, data + size), templates)) return 0;
  for (const vexiro::ArdTemplate& image : templates) {
    for (const vexiro::ArdTemplate& learned : templates) {
      const double similarity = vexiro::CompareSignatures(image.Histogram, learned.Histogram);
      if (!(similarity >= 0 && similarity <= 100 + 1e-9)) __builtin_trap();
    }
  }
  const std::string written = vexiro::EncodeTemplateFile(templates);
  std::vector<vexiro::ArdTemplate> again;
  if (!vexiro::DecodeTemplateFile(std::vector<uint8_t>(written.begin(), written.end()), again) ||
      !SameTemplates(templates, again))
    __builtin_trap();
  return 0;
}
