// A picture in shared memory for the compositor: premultiplied ARGB, four
// bytes a pixel, as wl_shm's ARGB8888 reads them on this machine's byte
// order (the same layout as QImage::Format_ARGB32_Premultiplied).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct wl_buffer;
struct wl_shm;

class ShmBuffer {
 public:
  // Null when the memory cannot be had or the size is not positive.
  static std::unique_ptr<ShmBuffer> Create(wl_shm* shm, int32_t width, int32_t height);
  ~ShmBuffer();
  ShmBuffer(const ShmBuffer&) = delete;
  ShmBuffer& operator=(const ShmBuffer&) = delete;

  // Copies a picture `stride` bytes a row into the buffer, `padLeft`
  // columns and `padTop` rows in from its top-left corner; what it leaves
  // uncovered is transparent.
  void Fill(const uint8_t* pixels, int32_t stride, int32_t padLeft = 0, int32_t padTop = 0);

  wl_buffer* Buffer() const { return m_Buffer; }
  // True once the compositor has let go of the buffer after a commit, and
  // before any commit.
  bool Released() const { return m_Released; }
  void MarkInUse() { m_Released = false; }
  int32_t Width() const { return m_Width; }
  int32_t Height() const { return m_Height; }

 private:
  ShmBuffer() = default;
  wl_buffer* m_Buffer = nullptr;
  void* m_Memory = nullptr;
  size_t m_Size = 0;
  int32_t m_Width = 0;
  int32_t m_Height = 0;
  bool m_Released = true;
};
