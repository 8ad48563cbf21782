// SPDX-License-Identifier: GPL-3.0-or-later
// Reading on Windows with the Windows Imaging Component: the system's own
// decoders (JPEG, PNG, GIF, TIFF everywhere; WebP, HEIF, AVIF and JPEG XL
// where their codecs are installed). WIC decodes and, for a reduced read,
// scales (IWICBitmapScaler, which lets a JPEG decoder scale as it decodes);
// the canvas does the rest as on every platform: the pixel limit before any
// pixel memory, the orientation (read from the frame's metadata), and
// transparency over the background. Colour profiles are not converted here.
#include <wincodec.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../canvas.h"
#include "../read_photo_internal.h"
#include "exif_in_jpeg.h"
#include "vistrel/dib/utf8_path.h"
#include "vistrel/platform/input_file.h"

namespace vistrel::photoload {
namespace {

template <class T> class Com {
public:
    Com() = default;
    ~Com()
    {
        if (p_)
            p_->Release();
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T** operator&() { return &p_; }
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// COM for the length of one read, unless the thread has it already.
class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(hr_))
            CoUninitialize();
    }

private:
    HRESULT hr_;
};

std::string Why(const char* step, HRESULT hr)
{
    if (hr == WINCODEC_ERR_COMPONENTNOTFOUND || hr == WINCODEC_ERR_UNKNOWNIMAGEFORMAT)
        return "Windows has no decoder for this file's format";
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    char* text = nullptr;
    std::string words;
    if (FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<char*>(&text), 0, nullptr) &&
        text) {
        words = text;
        LocalFree(text);
        while (!words.empty() && (words.back() == '\n' || words.back() == '\r' || words.back() == ' '))
            words.pop_back();
    }
    return std::string("WIC: ") + step + ": " + (words.empty() ? "error" : words) + " (" + code + ")";
}

// The EXIF orientation from the frame's metadata, where the format keeps it.
int Orientation(IWICBitmapFrameDecode* frame)
{
    Com<IWICMetadataQueryReader> reader;
    if (FAILED(frame->GetMetadataQueryReader(&reader)) || !reader)
        return 1;
    for (const wchar_t* query : {L"/app1/ifd/{ushort=274}", L"/ifd/{ushort=274}", L"/xmp/tiff:Orientation"}) {
        PROPVARIANT value;
        PropVariantInit(&value);
        int orientation = 0;
        if (SUCCEEDED(reader->GetMetadataByName(query, &value))) {
            if (value.vt == VT_UI2)
                orientation = value.uiVal;
            else if (value.vt == VT_UI4)
                orientation = static_cast<int>(value.ulVal);
        }
        PropVariantClear(&value);
        if (orientation >= 1 && orientation <= 8)
            return orientation;
    }
    return 1;
}

bool Decode(const std::uint8_t* data, std::size_t size, Canvas& canvas)
{
    if (size > 0xFFFFFFFFu)
        return canvas.Fail("The file is too large to be a picture");
    ComScope com;
    Com<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(&factory));
    if (FAILED(hr))
        return canvas.Fail(Why("no imaging component", hr));
    Com<IWICStream> stream;
    if (FAILED(hr = factory->CreateStream(&stream)) ||
        FAILED(hr = stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))))
        return canvas.Fail(Why("the file cannot be opened", hr));
    Com<IWICBitmapDecoder> decoder;
    if (FAILED(hr = factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder)))
        return canvas.Fail(Why("the file cannot be decoded", hr));
    Com<IWICBitmapFrameDecode> frame; // the first frame of an animation
    if (FAILED(hr = decoder->GetFrame(0, &frame)))
        return canvas.Fail(Why("the file holds no picture", hr));
    UINT width = 0, height = 0;
    if (FAILED(hr = frame->GetSize(&width, &height)))
        return canvas.Fail(Why("the picture has no size", hr));
    int orientation = Orientation(frame.get());
    if (orientation == 1)
        orientation = JpegExifOrientation(data, size);
    if (!canvas.Announce(width, height, orientation))
        return false;

    IWICBitmapSource* source = frame.get();
    Com<IWICBitmapScaler> scaler;
    UINT outWidth = width, outHeight = height;
    if (canvas.MayShrink() && SUCCEEDED(factory->CreateBitmapScaler(&scaler)) &&
        SUCCEEDED(scaler->Initialize(frame.get(), canvas.LeastWidth(), canvas.LeastHeight(),
                                     WICBitmapInterpolationModeFant))) {
        source = scaler.get();
        outWidth = canvas.LeastWidth();
        outHeight = canvas.LeastHeight();
    }
    // Straight blue, green, red, alpha: every format converts to it.
    Com<IWICBitmapSource> converted;
    if (FAILED(hr = WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, source, &converted)))
        return canvas.Fail(Why("the picture's pixel format cannot be converted", hr));
    if (!canvas.Begin(outWidth, outHeight, Layout::kBGRA))
        return false;
    // Bands of rows: a call per row would make some decoders start over.
    const UINT stride = 4 * outWidth;
    const UINT band = std::max<UINT>(1, std::min<UINT>(outHeight, (4u << 20) / stride));
    std::vector<BYTE> rows;
    try {
        rows.resize(std::size_t{stride} * band);
    } catch (const std::bad_alloc&) {
        return canvas.Fail("No memory for the picture");
    }
    for (UINT top = 0; top < outHeight; top += band) {
        const UINT count = std::min(band, outHeight - top);
        const WICRect rect{0, static_cast<INT>(top), static_cast<INT>(outWidth), static_cast<INT>(count)};
        if (FAILED(hr = converted->CopyPixels(&rect, stride, stride * count, rows.data())))
            return canvas.RowsDone() > 0 || canvas.Fail(Why("the picture data is damaged", hr));
        for (UINT r = 0; r < count; ++r) {
            std::memcpy(canvas.Row(top + r), rows.data() + std::size_t{stride} * r, stride);
            canvas.Commit(top + r);
        }
    }
    return true;
}

} // namespace

gmem::Handle ReadPhotoFromMemory(const void* data, std::size_t size, const ReadRequest& request)
{
    Canvas canvas(request);
    canvas.SetFileBytes(size);
    gmem::Handle picture = Decode(static_cast<const std::uint8_t*>(data), size, canvas) ? canvas.Finish() : nullptr;
    if (!picture)
        SetPhotoError(canvas.Error().empty() ? "WIC: no picture came out" : canvas.Error());
    return picture;
}

gmem::Handle ReadPhoto(const char* path, const ReadRequest& request)
{
    if (!path) {
        SetPhotoError("No file name");
        return nullptr;
    }
    // Only a regular file: a pipe or a device would never end.
    platform::InputFile in;
    std::string why;
    if (!in.Open(path, why)) {
        SetPhotoError(std::string("The file cannot be read (") + why + "): " + path);
        return nullptr;
    }
    if (in.Size() > (std::uint64_t{1} << 30)) {
        SetPhotoError(std::string("The file is too large to be a picture: ") + path);
        return nullptr;
    }
    std::vector<char> bytes(static_cast<std::size_t>(in.Size()));
    if (in.ReadAt(0, bytes.data(), bytes.size()) != bytes.size()) {
        SetPhotoError(std::string("The file cannot be read: ") + path);
        return nullptr;
    }
    return ReadPhotoFromMemory(bytes.data(), bytes.size(), request);
}

const char* PhotoExtensions()
{
    return ".jpg\\.jpeg\\.jpe\\.jfif\\.png\\.gif\\.tif\\.tiff\\.webp\\.heic\\.heif\\.avif\\.jxl";
}

} // namespace vistrel::photoload
