// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: the shell's Active Desktop object where it answers; otherwise the
// style goes into the user's desktop settings, then the system loads the file
// and tells every window that the wallpaper changed.
#include "../backends.h"
#include "wide.h"

// wininet.h first: shlobj.h declares the Active Desktop types only after it.
#include <wininet.h>

#include <shlobj.h>
#include <shlguid.h>

namespace vistrel::wallpaper::detail {

namespace {

bool WriteDesktopText(HKEY key, const wchar_t* name, const wchar_t* value, std::string& error)
{
    auto bytes = static_cast<DWORD>((std::wcslen(value) + 1) * sizeof(wchar_t));
    LONG status = ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), bytes);
    if (status != ERROR_SUCCESS) {
        error = "Could not write the wallpaper style: " + SystemMessage(static_cast<DWORD>(status));
        return false;
    }
    return true;
}

// Set style, set file, apply: through the Active Desktop object. False when
// the object is not offered or refuses; nothing is changed then that the
// fallback would not change again.
bool ApplyThroughActiveDesktop(const std::wstring& file, Style style)
{
    HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // A thread already in another apartment can still create the object, but
    // must not be uninitialised by us.
    bool uninitialise = SUCCEEDED(init);
    IActiveDesktop* desktop = nullptr;
    bool applied = false;
    if (SUCCEEDED(::CoCreateInstance(CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveDesktop,
                                     reinterpret_cast<void**>(&desktop)))) {
        WALLPAPEROPT options{sizeof(WALLPAPEROPT),
                             static_cast<DWORD>(style == Style::Tile ? WPSTYLE_TILE : WPSTYLE_CENTER)};
        applied = SUCCEEDED(desktop->SetWallpaperOptions(&options, 0)) &&
                  SUCCEEDED(desktop->SetWallpaper(file.c_str(), 0)) &&
                  SUCCEEDED(desktop->ApplyChanges(AD_APPLY_ALL));
        desktop->Release();
    }
    if (uninitialise)
        ::CoUninitialize();
    return applied;
}

class WindowsInstaller final : public WallpaperInstaller {
public:
    std::string_view Name() const override { return "windows"; }

    bool Apply(std::string& error) override
    {
        if (!FileReady(error))
            return false;
        std::wstring file = Widen(file_);
        if (file.empty()) {
            error = "The wallpaper file name is not valid UTF-8";
            return false;
        }
        if (ApplyThroughActiveDesktop(file, style_))
            return true;
        HKEY key = nullptr;
        LONG status = ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                                        KEY_SET_VALUE, nullptr, &key, nullptr);
        if (status != ERROR_SUCCESS) {
            error = "Could not open \"Control Panel\\Desktop\": " + SystemMessage(static_cast<DWORD>(status));
            return false;
        }
        // "WallpaperStyle" 0 with "TileWallpaper" 1 tiles, with 0 centres.
        bool written = WriteDesktopText(key, L"WallpaperStyle", L"0", error) &&
                       WriteDesktopText(key, L"TileWallpaper", style_ == Style::Tile ? L"1" : L"0", error);
        ::RegCloseKey(key);
        if (!written)
            return false;
        if (!::SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, file.data(),
                                     SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)) {
            error = "Windows refused the wallpaper \"" + file_ + "\": " + SystemMessage(::GetLastError());
            return false;
        }
        return true;
    }
};

} // namespace

std::unique_ptr<WallpaperInstaller> MakeWindowsInstaller()
{
    return std::make_unique<WindowsInstaller>();
}

} // namespace vistrel::wallpaper::detail
