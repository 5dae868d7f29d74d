// The two dialogs, the progress window's notices, the message boxes and the single-instance
// test, on the GUI thread.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <thread>

#include "gui_helpers.h"
#include "setup/control_ids.h"
#include "setup/message_boxes.h"
#include "setup/progress_dialog.h"
#include "setup/setup_dialog.h"
#include "setup/setup_strings.h"
#include "setup/single_instance.h"

#include <sys/stat.h>
#include <unistd.h>

namespace quidora::setup::testing {
namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

TEST(SetupDialogTest, IsLaidOutFromItsTemplateAndCentred) {
  SetupDialog dialog([] { return kStopResult; });
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Setup Quidora PPC"));
  EXPECT_EQ(dialog.size(), QSize(447, 362));  // 298 x 223 dialog units
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(dialog.pos(), QPoint((screen.width() - 447) / 2, (screen.height() - 362) / 2));

  auto* install = FindControl<QPushButton>(&dialog, kInstallButtonId);
  auto* cancel = FindControl<QPushButton>(&dialog, kCancelButtonId);
  ASSERT_TRUE(install && cancel);
  EXPECT_EQ(install->text(), QStringLiteral("Install Now..."));
  EXPECT_EQ(cancel->text(), QStringLiteral("Cancel"));
  EXPECT_TRUE(install->isDefault());
  EXPECT_EQ(install->size(), cancel->size() + QSize(1, 0));  // 55 x 14 units, rounded by edge
  EXPECT_EQ(install->y(), cancel->y());
  EXPECT_LT(cancel->geometry().right(), install->x());
  EXPECT_TRUE(dialog.rect().contains(install->geometry()));

  QLabel* picture = nullptr;
  for (QLabel* label : dialog.findChildren<QLabel*>()) {
    if (!label->pixmap().isNull()) picture = label;
  }
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->geometry(), QRect(2, 2, 444, 313));
  EXPECT_EQ(picture->pixmap().size(), picture->size());
  EXPECT_LT(picture->geometry().bottom(), install->y());
}

