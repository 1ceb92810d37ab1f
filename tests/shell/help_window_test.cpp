// The help viewer on Qt's offscreen platform: a topic opened by name, links
// followed and gone back and forward through, the index following what is
// typed, and the full-text search.
#include "shell/help_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTreeWidget>

#include "help/help_book.h"

namespace torvic::shell {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "torvic_shell_tests";
  static char* argv[] = {name, nullptr};
  if (!QCoreApplication::instance()) new QApplication(argc, argv);
  return *static_cast<QApplication*>(QCoreApplication::instance());
}

std::string Shown(const HelpWindow& w) { return w.Browser()->toPlainText().toStdString(); }

TEST(HelpWindow, OpensATopicFollowsLinksAndGoesBackAndForward) {
  App();
  HelpWindow* w = OpenHelp("print");
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->isVisible());
  EXPECT_NE(Shown(*w).find("PRINT [#n, | @ row, col] USING format$"), std::string::npos);
  // A link of the topic, as a click follows it.
  w->Browser()->setSource(QUrl("help:USING$"));
  EXPECT_NE(Shown(*w).find("USING$(format$, value [, value ...])"), std::string::npos);
  w->Browser()->backward();
  EXPECT_NE(Shown(*w).find("PRINT, ?, DISPLAY"), std::string::npos);
  w->Browser()->forward();
  EXPECT_NE(Shown(*w).find("USING$("), std::string::npos);
  // The same window again, at the contents; an unknown name at the index.
  EXPECT_EQ(OpenHelp({}), w);
  EXPECT_NE(Shown(*w).find("Contents"), std::string::npos);
  OpenHelp("GOTOO");
  EXPECT_NE(Shown(*w).find("There is no topic \"GOTOO\""), std::string::npos);
  w->close();
}

TEST(HelpWindow, ContentsIndexAndSearch) {
  App();
  HelpWindow w;
  const help::HelpBook& book = help::HelpBook::Get();
  ASSERT_EQ(w.Contents()->topLevelItemCount(), static_cast<int>(book.Chapters().size()));
  EXPECT_EQ(w.Contents()->topLevelItem(0)->text(0).toStdString(), book.Chapters()[0].title);
  // The index selects the first name that begins with what is typed.
  w.IndexField()->setText("got");
  ASSERT_NE(w.IndexList()->currentItem(), nullptr);
  EXPECT_EQ(w.IndexList()->currentItem()->text().toStdString(), "GOTO");
  emit w.IndexField()->returnPressed();
  EXPECT_NE(Shown(w).find("GOTO target"), std::string::npos);
  // The search lists the topics that hold every word.
  w.SearchField()->setText("zone WIDTH");
  emit w.SearchField()->returnPressed();
  std::vector<std::string> titles;
  for (int i = 0; i < w.SearchResults()->count(); ++i)
    titles.push_back(w.SearchResults()->item(i)->text().toStdString());
  EXPECT_NE(std::find(titles.begin(), titles.end(), "PRINT, ?, DISPLAY"), titles.end());
  EXPECT_TRUE(HelpWindow::Search("qqqnothing zzz").empty());
  w.SearchField()->setText("qqqnothing");
  emit w.SearchField()->returnPressed();
  ASSERT_EQ(w.SearchResults()->count(), 1);
  EXPECT_EQ(w.SearchResults()->item(0)->text().toStdString(), "No topic holds these words.");
}

}  // namespace
}  // namespace torvic::shell
