#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedLayout>
#include <QTest>
#include <QToolButton>

#include "dialog_driver.h"
#include "platform/ui/control_id.h"
#include "platform/ui/device_screen.h"
#include "platform/ui/full_screen_dialog.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/menu_bar.h"
#include "platform/ui/message_box.h"
#include "platform/ui/navigation_bar.h"
#include "platform/ui/qt_message_service.h"

namespace quidora {
namespace {

using testing::Click;
using testing::DialogDriver;
using ui::DeviceScreen;
using ui::FindControl;
using ui::FullScreenDialog;
using ui::SetControlId;

constexpr int kField = 1017;
constexpr int kOk = 1028;
constexpr int kCancel = 1027;
constexpr int kOpenChild = 1040;

// A page like the program's dialogs: a field, OK and Cancel, and a button that opens another
// page from inside this one. The title-bar OK only confirms a filled-in field.
class Page : public FullScreenDialog {
 public:
  Page(DeviceScreen& screen, const QString& title, const QString& topic)
      : FullScreenDialog(screen, title, topic) {
    auto* label = new QLabel("Amount:", this);
    label->setGeometry(5, 30, 53, 20);
    field = SetControlId(new QLineEdit(this), kField);
    field->setGeometry(65, 28, 90, 20);
    ok = SetControlId(new QPushButton("OK", this), kOk);
    ok->setGeometry(161, 148, 73, 24);
    cancel = SetControlId(new QPushButton("Cancel", this), kCancel);
    cancel->setGeometry(5, 148, 73, 24);
    auto* open = SetControlId(new QPushButton("More", this), kOpenChild);
    open->setGeometry(83, 148, 73, 24);
    connect(ok, &QPushButton::clicked, this, [this] { End(kOk); });
    connect(cancel, &QPushButton::clicked, this, [this] { End(kCancel); });
    connect(open, &QPushButton::clicked, this, [this] {
      Page child(Screen(), Title() + " child", HelpTopic() + "Child");
      childCodes.push_back(child.Exec());
    });
  }

  void OnTitleOk() override {
    ++titleOks;
    if (!field->text().isEmpty()) End(kOk);
  }

  QLineEdit* field = nullptr;
  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
  int titleOks = 0;
  int openings = 0;
  int activations = 0;
  std::vector<int> childCodes;

 protected:
  void OnOpened() override {
    ++openings;
    field->setFocus();
  }
  void OnActivated() override { ++activations; }
};

class FullScreenDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    screen.SetTitle("Quidora");
    mainView = new QLabel("account view");
    screen.SetMainView(mainView);
    screen.show();
    screen.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&screen));
  }

  QWidget* ShownPage() const {
    return static_cast<QStackedLayout*>(screen.WorkArea()->layout())->currentWidget();
  }

  DeviceScreen screen{QSize(240, 320)};
  QLabel* mainView = nullptr;
};

TEST_F(FullScreenDialogTest, NestedPagesEndWithTheirCodesAndRestoreWhatWasBelow) {
  Page outer(screen, "Outer", "file:equidorappc.htm#Accounts");
  QSignalSpy closed(&screen, &DeviceScreen::DialogClosed);
  DialogDriver driver(screen);
  driver
      .Then([&](FullScreenDialog& dialog) {
        EXPECT_EQ(&dialog, &outer);
        EXPECT_EQ(ShownPage(), &outer);
        EXPECT_FALSE(mainView->isVisible());
        EXPECT_EQ(screen.Navigation().Title(), "Outer");
        EXPECT_TRUE(screen.Navigation().TitleButton()->isVisible());
        EXPECT_FALSE(screen.Menu().Choose(40003)) << "menu commands must wait for the dialog";
        Click(&dialog, kOpenChild);
        // Back from the child: the outer page and its title are on the screen again.
        EXPECT_EQ(ShownPage(), &outer);
        EXPECT_EQ(screen.Navigation().Title(), "Outer");
        EXPECT_EQ(screen.CurrentDialog(), &outer);
        Click(&dialog, kOk);
      })
      .Then([&](FullScreenDialog& child) {
        EXPECT_EQ(screen.Navigation().Title(), "Outer child");
        EXPECT_EQ(ShownPage(), &child);
        EXPECT_FALSE(outer.isVisible());
        ASSERT_EQ(screen.RunningDialogs().size(), 2u);
        EXPECT_EQ(screen.RunningDialogs().front(), &outer);
        Click(&child, kCancel);
      });

  EXPECT_EQ(outer.Exec(), kOk);
  EXPECT_EQ(outer.childCodes, std::vector<int>{kCancel});
  EXPECT_EQ(driver.Opened(), QStringList({"Outer", "Outer child"}));
  EXPECT_EQ(ShownPage(), mainView);
  EXPECT_TRUE(mainView->isVisible());
  EXPECT_EQ(screen.CurrentDialog(), nullptr);
  EXPECT_EQ(screen.Navigation().Title(), "Quidora");
  EXPECT_FALSE(screen.Navigation().TitleButton()->isVisible());
  ASSERT_EQ(closed.count(), 2);
  EXPECT_EQ(closed.at(0).at(1).toInt(), kCancel);
  EXPECT_EQ(closed.at(1).at(1).toInt(), kOk);
}

