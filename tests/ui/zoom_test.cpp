// The screen drawn at zoom 2 (this binary starts Qt at that zoom), the desktop file that
// remembers the zoom, and the zoom keys.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

#include "platform/ui/desktop_zoom.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/menu_bar.h"
#include "test_environment.h"

namespace quidora {
namespace {

using ui::DeviceScreen;

// Rows of `rect` holding a dark pixel.
int InkRows(const QImage& image, const QRect& rect) {
  int rows = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) {
      if (qGray(image.pixel(x, y)) < 100) {
        ++rows;
        break;
      }
    }
  }
  return rows;
}

TEST(ZoomTest, ZoomTwoDrawsTextTwiceAsLargeAndCrispAndClicksLandOnTheirControls) {
  DeviceScreen screen(QSize(240, 320));
  ui::MenuBarDescription bar;
  bar.items = {{"New", 40003, {}, {}}, {"Other", 7, {}, {}}};
  screen.Menu().Build(bar);
  auto* label = new QLabel("Mg");
  QFont font = label->font();
  font.setPixelSize(20);
  label->setFont(font);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  screen.SetMainView(label);
  screen.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
  EXPECT_EQ(screen.windowHandle()->devicePixelRatio(), 2.0);
  EXPECT_EQ(screen.size(), QSize(240, 320)) << "the emulated screen keeps its size";

  const QImage two = screen.grab().toImage();
  ASSERT_EQ(two.size(), QSize(480, 640));
  QImage one(240, 320, QImage::Format_ARGB32);
  one.setDevicePixelRatio(1);
  one.fill(Qt::white);
  screen.render(&one);

  const QRect text(label->mapTo(&screen, QPoint(0, 0)), QSize(60, 30));
  const int rowsAtOne = InkRows(one, text);
  const int rowsAtTwo = InkRows(two, QRect(text.topLeft() * 2, text.size() * 2));
  ASSERT_GT(rowsAtOne, 8);
  EXPECT_NEAR(rowsAtTwo, 2 * rowsAtOne, 2);
  // A bitmap blown up from zoom 1 has every 2 by 2 block in one colour; text drawn at the
  // zoomed size does not.
  int mixedBlocks = 0;
  for (int y = text.top() * 2; y < text.bottom() * 2; y += 2) {
    for (int x = text.left() * 2; x < text.right() * 2; x += 2) {
      const QRgb corner = two.pixel(x, y);
      if (two.pixel(x + 1, y) != corner || two.pixel(x, y + 1) != corner ||
          two.pixel(x + 1, y + 1) != corner) {
        ++mixedBlocks;
      }
    }
  }
  EXPECT_GT(mixedBlocks, 10);

  // A click at the middle of "Other" arrives there, not at "New" or off the bar.
  QSignalSpy issued(&screen.Menu(), &ui::MenuBar::CommandIssued);
  QAbstractButton* other = screen.Menu().Button(7);
  const QPoint at = other->mapTo(&screen, other->rect().center());
  QTest::mouseClick(screen.windowHandle(), Qt::LeftButton, {}, at);
  ASSERT_EQ(issued.count(), 1);
  EXPECT_EQ(issued.at(0).at(0).toInt(), 7);
}

