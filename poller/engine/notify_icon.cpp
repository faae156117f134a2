// The notification-area icon: its window and thread, and the state the polling loop posts to it.
#include "poller/engine/notify_icon.h"

#include <objbase.h>
#include <shellapi.h>
#include <windowsx.h>

#include <atomic>
#include <cstring>
#include <ctime>
#include <exception>
#include <memory>
#include <string>

#include "poller/dialogs/alert_dialog.h"
#include "poller/engine/core/notify_texts.h"
#include "poller/engine/core/pass_wait.h"
#include "poller/engine/notify_ids.h"
#include "poller/engine/start_at_logon.h"

namespace {

// lParam: a NotifyUpdate, which the window takes over and frees.
constexpr UINT kUpdateMessage = WM_APP + 2;
// Deletes the icon and ends the window's thread.
constexpr UINT kCloseMessage = WM_APP + 3;
constexpr DWORD kReadyWaitMs = 10000;
constexpr DWORD kCloseWaitMs = 5000;

struct NotifyUpdate {
  std::string tip;
  bool balloon = false;
  BalloonTexts balloonTexts;
};

template <std::size_t size>
void CopyText(char (&target)[size], const std::string& text) {
  const std::string fitted = CutToFit(text, size);
  std::memcpy(target, fitted.c_str(), fitted.size() + 1);
}

// The folder of this program, with its trailing backslash; the manager lies beside it.
std::string ProgramFolder(std::string* programPath = nullptr) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return {};
  const std::string program(path, length);
  if (programPath) *programPath = program;
  return program.substr(0, program.rfind('\\') + 1);
}

void OpenManager() {
  const std::string folder = ProgramFolder();
  if (folder.empty()) return;
  ShellExecuteA(nullptr, nullptr, (folder + "LotwiseMgr.exe").c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
}

// A one-pass run beside this poller, in its folder (the working folder, where the bare file
// names meet), as the manager's Search Now starts one.
void StartOnePass() {
  std::string program;
  if (ProgramFolder(&program).empty()) return;
  char folder[MAX_PATH];
  const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
  ShellExecuteA(nullptr, nullptr, program.c_str(), "-r", length > 0 && length < sizeof folder ? folder : nullptr,
                SW_SHOW);
}

NOTIFYICONDATAA IconData(HWND window) {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = kNotifyIconId;
  return data;
}

}  // namespace

// Lives on its own thread from the window's creation to its end; only that thread touches it
// after Start, apart from the window handle.
class NotifyWindow {
 public:
  explicit NotifyWindow(HANDLE stopEvent)
      : stop_(stopEvent), ready_(CreateEventA(nullptr, TRUE, FALSE, nullptr)), tip_(FormatWatchTip(WatchState())) {}
  ~NotifyWindow() {
    if (icon_) DestroyIcon(icon_);
  }

  static DWORD WINAPI ThreadMain(void* parameter);
  HANDLE Ready() const { return ready_.Get(); }
  HWND Handle() const { return handle_.load(); }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Run();
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool AddIcon();
  void DeleteIcon();
  void Apply(const NotifyUpdate& update);
  void OnIconEvent(UINT event, int x, int y);
  void OnCommand(int id);
  void ShowMenu(int x, int y);
  void BringAlertOrOpenManager();

  HANDLE stop_;
  UniqueHandle ready_;
  std::atomic<HWND> handle_{nullptr};  // the window once made, for the polling thread
  HWND window_ = nullptr;
  HICON icon_ = nullptr;
  UINT taskbarCreated_ = 0;
  std::string tip_;
};

DWORD WINAPI NotifyWindow::ThreadMain(void* parameter) {
  NotifyWindow* self = static_cast<NotifyWindow*>(parameter);
  // The shell's calls (ShellExecute above all) want COM on the thread that makes them.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  try {
    self->Run();
  } catch (const std::exception&) {
    // Out of memory: the poller watches on without its icon.
  }
  SetEvent(self->Ready());
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}

void NotifyWindow::Run() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  // A program without the resource (a test) shows the system's picture.
  icon_ = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(kPollerIconId), IMAGE_ICON,
                                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kNotifyWindowClass;
  RegisterClassExA(&windowClass);  // a second start in one process finds it registered
  taskbarCreated_ = RegisterWindowMessageA(kTaskbarCreatedMessageName);
  // A top-level window, hidden: a message-only window would never hear that the taskbar was
  // made anew.
  CreateWindowExA(WS_EX_TOOLWINDOW, kNotifyWindowClass, tip_.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                  instance, this);
  if (!window_) return;
  handle_.store(window_);
  // Without a taskbar yet (a shell that starts after the poller), the icon comes with its
  // "TaskbarCreated".
  AddIcon();
  SetEvent(ready_.Get());
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

LRESULT CALLBACK NotifyWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    NotifyWindow* self = static_cast<NotifyWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  NotifyWindow* self = reinterpret_cast<NotifyWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  try {
    return self->OnMessage(message, wParam, lParam);
  } catch (const std::exception&) {
    return 0;  // nothing may unwind into user32
  }
}

