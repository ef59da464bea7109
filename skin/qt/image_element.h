// A picture holder for skinned windows: shows its picture at its top-left
// corner, unscaled, and with auto-size on takes the picture's size whenever
// a picture is set.
#pragma once

#include <QImage>
#include <QLabel>

class ImageElement : public QLabel {
 public:
  explicit ImageElement(QWidget* parent = nullptr);

  bool AutoSize() const { return m_AutoSize; }
  void SetAutoSize(bool on) { m_AutoSize = on; }

  const QImage& Picture() const { return m_Picture; }
  void SetPicture(const QImage& picture);

  // The element's own W x H pixels as they are shown: the picture at the
  // top-left corner over the element's background colour.
  QImage RenderPixels() const { return RenderPixels(m_Picture); }
  // The same with `picture` in place of the element's own.
  QImage RenderPixels(const QImage& picture) const;

 private:
  bool m_AutoSize = true;
  QImage m_Picture;
};
