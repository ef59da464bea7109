#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "skin/Language_subroutines.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// A data folder in a fresh temporary directory; `Folder()` ends with '/'.
class LocalizedFile : public TempDirTest {
 protected:
  std::string Folder() const { return m_Dir.string() + "/LTKeyHint/"; }

  void Touch(const std::string& relative) const {
    const fs::path path = Folder() + relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
  }
};

constexpr char kBackground[] = "LTKeyHint_Background.bmp";

TEST_F(LocalizedFile, PrefersPngThenBmpThenTheEnglishFolder) {
  struct Case {
    const char* name;
    std::vector<std::string> files;
    std::string expected;  // relative to the folder; empty for none
  };
  const Case cases[] = {
      {"English png only",
       {"English/LTKeyHint_Background.png"},
       "English/LTKeyHint_Background.png"},
      {"German bmp beats English png",
       {"German/LTKeyHint_Background.bmp", "English/LTKeyHint_Background.png"},
       "German/LTKeyHint_Background.bmp"},
      {"German png beats German bmp",
       {"German/LTKeyHint_Background.bmp", "German/LTKeyHint_Background.png"},
       "German/LTKeyHint_Background.png"},
      {"English png beats English bmp",
       {"English/LTKeyHint_Background.bmp", "English/LTKeyHint_Background.png"},
       "English/LTKeyHint_Background.png"},
      {"English bmp last",
       {"English/LTKeyHint_Background.bmp"},
       "English/LTKeyHint_Background.bmp"},
      {"nothing", {}, ""},
      {"other language ignored", {"French/LTKeyHint_Background.png"}, ""},
  };
  for (const Case& c : cases) {
    fs::remove_all(m_Dir);
    for (const std::string& file : c.files) Touch(file);
    const std::string expected = c.expected.empty() ? "" : Folder() + c.expected;
    EXPECT_EQ(FindLocalizedFile(Folder(), u"German", kBackground), expected) << c.name;
  }
}

TEST_F(LocalizedFile, UpperCaseExtensionIsLookedForAsWritten) {
  Touch("German/LTKeyHint_Background.png");
  Touch("English/LTKeyHint_Background.BMP");
  EXPECT_EQ(FindLocalizedFile(Folder(), u"German", "LTKeyHint_Background.BMP"),
            Folder() + "English/LTKeyHint_Background.BMP");
}

TEST_F(LocalizedFile, DirectoriesAndBrokenLinksAreNoFiles) {
  fs::create_directories(Folder() + "German/LTKeyHint_Background.png");
  fs::create_directories(Folder() + "English");
  std::error_code linkError;
  fs::create_symlink(Folder() + "missing.bmp", Folder() + "English/LTKeyHint_Background.png",
                     linkError);
  if (linkError) GTEST_SKIP() << "no symbolic links on this system: " << linkError.message();
  Touch("English/real.bmp");
  fs::create_symlink(Folder() + "English/real.bmp", Folder() + "English/LTKeyHint_Background.bmp");
  // A link to a file counts as the file.
  EXPECT_EQ(FindLocalizedFile(Folder(), u"German", kBackground),
            Folder() + "English/LTKeyHint_Background.bmp");
}

// The exact candidates tried, in order, seen through the file-exists test.
std::vector<std::string> CandidatesTried(const std::string& folder, std::u16string_view language,
                                         const std::string& fileName) {
  std::vector<std::string> tried;
  FindLocalizedFile(folder, language, fileName, [&](const std::string& path) {
    tried.push_back(path);
    return false;
  });
  return tried;
}

TEST(LocalizedFileCandidates, AreBuiltByPlainConcatenation) {
  struct Case {
    const char* name;
    std::string folder;
    std::u16string_view language;
    std::string fileName;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"bmp",
       "/d/",
       u"German",
       "b.bmp",
       {"/d/German/b.png", "/d/German/b.bmp", "/d/English/b.png", "/d/English/b.bmp"}},
      {"upper-case extension", "/d/", u"German", "b.BMP", {"/d/German/b.BMP", "/d/English/b.BMP"}},
      {"empty language doubles the separator",
       "/d/",
       u"",
       "UI.txt",
       {"/d//UI.txt", "/d/English/UI.txt"}},
      {"bmp inside a folder name is replaced too",
       "/d/skins.bmp/",
       u"German",
       "b.bmp",
       {"/d/skins.png/German/b.png", "/d/skins.bmp/German/b.bmp", "/d/skins.png/English/b.png",
        "/d/skins.bmp/English/b.bmp"}},
      {"bmp in a folder name alone does not count",
       "/d/skins.bmp/",
       u"German",
       "UI.txt",
       {"/d/skins.bmp/German/UI.txt", "/d/skins.bmp/English/UI.txt"}},
      {"no extension", "/d/x.bmp/", u"German", "b", {"/d/x.bmp/German/b", "/d/x.bmp/English/b"}},
      {"bmp twice in the name",
       "/d/",
       u"German",
       "a.bmp.bmp",
       {"/d/German/a.png.png", "/d/German/a.bmp.bmp", "/d/English/a.png.png",
        "/d/English/a.bmp.bmp"}},
      {"non-ASCII language as UTF-8",
       "/d/",
       u"Fran\u00E7ais",
       "b.txt",
       {"/d/Fran\xC3\xA7"
        "ais/b.txt",
        "/d/English/b.txt"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CandidatesTried(c.folder, c.language, c.fileName), c.expected) << c.name;
}

TEST(LocalizedFileCandidates, StopAtTheFirstThatExists) {
  std::vector<std::string> tried;
  const std::string found = FindLocalizedFile("/d/", u"German", "b.bmp", [&](const std::string& p) {
    tried.push_back(p);
    return p == "/d/German/b.bmp";
  });
  EXPECT_EQ(found, "/d/German/b.bmp");
  EXPECT_EQ(tried.size(), 2u);
}

}  // namespace
