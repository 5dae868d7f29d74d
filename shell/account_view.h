// The account view: the work area of the main window. A framed "Account:" heading with the
// account chooser (control 1000), the money list view (control 500) and a framed balance line,
// green or dark blue when the balance is not negative and red when it is.
//
// The view draws and lays out; what a choice or a tap means is the main window's business, told
// through the signals.
#pragma once

#include <QComboBox>
#include <QString>
#include <QWidget>
#include <string_view>

namespace quidora {

class MoneyListView;
class Program;

// The account chooser: a drop-down list that keeps its entries sorted, ignoring case.
class AccountChooser : public QComboBox {
  Q_OBJECT

 public:
  explicit AccountChooser(QWidget* parent = nullptr);

  // Inserts `name` at its sorted place; returns its index.
  int AddName(const QString& name);
  // Removes the entry equal to `name` (case matters); false when there is none.
  bool RemoveName(const QString& name);
  // Selects the entry equal to `name`, else the first entry beginning with it; false (and the
  // selection unchanged) when neither exists. Selecting this way is not a user's choice:
  // AccountChosen is not sent.
  bool SelectName(const QString& name);
  QStringList Names() const;

  void showPopup() override;

 signals:
  void PopupOpening();
};

class AccountView : public QWidget {
  Q_OBJECT

 public:
  // Geometry of the view's parts for a view of `size`.
  static QRect HeadingFrame(QSize size);
  static QRect HeadingText(QSize size);
  static QRect ChooserRect();
  static QRect ListRect(QSize size);
  static QRect BalanceFrame(QSize size);
  static QRect BalanceTextRect(QSize size);

  explicit AccountView(Program& program, QWidget* parent = nullptr);

  AccountChooser& Chooser() const { return *chooser_; }
  MoneyListView& List() const { return *list_; }

  // Fills the chooser with the account list and selects the current account.
  void FillChooser();

  // The balance line as drawn: "Balance: 12.50" or "Balance: -12.50".
  QString BalanceText() const;
  bool IsBalanceNegative() const;
  QColor BalanceColor() const;
  QColor BalanceFrameColor() const;

  // Follows a change of the balance record: the accessible text and a repaint.
  void BalanceChanged();

 signals:
  // The user chose an entry of the chooser.
  void AccountChosen();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  Program& program_;
  AccountChooser* chooser_ = nullptr;
  MoneyListView* list_ = nullptr;
  // Carry the painted texts' accessible names.
  QWidget* headingName_ = nullptr;
  QWidget* balanceName_ = nullptr;
};

}  // namespace quidora
