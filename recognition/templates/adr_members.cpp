// The engine's document-recognition members: they forward to the engine's template store and
// load files into temporary images, released before the member returns.
#include "engine/image_store.h"
#include "engine/load/loader.h"
#include "recognition/templates/template_store.h"
#include "vexiro/imaging.h"

namespace vexiro {

// A file loaded as a temporary image; its status becomes the last status.
int32_t cImaging::LoadTemporaryTemplateImage(const std::string& sFilePath, bool colourManaged, bool pluginDisabled) {
  vx::engine::LoadOptions options;
  options.UseColorManagement = colourManaged;
  options.DisablePlugin = pluginDisabled;
  options.AskForBlankPath = true;
  int32_t id = 0;
  nStat = vx::engine::LoadImageFromFile(id, sFilePath, options);
  return nStat == OK ? id : 0;
}

int32_t cImaging::ADRCreateTemplateEmpty() { return oARD->NewTemplate(); }

int32_t cImaging::ADRCreateTemplateFromVexiroImage(int32_t nImageID) {
  const int32_t templateId = oARD->NewTemplate();
  nStat = oARD->AddImageToTemplate(templateId, nImageID);
  if (nStat == OK) return templateId;
  oARD->DeleteTemplate(templateId);
  return 0;
}

int32_t cImaging::CreateTemplateFromTemporaryImage(const std::string& sFilePath, bool colourManaged) {
  vx::engine::ScopedImage image(LoadTemporaryTemplateImage(sFilePath, colourManaged, bDisableVximgplugCodecs));
  return image.get() == 0 ? 0 : ADRCreateTemplateFromVexiroImage(image.get());
}

int32_t cImaging::ADRCreateTemplateFromFile(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return 0;
  return CreateTemplateFromTemporaryImage(sFilePath, false);
}
int32_t cImaging::ADRCreateTemplateFromFileICM(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return 0;
  return CreateTemplateFromTemporaryImage(sFilePath, true);
}

VexiroStatus cImaging::ADRAddImageToTemplate(int32_t nTemplateID, int32_t nImageID) {
  return oARD->AddImageToTemplate(nTemplateID, nImageID);
}
bool cImaging::ADRDeleteTemplate(int32_t nTemplateID) { return oARD->DeleteTemplate(nTemplateID); }
bool cImaging::ADRSetTemplateTag(int32_t nTemplateID, const std::string& sTemplateTag) {
  return oARD->SetTemplateTag(nTemplateID, sTemplateTag);
}
std::string cImaging::ADRGetTemplateTag(int32_t nTemplateID) { return oARD->GetTemplateTag(nTemplateID); }
int32_t cImaging::ADRGetTemplateImageCount(int32_t nTemplateID) { return oARD->GetTemplateImageCount(nTemplateID); }
int32_t cImaging::ADRGetTemplateCount() { return oARD->GetTemplateCount(); }
int32_t cImaging::ADRGetTemplateID(int32_t nTemplateNo) { return oARD->GetTemplateID(nTemplateNo); }
int32_t cImaging::ADRGetCloserTemplateForVexiroImage(int32_t nImageID) { return oARD->FindCloserTemplate(nImageID); }

// The search always loads through the format plug-in, whatever the engine's codec setting.
int32_t cImaging::CloserTemplateForTemporaryImage(const std::string& sFilePath, bool colourManaged) {
  vx::engine::ScopedImage image(LoadTemporaryTemplateImage(sFilePath, colourManaged, false));
  return ADRGetCloserTemplateForVexiroImage(image.get());
}

int32_t cImaging::ADRGetCloserTemplateForFile(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return 0;
  return CloserTemplateForTemporaryImage(sFilePath, false);
}
int32_t cImaging::ADRGetCloserTemplateForFileICM(const std::string& sFilePath) {
  if (RefusesCutPath(sFilePath)) return 0;
  return CloserTemplateForTemporaryImage(sFilePath, true);
}
double cImaging::ADRGetLastRelevanceFromTemplate(int32_t nTemplateID) {
  return oARD->GetlastTemplateRelevance(nTemplateID);
}
double cImaging::ADRGetLastRelevance() { return oARD->GetLastRelevance(); }
bool cImaging::ADRLoadTemplateConfig(const std::string& sFileConfig) {
  if (RefusesCutPath(sFileConfig)) return false;
  return oARD->LoadTemplateConfig(sFileConfig);
}
bool cImaging::ADRSaveTemplateConfig(const std::string& sFileConfig) {
  if (RefusesCutPath(sFileConfig)) return false;
  return oARD->SaveTemplateConfig(sFileConfig);
}
void cImaging::ADRStartNewTemplateConfig() { oARD->NewConfig(); }

}  // namespace vexiro
