// The user-interface stand-ins: message boxes, the open-file dialog and the clipboard.
#pragma once
#include <functional>
#include <string>

#include "platform/kernel/win_types.h"

namespace vx {

// Message boxes go to a sink a host can replace (default: standard error). Returns the button
// pressed (IDOK = 1 by default).
constexpr UINT MB_OK = 0;
constexpr int IDOK = 1;
using MessageBoxSink = std::function<int(const std::string& text, const std::string& caption, UINT type)>;
void SetMessageBoxSink(MessageBoxSink sink);  // an empty sink restores the default
int MessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type);

// The open-file dialog is answered by a provider a host can replace (default: cancelled, "").
using OpenFileDialogProvider = std::function<std::string(HWND owner, const std::string& title)>;
void SetOpenFileDialogProvider(OpenFileDialogProvider provider);
std::string GetOpenFileName(HWND owner, const std::string& title);

// A process-wide clipboard with the Windows clipboard formats. As on Windows, a thread must open it
// before reading or changing its data (those calls fail otherwise, with ERROR_CLIPBOARD_NOT_OPEN),
// and while one thread holds it open, OpenClipboard fails for the others. Data set on it is owned
// by it; when SetClipboardData fails the caller keeps the data. A null data handle is refused
// (there is no delayed rendering). IsClipboardFormatAvailable needs no open clipboard.
constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_METAFILEPICT = 3;
constexpr UINT CF_DIB = 8;
constexpr UINT CF_PALETTE = 9;
constexpr UINT CF_UNICODETEXT = 13;
constexpr UINT CF_ENHMETAFILE = 14;
constexpr UINT CF_DIBV5 = 17;

BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
HANDLE32 SetClipboardData(UINT format, HANDLE32 data);
HANDLE32 GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
// How the clipboard frees data of a format when it is emptied or replaced (global memory by default;
// the GDI layer registers its object deleter for bitmaps, palettes and metafiles). An empty deleter
// restores the default. Deleters run outside the clipboard's lock.
void SetClipboardFormatDeleter(UINT format, std::function<void(HANDLE32)> deleter);

}  // namespace vx
