#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <csignal>

#include "platform/ui/device_screen.h"
#include "platform/ui/termination_signal.h"

namespace quidora {
namespace {

using ui::TerminationSignal;

TEST(TerminationSignalTest, SigtermArrivesFromTheEventLoopAndRunsTheCloseRequest) {
  ui::DeviceScreen screen(QSize(240, 320));
  screen.show();
  int closeRequests = 0;
  screen.SetCloseHandler([&] {
    ++closeRequests;
    return true;
  });
  TerminationSignal signal;
  ASSERT_TRUE(signal.IsInstalled());
  QObject::connect(&signal, &TerminationSignal::Received, &screen,
                   [&screen](int) { screen.RequestClose(); });
  QSignalSpy received(&signal, &TerminationSignal::Received);

  ASSERT_EQ(raise(SIGTERM), 0);
  EXPECT_EQ(closeRequests, 0) << "the handler must not run inside the signal handler";
  ASSERT_TRUE(QTest::qWaitFor([&] { return received.count() == 1; }));
  EXPECT_EQ(received.at(0).at(0).toInt(), SIGTERM);
  EXPECT_EQ(closeRequests, 1);
  EXPECT_FALSE(screen.isVisible());
}

TEST(TerminationSignalTest, OnlyOneInstanceOwnsTheSignalsAndHandsThemBack) {
  {
    TerminationSignal first;
    TerminationSignal second;
    EXPECT_TRUE(first.IsInstalled());
    EXPECT_FALSE(second.IsInstalled());
  }
  // Gone: the default disposition is back.
  struct sigaction now {};
  sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
  TerminationSignal again;
  EXPECT_TRUE(again.IsInstalled());
}

}  // namespace
}  // namespace quidora
