#include "shell/account_view.h"

#include <QPainter>
#include <QResizeEvent>
#include <algorithm>

#include "core/sorts.h"
#include "platform/ui/control_id.h"
#include "platform/ui/text.h"
#include "shell/command_ids.h"
#include "shell/money_list_view.h"
#include "program/program.h"
#include "shell/text_font.h"

namespace quidora {

namespace {

const QColor kBlue(0, 0, 255);
const QColor kDarkBlue(0, 0, 111);
const QColor kDarkGreen(0, 111, 0);
const QColor kRed(242, 0, 0);
const QString kFace = QStringLiteral("Times New Roman");
constexpr int kTextPointSize = 10;
constexpr int kTextWeight = 800;

// A rectangle given by its corners, right and bottom excluded, as the drawing calls take them.
QRect FromCorners(int left, int top, int right, int bottom) {
  return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

// A text box whose corners may be crossed on a low screen: single-line text that is not clipped
// starts at the box's top left whatever its bottom says.
QRect TextBox(int left, int top, int right, int bottom) {
  return QRect(left, top, std::max(1, right - left), std::max(1, bottom - top));
}

// Outlines exactly the pixels of `frame`. A stroked QRect covers one pixel more to the right
// and below than the rectangle itself.
void DrawFrame(QPainter& painter, const QRect& frame) {
  painter.drawRect(frame.adjusted(0, 0, -1, -1));
}

// An empty widget over a painted text, so that screen readers can read it.
QWidget* MakeTextName(QWidget* parent, const QString& objectName) {
  auto* name = new QWidget(parent);
  name->setObjectName(objectName);
  name->setAttribute(Qt::WA_TransparentForMouseEvents);
  name->setFocusPolicy(Qt::NoFocus);
  return name;
}

}  // namespace

// --- AccountChooser ---------------------------------------------------------------------------

AccountChooser::AccountChooser(QWidget* parent) : QComboBox(parent) {
  ui::SetControlId(this, control::kAccountChooser);
  setAccessibleName(ui::LoadQString(StringId::AccountHeading));
  setInsertPolicy(QComboBox::NoInsert);
  setEditable(false);
  setMaxVisibleItems(8);
}

int AccountChooser::AddName(const QString& name) {
  const std::u16string text = ui::ToU16String(name);
  int at = count();
  for (int i = 0; i < count(); ++i) {
    if (CompareNamesIgnoringCase(text, ui::ToU16String(itemText(i))) < 0) {
      at = i;
      break;
    }
  }
  insertItem(at, name);
  return at;
}

bool AccountChooser::RemoveName(const QString& name) {
  for (int i = 0; i < count(); ++i) {
    if (itemText(i) == name) {
      removeItem(i);
      return true;
    }
  }
  return false;
}

bool AccountChooser::SelectName(const QString& name) {
  if (name.isEmpty()) return false;
  int found = -1;
  for (int i = 0; i < count() && found < 0; ++i) {
    if (itemText(i) == name) found = i;
  }
  for (int i = 0; i < count() && found < 0; ++i) {
    if (itemText(i).startsWith(name)) found = i;
  }
  if (found < 0) return false;
  setCurrentIndex(found);
  return true;
}

QStringList AccountChooser::Names() const {
  QStringList names;
  for (int i = 0; i < count(); ++i) names << itemText(i);
  return names;
}

void AccountChooser::showPopup() {
  emit PopupOpening();
  QComboBox::showPopup();
}

// --- AccountView ------------------------------------------------------------------------------

QRect AccountView::HeadingFrame(QSize size) {
  return FromCorners(4, 6, size.width() - 5, 43);
}

QRect AccountView::HeadingText(QSize size) {
  return TextBox(15, 16, size.width() - 25, size.height() - 206);
}

QRect AccountView::ChooserRect() {
  return QRect(90, 15, 130, 24);
}

QRect AccountView::ListRect(QSize size) {
  return QRect(4, 47, size.width() - 9, size.height() - 79);
}

QRect AccountView::BalanceFrame(QSize size) {
  return FromCorners(4, size.height() - 28, size.width() - 5, size.height() - 6);
}

QRect AccountView::BalanceTextRect(QSize size) {
  return TextBox(15, size.height() - 25, size.width() - 25, size.height() - 20);
}

AccountView::AccountView(Program& program, QWidget* parent) : QWidget(parent), program_(program) {
  setObjectName("accountView");
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, Qt::white);
  setPalette(colours);

  headingName_ = MakeTextName(this, "accountHeading");
  headingName_->setAccessibleName(ui::LoadQString(StringId::AccountHeading));
  balanceName_ = MakeTextName(this, "balanceLine");

  chooser_ = new AccountChooser(this);
  connect(chooser_, &QComboBox::activated, this, [this](int) { emit AccountChosen(); });

  list_ = new MoneyListView(program_.money, program_.settings, this);
  BalanceChanged();
}

void AccountView::FillChooser() {
  chooser_->clear();
  for (const AccountRecord& account : program_.accounts) {
    chooser_->AddName(ui::ToQString(account.Name()));
  }
  if (!program_.accounts.empty() && program_.currentAccount.HasName()) {
    chooser_->SelectName(ui::ToQString(program_.currentAccount.Name()));
  }
}

bool AccountView::IsBalanceNegative() const {
  return program_.balance.type != kIncome;
}

QString AccountView::BalanceText() const {
  const StringId format =
      IsBalanceNegative() ? StringId::NegativeBalanceFormat : StringId::BalanceFormat;
  QString text = ui::LoadQString(format);
  text.replace(QStringLiteral("%s"),
               ui::ToQString(program_.balance.AmountText(program_.settings.moneyTypeView).view()));
  return text;
}

QColor AccountView::BalanceColor() const {
  return IsBalanceNegative() ? kRed : kDarkGreen;
}

QColor AccountView::BalanceFrameColor() const {
  return IsBalanceNegative() ? kRed : kDarkBlue;
}

void AccountView::BalanceChanged() {
  balanceName_->setAccessibleName(BalanceText());
  update();
}

void AccountView::resizeEvent(QResizeEvent* event) {
  const QSize size = event->size();
  chooser_->setGeometry(ChooserRect());
  list_->setGeometry(ListRect(size));
  headingName_->setGeometry(QRect(15, 16, 70, 22));
  balanceName_->setGeometry(BalanceFrame(size));
  QWidget::resizeEvent(event);
}

void AccountView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QSize area = size();
  const QFont font = CreateTextFont(*this, kFace, kTextPointSize, kTextWeight);
  constexpr int kSingleLine = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;

  painter.setBrush(Qt::white);
  painter.setPen(QPen(kBlue, 1));
  DrawFrame(painter, HeadingFrame(area));
  painter.setFont(font);
  painter.drawText(HeadingText(area), kSingleLine, ui::LoadQString(StringId::AccountHeading));

  painter.setPen(QPen(BalanceFrameColor(), 1));
  DrawFrame(painter, BalanceFrame(area));
  painter.setPen(BalanceColor());
  painter.drawText(BalanceTextRect(area), kSingleLine, BalanceText());
}

}  // namespace quidora
