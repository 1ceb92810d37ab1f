// The help viewer: a window of its own with the help book's contents, its
// index and a full-text search beside a QTextBrowser that shows the
// topics, with back and forward through the topics seen. HELP, Help >
// Help Topics, F1 and the dialogs' Help buttons open it (OpenHelp).
#pragma once

#include <QTextBrowser>
#include <QWidget>
#include <string_view>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTreeWidget;

namespace torvic::shell {

// Shows the topics: a link "help:NAME" (or "help:@N", a topic's number)
// is turned into the page the help book gives for NAME.
class HelpBrowser final : public QTextBrowser {
  Q_OBJECT

 public:
  using QTextBrowser::QTextBrowser;
  QVariant loadResource(int type, const QUrl& name) override;
};

class HelpWindow final : public QWidget {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // The page of a name, as HELP shows it: the contents for none.
  void ShowTopic(std::string_view name);

  HelpBrowser* Browser() const { return browser_; }
  QTabWidget* Tabs() const { return tabs_; }
  QTreeWidget* Contents() const { return contents_; }
  QLineEdit* IndexField() const { return indexField_; }
  QListWidget* IndexList() const { return indexList_; }
  QLineEdit* SearchField() const { return searchField_; }
  QListWidget* SearchResults() const { return searchResults_; }

  // The topics that hold every word of `words` (any case), by number.
  static std::vector<size_t> Search(std::string_view words);

 private:
  void FollowIndex(const QString& text);
  void RunSearch();

  HelpBrowser* browser_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QTreeWidget* contents_ = nullptr;
  QLineEdit* indexField_ = nullptr;
  QListWidget* indexList_ = nullptr;
  QLineEdit* searchField_ = nullptr;
  QListWidget* searchResults_ = nullptr;
};

// Opens the help at a topic (the contents for an empty name) and brings it
// to the front. From a modal dialog the help opens as a window of the
// dialog, since the dialog blocks every other window; otherwise the one
// shared help window is used. Returns the window shown.
HelpWindow* OpenHelp(std::string_view topic);
// F1 in a dialog opens the dialog's topic.
void HelpOnF1(QWidget* dialog, std::string_view topic);

}  // namespace torvic::shell
