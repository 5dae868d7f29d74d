// quidora_ui_render OUTDIR: writes PNG pictures of the UI framework's pieces into OUTDIR.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QTimer>
#include <cstdio>

#include "platform/ui/device_screen.h"
#include "platform/ui/full_screen_dialog.h"
#include "platform/ui/images.h"
#include "platform/ui/input_panel.h"
#include "platform/ui/menu_bar.h"
#include "platform/ui/message_box.h"
#include "platform/ui/qt_message_service.h"
#include "platform/ui/text.h"

namespace {

using namespace quidora;
using namespace quidora::ui;

MenuBarDescription SampleMenu() {
  MenuBarDescription d;
  d.items.push_back({LoadQString(StringId::MenuNew), 40003, "New Transaction", {}});
  d.items.push_back({LoadQString(StringId::MenuAccounts),
                     40001,
                     {},
                     {{"New Transaction...", 40003},
                      {"New Account...", 40051},
                      MenuEntry::Separator(),
                      {"Accounts...", 40060},
                      {"Accounts Balance...", 40061},
                      MenuEntry::Separator(),
                      {"Undo Deleting", 40049},
                      {"Transactions Report...", 40021},
                      MenuEntry::Separator(),
                      {"Exit", 40050}}});
  d.items.push_back({LoadQString(StringId::MenuTools),
                     40043,
                     {},
                     {{"Edit Categories...", 40019},
                      {"Delete by Range of Dates...", 40042},
                      {"Empty Undo Transactions", 40071},
                      MenuEntry::Separator(),
                      {"Export Transactions...", 40045},
                      {"View Options", 40046},
                      MenuEntry::Separator(),
                      {"About", 40009}}});
  d.buttons = {{0, 0, {}},
               {551, kEditCategoriesImage, "Edit Categories"},
               {552, kTransactionsReportImage, "Transactions Report"},
               {553, kUndoDeletingImage, "Undo Deleting"}};
  d.toolbarBitmap = ToolbarBitmap();
  return d;
}

// Scales an image up without smoothing, on white, so that single pixels can be seen.
QImage Magnified(const QImage& image, int factor) {
  QImage out(image.size() * factor, QImage::Format_ARGB32);
  out.fill(Qt::white);
  QPainter p(&out);
  p.drawImage(out.rect(), image);
  return out;
}

bool Save(const QImage& image, const QDir& dir, const QString& name) {
  const bool ok = image.save(dir.filePath(name));
  std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(dir.filePath(name)));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: quidora_ui_render OUTDIR\n");
    return 2;
  }
  QDir out(QString::fromLocal8Bit(argv[1]));
  out.mkpath(".");
  bool ok = true;

  for (QSize size : {QSize(240, 320), QSize(320, 240)}) {
    const QString tag = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
    DeviceScreen screen(size);
    screen.Menu().Build(SampleMenu());
    screen.Menu().SetCommandEnabled(552, false);
    screen.Menu().SetCommandEnabled(553, false);
    auto* view = new QLabel("(account view)");
    view->setAlignment(Qt::AlignCenter);
    auto* field = new QLineEdit(view);
    field->setGeometry(10, 10, 120, 22);
    screen.SetMainView(view);
    screen.show();
    QApplication::processEvents();
    ok &= Save(screen.grab().toImage(), out, "screen_" + tag + ".png");

    screen.Panel().Raise();
    QApplication::processEvents();
    ok &= Save(screen.grab().toImage(), out, "screen_panel_" + tag + ".png");
    screen.Panel().Lower();

    FullScreenDialog page(screen, "Specify amount", "file:equidorappc.htm#Moneyrecords");
    auto* label = new QLabel("Amount:", &page);
    label->setGeometry(5, 30, 53, 20);
    auto* amount = new QLineEdit(&page);
    amount->setGeometry(65, 28, 90, 20);
    QObject::connect(&screen, &DeviceScreen::DialogOpened, &page, [&](FullScreenDialog* dialog) {
      QApplication::processEvents();
      ok &= Save(screen.grab().toImage(), out, "screen_dialog_" + tag + ".png");
      dialog->End(1);
    });
    page.Exec();

    QtMessageService messages(&screen);
    QObject::connect(&messages, &QtMessageService::BoxShown, &messages, [&](MessageBox* box) {
      QApplication::processEvents();
      QImage shot = screen.grab().toImage();
      QPainter p(&shot);
      p.drawPixmap(box->geometry().topLeft() - screen.geometry().topLeft(), box->grab());
      p.end();
      ok &= Save(shot, out, "screen_message_" + tag + ".png");
      box->Choose(MessageAnswer::Ok);
    });
    messages.Show(LoadString(StringId::AccountLimit), MessageIcon::Exclamation);

    QMenu* tools = screen.Menu().Popup(40043);
    screen.Menu().OpenPopup(40043);
    QApplication::processEvents();
    QImage shot = screen.grab().toImage();
    QPainter p(&shot);
    p.drawPixmap(tools->geometry().topLeft() - screen.geometry().topLeft(), tools->grab());
    p.end();
    ok &= Save(shot, out, "screen_menu_" + tag + ".png");
    tools->hide();
  }

  ok &= Save(Magnified(ToolbarBitmap(), 8), out, "bitmap106_x8.png");
  ok &= Save(Magnified(ListBitmap(), 8), out, "bitmap128_x8.png");
  for (int size : {16, 32, 48, 128}) {
    ok &= Save(ProgramIconImage(size), out, QStringLiteral("icon101_%1.png").arg(size));
  }
  return ok ? 0 : 1;
}
