// PNG encoding through WIC, the imaging component every Windows has. ole32 is loaded at the first
// call and not with the exe, so that no start-up pays for it; CoCreateInstance brings in
// windowscodecs.dll itself.
#include "ui/png_encoder.h"

#include <windows.h>

#include <objbase.h>
#include <wincodec.h>

#include "common/system_function_win32.h"

namespace qrvl {

namespace {

// A function that cannot be found answers as a failed call.
template <typename Function>
Function* ole32(const char* name) {
    return systemFunction<Function>(L"ole32.dll", name);
}

// Holds one reference to a COM object and releases it.
template <typename Interface>
class ComRef {
  public:
    ComRef() = default;
    ~ComRef() {
        if (object_)
            object_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    Interface** out() { return &object_; }
    void** outVoid() { return reinterpret_cast<void**>(&object_); }
    Interface* get() const { return object_; }
    Interface* operator->() const { return object_; }

  private:
    Interface* object_ = nullptr;
};

// The calling thread in a COM apartment for as long as this lives. A thread that is already in a
// single-threaded one (a window's thread) stays there: WIC works in either.
class Apartment {
  public:
    Apartment() {
        const auto initialize = ole32<decltype(::CoInitializeEx)>("CoInitializeEx");
        const HRESULT result = initialize ? initialize(nullptr, COINIT_MULTITHREADED) : E_FAIL;
        joined_ = SUCCEEDED(result);
        usable_ = joined_ || result == RPC_E_CHANGED_MODE;
    }
    ~Apartment() {
        static const auto uninitialize = ole32<decltype(::CoUninitialize)>("CoUninitialize");
        if (joined_ && uninitialize)
            uninitialize();
    }
    Apartment(const Apartment&) = delete;
    Apartment& operator=(const Apartment&) = delete;

    bool usable() const { return usable_; }

  private:
    bool joined_ = false;
    bool usable_ = false;
};

// The stream's whole content.
std::optional<std::vector<std::uint8_t>> streamBytes(IStream* stream) {
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart > 0xFFFFFFFFu)
        return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER start{};
    ULONG read = 0;
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr)) ||
        FAILED(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read)) ||
        read != bytes.size())
        return std::nullopt;
    return bytes;
}

// Every COM object is released here, before the apartment is left.
std::optional<std::vector<std::uint8_t>> encodeInApartment(const RgbImage& image) {
    static const auto create = ole32<decltype(::CoCreateInstance)>("CoCreateInstance");
    static const auto createStream =
        ole32<decltype(::CreateStreamOnHGlobal)>("CreateStreamOnHGlobal");
    ComRef<IWICImagingFactory> factory;
    ComRef<IStream> stream;
    ComRef<IWICBitmapEncoder> encoder;
    ComRef<IWICBitmapFrameEncode> frame;
    ComRef<IPropertyBag2> options;
    if (!create || !createStream ||
        FAILED(create(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                      IID_IWICImagingFactory, factory.outVoid())) ||
        FAILED(createStream(nullptr, TRUE, stream.out())) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.out())) ||
        FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.out(), options.out())) ||
        FAILED(frame->Initialize(options.get())) ||
        FAILED(frame->SetSize(static_cast<UINT>(image.width), static_cast<UINT>(image.height))))
        return std::nullopt;
    // The encoder may answer with a format of its choosing; only the one asked for is written.
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (FAILED(frame->SetPixelFormat(&format)) || !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR))
        return std::nullopt;
    // WIC's PNG encoder takes its 24-bit pixels as blue, green, red.
    std::vector<BYTE> bgr(image.rgb.size());
    for (std::size_t at = 0; at < bgr.size(); at += 3) {
        bgr[at] = image.rgb[at + 2];
        bgr[at + 1] = image.rgb[at + 1];
        bgr[at + 2] = image.rgb[at];
    }
    const UINT stride = static_cast<UINT>(image.width) * 3;
    if (FAILED(frame->WritePixels(static_cast<UINT>(image.height), stride,
                                  static_cast<UINT>(bgr.size()), bgr.data())) ||
        FAILED(frame->Commit()) || FAILED(encoder->Commit()))
        return std::nullopt;
    return streamBytes(stream.get());
}

}  // namespace

std::optional<std::vector<std::uint8_t>> encodePng(const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() !=
            static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3)
        return std::nullopt;
    const Apartment apartment;
    if (!apartment.usable())
        return std::nullopt;
    return encodeInApartment(image);
}

}  // namespace qrvl
