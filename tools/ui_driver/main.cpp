// ui_driver: works the program's window from a script.
//   ui_driver [--pid N] [--timeout MS] COMMAND [ARG]
// Commands:
//   wait-window       wait until the main window is shown
//   state             print the caption, "window: left top width height",
//                     "client: left top width height" and the buttons' states
//   click CAPTION     click the button with this caption, or #N: the Nth button in tab order
//   memo              print the memo's text
//   wait-memo TEXT    wait until the memo's text contains TEXT
//   box               wait for a message box and print its text
//   ok                wait for a message box and press its OK button
// Texts are printed in UTF-8. A CAPTION or TEXT argument is taken in the ANSI
// code page, or as hex:XXXX.. (its ANSI bytes in hex), since Wine passes
// non-ASCII arguments only when the Unix side runs in a UTF-8 locale.
// Exit status: 0 done, 1 not found or timed out, 2 bad usage.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/ui_driver/ui_driver.h"

namespace {
int Usage()
{
    std::fputs("usage: ui_driver [--pid N] [--timeout MS] "
               "wait-window|state|click CAPTION|memo|wait-memo TEXT|box|ok\n",
               stderr);
    return 2;
}

int Fail(const char* what)
{
    std::fprintf(stderr, "ui_driver: %s\n", what);
    return 1;
}

void Print(const std::string& text) { std::fputs(ui_driver::Ansi_To_Utf8(text).c_str(), stdout); }

// An argument text: as given, or hex:... decoded.
bool Argument_Text(const char* argument, std::string& text)
{
    text = argument;
    if (text.rfind("hex:", 0) != 0) return true;
    std::string hex = text.substr(4);
    if (hex.size() % 2 != 0) return false;
    text.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        char* end = nullptr;
        std::string pair = hex.substr(i, 2);
        long byte = std::strtol(pair.c_str(), &end, 16);
        if (*end != '\0') return false;
        text += static_cast<char>(byte);
    }
    return true;
}

// A button's caption: CAPTION, hex:..., or #N for the Nth button in tab order.
bool Button_Caption(HWND form, const char* argument, std::string& caption)
{
    if (argument[0] != '#') return Argument_Text(argument, caption);
    std::vector<std::string> captions = ui_driver::Button_Captions(form);
    unsigned long n = std::strtoul(argument + 1, nullptr, 10);
    if (n < 1 || n > captions.size()) return false;
    caption = captions[n - 1];
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    _setmode(_fileno(stdout), _O_BINARY); // the texts' own line ends, unchanged
    DWORD pid = 0, timeout = 10000;
    int i = 1;
    for (; i + 1 < argc && std::strncmp(argv[i], "--", 2) == 0; i += 2) {
        if (std::strcmp(argv[i], "--pid") == 0) pid = std::strtoul(argv[i + 1], nullptr, 10);
        else if (std::strcmp(argv[i], "--timeout") == 0) timeout = std::strtoul(argv[i + 1], nullptr, 10);
        else return Usage();
    }
    if (i >= argc) return Usage();
    const std::string command = argv[i];
    const char* argument = i + 1 < argc ? argv[i + 1] : nullptr;

    if (command == "box" || command == "ok") {
        HWND box = ui_driver::Wait_Message_Box(pid, timeout);
        if (!box) return Fail("no message box");
        if (command == "ok") return ui_driver::Press_Ok(box) ? 0 : Fail("no OK button");
        std::string text;
        if (!ui_driver::Read_Message_Box(box, text)) return Fail("cannot read the message box");
        Print(text + "\n");
        return 0;
    }

    HWND form = ui_driver::Wait_Main_Window(pid, timeout);
    if (!form) return Fail("no main window");
    if (command == "wait-window") return 0;
    if (command == "click") {
        std::string caption;
        if (!argument || !Button_Caption(form, argument, caption)) return Usage();
        return ui_driver::Click_Button(form, caption) ? 0 : Fail("no such button");
    }
    if (command == "memo") {
        std::string text;
        if (!ui_driver::Read_Memo(form, text)) return Fail("cannot read the memo");
        Print(text);
        return 0;
    }
    if (command == "wait-memo") {
        std::string text;
        if (!argument || !Argument_Text(argument, text)) return Usage();
        return ui_driver::Wait_Memo_Contains(form, text, timeout) ? 0 : Fail("text not in the memo");
    }
    if (command == "state") {
        std::string caption;
        ui_driver::Window_Geometry g{};
        if (!ui_driver::Read_Text(form, caption) || !ui_driver::Geometry(form, g)) return Fail("cannot read the window");
        Print("caption: " + caption + "\n");
        std::printf("window: %ld %ld %ld %ld\nclient: %ld %ld %ld %ld\n", g.window.left, g.window.top,
                    g.window.right - g.window.left, g.window.bottom - g.window.top, g.client_origin.x,
                    g.client_origin.y, g.client_size.cx, g.client_size.cy);
        for (const std::string& button : ui_driver::Button_Captions(form)) {
            bool enabled = false;
            ui_driver::Button_Enabled(form, button, enabled);
            Print("button: " + button + (enabled ? " enabled\n" : " disabled\n"));
        }
        return 0;
    }
    return Usage();
}
