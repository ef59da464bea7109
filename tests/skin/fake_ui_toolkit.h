// A toolkit that records every change the property engine makes, in order.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "skin/ui_toolkit.h"

class RecordingElement : public UiElement {
 public:
  RecordingElement(std::u16string kind, std::u16string name)
      : m_Kind(std::move(kind)), m_Name(std::move(name)) {}

  std::u16string KindName() const override { return m_Kind; }
  std::u16string ElementName() const override { return m_Name; }

  void SetLeft(int32_t v) override { Log("left=" + std::to_string(v)); }
  void SetTop(int32_t v) override { Log("top=" + std::to_string(v)); }
  void SetWidth(int32_t v) override { Log("width=" + std::to_string(v)); }
  void SetHeight(int32_t v) override { Log("height=" + std::to_string(v)); }
  void SetColor(UiColor c) override { Log("color=" + std::to_string(c)); }
  void SetFontName(const std::u16string& n) override { Log("font=" + Narrow(n)); }
  void SetFontSize(int32_t v) override { Log("size=" + std::to_string(v)); }
  void SetFontColor(UiColor c) override { Log("fontcolor=" + std::to_string(c)); }
  void SetFontStyle(UiFontStyle s) override { Log("style=" + StyleText(s)); }
  void SetCaptionFontName(const std::u16string& n) override { Log("caption.font=" + Narrow(n)); }
  void SetCaptionFontColor(UiColor c) override { Log("caption.fontcolor=" + std::to_string(c)); }
  void SetCaptionFontStyle(UiFontStyle s) override { Log("caption.style=" + StyleText(s)); }
  void SetEditColor(UiColor c) override { Log("editcolor=" + std::to_string(c)); }

  std::vector<std::string> log;

 private:
  void Log(std::string entry) { log.push_back(std::move(entry)); }
  static std::string Narrow(const std::u16string& text) {
    return std::string(text.begin(), text.end());
  }
  static std::string StyleText(UiFontStyle s) {
    std::string text;
    if (s.bold) text += "B";
    if (s.italic) text += "I";
    if (s.underline) text += "U";
    if (s.strikeOut) text += "S";
    return text;
  }

  std::u16string m_Kind;
  std::u16string m_Name;
};

class RecordingWindow : public UiWindow {
 public:
  explicit RecordingWindow(std::u16string name, WindowHandle handle = 0x4242)
      : m_Name(std::move(name)), m_Handle(handle) {}

  RecordingElement& Add(std::u16string kind, std::u16string name) {
    m_Elements.push_back(std::make_unique<RecordingElement>(std::move(kind), std::move(name)));
    return *m_Elements.back();
  }

  std::u16string Name() const override { return m_Name; }
  WindowHandle NativeHandle() override { return m_Handle; }
  int32_t ElementCount() const override { return static_cast<int32_t>(m_Elements.size()); }
  UiElement* ElementAt(int32_t index) override {
    return m_Elements.at(static_cast<size_t>(index)).get();
  }

 private:
  std::u16string m_Name;
  WindowHandle m_Handle;
  std::vector<std::unique_ptr<RecordingElement>> m_Elements;
};