TEST(DesktopFileTest, TheZoomIsRememberedBesideOtherLinesAndADamagedFileFallsBack) {
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
  const QString path = ui::DesktopConfigPath();
  EXPECT_EQ(path, home.path() + "/quidora/desktop.conf");
  EXPECT_EQ(ui::ReadRememberedZoom(path), std::nullopt) << "no file yet";

  ASSERT_TRUE(ui::RememberZoom(path, 3));
  EXPECT_EQ(ui::ReadRememberedZoom(path), 3);
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("# mine\ncolour = blue\n");
  }
  ASSERT_TRUE(ui::RememberZoom(path, 2));
  EXPECT_EQ(ui::ReadRememberedZoom(path), 2);
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "# mine\ncolour = blue\nzoom = 2\n");
  }

  for (const QByteArray& damaged :
       {QByteArray("zoom = banana\n"), QByteArray("zoom = 9\n"), QByteArray("zoom = 0\n"),
        QByteArray("zoom\n"), QByteArray("\x01\xff\xfe zoom = = 2", 14)}) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(damaged);
    file.close();
    EXPECT_EQ(ui::ReadRememberedZoom(path), std::nullopt) << damaged.toStdString();
  }
  ASSERT_TRUE(ui::RememberZoom(path, 4));
  EXPECT_EQ(ui::ReadRememberedZoom(path), 4);

  // Written unreadable, it is replaced by a file that can be read back (else every start
  // would ask for the zoom again).
  ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
  ASSERT_TRUE(ui::RememberZoom(path, 3));
  EXPECT_TRUE(QFile::permissions(path) & QFileDevice::ReadOwner);
  EXPECT_EQ(ui::ReadRememberedZoom(path), 3);

  // Anything but a regular file under the name is neither read (a FIFO would block the start,
  // /dev/zero never ends) nor replaced (a link to a device would make the device a file).
  const std::string name = path.toStdString();
  const auto replaceWith = [&](const std::function<int()>& make) {
    std::filesystem::remove(name);
    ASSERT_EQ(make(), 0);
  };
  const auto leftAlone = [&](std::filesystem::file_type type) {
    EXPECT_EQ(ui::ReadRememberedZoom(path), std::nullopt);
    EXPECT_FALSE(ui::RememberZoom(path, 2));
    EXPECT_EQ(std::filesystem::symlink_status(name).type(), type);
  };
  replaceWith([&] { return ::mkfifo(name.c_str(), 0600); });
  leftAlone(std::filesystem::file_type::fifo);
  replaceWith([&] { return ::symlink("/dev/zero", name.c_str()); });
  leftAlone(std::filesystem::file_type::symlink);
  const std::string node = home.path().toStdString() + "/null";
  if (::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0) {  // root only
    replaceWith([&] { return ::symlink(node.c_str(), name.c_str()); });
    leftAlone(std::filesystem::file_type::symlink);
    EXPECT_EQ(std::filesystem::status(node).type(), std::filesystem::file_type::character);
  }
  std::filesystem::remove(name);

  // A copy started for a new zoom is handed it once, whatever the file holds.
  ui::HandOverZoom(3);
  EXPECT_EQ(ui::TakeHandedOverZoom(), 3);
  EXPECT_EQ(ui::TakeHandedOverZoom(), std::nullopt) << "forgotten once taken";
  ui::HandOverZoom(9);
  EXPECT_EQ(ui::TakeHandedOverZoom(), 4);

  // About 70 % of the available height: 2 on a 1080-line desktop, 3 on 1440, never beyond 1..4.
  EXPECT_EQ(ui::FittingZoom(1040, 320), 2);
  EXPECT_EQ(ui::FittingZoom(1400, 320), 3);
  EXPECT_EQ(ui::FittingZoom(300, 320), 1);
  EXPECT_EQ(ui::FittingZoom(4000, 320), 4);
  EXPECT_EQ(ui::FittingZoom(1040, 240), 3) << "a rotated screen is lower";

  // The zoom multiplies the desktop's own factor.
  EXPECT_EQ(ui::ScaleFactorText("", 2), "2");
  EXPECT_EQ(ui::ScaleFactorText("1.5", 2), "3");
  EXPECT_EQ(ui::ScaleFactorText("nonsense", 3), "3");
  qputenv("QUIDORA_ZOOM", "1");
  EXPECT_EQ(ui::PinnedZoom(), 1);
  qputenv("QUIDORA_ZOOM", "7");
  EXPECT_EQ(ui::PinnedZoom(), std::nullopt);
  qunsetenv("QUIDORA_ZOOM");
}

TEST(ZoomKeysTest, CtrlPlusMinusAndZeroAskForTheNextZoomWithinOneToFour) {
  DeviceScreen screen(QSize(240, 320));
  auto* label = new QLabel("view");
  screen.SetMainView(label);
  screen.show();
  screen.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&screen));
  int current = 2;
  std::vector<int> asked;
  ui::InstallZoomKeys(screen, [&] { return current; }, [&](int zoom) { asked.push_back(zoom); });

  QTest::keyClick(label, Qt::Key_Plus, Qt::ControlModifier);
  QTest::keyClick(label, Qt::Key_Equal, Qt::ControlModifier);
  QTest::keyClick(label, Qt::Key_Minus, Qt::ControlModifier);
  QTest::keyClick(label, Qt::Key_0, Qt::ControlModifier);
  EXPECT_EQ(asked, (std::vector<int>{3, 3, 1, 1}));

  asked.clear();
  current = 4;
  QTest::keyClick(label, Qt::Key_Plus, Qt::ControlModifier);
  current = 1;
  QTest::keyClick(label, Qt::Key_Minus, Qt::ControlModifier);
  QTest::keyClick(label, Qt::Key_0, Qt::ControlModifier);
  EXPECT_TRUE(asked.empty());
}

}  // namespace
}  // namespace quidora

int main(int argc, char** argv) {
  quidora::testing::PinTestEnvironment();
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  qputenv("QT_SCALE_FACTOR", quidora::ui::ScaleFactorText("", 2));
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