LRESULT NotifyWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // The shell lost every icon (it was restarted): add ours again.
  if (message == taskbarCreated_ && taskbarCreated_ != 0) {
    AddIcon();
    return 0;
  }
  switch (message) {
    case kUpdateMessage: {
      const std::unique_ptr<NotifyUpdate> update(reinterpret_cast<NotifyUpdate*>(lParam));
      if (update) Apply(*update);
      return 0;
    }
    case kNotifyCallbackMessage:
      // Version 4: the event in the low word of lParam, the point (in screen pixels) in wParam.
      OnIconEvent(LOWORD(lParam), GET_X_LPARAM(wParam), GET_Y_LPARAM(wParam));
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case kCloseMessage:
      EndMenu();  // a menu left open would hold the thread
      DeleteIcon();
      DestroyWindow(window_);
      return 0;
    case WM_CLOSE:
      return 0;  // the icon goes only with the poller
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window_, message, wParam, lParam);
  }
}

bool NotifyWindow::AddIcon() {
  NOTIFYICONDATAA data = IconData(window_);
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
  data.uCallbackMessage = kNotifyCallbackMessage;
  data.hIcon = icon_ ? icon_ : LoadIconA(nullptr, IDI_APPLICATION);
  CopyText(data.szTip, tip_);
  if (!Shell_NotifyIconA(NIM_ADD, &data)) return false;
  data.uVersion = NOTIFYICON_VERSION_4;
  Shell_NotifyIconA(NIM_SETVERSION, &data);
  return true;
}

void NotifyWindow::DeleteIcon() {
  NOTIFYICONDATAA data = IconData(window_);
  Shell_NotifyIconA(NIM_DELETE, &data);
}

void NotifyWindow::Apply(const NotifyUpdate& update) {
  tip_ = update.tip;
  // The tooltip lives in the shell's process: the window's text lets others read it.
  SetWindowTextA(window_, tip_.c_str());
  NOTIFYICONDATAA data = IconData(window_);
  data.uFlags = NIF_TIP | NIF_SHOWTIP;
  CopyText(data.szTip, tip_);
  Shell_NotifyIconA(NIM_MODIFY, &data);
  if (!update.balloon) return;
  data = IconData(window_);
  data.uFlags = NIF_INFO;
  CopyText(data.szInfoTitle, update.balloonTexts.title);
  CopyText(data.szInfo, update.balloonTexts.text);
  // The poller plays its own alert sound when the user wants one.
  data.dwInfoFlags = NIIF_INFO | NIIF_NOSOUND;
  Shell_NotifyIconA(NIM_MODIFY, &data);
}

void NotifyWindow::OnIconEvent(UINT event, int x, int y) {
  switch (event) {
    case WM_CONTEXTMENU:  // a right click, Shift+F10 or the menu key
      ShowMenu(x, y);
      break;
    case NIN_SELECT:
    case NIN_KEYSELECT:
    case NIN_BALLOONUSERCLICK:
      BringAlertOrOpenManager();
      break;
    default:
      break;
  }
}

void NotifyWindow::OnCommand(int id) {
  switch (id) {
    case kNotifyOpenManager:
      OpenManager();
      break;
    case kNotifySearchNow:
      StartOnePass();
      break;
    case kNotifyStartAtLogon:
      SetStartAtLogon(!IsStartAtLogonOn());
      break;
    case kNotifyStopWatching:
      // The polling thread watches this event in every wait; it ends as after an abort.
      if (stop_) SetEvent(stop_);
      break;
    default:
      break;
  }
}

void NotifyWindow::ShowMenu(int x, int y) {
  const HMENU menu = CreateNotifyMenu(IsStartAtLogonOn());
  if (!menu) return;
  // Without the foreground the menu would not close when the user clicks elsewhere; the empty
  // message after it lets the menu's end be seen at once.
  SetForegroundWindow(window_);
  const UINT align = GetSystemMetrics(SM_MENUDROPALIGNMENT) ? TPM_RIGHTALIGN : TPM_LEFTALIGN;
  TrackPopupMenuEx(menu, align | TPM_RIGHTBUTTON, x, y, window_, nullptr);
  PostMessageA(window_, WM_NULL, 0, 0);
  DestroyMenu(menu);
}

// The icon or a balloon was chosen: the alert that waits comes to the front; without one the
// user wants the manager (where a pass's bargains are, when pop-ups are off).
void NotifyWindow::BringAlertOrOpenManager() {
  const HWND alert = WaitingAlertWindow();
  if (!alert) {
    OpenManager();
    return;
  }
  // The shell lets the program whose icon the user chose take the foreground.
  SetWindowPos(alert, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(alert);
}

HMENU CreateNotifyMenu(bool startAtLogon) {
  const HMENU menu = CreatePopupMenu();
  if (!menu) return nullptr;
  AppendMenuA(menu, MF_STRING, kNotifyOpenManager, "&Open Lotwise Manager");
  AppendMenuA(menu, MF_STRING, kNotifySearchNow, "&Search now");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING | (startAtLogon ? MF_CHECKED : MF_UNCHECKED), kNotifyStartAtLogon, "Start at &logon");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kNotifyStopWatching, "S&top watching");
  // What selecting the icon does when no alert waits.
  SetMenuDefaultItem(menu, kNotifyOpenManager, FALSE);
  return menu;
}

