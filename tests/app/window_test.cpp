// The real window in this process: the log operations, the update button's
// switch, clicks on the owner-drawn buttons, the window description and the frame.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "app/unit1.h"
#include "app_test_files.h"
#include "image/image.h"
#include "ui_texts.h"
#include "vcl/application.h"

namespace {

std::string Instruction_Text()
{
    std::string text;
    for (const char* line : ui_text::INSTRUCTIONS) text += std::string(line) + "\r\n";
    return text;
}

std::string Window_Text(HWND hwnd)
{
    char buffer[8192] = {};
    int length = GetWindowTextA(hwnd, buffer, sizeof buffer);
    return std::string(buffer, length);
}

RECT Rect_In_Parent(HWND control)
{
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The window built as the program builds it, without its create event: the
// image check is not wanted here.
class Window : public ::testing::Test {
protected:
    void SetUp() override
    {
        Application->Initialize();
        form = new TForm1();
    }
    void TearDown() override { delete form; }
    void Pump() { Application->ProcessMessages(); }

    TForm1* form = nullptr;
};

TEST_F(Window, PrintAppendsTheTextAndCrLf)
{
    struct Case {
        const char* name;
        std::string before, text, after;
    };
    const std::string line29 = ui_text::INSTRUCTIONS[28]; // a Big5 trail byte of 0x5C, a backslash
    const Case cases[] = {
        {"on an empty memo", "", "abc", "abc\r\n"},
        {"after a line", "abc\r\n", "de", "abc\r\nde\r\n"},
        {"the empty text", "abc\r\n", "", "abc\r\n\r\n"},
        {"a text ending in LF", "", "Mon Mar 05 09:05:03 2007\n.", "Mon Mar 05 09:05:03 2007\n.\r\n"},
        {"a text ending in a bare LF", "x\r\n", "y\n", "x\r\ny\n\r\n"},
        {"code page 950 bytes", "", line29, line29 + "\r\n"},
    };
    for (const Case& c : cases) {
        form->mReceive->SetText(c.before);
        form->Print_Str_to_Memo(c.text);
        EXPECT_EQ(form->mReceive->Text(), c.after) << c.name;
        EXPECT_EQ(Window_Text(form->mReceive->Handle()), c.after) << c.name << ": the control's own text";
    }
}

TEST_F(Window, CleanThenPrintBuildsTheLog)
{
    EXPECT_EQ(form->mReceive->Text(), Instruction_Text());
    form->Clean_Memo();
    EXPECT_EQ(form->mReceive->Text(), "");
    form->Print_Str_to_Memo("abc");
    form->Print_Str_to_Memo("de");
    EXPECT_EQ(form->mReceive->Text(), "abc\r\nde\r\n");
    form->Clean_Memo();
    EXPECT_EQ(Window_Text(form->mReceive->Handle()), "");
}

TEST_F(Window, ButtonControlSwitchesTheUpdateButtonOnly)
{
    EXPECT_TRUE(form->Button_Download->Enabled());
    EXPECT_TRUE(form->Button_Exit_System->Enabled());
    form->Button_Control(false);
    EXPECT_FALSE(IsWindowEnabled(form->Button_Download->Handle()));
    EXPECT_TRUE(IsWindowEnabled(form->Button_Exit_System->Handle()));
    form->Button_Control(true);
    EXPECT_TRUE(IsWindowEnabled(form->Button_Download->Handle()));
}

// Every way a click can arrive: BM_CLICK as the UI driver sends it, the
// notification the system sends to the form, and the space bar.
TEST_F(Window, ClicksRunTheHandlerOfAnEnabledButtonOnly)
{
    int clicks = 0;
    form->Button_Download->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, form->Button_Download);
        ++clicks;
    };
    HWND button = form->Button_Download->Handle();
    WPARAM notify = MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED);
    auto click_all_ways = [&] {
        PostMessageA(button, BM_CLICK, 0, 0);
        Pump();
        SendMessageA(form->Handle(), WM_COMMAND, notify, reinterpret_cast<LPARAM>(button));
        SendMessageA(button, WM_KEYDOWN, VK_SPACE, 0);
        SendMessageA(button, WM_KEYUP, VK_SPACE, 0xC0000001);
        Pump();
    };
    click_all_ways();
    EXPECT_EQ(clicks, 3);

    clicks = 0;
    form->Button_Control(false);
    click_all_ways();
    EXPECT_EQ(clicks, 0);
}

