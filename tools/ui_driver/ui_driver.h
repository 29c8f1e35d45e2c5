#pragma once
// Finds, reads and works the program's window from another process, the way
// a person's tools would: Win32 calls on window handles only, and every wait
// bounded by a time-out. Texts are 8-bit, in the ANSI code page (950 under
// the tests), byte for byte as the program holds them.
#include <windows.h>

#include <string>
#include <vector>

namespace ui_driver {

constexpr char MAIN_WINDOW_CLASS[] = "TForm1";
constexpr char BUTTON_CLASS[] = "TTeButton";
constexpr char MEMO_CLASS[] = "TTeMemo";
constexpr char MESSAGE_BOX_CLASS[] = "#32770";
// How long one message to the program may wait for its thread: the program
// handles messages only between serial operations.
constexpr UINT SEND_TIMEOUT_MS = 5000;

// The main window of process pid (0: of any process), visible or not.
HWND Main_Window(DWORD pid);
// Waits until the main window of pid is visible; null after timeout_ms.
HWND Wait_Main_Window(DWORD pid, DWORD timeout_ms);
// The visible message box of process pid (0: any process), or null.
HWND Message_Box(DWORD pid);
HWND Wait_Message_Box(DWORD pid, DWORD timeout_ms);
// Waits until the window no longer exists.
bool Wait_Gone(HWND hwnd, DWORD timeout_ms);

// The text of any window, asked of its own thread (WM_GETTEXT).
bool Read_Text(HWND hwnd, std::string& text);
// The memo's whole text.
bool Read_Memo(HWND form, std::string& text);
// Waits until the memo's text contains part.
bool Wait_Memo_Contains(HWND form, const std::string& part, DWORD timeout_ms);

HWND Find_Button(HWND form, const std::string& caption);
// Clicks the button as the mouse would: BM_CLICK, posted so that a long
// click handler does not hold the caller. False when there is no such button.
bool Click_Button(HWND form, const std::string& caption);
bool Button_Enabled(HWND form, const std::string& caption, bool& enabled);
// Captions of the form's buttons, in their tab order.
std::vector<std::string> Button_Captions(HWND form);

// A message box's text, its lines separated by line feeds.
bool Read_Message_Box(HWND box, std::string& text);
// Presses the box's OK button.
bool Press_Ok(HWND box);

struct Window_Geometry {
    RECT window;       // screen coordinates
    POINT client_origin; // screen coordinates of the client area's top-left
    SIZE client_size;
};
bool Geometry(HWND hwnd, Window_Geometry& geometry);

// Code page conversions for printing: ANSI code page <-> UTF-8.
std::string Ansi_To_Utf8(const std::string& text);

} // namespace ui_driver
