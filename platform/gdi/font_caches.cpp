#include "platform/gdi/font_caches.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

namespace vx::gdi {

void ReleaseFontCaches() {
  cairo_debug_reset_static_data();
  FcFini();
}

}  // namespace vx::gdi
