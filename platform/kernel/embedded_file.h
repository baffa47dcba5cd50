// Files of resources/ assembled into the library's read-only data, so that an installed library
// carries them. VX_EMBED(name, "file") defines name_begin and name_end, hidden in the library;
// the file's compilation unit must name the file in VEXIRO_EMBEDDED_RESOURCES (CMakeLists.txt),
// which neither the dependency scanner nor a compiler cache would otherwise see.
#pragma once

#define VX_EMBED(name, file)                                             \
  asm(".section .rodata\n"                                               \
      ".balign 16\n"                                                     \
      ".hidden " #name "_begin\n.hidden " #name "_end\n"                 \
      #name "_begin:\n"                                                  \
      ".incbin \"" VEXIRO_RESOURCE_DIR "/" file "\"\n" #name "_end:\n"   \
      ".previous\n")
