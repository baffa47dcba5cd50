// How the loaders read a file. Each choice has a name, so a call says what it asks for; the
// defaults are the plain load: the plug-in first, no colour management, a multi-page file split
// into an editable document, and no dialog.
#pragma once

#include "platform/kernel/win_types.h"

namespace vx::engine {

struct LoadOptions {
  bool UseColorManagement = false;  // decode with the file's colour profile applied
  bool DisablePlugin = false;       // only the platform decoders are tried
  bool TiffReadOnly = false;        // a multi-page TIFF stays one native image over the open file
  bool GifReadOnly = false;         // the same for a multi-frame GIF
  bool AskForBlankPath = false;     // a blank path is asked for through the open-file dialog
  HWND DialogOwner = 0;
};

}  // namespace vx::engine
