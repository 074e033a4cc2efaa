#include "win/pictures.h"

#include <wincodec.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace kelvwin {

namespace {

// A COM pointer released when it goes.
template <typename T>
struct Com {
    T* p = nullptr;
    ~Com()
    {
        if (p != nullptr) {
            p->Release();
        }
    }
    T** out() { return &p; }
    T* operator->() const { return p; }
};

struct Bytes {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

Bytes resourceBytes(HINSTANCE instance, const std::wstring& name)
{
    HRSRC found = ::FindResourceW(instance, name.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
    HGLOBAL loaded = found != nullptr ? ::LoadResource(instance, found) : nullptr;
    if (loaded == nullptr) {
        return {};
    }
    return {static_cast<const BYTE*>(::LockResource(loaded)), ::SizeofResource(instance, found)};
}

// A PNG's size, from its header, without decoding it.
bool pngSize(const Bytes& png, SIZE& size)
{
    static const BYTE signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.data == nullptr || png.size < 24 || std::memcmp(png.data, signature, 8) != 0) {
        return false;
    }
    const auto word = [&](int at) {
        return static_cast<LONG>((std::uint32_t{png.data[at]} << 24) | (std::uint32_t{png.data[at + 1]} << 16) |
                                 (std::uint32_t{png.data[at + 2]} << 8) | std::uint32_t{png.data[at + 3]});
    };
    size = {word(16), word(20)};
    return size.cx > 0 && size.cy > 0;
}

// The PNG decoded and brought to the size, premultiplied as AlphaBlend
// wants it, or null.
HBITMAP decode(const Bytes& png, SIZE size)
{
    Com<IWICImagingFactory> factory;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  reinterpret_cast<void**>(factory.out())))) {
        return nullptr;
    }
    Com<IWICStream> stream;
    Com<IWICBitmapDecoder> decoder;
    Com<IWICBitmapFrameDecode> frame;
    Com<IWICFormatConverter> converter;
    Com<IWICBitmapScaler> scaler;
    if (FAILED(factory->CreateStream(stream.out())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(png.data), png.size)) ||
        FAILED(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand, decoder.out())) ||
        FAILED(decoder->GetFrame(0, frame.out())) || FAILED(factory->CreateFormatConverter(converter.out())) ||
        FAILED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(factory->CreateBitmapScaler(scaler.out())) ||
        FAILED(scaler->Initialize(converter.p, static_cast<UINT>(size.cx), static_cast<UINT>(size.cy),
                                  WICBitmapInterpolationModeFant))) {
        return nullptr;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;  // top-down, as WIC gives the rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr) {
        return nullptr;
    }
    const UINT stride = static_cast<UINT>(size.cx) * 4;
    if (FAILED(scaler->CopyPixels(nullptr, stride, stride * static_cast<UINT>(size.cy), static_cast<BYTE*>(bits)))) {
        ::DeleteObject(bitmap);
        return nullptr;
    }
    return bitmap;
}

}  // namespace

int pictureSourceFor(const std::vector<SIZE>& stored, SIZE want)
{
    int best = -1;
    int largest = -1;
    for (int i = 0; i < static_cast<int>(stored.size()); ++i) {
        const SIZE& s = stored[static_cast<std::size_t>(i)];
        const auto area = [](const SIZE& z) { return static_cast<long long>(z.cx) * z.cy; };
        if (s.cx >= want.cx && s.cy >= want.cy &&
            (best < 0 || area(s) < area(stored[static_cast<std::size_t>(best)]))) {
            best = i;
        }
        if (largest < 0 || area(s) > area(stored[static_cast<std::size_t>(largest)])) {
            largest = i;
        }
    }
    return best >= 0 ? best : largest;
}

Pictures::~Pictures()
{
    for (auto& [key, bitmap] : bitmaps_) {
        if (bitmap != nullptr) {
            ::DeleteObject(bitmap);
        }
    }
}

const Pictures::Stored& Pictures::stored(const std::string& name)
{
    auto it = stored_.find(name);
    if (it != stored_.end()) {
        return it->second;
    }
    Stored s;
    for (int scale : pictureScales) {
        std::wstring resource(name.begin(), name.end());
        resource += L"_" + std::to_wstring(scale);
        SIZE size{};
        if (pngSize(resourceBytes(instance_, resource), size)) {
            s.sizes.push_back(size);
            s.scales.push_back(scale);
            s.resources.push_back(resource);
        }
    }
    return stored_.emplace(name, std::move(s)).first->second;
}

HBITMAP Pictures::bitmap(const std::string& name, SIZE size)
{
    const auto key = std::make_tuple(name, size.cx, size.cy);
    auto it = bitmaps_.find(key);
    if (it == bitmaps_.end()) {
        const Stored& s = stored(name);
        const int source = pictureSourceFor(s.sizes, size);
        HBITMAP made = source < 0
                           ? nullptr
                           : decode(resourceBytes(instance_, s.resources[static_cast<std::size_t>(source)]), size);
        it = bitmaps_.emplace(key, made).first;
    }
    return it->second;
}

bool Pictures::draw(HDC dc, const std::string& name, const RECT& r, bool stretched, int dpi)
{
    const Stored& s = stored(name);
    if (s.sizes.empty()) {
        return false;
    }
    SIZE size{r.right - r.left, r.bottom - r.top};
    if (!stretched) {
        // The drawing's own size is in pixels at 96 per inch.
        const SIZE& first = s.sizes.front();
        const int scale = s.scales.front();
        size = {::MulDiv(first.cx, dpi * 100, 96 * scale), ::MulDiv(first.cy, dpi * 100, 96 * scale)};
    }
    if (size.cx <= 0 || size.cy <= 0) {
        return true;
    }
    HBITMAP picture = bitmap(name, size);
    if (picture == nullptr) {
        return false;
    }
    HDC memory = ::CreateCompatibleDC(dc);
    HGDIOBJ old = ::SelectObject(memory, picture);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::AlphaBlend(dc, r.left, r.top, size.cx, size.cy, memory, 0, 0, size.cx, size.cy, blend);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    return true;
}

}  // namespace kelvwin
