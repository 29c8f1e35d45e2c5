#pragma once
// The main window and the unit-level data of the program.
#include <cstdint>
#include <string>

#include "serial/comport.h"
#include "vcl/forms.h"
#include "vcl/label.h"
#include "vcl/progress_bar.h"
#include "vcl/te_button.h"
#include "vcl/te_form.h"
#include "vcl/te_memo.h"
#include "vcl/te_theme.h"

class TForm1 : public TForm {
public:
    // Builds the window from its description (unit1_dfm.cpp): the window,
    // then the components in the order of the fields below, then Comport.
    TForm1();

    // Components, owned by the window.
    TLabel* Label1;
    TLabel* Label4;
    TProgressBar* ProgressBar1;
    TTeThemeEngine* TeThemeEngine1;
    TTeThemeList* TeThemeList1;
    TTeThemeLink* TeThemeLink1;
    TTeForm* TeForm1;
    TTeMemo* mReceive;
    TTeButton* Button_Download;
    TTeButton* Button_Exit_System;

    CComport Comport; // constructed after the controls, before FormCreate

    // Events
    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void Button_DownloadClick(TObject* Sender);
    void Button_Exit_SystemClick(TObject* Sender);

    // Log and button state
    void Button_Control(bool enable);
    void Clean_Memo();
    void Print_Str_to_Memo(const std::string& text);

    // Update procedure (update_procedure.cpp)
    void Check_TW_National();
    void Download_File();
    bool BromTW();

    // Firmware image (image/image_file.cpp). They touch no window state.
    // Returns only when the file passes the integrity check; otherwise shows
    // the reason and ends the process with status 0.
    static void Checksum(const std::string& file_name);
    // Loads IMAGE_FILE_NAME into Image; false when the load failed (the
    // user has been told why).
    static bool Parse_File();
    static bool Initial_Array(uint8_t* buffer, const std::string& path, int32_t& length);
    static bool Read_File_to_Data(const std::string& path, uint8_t* buffer, int32_t count);
};

extern TForm1* Form1;
extern uint8_t National_Code;
extern bool Need_Set_National;

