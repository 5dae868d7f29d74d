#include <gtest/gtest.h>

#include <QFile>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>

#include "help_location.h"
#include "help_window.h"

namespace quidora {
namespace {

using help::HelpUrl;

const char* const kTopics[] = {"Navigating",    "Moneyrecords",    "Accounts",     "Categories",
                               "Settings",      "Workwithrapport", "Accountsstat", "Export",
                               "Exportrapport", "Exportbalance"};

QString Page(const QString& name) {
  help::InitHelpPages();
  QFile page(":/help/" + name);
  return page.open(QIODevice::ReadOnly) ? QString::fromUtf8(page.readAll()) : QString();
}

TEST(HelpLocationTest, CommandLinesNameABundledPageAndAnchor) {
  EXPECT_EQ(HelpUrl("file:equidorappc.htm#Accounts").toString(),
            "qrc:/help/equidorappc.htm#Accounts");
  EXPECT_EQ(HelpUrl("file:equidorappc.htm").toString(), "qrc:/help/equidorappc.htm");
  EXPECT_EQ(HelpUrl("file:EQUIDORAPPC.HTM#Export").toString(), "qrc:/help/equidorappc.htm#Export");
  const QString contents = "qrc:/help/equidora.htm";
  EXPECT_EQ(HelpUrl("\\Windows\\equidora.htc").toString(), contents);
  EXPECT_EQ(HelpUrl("").toString(), contents);
  EXPECT_EQ(HelpUrl("file:missing.htm#Accounts").toString(), contents);
  // Nothing outside the bundle is reachable, whatever the command line says.
  EXPECT_EQ(HelpUrl("file:../../../etc/passwd").toString(), contents);
  EXPECT_EQ(HelpUrl("file:/etc/hostname.htm").toString(), contents);
  EXPECT_EQ(HelpUrl("file:equidorappc.htm#<script>").toString(), "qrc:/help/equidorappc.htm");
}

TEST(HelpPagesTest, EveryTopicHasItsAnchorAndTheContentsLinkToIt) {
  const QString page = Page("equidorappc.htm");
  const QString contents = Page("equidora.htm");
  ASSERT_FALSE(page.isEmpty());
  ASSERT_FALSE(contents.isEmpty());
  for (const char* topic : kTopics) {
    EXPECT_TRUE(page.contains(QStringLiteral("<a name=\"%1\">").arg(topic))) << topic;
    EXPECT_TRUE(contents.contains(QStringLiteral("equidorappc.htm#%1\"").arg(topic))) << topic;
  }
  // The limits a user runs into are explained.
  for (const char* fact : {"15 accounts", "1,000,000.00", "12 deleted records", "128 characters",
                           "20 characters", "40 characters", "30 characters"}) {
    EXPECT_TRUE(page.contains(fact)) << fact;
  }
}

TEST(HelpWindowTest, OpensAtTheTopicsAnchor) {
  help::HelpWindow window;
  window.resize(240, 320);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.Show(HelpUrl("file:equidorappc.htm#Navigating"));
  QTest::qWait(20);
  const int top = window.Browser()->verticalScrollBar()->value();
  window.Show(HelpUrl("file:equidorappc.htm#Exportbalance"));
  QTest::qWait(20);
  const int bottom = window.Browser()->verticalScrollBar()->value();
  EXPECT_GT(bottom, top + 500) << "the last topic must be scrolled into view";
  EXPECT_TRUE(window.Browser()->toPlainText().contains("Exporting an accounts balance"));

  window.Show(HelpUrl("\\Windows\\equidora.htc"));
  EXPECT_EQ(window.Browser()->documentTitle(), "Quidora Help: Contents");
}

}  // namespace
}  // namespace quidora
