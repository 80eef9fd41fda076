#include "backends/win32/WicImage.h"

#include <wincodec.h>

#include <algorithm>
#include <vector>

#include "shared/Win32Handles.h"

namespace zorv {

namespace {

TComPtr<IWICImagingFactory> CreateFactory() {
    TComPtr<IWICImagingFactory> factory;
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                     reinterpret_cast<void**>(factory.Put()));
    return factory;
}

// Pixels of the image scaled to width x height, premultiplied BGRA, top row first.
bool DecodeScaled(IWICImagingFactory* factory, std::string_view bytes, std::vector<BYTE>& pixels, UINT& width,
                  UINT& height, int size) {
    TComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.Put())) ||
        FAILED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                                            static_cast<DWORD>(bytes.size()))))
        return false;
    TComPtr<IWICBitmapDecoder> decoder;
    TComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(
            factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Put())) ||
        FAILED(decoder->GetFrame(0, frame.Put())))
        return false;
    TComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.Put())) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return false;
    UINT sourceWidth = 0, sourceHeight = 0;
    if (FAILED(converter->GetSize(&sourceWidth, &sourceHeight)) || sourceWidth == 0 || sourceHeight == 0) return false;
    const double scale = std::min(static_cast<double>(size) / sourceWidth, static_cast<double>(size) / sourceHeight);
    width = std::max(1u, static_cast<UINT>(sourceWidth * scale + 0.5));
    height = std::max(1u, static_cast<UINT>(sourceHeight * scale + 0.5));
    TComPtr<IWICBitmapScaler> scaler;
    if (FAILED(factory->CreateBitmapScaler(scaler.Put())) ||
        FAILED(scaler->Initialize(converter.Get(), width, height, WICBitmapInterpolationModeFant)))
        return false;
    pixels.assign(static_cast<size_t>(width) * height * 4, 0);
    return SUCCEEDED(scaler->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.size()), pixels.data()));
}

void MakeGreyAndFaint(BYTE* pixel) {
    const BYTE grey = static_cast<BYTE>((pixel[0] * 11 + pixel[1] * 59 + pixel[2] * 30) / 100);
    // Premultiplied: halving the alpha halves the colour too.
    pixel[0] = pixel[1] = pixel[2] = static_cast<BYTE>(grey / 2);
    pixel[3] = static_cast<BYTE>(pixel[3] / 2);
}

}  // namespace

HBITMAP TWicImage::DecodeToBitmap(std::string_view bytes, int size, bool disabled) {
    if (bytes.empty() || size <= 0) return nullptr;
    // Menus are built on the user-interface thread, where COM normally runs already; a thread
    // without it gets it for the duration of the call.
    TComApartment apartment;
    TComPtr<IWICImagingFactory> factory = CreateFactory();
    if (!factory) return nullptr;
    std::vector<BYTE> pixels;
    UINT width = 0, height = 0;
    if (!DecodeScaled(factory.Get(), bytes, pixels, width, height, size)) return nullptr;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) return nullptr;
    auto* target = static_cast<BYTE*>(bits);
    std::fill(target, target + static_cast<size_t>(size) * size * 4, BYTE{0});
    const UINT left = (static_cast<UINT>(size) - width) / 2, top = (static_cast<UINT>(size) - height) / 2;
    for (UINT row = 0; row < height; ++row) {
        BYTE* line = target + ((top + row) * static_cast<size_t>(size) + left) * 4;
        std::copy_n(pixels.data() + static_cast<size_t>(row) * width * 4, width * 4, line);
        if (disabled)
            for (UINT column = 0; column < width; ++column) MakeGreyAndFaint(line + column * 4);
    }
    GdiFlush();
    return bitmap;
}

}  // namespace zorv
