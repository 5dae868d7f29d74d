#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "platform/ui/control_id.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/message_box.h"
#include "platform/ui/qt_message_service.h"
#include "platform/ui/text.h"
#include "platform/ui/wait_cursor.h"

namespace quidora {
namespace {

using ui::DeviceScreen;
using ui::MessageBox;
using ui::QtMessageService;

struct SeenBox {
  QString caption;
  QString text;
  QRect geometry;
  MessageIcon icon = MessageIcon::Stop;
  bool waitCursorWhileShown = true;
  bool answered = false;
};

class MessageServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    screen.move(40, 30);
    screen.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));
  }

  // Answers the next box by clicking the button `id`, noting what the box showed.
  void AnswerWith(int id) {
    QObject::connect(
        &messages, &QtMessageService::BoxShown, &screen,
        [this, id](MessageBox* box) {
          seen.caption = box->windowTitle();
          seen.text = box->Text();
          seen.geometry = box->frameGeometry();
          seen.icon = box->Icon();
          seen.waitCursorWhileShown = QGuiApplication::overrideCursor() != nullptr;
          auto* button = ui::FindControl<QPushButton>(box, id);
          ASSERT_NE(button, nullptr);
          QTest::mouseClick(button, Qt::LeftButton);
          seen.answered = true;
        },
        Qt::SingleShotConnection);
  }

  QRect ScreenArea() const { return QRect(screen.mapToGlobal(QPoint(0, 0)), screen.size()); }

  DeviceScreen screen{QSize(240, 320)};
  QtMessageService messages{&screen};
  SeenBox seen;
};

TEST_F(MessageServiceTest, BoxShowsInsideTheScreenWithTheProgramCaption) {
  AnswerWith(MessageBox::kOkId);
  const std::u16string text = std::u16string(LoadString(StringId::BalanceOverflow));
  EXPECT_EQ(messages.Show(text, MessageIcon::Exclamation), MessageAnswer::Ok);
  ASSERT_TRUE(seen.answered);
  EXPECT_EQ(seen.caption, "Quidora");
  EXPECT_EQ(seen.text, ui::ToQString(text));
  EXPECT_EQ(seen.icon, MessageIcon::Exclamation);
  EXPECT_TRUE(ScreenArea().contains(seen.geometry))
      << "box " << seen.geometry.x() << "," << seen.geometry.y() << " " << seen.geometry.width()
      << "x" << seen.geometry.height();
}

TEST_F(MessageServiceTest, YesNoBoxesGiveTheTappedAnswer) {
  AnswerWith(MessageBox::kYesId);
  EXPECT_EQ(messages.Show(u"Selected record will be deleted. Continue?", MessageIcon::Exclamation,
                          MessageButtons::YesNo),
            MessageAnswer::Yes);
  AnswerWith(MessageBox::kNoId);
  EXPECT_EQ(messages.Show(u"Continue?", MessageIcon::Exclamation, MessageButtons::YesNo),
            MessageAnswer::No);
  // Escape means No, never Yes.
  QObject::connect(
      &messages, &QtMessageService::BoxShown, &screen,
      [](MessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }, Qt::SingleShotConnection);
  EXPECT_EQ(messages.Show(u"Continue?", MessageIcon::Exclamation, MessageButtons::YesNo),
            MessageAnswer::No);
}

TEST_F(MessageServiceTest, WaitCursorIsGoneBeforeTheBoxAndOtherCursorsSurvive) {
  QGuiApplication::setOverrideCursor(Qt::CrossCursor);
  {
    ui::WaitCursor wait(messages);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_TRUE(messages.IsWaitCursorShown());
    AnswerWith(MessageBox::kOkId);
    QObject::connect(
        &messages, &QtMessageService::BoxShown, &screen,
        [this](MessageBox*) {
          seen.waitCursorWhileShown = QGuiApplication::overrideCursor() != nullptr &&
                                      QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
        },
        Qt::SingleShotConnection);
    messages.Show(u"There are problems with Quidora database !", MessageIcon::Stop);
    EXPECT_FALSE(messages.IsWaitCursorShown());
  }
  EXPECT_FALSE(seen.waitCursorWhileShown);
  // The scope's end must not pop a cursor that was not its own.
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
  QGuiApplication::restoreOverrideCursor();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(MessageServiceTest, CloseRequestAnswersAnOpenQuestionNoBeforeTheShellTidiesUp) {
  int handlerCalls = 0;
  screen.SetCloseHandler([&] {
    ++handlerCalls;
    return true;
  });
  int boxesShown = 0;
  QObject::connect(&messages, &QtMessageService::BoxShown, &screen, [&](MessageBox*) {
    ++boxesShown;
    screen.RequestClose();
    EXPECT_EQ(handlerCalls, 0) << "the shell must not tidy up under an open question";
  });
  EXPECT_EQ(messages.Show(u"Selected Account will be permanently deleted. Continue?",
                          MessageIcon::Exclamation, MessageButtons::YesNo),
            MessageAnswer::No);
  // Further questions on the way out are not shown and get No.
  EXPECT_EQ(messages.Show(u"Continue?", MessageIcon::Exclamation, MessageButtons::YesNo),
            MessageAnswer::No);
  EXPECT_EQ(boxesShown, 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return handlerCalls == 1; }));
  EXPECT_FALSE(screen.isVisible());
}

TEST(MessageServiceWithoutScreenTest, StartUpBoxesAppearInTheDesktopCentre) {
  QtMessageService messages(nullptr);
  QRect placed;
  QObject::connect(
      &messages, &QtMessageService::BoxShown, &messages,
      [&](MessageBox* box) {
        placed = box->geometry();
        box->Choose(MessageAnswer::Ok);
      },
      Qt::SingleShotConnection);
  EXPECT_EQ(messages.Show(u"The Quidora program cannot continue !", MessageIcon::Stop),
            MessageAnswer::Ok);
  const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
  EXPECT_LE((placed.center() - centre).manhattanLength(), 2);
  EXPECT_LE(placed.width(), 240);
}

}  // namespace
}  // namespace quidora