// With the real handler bound: a click on the disabled update button leaves
// the log and the button as they were.
TEST_F(Window, DisabledUpdateButtonStartsNothing)
{
    form->Button_Control(false);
    form->Clean_Memo();
    form->Print_Str_to_Memo("marker");
    HWND button = form->Button_Download->Handle();
    PostMessageA(button, BM_CLICK, 0, 0);
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    Pump();
    EXPECT_EQ(form->mReceive->Text(), "marker\r\n");
    EXPECT_FALSE(form->Button_Download->Enabled());
}

TEST_F(Window, FollowsTheWindowDescription)
{
    HWND hwnd = form->Handle();
    char class_name[32] = {};
    GetClassNameA(hwnd, class_name, sizeof class_name);
    EXPECT_STREQ(class_name, "TForm1");
    EXPECT_EQ(Window_Text(hwnd), ui_text::FORM1_CAPTION);
    EXPECT_FALSE(IsWindowVisible(hwnd)) << "shown only by Run";

    RECT window, client;
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    EXPECT_EQ(window.left, 380);
    EXPECT_EQ(window.top, 116);
    EXPECT_EQ(client.right, 362);
    EXPECT_EQ(client.bottom, 370);

    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_TRUE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_SYSMENU) << "no system menu, no close box";

    struct Place {
        const char* name;
        HWND control;
        RECT expected;
        const char* caption;
    };
    const Place places[] = {
        {"Label4", form->Label4->Handle(), {1, 0, 98, 13}, ui_text::LABEL4_CAPTION},
        {"mReceive", form->mReceive->Handle(), {1, 17, 362, 290}, nullptr},
        {"Button_Download", form->Button_Download->Handle(), {1, 297, 170, 338}, ui_text::BUTTON_DOWNLOAD_CAPTION},
        {"Button_Exit_System", form->Button_Exit_System->Handle(), {193, 297, 362, 338},
         ui_text::BUTTON_EXIT_SYSTEM_CAPTION},
        {"Label1", form->Label1->Handle(), {0, 342, 36, 361}, ui_text::LABEL1_CAPTION},
        {"ProgressBar1", form->ProgressBar1->Handle(), {1, 361, 352, 370}, nullptr},
    };
    for (const Place& p : places) {
        RECT r = Rect_In_Parent(p.control);
        EXPECT_EQ(r.left, p.expected.left) << p.name;
        EXPECT_EQ(r.top, p.expected.top) << p.name;
        EXPECT_EQ(r.right, p.expected.right) << p.name;
        EXPECT_EQ(r.bottom, p.expected.bottom) << p.name;
        if (p.caption) {
            EXPECT_EQ(Window_Text(p.control), p.caption) << p.name;
        }
    }

    // Tab order: the memo, then the two buttons (the bar takes no focus).
    HWND memo = form->mReceive->Handle();
    EXPECT_EQ(GetNextDlgTabItem(hwnd, memo, FALSE), form->Button_Download->Handle());
    EXPECT_EQ(GetNextDlgTabItem(hwnd, form->Button_Download->Handle(), FALSE), form->Button_Exit_System->Handle());
    EXPECT_EQ(GetNextDlgTabItem(hwnd, form->Button_Exit_System->Handle(), FALSE), memo);
    EXPECT_EQ(GetWindow(form->ProgressBar1->Handle(), GW_HWNDNEXT), memo);

    EXPECT_TRUE(GetWindowLongA(memo, GWL_STYLE) & ES_READONLY);
    EXPECT_TRUE(GetWindowLongA(memo, GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(form->mReceive->Text(), Instruction_Text());
    EXPECT_EQ(std::size(ui_text::INSTRUCTIONS), 42u);

    HWND bar = form->ProgressBar1->Handle();
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 0);

    // The labels' fonts, as described (the system substitutes the face when it is missing).
    for (auto [label, face] : {std::pair{form->Label4, ui_text::LABEL4_FONT}, std::pair{form->Label1, ui_text::LABEL1_FONT}}) {
        LOGFONTA font{};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(label->Handle(), WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_STREQ(font.lfFaceName, face);
        EXPECT_EQ(font.lfCharSet, CHINESEBIG5_CHARSET);
        EXPECT_EQ(font.lfHeight, -12);
    }
}

// The caption bar drags the window and holds the two lights; the border sizes nothing.
TEST_F(Window, FrameHitTest)
{
    RECT window;
    GetWindowRect(form->Handle(), &window);
    auto hit = [&](int x, int y) {
        return SendMessageA(form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(window.left + x, window.top + y));
    };
    int width = window.right - window.left;
    EXPECT_EQ(hit(14, 11), HTMINBUTTON);
    EXPECT_EQ(hit(34, 11), HTMAXBUTTON);
    EXPECT_EQ(hit(width / 2, 8), HTCAPTION);
    EXPECT_EQ(hit(width - 2, 8), HTCAPTION);
    EXPECT_EQ(hit(1, 200), HTBORDER);
    EXPECT_EQ(hit(width / 2, 200), HTCLIENT);
}

// A press and release on a light, as the mouse makes them (the frame holds
// the capture in between, so the release comes in client coordinates).
void Press_Light(HWND hwnd, int x, int y)
{
    RECT window;
    GetWindowRect(hwnd, &window);
    POINT screen{window.left + x, window.top + y};
    WPARAM hit = SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
    SendMessageA(hwnd, WM_NCLBUTTONDOWN, hit, MAKELPARAM(screen.x, screen.y));
    POINT client = screen;
    ScreenToClient(hwnd, &client);
    SendMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
}

// The green light maximizes and restores; the bar, anchored on all sides,
// follows the client area. The yellow one minimizes.
TEST_F(Window, LightsMaximizeRestoreAndMinimize)
{
    HWND hwnd = form->Handle();
    form->Show();
    Press_Light(hwnd, 34, 11);
    Pump();
    ASSERT_TRUE(IsZoomed(hwnd));
    RECT client, bar = Rect_In_Parent(form->ProgressBar1->Handle());
    GetClientRect(hwnd, &client);
    EXPECT_EQ(bar.right, client.right - 10);
    EXPECT_EQ(bar.bottom, client.bottom);
    EXPECT_EQ(bar.left, 1);

    Press_Light(hwnd, 34, 11);
    Pump();
    EXPECT_FALSE(IsZoomed(hwnd));
    bar = Rect_In_Parent(form->ProgressBar1->Handle());
    EXPECT_EQ(bar.right, 352);
    EXPECT_EQ(bar.bottom, 370);

    Press_Light(hwnd, 14, 11);
    Pump();
    EXPECT_TRUE(IsIconic(hwnd));
}

TEST_F(Window, CommportIsBuiltEmptyAfterTheControls)
{
    EXPECT_EQ(form->Comport.Com_Handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(form->Comport.Progress_Bar, nullptr);
}

// CreateForm sets Form1 first, builds the whole window, then runs FormCreate,
// which attaches the bar (kept: the member was built before) and checks the
// image (it passes here, so the process goes on).
TEST(CreateForm, RunsFormCreateAfterTheWholeConstruction)
{
    std::string folder = app_test::Make_Temp_Folder("create");
    ASSERT_FALSE(folder.empty());
    ASSERT_TRUE(app_test::Write_Image(folder + "\\" + IMAGE_FILE_NAME));
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));

    Application->Initialize();
    Application->CreateForm(Form1);
    SetCurrentDirectoryA(previous);
    ASSERT_NE(Form1, nullptr);
    EXPECT_EQ(Application->Main_Form(), Form1);
    EXPECT_EQ(Form1->Comport.Progress_Bar, Form1->ProgressBar1);
    EXPECT_FALSE(IsWindowVisible(Form1->Handle()));

    Application->Set_Main_Form(nullptr);
    Form1->~TForm1(); // CreateForm built it in memory of its own
    ::operator delete(Form1);
    Form1 = nullptr;
    DeleteFileA((folder + "\\" + IMAGE_FILE_NAME).c_str());
    RemoveDirectoryA(folder.c_str());
}

} // namespace
