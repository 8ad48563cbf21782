// SPDX-License-Identifier: GPL-3.0-or-later
// Windows: the shell's Active Desktop object where it answers; otherwise the
// style goes into the user's desktop settings, then the system loads the file
// and tells every window that the wallpaper changed. Several monitors: the
// shell's desktop wallpaper object (Windows 8 and later) takes a picture per
// monitor; without it one picture of the whole layout is spanned across them.
//
// The desktop wallpaper object is declared for Windows 8 and later only; it
// is asked for at run time, so the program still runs where it is missing.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0602
#undef NTDDI_VERSION
#define NTDDI_VERSION 0x06020000

#include "../backends.h"
#include "wide.h"

// wininet.h first: shlobj.h declares the Active Desktop types only after it.
#include <wininet.h>

#include <shlguid.h>
#include <shlobj.h>

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
                  SUCCEEDED(desktop->SetWallpaper(file.c_str(), 0)) && SUCCEEDED(desktop->ApplyChanges(AD_APPLY_ALL));
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
        LONG status = ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE,
                                        nullptr, &key, nullptr);
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
        if (!::SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, file.data(), SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)) {
            error = "Windows refused the wallpaper \"" + file_ + "\": " + SystemMessage(::GetLastError());
            return false;
        }
        return true;
    }
};

// Each monitor's picture through the desktop wallpaper object, its monitors
// matched to ours by their rectangles. False when the object is not there,
// does not know every monitor or refuses; the settings may have changed for
// some monitors then, which the fallback sets again.
bool ApplyPerMonitor(const std::vector<MonitorWallpaper>& wallpapers, std::string& error)
{
    for (const MonitorWallpaper& w : wallpapers)
        if (w.style != wallpapers.front().style)
            return false; // the object has one position for all monitors
    HRESULT init = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    bool uninitialise = SUCCEEDED(init);
    IDesktopWallpaper* desktop = nullptr;
    bool applied = false;
    if (SUCCEEDED(::CoCreateInstance(CLSID_DesktopWallpaper, nullptr, CLSCTX_ALL, IID_IDesktopWallpaper,
                                     reinterpret_cast<void**>(&desktop)))) {
        UINT count = 0;
        std::size_t matched = 0;
        applied = SUCCEEDED(desktop->GetMonitorDevicePathCount(&count)) &&
                  SUCCEEDED(desktop->SetPosition(wallpapers.front().style == Style::Tile ? DWPOS_TILE : DWPOS_CENTER));
        for (UINT i = 0; applied && i < count; ++i) {
            LPWSTR id = nullptr;
            RECT r{};
            if (FAILED(desktop->GetMonitorDevicePathAt(i, &id)) || !id)
                continue;
            if (SUCCEEDED(desktop->GetMonitorRECT(id, &r)))
                for (const MonitorWallpaper& w : wallpapers)
                    if (w.area == Rect{r.left, r.top, r.right - r.left, r.bottom - r.top}) {
                        std::wstring file = Widen(w.file);
                        applied = !file.empty() && SUCCEEDED(desktop->SetWallpaper(id, file.c_str()));
                        ++matched;
                        break;
                    }
            ::CoTaskMemFree(id);
        }
        applied = applied && matched == wallpapers.size();
        if (!applied)
            error = "The desktop wallpaper object does not take a picture for every monitor";
        desktop->Release();
    }
    if (uninitialise)
        ::CoUninitialize();
    return applied;
}

// What the shell needs on several monitors, around the single picture's way.
class WindowsMonitorsInstaller final : public WallpaperInstaller {
public:
    std::string_view Name() const override { return "windows"; }
    bool Apply(std::string& error) override
    {
        single_->SetStyle(style_);
        single_->SetFile(file_);
        single_->SetPicture(picture_);
        return single_->Apply(error);
    }

    bool ApplyMonitors(const MonitorLayout& layout, const std::vector<MonitorWallpaper>& wallpapers,
                       std::string& error) override
    {
        if (!FilesWritten(error))
            return false;
        if (layout.monitors.size() == 1 && wallpapers.size() == 1)
            return WallpaperInstaller::ApplyMonitors(layout, wallpapers, error); // Apply with the picture
        std::string ignored;
        if (ApplyPerMonitor(wallpapers, ignored))
            return true;
        return WallpaperInstaller::ApplyMonitors(layout, wallpapers, error);
    }

protected:
    // "WallpaperStyle" 22 with "TileWallpaper" 0 spans one picture across the
    // monitors, as Wine takes it too.
    bool ApplyLayoutPicture(const MonitorLayout&, const std::string& path, const PictureView&,
                            std::string& error) override
    {
        std::wstring file = Widen(path);
        if (file.empty()) {
            error = "The wallpaper file name is not valid UTF-8";
            return false;
        }
        HKEY key = nullptr;
        LONG status = ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE,
                                        nullptr, &key, nullptr);
        if (status != ERROR_SUCCESS) {
            error = "Could not open \"Control Panel\\Desktop\": " + SystemMessage(static_cast<DWORD>(status));
            return false;
        }
        bool written = WriteDesktopText(key, L"WallpaperStyle", L"22", error) &&
                       WriteDesktopText(key, L"TileWallpaper", L"0", error);
        ::RegCloseKey(key);
        if (!written)
            return false;
        if (!::SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, file.data(), SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)) {
            error = "Windows refused the wallpaper \"" + path + "\": " + SystemMessage(::GetLastError());
            return false;
        }
        return true;
    }

private:
    std::unique_ptr<WallpaperInstaller> single_ = std::make_unique<WindowsInstaller>();
};

} // namespace

std::unique_ptr<WallpaperInstaller> MakeWindowsInstaller() { return std::make_unique<WindowsMonitorsInstaller>(); }

} // namespace vistrel::wallpaper::detail
