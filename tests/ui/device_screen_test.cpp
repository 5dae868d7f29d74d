#include <gtest/gtest.h>

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <cstdlib>

#include "platform/ui/device_screen.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/menu_bar.h"
#include "platform/ui/navigation_bar.h"

namespace quidora {
namespace {

using ui::DeviceScreen;

TEST(ScreenSizeTest, ParsesWidthByHeightAndRefusesNonsense) {
  EXPECT_EQ(DeviceScreen::ParseScreenSize("320x240"), QSize(320, 240));
  EXPECT_EQ(DeviceScreen::ParseScreenSize(" 480 X 640 "), QSize(480, 640));
  for (const char* bad : {"", "abc", "240x", "x320", "0x0", "240x-320", "100000x320", "50x50",
                          "240x320x2", "2.5x3"}) {
    EXPECT_TRUE(DeviceScreen::ParseScreenSize(bad).isEmpty()) << bad;
  }
}

TEST(ScreenSizeTest, EnvironmentChoosesTheSizeOtherwiseTheHandheldsOwn) {
  const QByteArray saved = qgetenv("QUIDORA_SCREEN");
  qunsetenv("QUIDORA_SCREEN");
  EXPECT_EQ(DeviceScreen::ScreenSizeFromEnvironment(), QSize(240, 320));
  qputenv("QUIDORA_SCREEN", "320x240");
  EXPECT_EQ(DeviceScreen::ScreenSizeFromEnvironment(), QSize(320, 240));
  DeviceScreen screen;
  EXPECT_EQ(screen.ScreenSize(), QSize(320, 240));
  qputenv("QUIDORA_SCREEN", "wide");
  EXPECT_EQ(DeviceScreen::ScreenSizeFromEnvironment(), QSize(240, 320));
  if (saved.isNull()) {
    qunsetenv("QUIDORA_SCREEN");
  } else {
    qputenv("QUIDORA_SCREEN", saved);
  }
}

TEST(DeviceScreenTest, BarsFrameTheWorkAreaAndRotationIsAnnounced) {
  DeviceScreen screen(QSize(240, 320));
  auto* view = new QLabel("view");
  screen.SetMainView(view);
  screen.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
  EXPECT_EQ(screen.Navigation().geometry(), QRect(0, 0, 240, 26));
  EXPECT_EQ(screen.Menu().geometry(), QRect(0, 294, 240, 26));
  EXPECT_EQ(screen.WorkArea()->geometry(), QRect(0, 26, 240, 268));
  EXPECT_TRUE(view->isVisible());
  EXPECT_EQ(view->size(), QSize(240, 268));

  QSignalSpy rotated(&screen, &DeviceScreen::ScreenSizeChanged);
  screen.resize(320, 240);
  ASSERT_TRUE(QTest::qWaitFor([&] { return rotated.count() == 1; }));
  EXPECT_EQ(rotated.at(0).at(0).toSize(), QSize(320, 240));
  EXPECT_EQ(screen.ScreenSize(), QSize(320, 240));
  EXPECT_EQ(screen.WorkArea()->geometry(), QRect(0, 26, 320, 188));
  EXPECT_EQ(screen.Menu().geometry(), QRect(0, 214, 320, 26));
  screen.Panel().Raise();
  EXPECT_EQ(screen.Panel().geometry(), QRect(0, 214 - ui::InputPanel::kHeight, 320, 80));

  screen.resize(320, 240);
  QTest::qWait(20);
  EXPECT_EQ(rotated.count(), 1) << "the same size again is no rotation";
  screen.SetScreenSize(QSize(240, 320));
  ASSERT_TRUE(QTest::qWaitFor([&] { return rotated.count() == 2; }));
  EXPECT_EQ(screen.Panel().geometry(), QRect(0, 214, 240, 80));
}

TEST(DeviceScreenTest, HiddenScreenAnnouncesItsNewSizeAtOnce) {
  DeviceScreen screen(QSize(240, 320));
  QSignalSpy rotated(&screen, &DeviceScreen::ScreenSizeChanged);
  screen.SetScreenSize(QSize(480, 640));
  ASSERT_EQ(rotated.count(), 1);
  EXPECT_EQ(screen.ScreenSize(), QSize(480, 640));
  screen.show();
  QTest::qWait(20);
  EXPECT_EQ(rotated.count(), 1);
}

TEST(DeviceScreenTest, ReplacingTheMainViewDropsTheOldOne) {
  DeviceScreen screen(QSize(240, 320));
  QPointer<QLabel> first = new QLabel("first");
  screen.SetMainView(first);
  auto* second = new QLabel("second");
  screen.SetMainView(second);
  screen.show();
  EXPECT_EQ(screen.MainView(), second);
  EXPECT_TRUE(second->isVisible());
  ASSERT_TRUE(QTest::qWaitFor([&] { return first.isNull(); }));
  EXPECT_EQ(screen.windowTitle(), "Quidora");
  EXPECT_FALSE(screen.windowIcon().isNull());
}

}  // namespace
}  // namespace quidora
