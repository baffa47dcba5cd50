# Libraries the system is built on, found through pkg-config where Debian ships a .pc file.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZLIB REQUIRED IMPORTED_TARGET zlib)
pkg_check_modules(PNG REQUIRED IMPORTED_TARGET libpng)
pkg_check_modules(JPEG REQUIRED IMPORTED_TARGET libjpeg)
pkg_check_modules(TIFF REQUIRED IMPORTED_TARGET libtiff-4)
pkg_check_modules(EXIV2 REQUIRED IMPORTED_TARGET exiv2)
pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
pkg_check_modules(LCMS2 REQUIRED IMPORTED_TARGET lcms2)
pkg_check_modules(TURBOJPEG REQUIRED IMPORTED_TARGET libturbojpeg)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
pkg_check_modules(CURL REQUIRED IMPORTED_TARGET libcurl)
pkg_check_modules(NETTLE REQUIRED IMPORTED_TARGET nettle)

# giflib ships no pkg-config file.
find_path(GIF_INCLUDE_DIR gif_lib.h REQUIRED)
find_library(GIF_LIBRARY gif REQUIRED)
add_library(vexiro_gif INTERFACE)
target_include_directories(vexiro_gif INTERFACE ${GIF_INCLUDE_DIR})
target_link_libraries(vexiro_gif INTERFACE ${GIF_LIBRARY})

# libcups (the printer objects' print system) ships no pkg-config file either. It and libcurl are
# opened at their first use, not linked: only their headers are needed here.
find_path(CUPS_INCLUDE_DIR cups/cups.h REQUIRED)
add_library(vexiro_cups INTERFACE)
target_include_directories(vexiro_cups INTERFACE ${CUPS_INCLUDE_DIR})
add_library(vexiro_curl INTERFACE)
target_include_directories(vexiro_curl INTERFACE ${CURL_INCLUDE_DIRS})

set(VEXIRO_PRIVATE_LIBS
  PkgConfig::ZLIB PkgConfig::PNG PkgConfig::JPEG PkgConfig::TURBOJPEG PkgConfig::TIFF PkgConfig::EXIV2 vexiro_gif
  PkgConfig::CAIRO PkgConfig::LCMS2 PkgConfig::FONTCONFIG PkgConfig::FREETYPE PkgConfig::X11
  vexiro_curl PkgConfig::NETTLE vexiro_cups ${CMAKE_DL_LIBS} pthread)