TEST(SetupDialogTest, CancelEscapeAndCloseEndWith1001WithoutInstalling) {
  const std::function<void(SetupDialog&)> ways[] = {
      [](SetupDialog& d) {
        QTest::mouseClick(FindControl<QPushButton>(&d, kCancelButtonId), Qt::LeftButton);
      },
      [](SetupDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
      [](SetupDialog& d) { d.close(); },
  };
  for (const auto& way : ways) {
    bool installed = false;
    SetupDialog dialog([&] {
      installed = true;
      return kInstallResult;
    });
    QSignalSpy finished(&dialog, &QDialog::finished);
    dialog.show();
    way(dialog);
    ASSERT_EQ(finished.count(), 1);
    EXPECT_EQ(finished.at(0).at(0).toInt(), kStopResult);
    EXPECT_FALSE(installed);
    EXPECT_FALSE(dialog.isVisible());
  }
}

TEST(SetupDialogTest, InstallNowHidesTheDialogAndEndsWithTheWorksResult) {
  std::atomic<bool> release = false;
  std::thread::id workThread;
  SetupDialog dialog([&] {
    workThread = std::this_thread::get_id();
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return kInstallResult;
  });
  QSignalSpy finished(&dialog, &QDialog::finished);
  dialog.show();
  QTest::mouseClick(FindControl<QPushButton>(&dialog, kInstallButtonId), Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_TRUE(dialog.Working());
  dialog.reject();  // nothing to ask while the work runs
  QCoreApplication::processEvents();
  EXPECT_EQ(finished.count(), 0);
  release = true;
  ASSERT_TRUE(finished.wait(3000));
  EXPECT_EQ(finished.at(0).at(0).toInt(), kInstallResult);
  EXPECT_NE(workThread, std::this_thread::get_id());
  EXPECT_FALSE(dialog.Working());
}

TEST(ProgressDialogTest, ShowsConnectedForOneAndAHalfSecondsThenEnds) {
  ProgressDialog dialog;
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Connecting Windows CE device . . ."));
  EXPECT_EQ(dialog.size(), QSize(279, 120));  // 186 x 74 dialog units
  auto* text = FindControl<QLabel>(&dialog, kWaitTextId);
  ASSERT_TRUE(text);
  EXPECT_EQ(text->text(), QStringLiteral("Please, wait..."));
  EXPECT_TRUE(dialog.rect().contains(text->geometry()));

  QSignalSpy finished(&dialog, &QDialog::finished);
  dialog.show();
  QElapsedTimer shown;
  shown.start();
  dialog.ShowConnected();
  EXPECT_EQ(text->text(), QStringLiteral("Connected."));
  ASSERT_TRUE(finished.wait(4000));
  EXPECT_GE(shown.elapsed(), 1450);
  EXPECT_LE(shown.elapsed(), 2500);
  EXPECT_FALSE(dialog.isVisible());
}

TEST(ProgressWindowTest, ANoticeBeforeTheWindowExistsIsDeliveredWhenItAppears) {
  ProgressWindowOnGui window;
  QSignalSpy opened(&window, &ProgressWindowOnGui::Opened);
  QSignalSpy ended(&window, &ProgressWindowOnGui::Ended);
  std::thread([&] { window.NotifyConnected(); }).join();  // as the connection thread does
  QCoreApplication::processEvents();
  EXPECT_EQ(window.Dialog(), nullptr);

  std::thread([&] { window.Open(); }).join();
  ASSERT_TRUE(opened.wait(2000));
  ASSERT_TRUE(window.Dialog());
  EXPECT_TRUE(window.Dialog()->isVisible());
  EXPECT_EQ(window.Dialog()->WaitText(), QStringLiteral("Connected."));
  ASSERT_TRUE(ended.wait(4000));
}

TEST(ProgressWindowTest, CloseReturnsOnceTheWindowIsGoneAndLaterNoticesAreDropped) {
  ProgressWindowOnGui window;
  QSignalSpy opened(&window, &ProgressWindowOnGui::Opened);
  std::atomic<bool> endedSeen = false;
  QObject::connect(&window, &ProgressWindowOnGui::Ended, [&] { endedSeen = true; });
  window.Open();
  ASSERT_EQ(opened.count(), 1);

  std::atomic<bool> closeReturned = false;
  bool endedWhenCloseReturned = false;
  std::thread closer([&] {
    window.Close();
    endedWhenCloseReturned = endedSeen;
    closeReturned = true;
  });
  ASSERT_TRUE(ServeUntil([&] { return closeReturned.load(); }));
  closer.join();
  EXPECT_TRUE(endedWhenCloseReturned);

  window.NotifyConnected();
  window.Open();
  QCoreApplication::processEvents();
  EXPECT_EQ(opened.count(), 1);
}

TEST(ProgressWindowTest, ACloseBeforeTheWindowExistsKeepsItFromShowing) {
  ProgressWindowOnGui window;
  QSignalSpy opened(&window, &ProgressWindowOnGui::Opened);
  window.Close();
  std::thread([&] { window.Open(); }).join();
  QCoreApplication::processEvents();
  EXPECT_EQ(opened.count(), 0);
  EXPECT_EQ(window.Dialog(), nullptr);
}

TEST(LauncherMessageBoxesTest, ShowsAnErrorBoxOnTheGuiThreadWhicheverThreadAsks) {
  MessageBoxes boxes;
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  bool hadOwner = true;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    hadOwner = box->parentWidget() != nullptr;
    box->button(QMessageBox::Ok)->click();
  });
  answer.start(20);
  std::atomic<bool> returned = false;
  std::thread worker([&] {
    boxes.ShowError(SetupText(SetupString::NoConnection));
    returned = true;
  });
  const bool answered = ServeUntil([&] { return returned.load(); });
  if (!answered) {  // leave no worker blocked on the GUI thread
    answer.stop();
    for (QWidget* w : QApplication::topLevelWidgets()) w->close();
  }
  ServeUntil([&] { return returned.load(); });
  worker.join();
  ASSERT_TRUE(answered);
  EXPECT_EQ(title, QStringLiteral("Setup Quidora PPC"));
  EXPECT_EQ(text, Text(SetupText(SetupString::NoConnection)));
  EXPECT_EQ(icon, QMessageBox::Critical);
  EXPECT_FALSE(hadOwner);
}

