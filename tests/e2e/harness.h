// What the end-to-end scenarios share: the program as a real process, its
// windows, the registry, a known picture on the screen, screenshots and input.
// Every wait is a poll with a deadline.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "input_witness.h"

namespace e2e {

// The program under test (ZINDLE_SCR) and a scratch folder of this run.
std::wstring ScrPath();
// A stand-in for a system module, built for the program under test: from the
// folder ZINDLE_TEST_MODULES names, or beside the test.
std::wstring TestModulePath(const wchar_t* name);
// Whether the program under test is the 32-bit build.
bool ProgramIs32Bit();
// The system folder as the program under test sees it.
std::wstring ProgramSystemFolder();
std::wstring ScratchDir();
// Where screenshots and other artefacts of the run are kept (ZINDLE_ARTEFACTS).
std::wstring ArtefactDir();

// A process of the program or of any other file, ended when it goes away.
class Process {
 public:
  Process() = default;
  // In the given working folder, or in this process's when none is given.
  Process(const std::wstring& file, const std::wstring& arguments, const std::wstring& folder = {});
  ~Process() { Kill(); }
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  explicit operator bool() const { return handle_ != nullptr; }
  DWORD Id() const { return id_; }
  bool Running() const;
  // Waits until the process has ended; false when the deadline passed first.
  bool WaitForExit(DWORD milliseconds) const;
  DWORD ExitCode() const;
  void Kill();

 private:
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

// Starts the program with an argument text ("/s", "/p 1234", "").
Process StartScr(const std::wstring& arguments);
// Starts a copy of the program kept at another path.
Process StartScrAt(const std::wstring& scrPath, const std::wstring& arguments, const std::wstring& folder = {});

// Polls the condition every few milliseconds, handling this thread's
// messages meanwhile, until it holds or the deadline passes.
bool PollUntil(const std::function<bool()>& condition, DWORD milliseconds);
// Handles this thread's messages for a while (windows the test owns).
void PumpFor(DWORD milliseconds);
// Handles this thread's messages until none of its windows waits to be
// painted; false when the deadline passed first.
bool PaintOwnWindows(DWORD milliseconds = 2000);

// A visible top-level window with exactly this caption, of this process if given.
HWND FindTopWindow(const std::wstring& caption, DWORD processId = 0);
std::vector<HWND> TopWindows();
std::vector<HWND> ChildWindows(HWND parent);
HWND WaitForWindow(const std::wstring& caption, DWORD milliseconds, DWORD processId = 0);
// A window of the given process that is visible and of the given class.
HWND FindWindowOfProcess(DWORD processId, const std::wstring& className);
std::wstring WindowText(HWND window);

// The classic per-user program settings in the registry.
namespace settings {
void ClearAll();  // both the current and the previous release's application
void Put(const std::wstring& app, const std::wstring& section, const std::wstring& key,
         const std::wstring& value);
void Put(const std::wstring& key, const std::wstring& value);  // "Korvane", "Zindle!"
std::optional<std::wstring> Get(const std::wstring& app, const std::wstring& section,
                                const std::wstring& key);
std::optional<std::wstring> Get(const std::wstring& key);
bool SectionExists(const std::wstring& app, const std::wstring& section);
}  // namespace settings

// Any value under HKEY_CURRENT_USER.
void PutRegistryString(const std::wstring& path, const std::wstring& name, const std::wstring& value);
void PutRegistryDword(const std::wstring& path, const std::wstring& name, DWORD value);
void DeleteRegistryValue(const std::wstring& path, const std::wstring& name);

// Pixels as 0x00RRGGBB.
inline constexpr uint32_t Rgb(int r, int g, int b) {
  return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b);
}

// A screen-sized picture in memory.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  // How many pixels differ from another image of the same size.
  size_t CountDifferences(const Image& other) const;
  void SaveBmp(const std::wstring& path) const;
};

int ScreenWidth();
int ScreenHeight();
// All monitors together, and each of them with the primary first, in screen
// coordinates (negative left of or above the primary).
RECT VirtualScreen();
std::vector<RECT> Monitors();

// A picture whose every pixel tells where it stands, with no symmetry, so
// that a mirrored or shifted copy is told apart from the original.
Image KnownPicture(int width, int height);
Image FilledPicture(int width, int height, uint32_t colour);

// A topmost full-screen window of this process that shows a picture: the
// desktop that the program will capture.
class Backdrop {
 public:
  // At the primary's corner, or with its corner elsewhere on the virtual screen.
  explicit Backdrop(const Image& picture, POINT corner = POINT{0, 0});
  ~Backdrop();
  Backdrop(const Backdrop&) = delete;
  Backdrop& operator=(const Backdrop&) = delete;
  HWND window() const { return window_; }

 private:
  HWND window_ = nullptr;
};

// What the screen shows now (or one window's client area, or any rectangle
// of the virtual screen).
Image TakeScreenshot();
Image TakeScreenshot(HWND window);
Image TakeScreenshot(const RECT& area);
// Keeps a screenshot as an artefact of the run, named for the scenario.
void KeepArtefact(const Image& image, const std::wstring& name);

// A magenta pop-up of the test standing in for the preview area of Display
// Properties: Wine cannot let another process draw into a child window.
inline constexpr uint32_t kPreviewAreaColour = Rgb(255, 0, 255);
HWND CreatePreviewArea(int left, int top, int width, int height);
// Whether the program has drawn over every pixel of the area.
bool DrawnOver(HWND area);

// What the program's output says: a program of the build under test started
// and waited for (a few seconds at most); empty when it failed.
std::string OutputOf(const std::wstring& file, const std::wstring& arguments);

// What the thread of one of the program's windows takes from its queue: a
// hook of the build under test (zindle_probe witness) loaded into it writes
// down every key and mouse message. While one watches, the input helpers
// below make sure the program has taken each input before they return, and
// send again an input that did not reach it: under X an input can be lost on
// its way, and a scenario must not fail for that, while a program that
// ignores input still fails every time.
class InputWitness {
 public:
  explicit InputWitness(HWND window);
  ~InputWitness();
  InputWitness(const InputWitness&) = delete;
  InputWitness& operator=(const InputWitness&) = delete;
  explicit operator bool() const { return log_ != nullptr; }
  uint32_t Count() const;
  // Whether the thread took a message since the count was `since` that fits.
  bool Took(uint32_t since, const std::function<bool(const WitnessEntry&)>& fits) const;
  // Whether the window still takes input: gone, the program ended or hid it.
  bool Watching() const;
  // The messages taken, as "WM_MOUSEMOVE (200, 150), WM_KEYDOWN 0x20".
  std::string Describe() const;

 private:
  HWND window_;
  HANDLE memory_ = nullptr;
  WitnessLog* log_ = nullptr;
  Process probe_;
};

// Real input.
void PressKey(WORD virtualKey);
void MoveMouseTo(int x, int y);
// Anywhere on the virtual screen, in screen coordinates.
void MoveMouseToScreen(int x, int y);
void ClickAt(int x, int y);
// A left click wherever the pointer is.
void PressMouseButton();

}  // namespace e2e
