// The display-settings dialog: per monitor, whether the saver shows there,
// whether hardware 3D rendering may be used and which full-screen mode is
// used. The dialog itself is CD3DScreensaver::DisplaySettingsDialog; these
// are its procedure and the rules it shows by.
#pragma once

#include <windows.h>
#include <d3d9.h>

#include <string>

struct AdapterRecord;

// Dialog procedure of templates 200 and 201: forwards to the one framework
// object.
INT_PTR CALLBACK DisplaySettingsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// String id of the rendering line: hardware, software or none (also for a
// monitor without an adapter, null).
UINT RenderingTextId(const AdapterRecord* adapter);
// String id of the Help box's text, from the adapter's device flags; a monitor
// without an adapter (null) gets the text of an adapter without any renderer.
UINT HelpTextId(const AdapterRecord* adapter);
// True when the saver can show on the adapter's monitor: a compatible
// hardware device that is not disabled, or a compatible software device.
bool CanRunSaver(const AdapterRecord& adapter);
// One mode-list entry from the template "%d by %d, %d bit color": 32 bits for
// the 24- and 32-bit RGB formats, 16 for any other.
std::wstring FormatModeEntry(const wchar_t* pattern, UINT width, UINT height, D3DFORMAT format);