TEST(LauncherSingleInstanceTest, ASecondStartAsksTheFirstToComeForward) {
  QTemporaryDir runtime;
  ASSERT_TRUE(runtime.isValid());
  const std::string_view title = SetupText(SetupString::Title);
  SingleInstance first(title, runtime.path());
  ASSERT_EQ(first.ClaimOrRaise(), SingleInstance::Claim::First);
  QSignalSpy raised(&first, &SingleInstance::RaiseRequested);

  SingleInstance second(title, runtime.path());
  EXPECT_EQ(second.ClaimOrRaise(), SingleInstance::Claim::AnotherRunning);
  EXPECT_TRUE(raised.wait(2000));

  SingleInstance unrelated("Another launcher", runtime.path());
  EXPECT_EQ(unrelated.ClaimOrRaise(), SingleInstance::Claim::First);
}

TEST(LauncherSingleInstanceTest, TheNameIsFreeOnceTheFirstHasEnded) {
  QTemporaryDir runtime;
  const std::string_view title = SetupText(SetupString::Title);
  {
    SingleInstance first(title, runtime.path());
    ASSERT_EQ(first.ClaimOrRaise(), SingleInstance::Claim::First);
  }
  SingleInstance next(title, runtime.path());
  EXPECT_EQ(next.ClaimOrRaise(), SingleInstance::Claim::First);
}

TEST(LauncherSingleInstanceTest, WithoutARuntimeFolderItKeepsToAFolderNoOtherUserCanMake) {
  QTemporaryDir temp;
  QTemporaryDir home;
  ASSERT_TRUE(temp.isValid() && home.isValid());
  // The shared temporary folder is no place for the lock: another user could make the name
  // first. Here it is made, open to everybody, and changes nothing.
  const QString squatted = temp.filePath(QStringLiteral("quidsetup-runtime-%1").arg(getuid()));
  ASSERT_EQ(mkdir(QFile::encodeName(squatted).constData(), 0777), 0);
  ASSERT_EQ(chmod(QFile::encodeName(squatted).constData(), 0777), 0);
  if (geteuid() == 0) {
    ASSERT_EQ(chown(QFile::encodeName(squatted).constData(), 54321, 54321), 0);
  }
  const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
  const QByteArray oldTemp = qgetenv("TMPDIR");
  const QString absent = temp.filePath(QStringLiteral("absent-runtime"));
  qputenv("XDG_RUNTIME_DIR", QFile::encodeName(absent));
  qputenv("TMPDIR", QFile::encodeName(temp.path()));

  const std::string_view title = SetupText(SetupString::Title);
  const QString own = home.filePath(QStringLiteral("data/quidsetup"));
  SingleInstance first(title, {}, own);
  EXPECT_EQ(first.ClaimOrRaise(), SingleInstance::Claim::First) << first.Problem().toStdString();
  SingleInstance second(title, {}, own);
  EXPECT_EQ(second.ClaimOrRaise(), SingleInstance::Claim::AnotherRunning);
  EXPECT_FALSE(QFileInfo::exists(absent)) << "a runtime folder that is not there is not made";
  EXPECT_EQ(
      QFileInfo(own).permissions() & (QFile::WriteGroup | QFile::WriteOther | QFile::ReadOther),
      QFile::Permissions());

  // A folder of its own that others may change is refused, saying why.
  const QString open = home.filePath(QStringLiteral("open"));
  ASSERT_TRUE(QDir().mkpath(open));
  ASSERT_EQ(chmod(QFile::encodeName(open).constData(), 0777), 0);
  SingleInstance refused(title, {}, open);
  EXPECT_EQ(refused.ClaimOrRaise(), SingleInstance::Claim::Failed);
  EXPECT_EQ(refused.Problem(), open + QStringLiteral(": other users may change it"));

  qputenv("XDG_RUNTIME_DIR", oldRuntime);
  if (oldTemp.isNull()) {
    qunsetenv("TMPDIR");
  } else {
    qputenv("TMPDIR", oldTemp);
  }
}

TEST(LauncherSingleInstanceTest, RefusesARuntimeFolderOthersCanEnter) {
  QTemporaryDir runtime;
  ASSERT_EQ(chmod(QFile::encodeName(runtime.path()).constData(), 0755), 0);
  SingleInstance instance(SetupText(SetupString::Title), runtime.path());
  EXPECT_EQ(instance.ClaimOrRaise(), SingleInstance::Claim::Failed);
}

}  // namespace
}  // namespace quidora::setup::testing
