#include "shell/window_application.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include "engine/interpreter.h"
#include "engine/program_files.h"
#include "platform/file_system.h"
#include "volumes/volumes.h"

#if __has_include(<xcb/xcb.h>)
#include <xcb/xcb.h>
#define TORVIC_HAVE_XCB 1
#endif

// The icon's resource lives in the shell's static library, which the
// linker would otherwise leave out.
static void InitIconResource() { Q_INIT_RESOURCE(torvic); }

namespace torvic::shell {

namespace {

// The X server's word that the frame's window was destroyed (by another
// client, or a window manager that does so): the toolkit carries on with a
// window nobody can see, so the session ends here instead.
class WindowGoneFilter final : public QAbstractNativeEventFilter {
 public:
  WindowGoneFilter(const QWidget& frame, std::function<void()> gone)
      : frame_(frame), gone_(std::move(gone)) {}
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
#ifdef TORVIC_HAVE_XCB
    if (type != "xcb_generic_event_t") return false;
    const auto* e = static_cast<const xcb_generic_event_t*>(message);
    if ((e->response_type & 0x7F) != XCB_DESTROY_NOTIFY) return false;
    const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
    if (destroyed->window == static_cast<xcb_window_t>(frame_.winId())) gone_();
#else
    (void)type;
    (void)message;
#endif
    return false;
  }

 private:
  const QWidget& frame_;
  std::function<void()> gone_;
};

qreal PixelRatioOf(const QWidget* w) {
  if (w && w->windowHandle()) return w->windowHandle()->devicePixelRatio();
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->devicePixelRatio() : 1.0;
}

}  // namespace

WindowApplication::WindowApplication(platform::SettingsStore& settings, const BatchOptions& options,
                                     bool anotherInstance)
    : settings_(settings),
      options_(options),
      anotherInstance_(anotherInstance),
      sound_([] { QApplication::beep(); }),
      h_{host_, clock_, host_, host_, settings_, sound_, process_, &surface_} {}

WindowApplication::~WindowApplication() {
  if (windowGone_) qApp->removeNativeEventFilter(windowGone_.get());
  if (frame_) frame_->AllowClose();
  screen_.SetObserver(nullptr);
  frame_.reset();
}

std::string WindowApplication::StartupProgramPath() { return torvic::StartupProgramPath(); }

bool WindowApplication::Create(std::string& error) {
  InitIconResource();
  surface_.SetDevicePixelRatio(PixelRatioOf(nullptr));
  if (!screen_.Create()) {
    error = "the console screen could not be created";
    return false;
  }
  interpreter_ = std::make_unique<Interpreter>(h_, screen_, memory_);
  // The view's creation loads the volume table; without it the window
  // cannot work on files and does not start.
  AttachVolumes(*interpreter_, settings_, options_.mounts);
  if (!interpreter_->Volumes().LoadVolumes()) {
    error = "the volume table in the settings store cannot be read";
    return false;
  }
  view_ = new CTorvicView(screen_, surface_, host_);
  view_->SetInterpreter(interpreter_.get());
  FrameOptions frameOptions;
  frameOptions.noRestore = options_.startup.noRestore;
  frameOptions.anotherInstance = anotherInstance_;
  frame_ =
      std::make_unique<CMainFrame>(*interpreter_, screen_, *view_, host_, settings_, frameOptions);
  frame_->setWindowIcon(QIcon::fromTheme("torvic", QIcon(":/torvic.svg")));
  process_.SetTitleSink([this](const std::string& title) {
    frame_->setWindowTitle(QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size())));
  });
  host_.SetDialogParent(frame_.get());
  // After every toolkit turn of the pump: the view takes the screen's
  // changed cells, the status bar the interpreter's changed state.
  host_.SetBeforeTurn([this] {
    view_->SyncFromScreen();
    frame_->RefreshStatus();
  });
  const bool restored = frame_->RestorePlacement();
  frame_->show();
  // Without a stored placement the window fits the screen bitmap.
  if (!restored) {
    QCoreApplication::processEvents();
    frame_->FitToScreen();
  }
  if (QWindow* w = frame_->windowHandle()) {
    QObject::connect(w, &QWindow::screenChanged, frame_.get(), [this] { FollowPixelRatio(); });
    // Whatever takes the window away, the session ends with it.
    QObject::connect(w, &QObject::destroyed, frame_.get(), [this] { WindowGone(); });
  }
  windowGone_ = std::make_unique<WindowGoneFilter>(*frame_, [this] { WindowGone(); });
  qApp->installNativeEventFilter(windowGone_.get());
  FollowPixelRatio();
  view_->setFocus();
  return true;
}

void WindowApplication::WindowGone() {
  if (closed_ || interpreter_->ExitRequested()) return;
  interpreter_->RequestExit();
  host_.Wake();
}

void WindowApplication::FollowPixelRatio() {
  const qreal ratio = PixelRatioOf(frame_.get());
  if (ratio == surface_.DevicePixelRatio()) return;
  surface_.SetDevicePixelRatio(ratio);
  screen_.RemakeBitmap();
}

void WindowApplication::RunStartup(const std::string& startupPath) {
  host_.ToolkitTurn(false);  // the window is drawn before the start-up program runs
  interpreter_->RunStartupSequence(startupPath, options_.program);
  frame_->RefreshStatus();
}

void WindowApplication::Run() {
  interpreter_->RunSession();
  Close();
}

void WindowApplication::Close() {
  if (closed_) return;
  closed_ = true;
  screen_.SaveSettings();
  frame_->SaveSettings();
  frame_->AllowClose();
  frame_->close();
}

}  // namespace torvic::shell
