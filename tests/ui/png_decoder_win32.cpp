// PNG decoding through WIC, converted to 24-bit pixels whatever the file holds.
#include <windows.h>

#include <objbase.h>
#include <wincodec.h>

#include <utility>

#include "tests/ui/png_decoder.h"

namespace qrvl::test {

namespace {

template <typename Interface>
struct Held {
    Interface* object = nullptr;
    ~Held() {
        if (object)
            object->Release();
    }
    Interface* operator->() const { return object; }
};

std::optional<RgbImage> decodeInApartment(std::span<const std::uint8_t> bytes) {
    Held<IWICImagingFactory> factory;
    Held<IWICStream> stream;
    Held<IWICBitmapDecoder> decoder;
    Held<IWICBitmapFrameDecode> frame;
    Held<IWICFormatConverter> converter;
    UINT width = 0;
    UINT height = 0;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&factory.object))) ||
        FAILED(factory->CreateStream(&stream.object)) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()),
                                            static_cast<DWORD>(bytes.size()))) ||
        FAILED(factory->CreateDecoderFromStream(stream.object, nullptr,
                                                WICDecodeMetadataCacheOnDemand, &decoder.object)) ||
        FAILED(decoder->GetFrame(0, &frame.object)) ||
        FAILED(factory->CreateFormatConverter(&converter.object)) ||
        FAILED(converter->Initialize(frame.object, GUID_WICPixelFormat24bppBGR,
                                     WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)) ||
        FAILED(converter->GetSize(&width, &height)))
        return std::nullopt;
    RgbImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    if (FAILED(converter->CopyPixels(nullptr, width * 3, static_cast<UINT>(image.rgb.size()),
                                     image.rgb.data())))
        return std::nullopt;
    for (std::size_t at = 0; at < image.rgb.size(); at += 3)
        std::swap(image.rgb[at], image.rgb[at + 2]);
    return image;
}

}  // namespace

std::optional<RgbImage> decodePng(std::span<const std::uint8_t> bytes) {
    const HRESULT joined = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    std::optional<RgbImage> image = decodeInApartment(bytes);
    if (SUCCEEDED(joined))
        CoUninitialize();
    return image;
}

}  // namespace qrvl::test