TEST_F(FullScreenDialogTest, APageIsActivatedWhenItOpensAndWhenWhatCoveredItEnds) {
  ui::QtMessageService messages(&screen);
  QObject::connect(&messages, &ui::QtMessageService::BoxShown, &messages,
                   [](ui::MessageBox* box) { box->Choose(MessageAnswer::Ok); });
  QSignalSpy mainActivated(&screen, &DeviceScreen::MainViewActivated);
  Page outer(screen, "Outer", "a");
  DialogDriver driver(screen);
  driver
      .Then([&](FullScreenDialog& dialog) {
        EXPECT_EQ(outer.activations, 1);
        Click(&dialog, kOpenChild);
        EXPECT_EQ(outer.activations, 2);
        messages.Show(u"Saved.", MessageIcon::Exclamation);
        EXPECT_EQ(outer.activations, 3);
        EXPECT_EQ(mainActivated.count(), 0);
        Click(&dialog, kOk);
      })
      .Then([&](FullScreenDialog& child) {
        EXPECT_EQ(static_cast<Page&>(child).activations, 1);
        EXPECT_EQ(outer.activations, 1) << "a page under another is not the active one";
        Click(&child, kCancel);
      });
  EXPECT_EQ(outer.Exec(), kOk);
  EXPECT_EQ(mainActivated.count(), 1);
}

