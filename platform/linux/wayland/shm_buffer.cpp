#include "platform/linux/wayland/shm_buffer.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cstring>
#include <limits>

namespace {

void OnRelease(void* data, wl_buffer*) { *static_cast<bool*>(data) = true; }
const wl_buffer_listener kBufferListener = {OnRelease};

}  // namespace

std::unique_ptr<ShmBuffer> ShmBuffer::Create(wl_shm* shm, int32_t width, int32_t height) {
  if (shm == nullptr || width <= 0 || height <= 0) return nullptr;
  if (width > std::numeric_limits<int32_t>::max() / 4 / height) return nullptr;
  const int32_t stride = width * 4;
  const size_t size = static_cast<size_t>(stride) * static_cast<size_t>(height);
  const int fd = memfd_create("corvane-popup", MFD_CLOEXEC);
  if (fd < 0) return nullptr;
  std::unique_ptr<ShmBuffer> buffer(new ShmBuffer());
  if (ftruncate(fd, static_cast<off_t>(size)) != 0) {
    close(fd);
    return nullptr;
  }
  void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (memory == MAP_FAILED) {
    close(fd);
    return nullptr;
  }
  wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<int32_t>(size));
  buffer->m_Buffer =
      wl_shm_pool_create_buffer(pool, 0, width, height, stride, WL_SHM_FORMAT_ARGB8888);
  wl_buffer_add_listener(buffer->m_Buffer, &kBufferListener, &buffer->m_Released);
  wl_shm_pool_destroy(pool);  // the buffer keeps the memory it needs
  close(fd);
  buffer->m_Memory = memory;
  buffer->m_Size = size;
  buffer->m_Width = width;
  buffer->m_Height = height;
  return buffer;
}

ShmBuffer::~ShmBuffer() {
  if (m_Buffer != nullptr) wl_buffer_destroy(m_Buffer);
  if (m_Memory != nullptr) munmap(m_Memory, m_Size);
}

void ShmBuffer::Fill(const uint8_t* pixels, int32_t stride, int32_t padLeft, int32_t padTop) {
  auto* target = static_cast<uint8_t*>(m_Memory);
  const size_t rowBytes = static_cast<size_t>(m_Width) * 4;
  const size_t padBytes = static_cast<size_t>(padLeft) * 4;
  if (padLeft > 0 || padTop > 0) std::memset(target, 0, m_Size);
  for (int32_t row = padTop; row < m_Height; ++row) {
    std::memcpy(target + rowBytes * static_cast<size_t>(row) + padBytes,
                pixels + static_cast<ptrdiff_t>(stride) * (row - padTop), rowBytes - padBytes);
  }
}
