// Status lists that members of several subsystems share. A member of one family answers the
// same statuses, so each family names its list once and its members point to it.
#pragma once
#include "vexiro/vexiro_status.h"

namespace vx::control::help {

using namespace vexiro;  // the status names read as the enumeration spells them

// Does its work without failing (pure computations, switches); the status is always OK.
inline constexpr VexiroStatus kAlwaysOk[] = {OK};
// Reads a value of the current image or of an image by identifier.
inline constexpr VexiroStatus kImageQuery[] = {OK, GenericError, InvalidParameter};
// Changes the current image's pixels, palette or size through the imaging platform.
inline constexpr VexiroStatus kImageChange[] = {OK,         GenericError, InvalidParameter, OutOfMemory,
                                                ObjectBusy, WrongState,   Win32Error,       ValueOverflow};
// Builds a new image (from pixels, handles or other images) and makes it current.
inline constexpr VexiroStatus kImageCreate[] = {OK,          GenericError, InvalidParameter,
                                                OutOfMemory, Win32Error,   ValueOverflow};
// Reads an image file or stream.
inline constexpr VexiroStatus kImageLoad[] = {
    OK,      GenericError,       InvalidParameter,       OutOfMemory, FileNotFound, AccessDenied,
    Aborted, UnknownImageFormat, UnsupportedImageFormat, Win32Error};
// Writes an image through the imaging platform's encoders.
inline constexpr VexiroStatus kImageSave[] = {OK,         GenericError, InvalidParameter,   OutOfMemory,
                                              Win32Error, AccessDenied, UnknownImageFormat, CanNotCreateFile};
// Writes an image through the format plug-in.
inline constexpr VexiroStatus kPluginSave[] = {OK,
                                               GenericError,
                                               InvalidParameter,
                                               OutOfMemory,
                                               Win32Error,
                                               CanNotCreateFile,
                                               UnsupportedPixelFormat,
                                               VximgplugDllRequired,
                                               WrongVximgplugVersion};
// Draws on the current image through a graphics object.
inline constexpr VexiroStatus kDraw[] = {OK, GenericError, InvalidParameter, OutOfMemory, ObjectBusy, WrongState};
// Draws text: the drawing statuses plus the font's.
inline constexpr VexiroStatus kDrawText[] = {OK,         GenericError,       InvalidParameter,  OutOfMemory,
                                             WrongState, FontFamilyNotFound, FontStyleNotFound, NotTrueTypeFont};
// Paints the image onto a device context or window.
inline constexpr VexiroStatus kDeviceContext[] = {OK, GenericError, InvalidParameter, OutOfMemory, Win32Error};
// Reads or writes a metadata property item.
inline constexpr VexiroStatus kPropertyItem[] = {OK,          GenericError,     InvalidParameter,
                                                 OutOfMemory, PropertyNotFound, PropertyNotSupported};

}  // namespace vx::control::help
