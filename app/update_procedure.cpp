// The update run behind the update button: load the image, find the handset,
// judge its national code, erase, send, finish, report.
#include <windows.h>

#include <cstdlib>

#include "app/time_text.h"
#include "app/unit1.h"
#include "image/image.h"
#include "image/image_check.h"
#include "ui_texts.h"
#include "vcl/dialogs.h"
#include "vcl/sysutils.h"

uint8_t National_Code = 0;
bool Need_Set_National = false;

namespace {

constexpr uint32_t BLOCK_SIZE = 4000;        // the boot loader's block, not 4096
constexpr uint8_t SEND_CHECKSUM = 1;
constexpr DWORD FINISH_PAUSE_MS = 1000;      // before the finish byte

constexpr uint8_t NATIONAL_CODE_TW = 0x00;
constexpr uint8_t NATIONAL_CODE_TO_CLEAR = 0xFE; // replaced by 0 after the image
constexpr uint8_t NATIONAL_CODE_EMPTY = 0xFF;

// The handset is only ever erased for an image that passes the start-up check:
// the file may have been replaced since the program started.
bool Loaded_Image_Passes()
{
    Image_Sums sums;
    const size_t length = Image.Length > 0 ? static_cast<size_t>(Image.Length) : 0;
    Add_Unsigned_Bytes(sums.Unsigned_Sum, Image.Buffer, length);
    Add_Signed_Bytes(sums.Signed_Sum, Image.Buffer, length);
    return Image_Check_Passes(sums);
}

// "<head><time text>." — the time text ends with a line feed of its own.
std::string Time_Line(const char* head) { return head + Time_Text() + ui_text::TIME_LINE_END; }

} // namespace

void TForm1::Button_DownloadClick(TObject*)
{
    Need_Set_National = false;
    Button_Control(false);
    Clean_Memo();
    // A failed load has told the user why; nothing may reach the handset then.
    if (!Parse_File()) {
        Button_Control(true);
        return;
    }
    if (!Loaded_Image_Passes()) {
        ShowMessage(ui_text::BIN_FILES_ERROR);
        Button_Control(true);
        return;
    }
    Print_Str_to_Memo(ui_text::FILE_OPENED);
    Print_Str_to_Memo(ui_text::SEARCHING_COM);
    Print_Str_to_Memo(ui_text::SEARCH_MAY_TAKE_30S);

    uint16_t port = 0;
    if (!Comport.Find_Device_Port(port)) {
        // The search has shown why; the button stays disabled for good.
        Print_Str_to_Memo(ui_text::COM_NOT_FOUND);
        return;
    }
    Print_Str_to_Memo(ui_text::COM_FOUND + IntToStr(port));

    Check_TW_National();
    Download_File();
    Button_Control(true);
}

void TForm1::Check_TW_National()
{
    // A failed query leaves National_Code as the last handset that answered set it.
    if (!Comport.Get_National_Code(National_Code)) Print_Str_to_Memo(ui_text::GET_NATIONAL_CODE_ERROR);

    switch (National_Code) {
    case NATIONAL_CODE_TW:
        return;
    case NATIONAL_CODE_TO_CLEAR:
        Need_Set_National = true;
        return;
    case NATIONAL_CODE_EMPTY:
        Print_Str_to_Memo(ui_text::NATIONAL_CODE_EMPTY_LOG);
        ShowMessage(ui_text::NATIONAL_CODE_EMPTY_BOX);
        std::exit(0);
    default:
        Print_Str_to_Memo(ui_text::NATIONAL_CODE_FOREIGN_LOG);
        ShowMessage(ui_text::NATIONAL_CODE_FOREIGN_BOX);
        std::exit(0);
    }
}

void TForm1::Download_File()
{
    const uint32_t length = static_cast<uint32_t>(Image.Length);

    Print_Str_to_Memo(Time_Line(ui_text::ERASE_BEGIN));
    if (!Comport.Erase_Flash(length)) {
        // The port stays open; the next search's first open closes it.
        ShowMessage(ui_text::ERASE_FAILED_BOX);
        return;
    }
    Print_Str_to_Memo(Time_Line(ui_text::ERASE_END));

    Print_Str_to_Memo(Time_Line(ui_text::SEND_BEGIN));
    const bool sent = Comport.Send_Data(length, Image.Buffer, BLOCK_SIZE, SEND_CHECKSUM);
    Print_Str_to_Memo(Time_Line(ui_text::SEND_END));

    if (Need_Set_National && BromTW()) Print_Str_to_Memo(ui_text::SET_NATIONAL_CODE_OK);

    ::Sleep(FINISH_PAUSE_MS);
    Comport.Send_Finish();
    Comport.Close_Port();
    ShowMessage(sent ? ui_text::UPDATE_DONE_BOX : ui_text::UPDATE_FAILED_BOX);
}

bool TForm1::BromTW()
{
    Clean_Memo();
    const bool written = Comport.Set_National_Code(0);
    if (!written) Print_Str_to_Memo(ui_text::SET_NATIONAL_CODE_ERROR);
    return written;
}
