// The window system the program starts on, chosen from the session alone:
// the variables Qt is given, or why the program cannot start.
#include "app/qt/display_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/linux/session/display_connection.h"

namespace {

constexpr const char* kNoDisplay =
    "no display: cannot connect to an X server (DISPLAY is not set) nor to a Wayland "
    "compositor (WAYLAND_DISPLAY is not set); start the program in a desktop session";

// A session: QT_QPA_PLATFORM, which display servers answer, the output's
// scale and whether the compositor offers layer surfaces.
StartingSession Session(std::string requested, bool wayland, bool x11, double scale = 1,
                        bool layerShell = true) {
  StartingSession session;
  session.displays = {std::move(requested), wayland, x11, scale, layerShell};
  if (x11) session.display = ":0";
  if (wayland) session.waylandDisplay = "wayland-0";
  return session;
}

StartingSession WithDisplays(StartingSession session, std::string display, std::string wayland) {
  session.display = std::move(display);
  session.waylandDisplay = std::move(wayland);
  return session;
}

StartingSession FromCommandLine(StartingSession session) {
  session.commandLineChoosesDisplay = true;
  return session;
}

// The settings as NAME=VALUE, with "?" where a value the user set stands.
std::vector<std::string> Written(const std::vector<EnvironmentSetting>& settings) {
  std::vector<std::string> lines;
  for (const EnvironmentSetting& setting : settings) {
    lines.push_back(setting.name + (setting.userValueStands ? "?=" : "=") + setting.value);
  }
  return lines;
}

struct Case {
  const char* name;
  StartingSession session;
  std::vector<std::string> environment;
  std::string missing;
};

class DisplayPlatformChoice : public testing::TestWithParam<Case> {};

TEST_P(DisplayPlatformChoice, FollowsTheSession) {
  const DisplayPlatform chosen = ChooseDisplayPlatform(GetParam().session);
  EXPECT_EQ(Written(chosen.environment), GetParam().environment);
  EXPECT_EQ(chosen.missingDisplay, GetParam().missing);
}

const std::vector<std::string> kNothing;

INSTANTIATE_TEST_SUITE_P(
    Sessions, DisplayPlatformChoice,
    testing::Values(
        // An X11 session is left as Qt finds it.
        Case{"X11Session", Session("", false, true), kNothing, ""},
        // Wayland with XWayland: X11, at the output's density.
        Case{"WaylandWithXWayland",
             Session("", true, true),
             {"QT_QPA_PLATFORM=xcb", "QT_FONT_DPI?=96", "QT_WAYLAND_FORCE_DPI?=96"},
             ""},
        Case{"WaylandScale2WithoutXWayland",
             Session("", true, false, 2),
             {"QT_QPA_PLATFORM=wayland", "QT_FONT_DPI?=192", "QT_WAYLAND_FORCE_DPI?=192"},
             ""},
        Case{"FractionalScaleOnGnome",
             Session("", true, true, 1.5, false),
             {"QT_QPA_PLATFORM=xcb", "QT_FONT_DPI?=144", "QT_WAYLAND_FORCE_DPI?=144"},
             ""},
        // A desktop-wide request for Qt's Wayland platform is turned to
        // X11 where popups cannot be layer surfaces, and kept where they can.
        Case{"WaylandRequestedOnGnome",
             Session("wayland", true, true, 1, false),
             {"QT_QPA_PLATFORM=xcb", "QT_FONT_DPI?=96", "QT_WAYLAND_FORCE_DPI?=96"},
             ""},
        Case{"WaylandRequestedWithLayerShell",
             Session("wayland", true, true),
             {"QT_FONT_DPI?=96", "QT_WAYLAND_FORCE_DPI?=96"},
             ""},
        // The tests' offscreen platform needs no display at all.
        Case{"OffscreenWithoutDisplays", Session("offscreen", false, false), kNothing, ""},
        Case{"OffscreenAmongOthers", Session("xcb;offscreen", false, false), kNothing, ""},
        Case{"XcbWithOptions", Session("xcb:nograb", false, true), kNothing, ""},
        // Nothing answers: Qt would abort, so the program says why.
        Case{"NoDisplay", Session("", false, false), kNothing, kNoDisplay},
        Case{"NamedDisplaysThatDoNotAnswer",
             WithDisplays(Session("", false, false), ":7", "wayland-3"), kNothing,
             "no display: cannot connect to an X server (DISPLAY =:7) nor to a Wayland "
             "compositor (WAYLAND_DISPLAY =wayland-3); start the program in a desktop session"},
        // An explicit X11 request in a Wayland session without XWayland.
        Case{"XcbRequestedWithoutXWayland",
             WithDisplays(Session("xcb", true, false), "", "wayland-0"), kNothing,
             "no display: cannot connect to an X server (DISPLAY is not set) nor to a Wayland "
             "compositor (WAYLAND_DISPLAY =wayland-0); start the program in a desktop session"},
        // The command line's -platform or -display is Qt's to judge.
        Case{"CommandLineChoosesWithoutDisplays", FromCommandLine(Session("", false, false)),
             kNothing, ""}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

struct ArgumentsCase {
  const char* name;
  std::vector<std::string> arguments;  // after the program's own name
  bool chooses;
};

class CommandLine : public testing::TestWithParam<ArgumentsCase> {};

TEST_P(CommandLine, ChoosesTheDisplayOnlyWithQtsOptions) {
  std::vector<std::string> words{"corvane-notification"};
  words.insert(words.end(), GetParam().arguments.begin(), GetParam().arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  EXPECT_EQ(CommandLineChoosesDisplay(static_cast<int>(argv.size()), argv.data()),
            GetParam().chooses);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLine,
    testing::Values(ArgumentsCase{"None", {}, false},
                    ArgumentsCase{"Platform", {"-platform", "offscreen"}, true},
                    ArgumentsCase{"DoubleDashDisplay", {"--display", ":3"}, true},
                    ArgumentsCase{"AfterOthers", {"scenario.txt", "-display", ":3"}, true},
                    // Only the option itself, not a word that begins like it.
                    ArgumentsCase{"Lookalike", {"-platformx"}, false}),
    [](const testing::TestParamInfo<ArgumentsCase>& info) { return std::string(info.param.name); });

}  // namespace