TEST_F(FullScreenDialogTest, EnterPressesTheDefaultButtonWhereverItMoved) {
  Page page(screen, "Page", "t");
  auto* notes = new QPlainTextEdit(&page);
  notes->setGeometry(5, 60, 200, 60);
  DialogDriver driver(screen);
  driver.Then([&](FullScreenDialog& dialog) {
    QTest::keyClick(page.field, Qt::Key_Return);
    EXPECT_EQ(page.titleOks, 1) << "without a default button Enter is the title bar's OK";
    EXPECT_FALSE(dialog.IsEnded()) << "which refuses the empty field";
    notes->setFocus();
    QTest::keyClick(notes, Qt::Key_Return);
    EXPECT_EQ(page.titleOks, 1) << "a text of several lines keeps its Enter";
    EXPECT_EQ(notes->toPlainText(), "\n");
    page.field->setFocus();
    dialog.SetDefaultButton(page.ok);
    page.ok->setEnabled(false);
    QTest::keyClick(page.field, Qt::Key_Return);
    EXPECT_FALSE(dialog.IsEnded()) << "a greyed default button is not pressed";
    dialog.SetDefaultButton(page.cancel);
    EXPECT_FALSE(page.ok->isDefault());
    EXPECT_TRUE(page.cancel->isDefault());
    QTest::keyClick(page.field, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(page.titleOks, 1) << "a default button takes Enter from the title bar's OK";
  });
  EXPECT_EQ(page.Exec(), kCancel);

  // A push button with the focus is pressed itself.
  driver.Then([&](FullScreenDialog&) {
    page.ok->setEnabled(true);
    page.ok->setFocus();
    QTest::keyClick(page.ok, Qt::Key_Return);
  });
  EXPECT_EQ(page.Exec(), kOk);
}

// A page with a "Back" button and none called Cancel, or with neither.
class BackPage : public FullScreenDialog {
 public:
  BackPage(DeviceScreen& screen, bool withBack) : FullScreenDialog(screen, "Back page", "t") {
    if (withBack) {
      auto* back = new QPushButton("Back", this);
      back->setGeometry(5, 148, 73, 24);
      connect(back, &QPushButton::clicked, this, [this] { End(kCancel); });
    }
    // Made in the reverse of the shown order: Tab must follow the screen, not the making.
    lower = new QLineEdit(this);
    lower->setGeometry(5, 80, 90, 20);
    right = new QLineEdit(this);
    right->setGeometry(120, 28, 90, 20);
    left = new QLineEdit(this);
    left->setGeometry(5, 28, 90, 20);
  }
  QLineEdit* left = nullptr;
  QLineEdit* right = nullptr;
  QLineEdit* lower = nullptr;
};

TEST_F(FullScreenDialogTest, EscapeCancelsGoesBackOrConfirmsAndTabFollowsTheScreen) {
  Page page(screen, "Page", "t");
  DialogDriver driver(screen);
  driver.Then([&](FullScreenDialog&) { QTest::keyClick(page.field, Qt::Key_Escape); });
  EXPECT_EQ(page.Exec(), kCancel);

  // A greyed Cancel is not pressed; the page then has no other way out by Escape but its
  // title's OK, which refuses an empty field here.
  driver.Then([&](FullScreenDialog& dialog) {
    page.cancel->setEnabled(false);
    QTest::keyClick(page.field, Qt::Key_Escape);
    EXPECT_FALSE(dialog.IsEnded());
    EXPECT_EQ(page.titleOks, 1);
    page.cancel->setEnabled(true);
    QTest::keyClick(page.field, Qt::Key_Escape);
  });
  EXPECT_EQ(page.Exec(), kCancel);

  BackPage withBack(screen, true);
  driver.Then([&](FullScreenDialog&) {
    withBack.left->setFocus();
    QTest::keyClick(withBack.left, Qt::Key_Tab);
    EXPECT_TRUE(withBack.right->hasFocus());
    QTest::keyClick(withBack.right, Qt::Key_Tab);
    EXPECT_TRUE(withBack.lower->hasFocus());
    QTest::keyClick(withBack.lower, Qt::Key_Escape);
  });
  EXPECT_EQ(withBack.Exec(), kCancel);

  BackPage neither(screen, false);
  driver.Then([&](FullScreenDialog&) { QTest::keyClick(neither.left, Qt::Key_Escape); });
  EXPECT_EQ(neither.Exec(), FullScreenDialog::kDone);
}

TEST_F(FullScreenDialogTest, AnEndBeforeTheLoopStartsIsKeptAndAPageCanRunAgain) {
  Page page(screen, "Page", "topic");
  // Ended from the open hook: the loop must not start (it would never be told to stop).
  QObject::connect(&screen, &DeviceScreen::DialogOpened, &page,
                   [](FullScreenDialog* dialog) { dialog->End(7); });
  EXPECT_EQ(page.Exec(), 7);
  EXPECT_EQ(page.Exec(), 7);
  EXPECT_EQ(page.openings, 2);
  EXPECT_FALSE(page.IsRunning());
  page.End(9);  // after the end: ignored, no crash
  EXPECT_EQ(screen.CurrentDialog(), nullptr);
}

TEST_F(FullScreenDialogTest, TitleBarOkGoesToTheInnermostPage) {
  Page outer(screen, "Outer", "a");
  Page* child = nullptr;
  DialogDriver driver(screen);
  driver
      .Then([&](FullScreenDialog& dialog) {
        Click(&dialog, kOpenChild);
        EXPECT_EQ(outer.titleOks, 0) << "the child's OK reached the outer page";
        dialog.End(kCancel);
      })
      .Then([&](FullScreenDialog& dialog) {
        child = static_cast<Page*>(&dialog);
        QTest::mouseClick(screen.Navigation().TitleButton(), Qt::LeftButton);
        EXPECT_EQ(child->titleOks, 1);
        EXPECT_FALSE(child->IsEnded()) << "an empty field must keep the page open";
        QTest::keyClicks(child->field, "12.50");
        QTest::mouseClick(screen.Navigation().TitleButton(), Qt::LeftButton);
        EXPECT_EQ(child->titleOks, 2);
      });
  EXPECT_EQ(outer.Exec(), kCancel);
  EXPECT_EQ(outer.childCodes, std::vector<int>{kOk});
}

TEST_F(FullScreenDialogTest, PlainPageEndsWithDoneFromTheTitleBar) {
  FullScreenDialog about(screen, "About", "\\Windows\\equidora.htc");
  DialogDriver driver(screen);
  driver.Then([&](FullScreenDialog&) {
    EXPECT_EQ(screen.Navigation().TitleButton()->text(), "OK");
    QTest::mouseClick(screen.Navigation().TitleButton(), Qt::LeftButton);
  });
  EXPECT_EQ(about.Exec(), FullScreenDialog::kDone);
}

// What Exec does for every page: the open-dialog mark, the input panel on activation changes,
// one-line fields.
TEST_F(FullScreenDialogTest, ExecKeepsTheOpenMarkThePanelRuleAndFieldsOnOneLine) {
  ui::InputPanel& panel = screen.Panel();
  QLabel before("a page below");
  QPointer<QWidget> mark = &before;
  Page page(screen, "Page", "t");
  page.KeepOpenMark(mark);
  page.SetPanelOnActivation(FullScreenDialog::PanelOnActivation::LowerOnEveryChange);
  DialogDriver driver(screen);
  driver.Then([&](FullScreenDialog& dialog) {
    EXPECT_EQ(mark, &dialog);
    panel.Raise();
    emit screen.ActivationChanged(false);
    EXPECT_FALSE(panel.IsRaised()) << "lowered when the window loses the activation";
    panel.Raise();
    screen.ActivateTopPage();
    EXPECT_FALSE(panel.IsRaised()) << "and when the page becomes active";

    QGuiApplication::clipboard()->setText("12\r\n50\tx\ny");
    page.field->clear();
    page.field->paste();
    EXPECT_EQ(page.field->text(), "12 50 x y");
    EXPECT_EQ(page.field->cursorPosition(), 9);
    page.field->setText("a\rb");
    EXPECT_EQ(page.field->text(), "a b");
    dialog.End(kCancel);
  });
  EXPECT_EQ(page.Exec(), kCancel);
  EXPECT_EQ(mark, &before) << "the mark gets back what it held";

  // Lowered on activation only: losing the activation leaves the panel as it is.
  page.SetPanelOnActivation(FullScreenDialog::PanelOnActivation::LowerWhenActivated);
  driver.Then([&](FullScreenDialog& dialog) {
    panel.Raise();
    emit screen.ActivationChanged(false);
    EXPECT_TRUE(panel.IsRaised());
    screen.ActivateTopPage();
    EXPECT_FALSE(panel.IsRaised());
    dialog.End(kCancel);
  });
  page.Exec();

  // Left to the page: neither lowers it.
  Page plain(screen, "Plain", "t");
  driver.Then([&](FullScreenDialog& dialog) {
    panel.Raise();
    emit screen.ActivationChanged(false);
    screen.ActivateTopPage();
    EXPECT_TRUE(panel.IsRaised());
    dialog.End(kCancel);
  });
  plain.Exec();
}

TEST_F(FullScreenDialogTest, DriverEndsAPageItsHandlerLeftOpenAndReportsIt) {
  Page page(screen, "Stuck", "t");
  int code = 0;
  EXPECT_NONFATAL_FAILURE(
      {
        DialogDriver driver(screen);
        driver.Then([](FullScreenDialog&) {});
        code = page.Exec();
      },
      "still open");
  EXPECT_EQ(code, DialogDriver::kWatchdogEnd);

  EXPECT_NONFATAL_FAILURE(
      {
        DialogDriver driver(screen);
        code = page.Exec();
      },
      "unexpected dialog");
  EXPECT_EQ(code, DialogDriver::kWatchdogEnd);
  EXPECT_EQ(screen.CurrentDialog(), nullptr);
}

TEST_F(FullScreenDialogTest, CloseRequestEndsRunningPagesBeforeTheShellTidiesUp) {
  int handlerCalls = 0;
  int runningDuringHandler = -1;
  bool accept = false;
  screen.SetCloseHandler([&] {
    ++handlerCalls;
    runningDuringHandler = static_cast<int>(screen.RunningDialogs().size());
    return accept;
  });
  Page outer(screen, "Outer", "a");
  int lateCode = -1;
  {
    DialogDriver driver(screen);
    driver
        .Then([&](FullScreenDialog& dialog) {
          Click(&dialog, kOpenChild);
          // The child was abandoned; a page started while the screen closes ends at once.
          Page late(screen, "Late", "b");
          lateCode = late.Exec();
        })
        .Then([&](FullScreenDialog&) {
          screen.RequestClose();
          EXPECT_EQ(handlerCalls, 0) << "the shell must not tidy up under running dialogs";
        });

    EXPECT_EQ(outer.Exec(), FullScreenDialog::kAbandoned);
    EXPECT_EQ(outer.childCodes, std::vector<int>{FullScreenDialog::kAbandoned});
    EXPECT_EQ(lateCode, FullScreenDialog::kAbandoned);
    EXPECT_EQ(driver.Opened(), QStringList({"Outer", "Outer child"}));
  }

  ASSERT_TRUE(QTest::qWaitFor([&] { return handlerCalls == 1; }));
  EXPECT_EQ(runningDuringHandler, 0);
  // Refused: the program goes on, and dialogs run again.
  EXPECT_TRUE(screen.isVisible());
  EXPECT_FALSE(screen.IsClosing());
  DialogDriver again(screen);
  again.Then([](FullScreenDialog& dialog) { Click(&dialog, kOk); });
  EXPECT_EQ(outer.Exec(), kOk);
}

TEST_F(FullScreenDialogTest, WindowCloseButtonAsksTheShell) {
  bool accept = false;
  int calls = 0;
  screen.SetCloseHandler([&] {
    ++calls;
    return accept;
  });
  screen.close();
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(screen.isVisible());
  accept = true;
  screen.close();
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(screen.isVisible());
}

TEST_F(FullScreenDialogTest, APageDestroyedWhileRunningLeavesTheScreenTidy) {
  auto* page = new Page(screen, "Doomed", "t");
  QSignalSpy closed(&screen, &DeviceScreen::DialogClosed);
  QObject::connect(&screen, &DeviceScreen::DialogOpened, page,
                   [](FullScreenDialog* dialog) { delete dialog; });
  EXPECT_EQ(page->Exec(), FullScreenDialog::kAbandoned);
  EXPECT_EQ(screen.CurrentDialog(), nullptr);
  EXPECT_EQ(ShownPage(), mainView);
  EXPECT_EQ(closed.count(), 0);
}

TEST_F(FullScreenDialogTest, F1StartsHelpWithTheInnermostTopic) {
  QStringList started;
  QString program;
  screen.Help().SetProcessStarter([&](const QString& p, const QStringList& args) {
    program = p;
    started << args;
  });
  screen.SetMainHelpTopic("file:equidorappc.htm#Navigating");
  Page outer(screen, "Report", "file:equidorappc.htm#Workwithrapport");
  DialogDriver driver(screen);
  driver
      .Then([&](FullScreenDialog& dialog) {
        QTest::keyClick(static_cast<Page&>(dialog).field, Qt::Key_F1);
        Click(&dialog, kOpenChild);
        dialog.End(kCancel);
      })
      .Then([&](FullScreenDialog& child) {
        EXPECT_EQ(screen.CurrentHelpTopic(), "file:equidorappc.htm#WorkwithrapportChild");
        QTest::keyClick(static_cast<Page&>(child).field, Qt::Key_F1);
        child.End(kCancel);
      });
  outer.Exec();
  QTest::keyClick(&screen, Qt::Key_F1);

  EXPECT_EQ(started, QStringList({"file:equidorappc.htm#Workwithrapport",
                                  "file:equidorappc.htm#WorkwithrapportChild",
                                  "file:equidorappc.htm#Navigating"}));
  EXPECT_TRUE(program.endsWith("peghelp")) << program.toStdString();
}

TEST_F(FullScreenDialogTest, ControlsGetTheNamesAUserSees) {
  Page page(screen, "Specify amount", "t");
  auto* image = new QToolButton(&page);
  image->setToolTip("Undo Deleting");
  DialogDriver driver(screen);
  driver.Then([&](FullScreenDialog& dialog) {
    EXPECT_EQ(FindControl<QLineEdit>(&dialog, kField)->accessibleName(), "Amount");
    EXPECT_EQ(FindControl<QPushButton>(&dialog, kCancel)->accessibleName(), "Cancel");
    EXPECT_EQ(image->accessibleName(), "Undo Deleting");
    EXPECT_EQ(dialog.accessibleName(), "Specify amount");
    dialog.End(kCancel);
  });
  page.Exec();
}

}  // namespace
}  // namespace quidora
