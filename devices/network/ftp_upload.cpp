// Uploads by FTP: a local file as it is, or the current image saved in a chosen format first.
// Each member opens its own internet session for the length of the call.
#include <algorithm>
#include <cctype>
#include <memory>

#include "devices/network/inet_session.h"
#include "engine/routines/shared_routines.h"
#include "platform/inet/wininet.h"
#include "platform/kernel/files.h"
#include "vexiro/imaging.h"

namespace vexiro {

namespace {

// A folder of its own for the saved image: the save finds no file of that name there (the PDF
// writer refuses to replace one), and the folder goes with whatever the save left in it.
class PrivateSaveFolder {
 public:
  PrivateSaveFolder() : folder_(vx::CreateUniqueFolder(vx::engine::GetTempFolder() + "vxftp.")) {}
  ~PrivateSaveFolder() {
    if (folder_.empty()) return;
    vx::engine::DeleteFileQuietly(File());
    vx::RemoveDirectory(folder_);
  }
  PrivateSaveFolder(const PrivateSaveFolder&) = delete;
  PrivateSaveFolder& operator=(const PrivateSaveFolder&) = delete;

  bool Made() const { return !folder_.empty(); }
  std::string File() const { return folder_ + "/upload"; }

 private:
  std::string folder_;
};

VexiroStatus PutFile(int32_t connection, const std::string& localFile, const std::string& remotePath) {
  return vx::FtpPutFile(static_cast<vx::HINTERNET>(connection), localFile, remotePath, 0, 0) ? OK
                                                                                             : InternetFtpWriteFileError;
}

}  // namespace

VexiroStatus cImaging::SaveToFTP(const std::string& sImageFormat, int32_t nEncoderParameter, const std::string& sHost,
                                 const std::string& sPath, const std::string& sLogin, const std::string& sPassword,
                                 int32_t nFTPPort) {
  if (RefusesCutPath(sPath)) return InvalidParameter;
  const std::string remote = RemoteFtpPath(sPath);
  oInet = std::make_unique<cInet>();
  int32_t connection = 0;
  VexiroStatus status = OpenFtpConnection(*oInet, bFtpPassiveMode, sHost, nFTPPort, sLogin, sPassword, connection);
  if (status == OK) {
    PrivateSaveFolder folder;
    const std::string file = folder.File();
    const std::string format = vx::engine::TrimmedUpperCase(sImageFormat);
    if (!folder.Made()) {
      status = CanNotCreateFile;
    } else if (format == "BMP") {
      status = SaveAsBmp(file);
    } else if (format == "JPG") {
      status = SaveAsJPEG(file, nEncoderParameter);
    } else if (format == "TIF") {
      status = SaveAsTIFF(file, nEncoderParameter);
    } else if (format == "PNG") {
      status = SaveAsPNG(file);
    } else if (format == "PDF") {
      status = SaveAsPDF(file, "", "Vexiro ZedeDud", "Vexiro ZedeDud", "") ? OK : GenericError;
    } else if (format == "GIF") {
      status = SaveAsGIF(file);
    } else {
      status = SaveAsJPEG(file, 75);
    }
    if (status == OK) status = PutFile(connection, file, remote);
  }
  oInet.reset();
  nStat = status;
  return status;
}

VexiroStatus cImaging::UploadFileToFTP(const std::string& sFilePath, const std::string& sHost, const std::string& sPath,
                                       const std::string& sLogin, const std::string& sPassword, int32_t nFTPPort) {
  if (RefusesCutPath(sFilePath) || RefusesCutPath(sPath)) return InvalidParameter;
  const std::string remote = RemoteFtpPath(sPath);
  oInet = std::make_unique<cInet>();
  int32_t connection = 0;
  VexiroStatus status = OpenFtpConnection(*oInet, bFtpPassiveMode, sHost, nFTPPort, sLogin, sPassword, connection);
  if (status == OK) status = PutFile(connection, sFilePath, remote);
  oInet.reset();
  nStat = status;
  return status;
}

void cImaging::SetHttpTransfertBufferSize(int32_t nBuffersize) { nHttpTransferBufferSize = nBuffersize; }

void cImaging::SetFtpPassiveMode(bool bPassiveMode) { bFtpPassiveMode = bPassiveMode; }

}  // namespace vexiro
