#include "skin/win32/picture_file.h"

#include <wincodec.h>
#include <windows.h>

#include <limits>

#include "platform/win32/wide_text.h"

namespace {

// Releases a COM interface at the end of its scope.
template <typename T>
class ComRef {
 public:
  ~ComRef() {
    if (m_Pointer != nullptr) m_Pointer->Release();
  }
  T** Out() { return &m_Pointer; }
  T* operator->() const { return m_Pointer; }
  T* get() const { return m_Pointer; }

 private:
  T* m_Pointer = nullptr;
};

}  // namespace

std::optional<Picture> DecodePictureFile(const std::string& path) {
  ComRef<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out())))) {
    return std::nullopt;
  }
  ComRef<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromFilename(WideFromUtf8(path).c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, decoder.Out()))) {
    return std::nullopt;
  }
  ComRef<IWICBitmapFrameDecode> frame;
  if (FAILED(decoder->GetFrame(0, frame.Out()))) return std::nullopt;
  ComRef<IWICBitmapSource> converted;
  if (FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.get(), converted.Out()))) {
    return std::nullopt;
  }
  UINT width = 0;
  UINT height = 0;
  if (FAILED(converted->GetSize(&width, &height)) || width == 0 || height == 0) {
    return std::nullopt;
  }
  // A stride or buffer beyond UINT would overflow WIC's arguments.
  const unsigned long long bytes = 4ull * width * height;
  if (bytes > std::numeric_limits<UINT>::max()) return std::nullopt;
  Picture picture;
  picture.width = static_cast<int32_t>(width);
  picture.height = static_cast<int32_t>(height);
  picture.pixels.resize(static_cast<size_t>(width) * height);
  if (FAILED(converted->CopyPixels(nullptr, 4 * width, static_cast<UINT>(bytes),
                                   reinterpret_cast<BYTE*>(picture.pixels.data())))) {
    return std::nullopt;
  }
  return picture;
}
