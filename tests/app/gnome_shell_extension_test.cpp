// The shipped GNOME Shell extension and the program agree on its names, and
// its metadata is one that the shells it names will load.
#include "platform/linux/session/gnome_shell_extension.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

namespace ext = gnome_shell_extension;

namespace {

const QString kFolder = QStringLiteral(CORVANE_SOURCE_DIR "/platform/linux/gnome-shell-extension/");

QByteArray Read(const QString& name) {
  QFile file(kFolder + name);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(GnomeShellExtension, MetadataNamesTheProgramsUuidAndTheShellsItKeepsTo) {
  QJsonParseError error{};
  const QJsonDocument metadata = QJsonDocument::fromJson(Read("metadata.json"), &error);
  ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  const QJsonObject root = metadata.object();
  EXPECT_EQ(root.value("uuid").toString().toStdString(), ext::kUuid);
  EXPECT_FALSE(root.value("name").toString().isEmpty());
  EXPECT_FALSE(root.value("description").toString().isEmpty());
  // The extension is written in the form of GNOME Shell 43 and 44; from 45
  // on the shell loads only ES modules, so no later version may be named.
  const QJsonArray versions = root.value("shell-version").toArray();
  ASSERT_FALSE(versions.isEmpty());
  EXPECT_TRUE(versions.contains(QStringLiteral("43")));
  for (const auto& version : versions) {
    EXPECT_TRUE(version == QStringLiteral("43") || version == QStringLiteral("44"))
        << version.toString().toStdString();
  }
}

TEST(GnomeShellExtension, ScriptOffersWhatTheProgramReads) {
  const QByteArray script = Read("extension.js");
  ASSERT_FALSE(script.isEmpty());
  for (const QByteArray& expected :
       {QByteArray("'") + ext::kBusName + "'", QByteArray("'") + ext::kObjectPath + "'",
        QByteArray("<interface name=\"") + ext::kInterface + "\">",
        QByteArray("<property name=\"") + ext::kFullScreenProperty + "\" type=\"b\"",
        QByteArray("get ") + ext::kFullScreenProperty + "()",
        QByteArray("'") + ext::kFullScreenProperty + "', GLib.Variant.new_boolean("}) {
    EXPECT_TRUE(script.contains(expected)) << expected.toStdString();
  }
}

TEST(GnomeShellExtension, OnlyGnomeOnWaylandNeedsIt) {
  struct Case {
    const char* desktop;
    const char* wayland;
    bool expected;
  };
  for (const Case& c :
       {Case{"GNOME", "wayland-0", true}, Case{"ubuntu:GNOME", "wayland-0", true},
        Case{"GNOME-Classic:GNOME", "wayland-0", true}, Case{"GNOME", "", false},
        Case{"KDE", "wayland-0", false}, Case{"GNOME-Flashback", "wayland-0", false},
        Case{"", "wayland-0", false}, Case{"sway:", "wayland-1", false}}) {
    EXPECT_EQ(ext::IsGnomeWaylandSession(c.desktop, c.wayland), c.expected)
        << "XDG_CURRENT_DESKTOP=" << c.desktop << " WAYLAND_DISPLAY=" << c.wayland;
  }
}

}  // namespace
