#include "shell/help_window.h"

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTextDocument>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <sstream>

#include "help/help_book.h"

namespace torvic::shell {

namespace {

constexpr int kTargetRole = Qt::UserRole;
// Wide enough for the topics' 80-column examples.
constexpr int kTextColumns = 84;

QUrl TopicUrl(std::string_view name) {
  QUrl url;
  url.setScheme("help");
  url.setPath(QString::fromStdString(std::string(name)));
  return url;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
  if (name.scheme() != "help") return QTextBrowser::loadResource(type, name);
  QString markdown = QString::fromStdString(help::HelpBook::Get().Page(name.path().toStdString()));
  // What is typed and what it shows, told apart as the console tells them.
  markdown.replace("\n```basic\n", "\n*Example:*\n\n```basic\n");
  markdown.replace("\n```output\n", "\n*Output:*\n\n```output\n");
  QTextDocument page;
  page.setMarkdown(markdown);
  return page.toHtml();
}

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle("TORVIC Help");
  setObjectName("HelpWindow");
  const help::HelpBook& book = help::HelpBook::Get();

  browser_ = new HelpBrowser;
  browser_->setOpenLinks(true);
  browser_->setOpenExternalLinks(false);
  const QFontMetrics fixed(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  browser_->setMinimumWidth(fixed.horizontalAdvance('M') * kTextColumns);

  contents_ = new QTreeWidget;
  contents_->setHeaderHidden(true);
  for (const help::Chapter& chapter : book.Chapters()) {
    auto* item = new QTreeWidgetItem(contents_, {QString::fromStdString(chapter.title)});
    item->setData(0, kTargetRole, QString("@%1").arg(chapter.topics.front()));
    for (size_t i = 1; i < chapter.topics.size(); ++i) {
      const size_t n = chapter.topics[i];
      auto* child = new QTreeWidgetItem(item, {QString::fromStdString(book.Topics()[n].title)});
      child->setData(0, kTargetRole, QString("@%1").arg(n));
    }
  }
  connect(contents_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
    ShowTopic(item->data(0, kTargetRole).toString().toStdString());
  });

  indexField_ = new QLineEdit;
  indexField_->setPlaceholderText("Type a name");
  indexList_ = new QListWidget;
  for (const std::string& key : book.Index()) indexList_->addItem(QString::fromStdString(key));
  connect(indexField_, &QLineEdit::textChanged, this, &HelpWindow::FollowIndex);
  connect(indexField_, &QLineEdit::returnPressed, this, [this] {
    if (QListWidgetItem* item = indexList_->currentItem()) ShowTopic(item->text().toStdString());
  });
  connect(indexList_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { ShowTopic(item->text().toStdString()); });
  connect(indexList_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { ShowTopic(item->text().toStdString()); });
  auto* index = new QWidget;
  auto* indexLayout = new QVBoxLayout(index);
  indexLayout->addWidget(indexField_);
  indexLayout->addWidget(indexList_);

  searchField_ = new QLineEdit;
  searchField_->setPlaceholderText("Words to find, then Enter");
  searchResults_ = new QListWidget;
  connect(searchField_, &QLineEdit::returnPressed, this, &HelpWindow::RunSearch);
  connect(searchResults_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    ShowTopic(item->data(kTargetRole).toString().toStdString());
  });
  connect(searchResults_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    ShowTopic(item->data(kTargetRole).toString().toStdString());
  });
  auto* search = new QWidget;
  auto* searchLayout = new QVBoxLayout(search);
  searchLayout->addWidget(searchField_);
  searchLayout->addWidget(searchResults_);

  tabs_ = new QTabWidget;
  tabs_->addTab(contents_, "&Contents");
  tabs_->addTab(index, "&Index");
  tabs_->addTab(search, "&Search");
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
    if (tab == 1) indexField_->setFocus();
    if (tab == 2) searchField_->setFocus();
  });

  auto* tools = new QToolBar;
  QAction* back = tools->addAction("< &Back", browser_, &QTextBrowser::backward);
  QAction* forward = tools->addAction("&Forward >", browser_, &QTextBrowser::forward);
  tools->addAction("C&ontents", this, [this] { ShowTopic({}); });
  back->setObjectName("Back");
  forward->setObjectName("Forward");
  back->setShortcut(QKeySequence::Back);
  forward->setShortcut(QKeySequence::Forward);
  back->setEnabled(false);
  forward->setEnabled(false);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

  auto* splitter = new QSplitter;
  splitter->addWidget(tabs_);
  splitter->addWidget(browser_);
  splitter->setStretchFactor(1, 1);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tools);
  layout->addWidget(splitter);
  resize(fixed.horizontalAdvance('M') * (kTextColumns + 30), fixed.height() * 44);
}

void HelpWindow::ShowTopic(std::string_view name) {
  browser_->setSource(TopicUrl(name.empty() ? "contents" : name));
}

void HelpWindow::FollowIndex(const QString& text) {
  // The first name that begins with what is typed, else the nearest.
  const std::string typed = text.trimmed().toUpper().toStdString();
  if (typed.empty()) return;
  const std::vector<std::string> near = help::HelpBook::Get().Nearest(typed, 1);
  if (near.empty()) return;
  const QList<QListWidgetItem*> items =
      indexList_->findItems(QString::fromStdString(near.front()), Qt::MatchExactly);
  if (!items.empty()) {
    indexList_->setCurrentItem(items.front());
    indexList_->scrollToItem(items.front(), QAbstractItemView::PositionAtTop);
  }
}

std::vector<size_t> HelpWindow::Search(std::string_view words) {
  std::vector<std::string> wanted;
  std::istringstream in{Lower(std::string(words))};
  for (std::string w; in >> w;) wanted.push_back(w);
  std::vector<size_t> found;
  if (wanted.empty()) return found;
  const help::HelpBook& book = help::HelpBook::Get();
  for (size_t i = 0; i < book.Topics().size(); ++i) {
    const std::string text = Lower(book.Topics()[i].markdown);
    if (std::all_of(wanted.begin(), wanted.end(),
                    [&](const std::string& w) { return text.find(w) != std::string::npos; }))
      found.push_back(i);
  }
  return found;
}

void HelpWindow::RunSearch() {
  searchResults_->clear();
  const help::HelpBook& book = help::HelpBook::Get();
  const std::vector<size_t> found = Search(searchField_->text().toStdString());
  for (size_t n : found) {
    auto* item = new QListWidgetItem(QString::fromStdString(book.Topics()[n].title));
    item->setData(kTargetRole, QString("@%1").arg(n));
    searchResults_->addItem(item);
  }
  if (found.empty()) searchResults_->addItem("No topic holds these words.");
}

HelpWindow* OpenHelp(std::string_view topic) {
  static QPointer<HelpWindow> shared;
  HelpWindow* window;
  if (QWidget* modal = QApplication::activeModalWidget()) {
    window = new HelpWindow(modal);
    window->setAttribute(Qt::WA_DeleteOnClose);
  } else {
    if (!shared) shared = new HelpWindow;
    window = shared;
  }
  window->ShowTopic(topic);
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

void HelpOnF1(QWidget* dialog, std::string_view topic) {
  auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), dialog);
  QObject::connect(f1, &QShortcut::activated, dialog,
                   [name = std::string(topic)] { OpenHelp(name); });
}

}  // namespace torvic::shell
