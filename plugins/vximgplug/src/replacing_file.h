// Writing a file so that a failure leaves nothing behind: the data goes to a new temporary file
// beside the target, which replaces the target only when everything was written.
#pragma once
#include <cstdio>
#include <string>

namespace vximgplug {

class ReplacingFile {
 public:
  explicit ReplacingFile(const std::string& target);
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  ~ReplacingFile();  // removes the temporary file unless committed

  bool IsOpen() const { return file_ != nullptr; }
  FILE* Stream() const { return file_; }
  const std::string& TemporaryPath() const { return temporary_; }
  // Closes the stream (when still open) and renames the temporary file onto the target.
  bool Commit();
  // For writers that open the temporary path themselves: closes the stream, keeps the file.
  void CloseStream();
  // Empties the temporary file for a writer that starts over; false when the stream is closed.
  bool Restart();

 private:
  std::string target_;
  std::string temporary_;
  FILE* file_ = nullptr;
  bool committed_ = false;
};

}  // namespace vximgplug