namespace {

PollerNotifyIcon* g_icon = nullptr;  // the started icon, which the Notify calls reach

// The polling thread's account of its passes.
struct PassNotes {
  WatchState state;
  std::time_t passBegan = 0;
  long bargainsNotShown = 0;
  std::string firstDescription;
  std::string firstPrice;
};
PassNotes g_notes;

void Post(std::unique_ptr<NotifyUpdate> update) {
  if (!g_icon || !g_icon->Window()) return;
  // Never waits: a window busy with its menu takes the update afterwards.
  if (PostMessageA(g_icon->Window(), kUpdateMessage, 0, reinterpret_cast<LPARAM>(update.get()))) update.release();
}

std::unique_ptr<NotifyUpdate> TipUpdate() {
  auto update = std::make_unique<NotifyUpdate>();
  update->tip = FormatWatchTip(g_notes.state);
  return update;
}

}  // namespace

PollerNotifyIcon::PollerNotifyIcon() = default;
PollerNotifyIcon::~PollerNotifyIcon() { Stop(); }

bool PollerNotifyIcon::Start(HANDLE stopEvent) {
  if (thread_) return window_ != nullptr;
  notifyWindow_ = std::make_unique<NotifyWindow>(stopEvent);
  if (!notifyWindow_->Ready()) return false;
  DWORD threadId = 0;
  thread_.Reset(CreateThread(nullptr, 0, &NotifyWindow::ThreadMain, notifyWindow_.get(), 0, &threadId));
  if (!thread_) return false;
  WaitForSingleObject(notifyWindow_->Ready(), kReadyWaitMs);
  window_ = notifyWindow_->Handle();
  if (!window_) return false;
  g_notes = PassNotes();
  g_icon = this;
  return true;
}

void PollerNotifyIcon::Stop() {
  if (g_icon == this) g_icon = nullptr;
  if (!thread_) return;
  const HWND window = notifyWindow_->Handle();
  if (window) PostMessageA(window, kCloseMessage, 0, 0);
  if (WaitForSingleObject(thread_.Get(), kCloseWaitMs) == WAIT_OBJECT_0) {
    notifyWindow_.reset();
  } else {
    // The window's thread hangs (in a call to the shell): the icon is deleted from here, and
    // the thread keeps its object until the process ends.
    if (window) {
      NOTIFYICONDATAA data = IconData(window);
      Shell_NotifyIconA(NIM_DELETE, &data);
    }
    notifyWindow_.release();
  }
  thread_.Reset();
  window_ = nullptr;
}

void NotifyPassBegun(const std::vector<std::string>& lines) {
  if (!g_icon) return;
  g_notes.state.searches = CountSavedSearches(lines);
  g_notes.state.passRunning = true;
  g_notes.passBegan = std::time(nullptr);
  g_notes.bargainsNotShown = 0;
  Post(TipUpdate());
}

void NotifyAlertShown(const AuctionItem& item) {
  if (!g_icon) return;
  std::unique_ptr<NotifyUpdate> update = TipUpdate();
  update->balloon = true;
  update->balloonTexts = FormatAlertBalloon(item.description, item.price);
  Post(std::move(update));
}

void NotifyBargainNotShown(const AuctionItem& item) {
  if (!g_icon) return;
  if (g_notes.bargainsNotShown++ == 0) {
    g_notes.firstDescription = item.description;
    g_notes.firstPrice = item.price;
  }
}

void NotifyPassEnded(int runIntervalMinutes, long searchesToCheck) {
  if (!g_icon) return;
  const std::time_t now = std::time(nullptr);
  const std::time_t began = g_notes.passBegan != 0 ? g_notes.passBegan : now;
  const std::time_t next = now + static_cast<std::time_t>(PassWaitMilliseconds(runIntervalMinutes) / 1000u);
  WatchState& state = g_notes.state;
  state.passRunning = false;
  state.hasLastPass = true;
  state.lastPass = *std::localtime(&began);
  state.nextPass = *std::localtime(&next);
  state.searchesToCheck = searchesToCheck;
  std::unique_ptr<NotifyUpdate> update = TipUpdate();
  if (g_notes.bargainsNotShown > 0) {
    update->balloon = true;
    update->balloonTexts =
        FormatPassBargainsBalloon(g_notes.bargainsNotShown, g_notes.firstDescription, g_notes.firstPrice);
    g_notes.bargainsNotShown = 0;
  }
  Post(std::move(update));
}
